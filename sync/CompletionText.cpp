#include "sync/CompletionText.h"

#include <algorithm>

#include "sync/Texts.h"

namespace tessarin::sync {

std::string CompletionText(std::string_view successText, bool checkedRows, const std::vector<RowFailure>& failures,
                           const std::vector<RowNote>& notes)
{
    std::string text =
        checkedRows && !failures.empty() ? std::string("选择的同步已执行完毕。") : std::string(successText);
    if (!failures.empty())
        text += "\n\n" + FailureListText(failures);
    if (!notes.empty())
        text += "\n\n" + NotesText(notes);
    return text;
}

std::string NotesText(const std::vector<RowNote>& notes)
{
    if (notes.empty())
        return {};
    std::string text = "有" + std::to_string(notes.size()) +
                       "个文件的修改时间超出了目标卷能保存的范围（1980年至2107年），已改为最接近的时间：";
    const std::size_t listed = std::min(notes.size(), kListedFailures);
    for (std::size_t k = 0; k < listed; ++k) {
        const RowNote& n = notes[k];
        text += "\n";
        text += DirectionArrow(n.side);
        text += " ";
        text += n.fileName;
        text += "：";
        text += n.text;
    }
    if (notes.size() > listed)
        text += "\n……另有" + std::to_string(notes.size() - listed) + "个文件未列出。";
    return text;
}

std::string ClampedTimeText(std::int64_t time, std::int64_t stored)
{
    return "修改时间 " + ModifiedTimeText(time) + " 写为 " + ModifiedTimeText(stored);
}

std::string FailureListText(const std::vector<RowFailure>& failures)
{
    if (failures.empty())
        return {};
    std::string text = "有" + std::to_string(failures.size()) + "个操作失败：";
    const std::size_t listed = std::min(failures.size(), kListedFailures);
    for (std::size_t k = 0; k < listed; ++k) {
        const RowFailure& f = failures[k];
        text += "\n";
        text += DirectionArrow(f.side);
        text += " ";
        text += FailureWord(f);
        text += " ";
        text += f.fileName;
        text += "：";
        text += f.reason;
    }
    if (failures.size() > listed)
        text += "\n……另有" + std::to_string(failures.size() - listed) + "个失败未列出。";
    return text;
}

std::string UnreadableText(const SyncSession& session)
{
    std::vector<std::string> paths;
    for (int side = 1; side <= 2; ++side)
        for (const std::string& directory : session.unreadable(side))
            paths.push_back(session.rootText(side) + directory + "/");
    if (paths.empty())
        return {};
    std::string text = "有" + std::to_string(paths.size()) + "个目录无法读取，其中的文件没有比较，也不会被同步：";
    const std::size_t listed = std::min(paths.size(), kListedFailures);
    for (std::size_t k = 0; k < listed; ++k)
        text += "\n" + paths[k];
    if (paths.size() > listed)
        text += "\n……另有" + std::to_string(paths.size() - listed) + "个目录未列出。";
    return text;
}

} // namespace tessarin::sync
