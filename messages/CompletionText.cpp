#include "messages/CompletionText.h"

#include <algorithm>

#include "sync/Texts.h"

namespace tessarin::messages {

namespace {

std::string failureLine(const sync::RowFailure& f)
{
    std::string line(sync::directionArrow(f.side));
    line += " ";
    line += sync::failureWord(f);
    line += " ";
    line += f.fileName;
    line += "：";
    line += f.reason;
    return line;
}

std::vector<std::string> unreadablePaths(const sync::SyncSession& session)
{
    std::vector<std::string> paths;
    for (const sync::SyncSide side : sync::kBothSides)
        for (const platform::RelativePath& directory : session.unreadable(side))
            paths.push_back((session.root(side) / directory).asDirectory());
    return paths;
}

std::vector<std::string> othersLinkLines(const sync::SyncSession& session)
{
    std::vector<std::string> lines;
    for (const sync::SyncSide side : sync::kBothSides)
        for (const platform::RelativePath& link : session.othersLinks(side))
            lines.push_back((session.root(side) / link).bytes() + "：" + std::string(kOthersLinkText));
    return lines;
}

// Up to kListedFailures lines below a heading, the rest counted.
std::string listedText(std::string heading, const std::vector<std::string>& lines, std::string_view kind)
{
    const std::size_t listed = std::min(lines.size(), kListedFailures);
    for (std::size_t k = 0; k < listed; ++k)
        heading += "\n" + lines[k];
    if (lines.size() > listed)
        heading += "\n……另有" + std::to_string(lines.size() - listed) + "个" + std::string(kind) + "未列出。";
    return heading;
}

} // namespace

std::string completionText(std::string_view successText, bool checkedRows,
                           const std::vector<sync::RowFailure>& failures, const std::vector<sync::RowNote>& notes)
{
    std::string text =
        checkedRows && !failures.empty() ? std::string("选择的同步已执行完毕。") : std::string(successText);
    if (!failures.empty())
        text += "\n\n" + failureListText(failures);
    if (!notes.empty())
        text += "\n\n" + notesText(notes);
    return text;
}

std::string stoppedText(std::size_t notRun, const std::vector<sync::RowFailure>& failures,
                        const std::vector<sync::RowNote>& notes)
{
    std::string text = "同步已停止，有" + std::to_string(notRun) + "个操作没有执行。";
    if (!failures.empty())
        text += "\n\n" + failureListText(failures);
    if (!notes.empty())
        text += "\n\n" + notesText(notes);
    return text;
}

std::string notesText(const std::vector<sync::RowNote>& notes)
{
    if (notes.empty())
        return {};
    std::string text =
        "有" + std::to_string(notes.size()) + "个文件的修改时间超出了目标卷能保存的范围，已改为最接近的时间：";
    const std::size_t listed = std::min(notes.size(), kListedFailures);
    for (std::size_t k = 0; k < listed; ++k) {
        const sync::RowNote& n = notes[k];
        text += "\n";
        text += sync::directionArrow(n.side);
        text += " ";
        text += n.fileName;
        text += "：";
        text += clampedTimeText(n.time, n.stored);
    }
    if (notes.size() > listed)
        text += "\n……另有" + std::to_string(notes.size() - listed) + "个文件未列出。";
    return text;
}

std::string clampedTimeText(std::int64_t time, std::int64_t stored)
{
    return "修改时间 " + sync::modifiedTimeText(time) + " 写为 " + sync::modifiedTimeText(stored);
}

std::string failureListText(const std::vector<sync::RowFailure>& failures)
{
    if (failures.empty())
        return {};
    std::string text = "有" + std::to_string(failures.size()) + "个操作失败：";
    const std::size_t listed = std::min(failures.size(), kListedFailures);
    for (std::size_t k = 0; k < listed; ++k)
        text += "\n" + failureLine(failures[k]);
    if (failures.size() > listed)
        text += "\n……另有" + std::to_string(failures.size() - listed) + "个失败未列出。";
    return text;
}

std::string failureDetailsText(const std::vector<sync::RowFailure>& failures, const std::vector<sync::RowNote>& notes)
{
    std::string text;
    for (const sync::RowFailure& f : failures)
        text += (text.empty() ? "" : "\n") + failureLine(f);
    // Notes beyond those the box lists are there too.
    if (notes.size() > kListedFailures)
        for (const sync::RowNote& n : notes)
            text += (text.empty() ? "" : "\n") + std::string(sync::directionArrow(n.side)) + " " + n.fileName + "：" +
                    clampedTimeText(n.time, n.stored);
    return text;
}

std::string notRunText(std::size_t notRun)
{
    return "同步已中止，有" + std::to_string(notRun) + "个操作没有执行（包括出错的这一个）。";
}

std::string unreadableText(const sync::SyncSession& session)
{
    const std::vector<std::string> paths = unreadablePaths(session);
    const std::vector<std::string> links = othersLinkLines(session);
    std::string text;
    if (!paths.empty())
        text = listedText("有" + std::to_string(paths.size()) + "个目录无法读取，其中的文件没有比较，也不会被同步：",
                          paths, "目录");
    if (!links.empty())
        text += (text.empty() ? "" : "\n\n") +
                listedText("有" + std::to_string(links.size()) + "个链接没有比较，也不会被同步：", links, "链接");
    return text;
}

std::string unreadableDetailsText(const sync::SyncSession& session)
{
    std::string text;
    for (const std::string& path : unreadablePaths(session))
        text += (text.empty() ? "" : "\n") + path;
    for (const std::string& line : othersLinkLines(session))
        text += (text.empty() ? "" : "\n") + line;
    return text;
}

} // namespace tessarin::messages
