#pragma once
#include <functional>

#include "core/Prompt.h"
#include "dupfind/FoundFiles.h"
#include "platform/FileSystem.h"

namespace tessarin::dupfind {

// "执行删除": asks "确实要彻底删除选中的文件吗？" (Yes, No, Cancel; No the
// default) and, on Yes, removes the file of every checked row, first to last.
// A removed file's row leaves the list; a row whose file cannot be removed
// stays, still checked. The closing message says "已经成功删除了选中的文件！"
// only when every checked file went; otherwise it names those that did not,
// with the reason: the first kListedFailures in its text, all of them in its
// details. rowsRemoved, when given, runs after the last removal and
// before that message, so the list no longer shows what was deleted while
// the message is read. Returns true when the user said Yes.
bool deleteCheckedFiles(FoundFiles& rows, platform::FileSystem& fileSystem, core::Prompt& prompt,
                        const std::function<void()>& rowsRemoved = {});

} // namespace tessarin::dupfind
