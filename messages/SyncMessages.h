#pragma once
#include "core/Prompt.h"
#include "sync/Executor.h"
#include "sync/SyncSession.h"

namespace tessarin::messages {

// The message after a synchronisation command, told as the window and
// tessarin-cli tell it. A command refused for its roots tells its notice
// ("提示", a warning). One that ran tells its completion message
// (completionText; stoppedText when the user stopped it) under "信息" for a
// whole-list command and "提示" for the checked rows, as information only
// when every row ran and none failed, with every failure and note in the
// details. One that returned at once (nothing to do, another command under
// way) tells nothing.
void tellSyncReport(const sync::SyncReport& report, core::Prompt& prompt);

// The notice after a compare that left directories or links out
// (unreadableText), with every one of them in its details; nothing when
// everything was compared.
void tellUnreadable(const sync::SyncSession& session, core::Prompt& prompt);

} // namespace tessarin::messages
