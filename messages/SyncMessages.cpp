#include "messages/SyncMessages.h"

#include <string>
#include <string_view>

#include "messages/CompletionText.h"

namespace tessarin::messages {

namespace {

std::string_view successText(sync::SyncCommand command)
{
    switch (command) {
    case sync::SyncCommand::OneToTwo:
        return "目录一同步到目录二完成！";
    case sync::SyncCommand::TwoToOne:
        return "目录二同步到目录一完成！";
    case sync::SyncCommand::BothWays:
        return "双向同步完成！";
    case sync::SyncCommand::CheckedRows:
        break;
    }
    return "选择的同步成功完成！";
}

} // namespace

void tellSyncReport(const sync::SyncReport& report, core::Prompt& prompt)
{
    if (report.refused) {
        prompt.tell(report.refusal, "提示", core::MessageIcon::Warning);
        return;
    }
    if (!report.ran)
        return;
    const bool checked = report.command == sync::SyncCommand::CheckedRows;
    const std::string text = report.stopped
                                 ? stoppedText(report.notRun, report.failures, report.notes)
                                 : completionText(successText(report.command), checked, report.failures, report.notes);
    prompt.tell(text, checked ? "提示" : "信息",
                report.failures.empty() && !report.stopped ? core::MessageIcon::Information
                                                           : core::MessageIcon::Warning,
                failureDetailsText(report.failures, report.notes));
}

void tellUnreadable(const sync::SyncSession& session, core::Prompt& prompt)
{
    // What could not be read is left out: the user must know before synchronising.
    const std::string leftOut = unreadableText(session);
    if (!leftOut.empty())
        prompt.tell(leftOut, "提示", core::MessageIcon::Warning, unreadableDetailsText(session));
}

} // namespace tessarin::messages
