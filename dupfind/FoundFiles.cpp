#include "dupfind/FoundFiles.h"

namespace tessarin::dupfind {

void CheckAll(FoundFiles& rows)
{
    for (FoundFile& row : rows)
        row.checked = true;
}

void UncheckAll(FoundFiles& rows)
{
    for (FoundFile& row : rows)
        row.checked = false;
}

void InvertChecks(FoundFiles& rows)
{
    for (FoundFile& row : rows)
        row.checked = !row.checked;
}

} // namespace tessarin::dupfind
