#include "messages/DeletionMessages.h"

#include <algorithm>
#include <string>
#include <vector>

namespace tessarin::messages {

bool askToDelete(core::Prompt& prompt)
{
    return prompt.ask("确实要彻底删除选中的文件吗？", "删除确认", core::MessageIcon::Question,
                      core::MessageButtons::YesNoCancel, core::Answer::No) == core::Answer::Yes;
}

void tellDeletionReport(const dupfind::DeletionReport& report, core::Prompt& prompt)
{
    std::vector<std::string> failures;
    for (const dupfind::DeletionFailure& f : report.failures)
        failures.push_back(f.path + "：" + f.reason);
    if (report.flushFailure)
        failures.push_back("无法写入磁盘：" + *report.flushFailure);
    if (failures.empty()) {
        prompt.tell("已经成功删除了选中的文件！", "信息", core::MessageIcon::Information);
        return;
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
}

} // namespace tessarin::messages
