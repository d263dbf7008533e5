#pragma once
#include "core/Prompt.h"
#include "dupfind/DeleteChecked.h"

namespace tessarin::messages {

// The finder's question before "执行删除": "确实要彻底删除选中的文件吗？"
// (Yes, No, Cancel; No the default). True when the user said Yes.
bool askToDelete(core::Prompt& prompt);

// The message after "执行删除": "已经成功删除了选中的文件！" only when every
// checked file went and the removals reached the disk; otherwise a warning
// that names each file that did not go, with the reason: the first
// kListedFailures in its text, all of them in its details.
void tellDeletionReport(const dupfind::DeletionReport& report, core::Prompt& prompt);

} // namespace tessarin::messages
