#include "dupfind/DeleteChecked.h"

namespace tessarin::dupfind {

bool DeleteCheckedFiles(FoundFiles& rows, platform::FileSystem& fileSystem, core::Prompt& prompt,
                        const std::function<void()>& rowsRemoved)
{
    const core::Answer answer = prompt.ask("确实要彻底删除选中的文件吗？", "删除确认", core::MessageIcon::Question,
                                           core::MessageButtons::YesNoCancel, core::Answer::No);
    if (answer != core::Answer::Yes)
        return false;

    std::string failures;
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
            failures += "\n" + path + "：" + result.error;
            ++i;
        }
    }
    // On disk before the message; and no directory stays held open on a
    // volume the user may unmount next.
    if (const platform::FsResult flushed = fileSystem.flushWrites(); !flushed.ok())
        failures += "\n无法写入磁盘：" + flushed.error;
    if (rowsRemoved)
        rowsRemoved();
    if (failures.empty())
        prompt.tell("已经成功删除了选中的文件！", "信息", core::MessageIcon::Information);
    else
        prompt.tell("下列文件未能删除：" + failures, "提示", core::MessageIcon::Warning);
    return true;
}

} // namespace tessarin::dupfind
