#pragma once
// A pair of directories, a session over them, and the executor with
// recording progress and prompt.
#include <gtest/gtest.h>

#include "messages/SyncMessages.h"
#include "platform/PosixFileSystem.h"
#include "support/FieldRoot.h"
#include "support/RecordingProgress.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"
#include "sync/Executor.h"

namespace testsupport {

using Strings = std::vector<std::string>;

// The executor as the window and tessarin-cli run it: each command, then its
// report told through the prompt.
class TellingExecutor {
public:
    TellingExecutor(tessarin::sync::SyncSession& session, tessarin::core::Progress& progress,
                    tessarin::core::Prompt& prompt)
        : executor_(session, progress), prompt_(prompt)
    {}

    tessarin::sync::SyncReport SyncOneToTwo(const tessarin::sync::SyncOptions& o)
    {
        return told(executor_.SyncOneToTwo(o));
    }
    tessarin::sync::SyncReport SyncTwoToOne(const tessarin::sync::SyncOptions& o)
    {
        return told(executor_.SyncTwoToOne(o));
    }
    tessarin::sync::SyncReport SyncBothWays(const tessarin::sync::SyncOptions& o)
    {
        return told(executor_.SyncBothWays(o));
    }
    tessarin::sync::SyncReport RunCheckedRows(tessarin::sync::SyncSide side, const tessarin::sync::SyncOptions& o)
    {
        return told(executor_.RunCheckedRows(side, o));
    }
    std::vector<tessarin::sync::PlannedRow> planWholeList(tessarin::sync::SyncCommand command,
                                                          const tessarin::sync::SyncOptions& o)
    {
        return executor_.planWholeList(command, o);
    }
    void setRefreshAfterCommand(bool refresh) { executor_.setRefreshAfterCommand(refresh); }

private:
    tessarin::sync::SyncReport told(tessarin::sync::SyncReport report)
    {
        tessarin::messages::tellSyncReport(report, prompt_);
        return report;
    }

    tessarin::sync::SyncExecutor executor_;
    tessarin::core::Prompt& prompt_;
};

struct ExecutorFixture : ::testing::Test {
    TempDir tmp;
    tessarin::platform::PosixFileSystem posix;
    tessarin::platform::FileSystem* fs = &posix;
    std::unique_ptr<tessarin::sync::SyncSession> session;
    RecordingProgress progress;
    ScriptedPrompt prompt;
    tessarin::sync::SyncOptions options;
    std::string one = tmp / "one";
    std::string two = tmp / "two";

    // Compares the two roots, as the compare command does before a command.
    void compare()
    {
        if (!session) {
            session = std::make_unique<tessarin::sync::SyncSession>(*fs);
            session->setProgressInterval(0);
        }
        std::string a = one, b = two;
        ASSERT_TRUE(session->CompareDirectories(fieldRoot(a), fieldRoot(b), options, progress));
        progress.statuses.clear();
    }

    TellingExecutor executor() { return TellingExecutor(*session, progress, prompt); }

    // The rows of a list as "word name".
    Strings rows(tessarin::sync::SyncSide side) const
    {
        Strings out;
        for (const auto& row : session->list(side))
            out.push_back(std::string(tessarin::sync::operationWord(row.operation)) + " " + row.FileName);
        return out;
    }

    void check(tessarin::sync::SyncSide side, const std::string& name)
    {
        for (auto& row : session->list(side))
            if (row.FileName == name)
                row.Checked = true;
    }

    unsigned modeOf(const std::string& path) const { return statOf(path).st_mode & 07777; }
};

} // namespace testsupport
