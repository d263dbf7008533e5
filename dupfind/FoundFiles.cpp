#include "dupfind/FoundFiles.h"

namespace tessarin::dupfind {

void checkAll(FoundFiles& rows)
{
    for (FoundFile& row : rows)
        row.checked = true;
}

void uncheckAll(FoundFiles& rows)
{
    for (FoundFile& row : rows)
        row.checked = false;
}

void invertChecks(FoundFiles& rows)
{
    for (FoundFile& row : rows)
        row.checked = !row.checked;
}

} // namespace tessarin::dupfind
