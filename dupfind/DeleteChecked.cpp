#include "dupfind/DeleteChecked.h"

#include <algorithm>
#include <string>
#include <vector>

namespace tessarin::dupfind {

bool deleteCheckedFiles(FoundFiles& rows, platform::FileSystem& fileSystem, core::Prompt& prompt,
                        const std::function<void()>& rowsRemoved)
{
    const core::Answer answer = prompt.ask("确实要彻底删除选中的文件吗？", "删除确认", core::MessageIcon::Question,
                                           core::MessageButtons::YesNoCancel, core::Answer::No);
    if (answer != core::Answer::Yes)
        return false;

    std::vector<std::string> failures;
    for (std::size_t i = 0; i < rows.size();) {
        if (!rows[i].checked) {
            ++i;
            continue;
        }
        const std::string path = rows[i].path();
        // The found file's own directory is the root it is removed beneath.
        const platform::FsResult result = fileSystem.deleteFile(platform::TreePath{rows[i].directory, rows[i].name});
        if (result.ok()) {
            rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(i)); // the next row takes this index
        } else {
            failures.push_back(path + "：" + result.error);
            ++i;
        }
    }
    // On disk before the message; and no directory stays held open on a
    // volume the user may unmount next.
    if (const platform::FsResult flushed = fileSystem.flushWrites(); !flushed.ok())
        failures.push_back("无法写入磁盘：" + flushed.error);
    if (rowsRemoved)
        rowsRemoved();
    if (failures.empty()) {
        prompt.tell("已经成功删除了选中的文件！", "信息", core::MessageIcon::Information);
        return true;
    }
    // The box lists the first ones and counts the rest; its details hold all.
    std::string text = "下列文件未能删除：";
    std::string details;
    const std::size_t listed = std::min(failures.size(), core::kListedFailures);
    for (std::size_t k = 0; k < failures.size(); ++k) {
        if (k < listed)
            text += "\n" + failures[k];
        details += (k == 0 ? "" : "\n") + failures[k];
    }
    if (failures.size() > listed)
        text += "\n……另有" + std::to_string(failures.size() - listed) + "个失败未列出。";
    prompt.tell(text, "提示", core::MessageIcon::Warning, details);
    return true;
}

} // namespace tessarin::dupfind
