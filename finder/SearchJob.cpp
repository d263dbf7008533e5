#include "finder/SearchJob.h"

#include "finder/FoundFilesModel.h"
#include "finder/TForm5.h"
#include "widgets/GuiThread.h"

namespace tessarin::finder {

SearchJob::SearchJob(TForm5& window, platform::FileSystem& fileSystem, bool sameExtensionOnly)
    : link_(std::make_shared<Link>(window)), search_(fileSystem, reader_, *this, *this, *this),
      sameExtension_(sameExtensionOnly)
{}

void SearchJob::run(const std::string& chosenText, int selected, const std::vector<std::string>& rangeEntries)
{
    search_.Button2Click(chosenText, selected, rangeEntries);
}

void SearchJob::toWindow(std::function<void(TForm5&)> work)
{
    ++activity_;
    if (link_->cut)
        return;
    widgets::postToGuiThread([link = link_, work = std::move(work)] {
        if (!link->cut)
            work(*link->window);
    });
}

void SearchJob::requestStop()
{
    stopAsked_ = true;
    search_.requestStop();
}

void SearchJob::showRunning(bool running)
{
    // The search has just begun: a stop asked meanwhile found it not running.
    if (running && stopAsked_)
        search_.requestStop();
    toWindow([running](TForm5& window) { window.showRunning(running); });
}

void SearchJob::resultsCleared()
{
    toWindow([](TForm5& window) { window.clearRows(); });
}

void SearchJob::resultAdded()
{
    toWindow([row = search_.results().back()](TForm5& window) { window.addRow(row); });
}

void SearchJob::setStatus(std::string_view text)
{
    toWindow([text = std::string(text)](TForm5& window) { window.showStatus(text); });
}

void SearchJob::tell(std::string_view text, std::string_view caption, core::MessageIcon icon, std::string_view details)
{
    ++activity_;
    if (link_->cut)
        return;
    widgets::callOnGuiThread([&] {
        if (!link_->cut)
            link_->window->prompt().tell(text, caption, icon, details);
    });
}

core::Answer SearchJob::ask(std::string_view text, std::string_view caption, core::MessageIcon icon,
                            core::MessageButtons buttons, core::Answer defaultAnswer)
{
    ++activity_;
    core::Answer answer = defaultAnswer;
    if (link_->cut)
        return answer;
    widgets::callOnGuiThread([&] {
        if (!link_->cut)
            answer = link_->window->prompt().ask(text, caption, icon, buttons, defaultAnswer);
    });
    return answer;
}

} // namespace tessarin::finder
