#pragma once
#include <functional>
#include <memory>

#include "app/WindowLink.h"
#include "core/Prompt.h"
#include "sync/SessionObserver.h"

namespace tessarin::app {

// The window's lists following a session whose compare runs on a job thread.
// Each swap is announced before and after; the GUI thread runs the "before",
// then waits, running nothing else, until the job has swapped and sends the
// "after", which it runs too. So no view reads a table while it is swapped,
// and the views never show a reset half done. Called on the GUI thread, the
// calls go straight to the lists.
class JobObserver : public sync::SessionObserver {
public:
    explicit JobObserver(std::shared_ptr<WindowLink> link) : link_(std::move(link)) {}

    void listsAboutToBeRebuilt() override;
    void listsEmptied() override;
    void sideAboutToBeListed(sync::SyncSide side) override;
    void sideListed(sync::SyncSide side, std::string_view countText) override;
    void listsAboutToBeReady() override;
    void listsReady() override;

private:
    struct Swap;
    void before(std::function<void(WindowLists&)> call);
    void after(std::function<void(WindowLists&)> call);

    std::shared_ptr<WindowLink> link_;
    std::shared_ptr<Swap> open_; // the swap announced and not yet ended (job thread only)
};

// The window's message boxes for a command on a job thread: the job waits
// for the box's answer. Once its link is cut, nothing is shown and ask()
// gives the default answer.
class JobPrompt : public core::Prompt {
public:
    explicit JobPrompt(std::shared_ptr<WindowLink> link) : link_(std::move(link)) {}

    using core::Prompt::tell;
    void tell(std::string_view text, std::string_view caption, core::MessageIcon icon,
              std::string_view details) override;
    core::Answer ask(std::string_view text, std::string_view caption, core::MessageIcon icon,
                     core::MessageButtons buttons, core::Answer defaultAnswer) override;

private:
    void onWindow(const std::function<void(core::Prompt&)>& show);

    std::shared_ptr<WindowLink> link_;
};

} // namespace tessarin::app
