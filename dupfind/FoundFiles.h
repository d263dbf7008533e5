#pragma once
#include <string>
#include <vector>

#include "platform/Path.h"

namespace tessarin::dupfind {

// One row of the result list: a copy found by the search.
struct FoundFile {
    std::string name;      // as the directory enumeration gives it ("文件名")
    std::string directory; // where it was found, ending in "/" ("路径")
    bool checked = false;
    std::string path() const { return (platform::Path(directory) / name).bytes(); }
};

using FoundFiles = std::vector<FoundFile>;

// "全选", "全不选", "反选": every row, first to last.
void checkAll(FoundFiles& rows);
void uncheckAll(FoundFiles& rows);
void invertChecks(FoundFiles& rows);

} // namespace tessarin::dupfind
