#include "sync/CompletionText.h"

#include <algorithm>

namespace tessarin::sync {

std::string CompletionText(std::string_view successText, bool checkedRows, const std::vector<RowFailure>& failures)
{
    if (failures.empty())
        return std::string(successText);
    std::string text = checkedRows ? std::string("选择的同步已执行完毕。") : std::string(successText);
    return text + "\n\n" + FailureListText(failures);
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
