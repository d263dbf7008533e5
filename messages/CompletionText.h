#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/Prompt.h"
#include "sync/Executor.h"
#include "sync/SyncSession.h"

namespace tessarin::messages {

// How many listed failures a message shows at most; the rest are counted.
using core::kListedFailures;

// The completion message of a command: its own text when every row ran, else
// a text that says how many rows failed and lists them (failureListText). The
// checked-rows command's success text is never used for a run with failures.
// The notes follow the failures (notesText).
std::string completionText(std::string_view successText, bool checkedRows,
                           const std::vector<sync::RowFailure>& failures, const std::vector<sync::RowNote>& notes = {});

// The message of a command the user stopped: how many rows did not run,
// then the failures and notes as completionText lists them.
std::string stoppedText(std::size_t notRun, const std::vector<sync::RowFailure>& failures,
                        const std::vector<sync::RowNote>& notes = {});

// The notes of a command: the files whose time the target volume could not
// hold, each with its time and the time written. Empty when there is none.
std::string notesText(const std::vector<sync::RowNote>& notes);

// A note's text: a time (whole local seconds) written as stored instead.
std::string clampedTimeText(std::int64_t time, std::int64_t stored);

// The failures of a command: how many, and the first kListedFailures of them
// (arrow, word, name or directory, the reason). Empty when there is none.
std::string failureListText(const std::vector<sync::RowFailure>& failures);

// Every failure, one a line as failureListText lists them: the details of the
// box, so that none is hidden, and every note where they are more than the
// box lists. Empty when there is none.
std::string failureDetailsText(const std::vector<sync::RowFailure>& failures,
                               const std::vector<sync::RowNote>& notes = {});

// The line of a command that an error stopped: how many rows were not run,
// the one that stopped it among them.
std::string notRunText(std::size_t notRun);

// The reason a link of another user's that leads out of its root is named
// for in the notice after a compare.
inline constexpr std::string_view kOthersLinkText = "是其他用户的链接，指向根目录之外，没有比较";

// The notice after a compare that could not read some directories, or did
// not follow another user's links out of a root: what lies inside them was
// neither compared nor will be synchronised. Empty when every directory was
// read and every link followed.
std::string unreadableText(const sync::SyncSession& session);

// Every directory and link the notice names, one a line: its details.
std::string unreadableDetailsText(const sync::SyncSession& session);

} // namespace tessarin::messages
