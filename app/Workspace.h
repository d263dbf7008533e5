#pragma once
#include <memory>

#include "app/JobBridges.h"
#include "app/QtProgress.h"
#include "app/WindowLink.h"
#include "sync/Executor.h"
#include "sync/SyncSession.h"

namespace tessarin::app {

// What the main window's commands run on: one session with its executor,
// and the progress, prompt and list observer through which a command on its
// job thread reaches the window. A job that is let go keeps its workspace
// until its thread ends; the window goes on with a fresh one.
struct Workspace {
    Workspace(platform::FileSystem& fileSystem, std::shared_ptr<WindowLink> windowLink)
        : link(std::move(windowLink)), session(fileSystem), progress(link), observer(link), prompt(link),
          executor(session, progress)
    {
        session.setObserver(&observer);
    }

    std::shared_ptr<WindowLink> link;
    sync::SyncSession session;
    QtProgress progress;
    JobObserver observer;
    JobPrompt prompt;
    sync::SyncExecutor executor;
};

} // namespace tessarin::app
