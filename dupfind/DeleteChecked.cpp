#include "dupfind/DeleteChecked.h"

#include <iterator>
#include <utility>

namespace tessarin::dupfind {

DeletionReport deleteCheckedFiles(FoundFiles& rows, platform::FileSystem& fileSystem)
{
    DeletionReport report;
    for (std::size_t i = 0; i < rows.size();) {
        if (!rows[i].checked) {
            ++i;
            continue;
        }
        // The found file's own directory is the root it is removed beneath.
        const platform::FsResult result = fileSystem.deleteFile(
            platform::TreePath{platform::Root(rows[i].directory), platform::RelativePath::fromText(rows[i].name)});
        if (result.ok()) {
            report.removed.push_back(std::move(rows[i]));
            rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(i)); // the next row takes this index
        } else {
            report.failures.push_back({rows[i].path(), result.error});
            ++i;
        }
    }
    // On disk before the message; and no directory stays held open on a
    // volume the user may unmount next.
    if (const platform::FsResult flushed = fileSystem.flushWrites(); !flushed.ok())
        report.flushFailure = flushed.error;
    return report;
}

} // namespace tessarin::dupfind
