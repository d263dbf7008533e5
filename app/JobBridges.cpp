#include "app/JobBridges.h"

#include <condition_variable>
#include <mutex>
#include <string>

#include "app/TForm1.h"
#include "app/WindowLists.h"
#include "widgets/GuiThread.h"

namespace tessarin::app {

// One announced swap, between the job thread and the GUI thread.
struct JobObserver::Swap {
    std::mutex mutex;
    std::condition_variable changed;
    enum class Stage { Sent, Announced, Swapped, Ended } stage = Stage::Sent;
    bool shown = false; // the window took part: the "after" is awaited
    std::function<void(WindowLists&)> afterCall;
};

void JobObserver::before(std::function<void(WindowLists&)> call)
{
    if (widgets::onGuiThread()) {
        if (!link_->cut)
            call(*link_->lists);
        return;
    }
    open_ = nullptr;
    if (link_->cut)
        return;
    auto swap = std::make_shared<Swap>();
    open_ = swap;
    widgets::postToGuiThread([link = link_, swap, call = std::move(call)] {
        std::unique_lock lock(swap->mutex);
        swap->shown = !link->cut;
        if (swap->shown)
            call(*link->lists);
        swap->stage = Swap::Stage::Announced;
        swap->changed.notify_all();
        if (!swap->shown)
            return;
        // Only a swap of containers lies between: the wait is short.
        swap->changed.wait(lock, [&] { return swap->stage == Swap::Stage::Swapped; });
        swap->afterCall(*link->lists);
        swap->stage = Swap::Stage::Ended;
        swap->changed.notify_all();
    });
    std::unique_lock lock(swap->mutex);
    swap->changed.wait(lock, [&] { return swap->stage != Swap::Stage::Sent; });
}

void JobObserver::after(std::function<void(WindowLists&)> call)
{
    if (widgets::onGuiThread()) {
        if (!link_->cut)
            call(*link_->lists);
        return;
    }
    const std::shared_ptr<Swap> swap = std::exchange(open_, nullptr);
    if (!swap)
        return;
    std::unique_lock lock(swap->mutex);
    if (!swap->shown)
        return;
    swap->afterCall = std::move(call);
    swap->stage = Swap::Stage::Swapped;
    swap->changed.notify_all();
    swap->changed.wait(lock, [&] { return swap->stage == Swap::Stage::Ended; });
}

void JobObserver::listsAboutToBeRebuilt()
{
    before([](WindowLists& lists) { lists.listsAboutToBeRebuilt(); });
}

void JobObserver::listsEmptied()
{
    after([](WindowLists& lists) { lists.listsEmptied(); });
}

void JobObserver::sideAboutToBeListed(sync::SyncSide side)
{
    before([side](WindowLists& lists) { lists.sideAboutToBeListed(side); });
}

void JobObserver::sideListed(sync::SyncSide side, std::string_view countText)
{
    after([side, text = std::string(countText)](WindowLists& lists) { lists.sideListed(side, text); });
}

void JobObserver::listsAboutToBeReady()
{
    before([](WindowLists& lists) { lists.listsAboutToBeReady(); });
}

void JobObserver::listsReady()
{
    after([](WindowLists& lists) { lists.listsReady(); });
}

void JobPrompt::onWindow(const std::function<void(core::Prompt&)>& show)
{
    if (link_->cut)
        return;
    ++link_->asking;
    widgets::callOnGuiThread([&] {
        if (!link_->cut)
            show(link_->form->prompt());
    });
    --link_->asking;
}

void JobPrompt::tell(std::string_view text, std::string_view caption, core::MessageIcon icon, std::string_view details)
{
    onWindow([&](core::Prompt& prompt) { prompt.tell(text, caption, icon, details); });
}

core::Answer JobPrompt::ask(std::string_view text, std::string_view caption, core::MessageIcon icon,
                            core::MessageButtons buttons, core::Answer defaultAnswer)
{
    core::Answer answer = defaultAnswer;
    onWindow([&](core::Prompt& prompt) { answer = prompt.ask(text, caption, icon, buttons, defaultAnswer); });
    return answer;
}

} // namespace tessarin::app
