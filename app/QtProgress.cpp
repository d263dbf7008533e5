#include "app/QtProgress.h"

#include <QCoreApplication>
#include <QStatusBar>
#include <mutex>
#include <string>

#include "app/TForm1.h"
#include "widgets/GuiThread.h"
#include "widgets/TextConversion.h"

namespace tessarin::app {

// What a job thread has reported and the GUI thread not yet shown.
struct QtProgress::Pending {
    std::mutex mutex;
    std::string status;
    bool statusDue = false;
    std::uint64_t done = 0;
    std::uint64_t total = 0;
    bool fractionDue = false;
    bool queued = false;
};

QtProgress::QtProgress(std::shared_ptr<WindowLink> link) : link_(std::move(link)), pending_(std::make_shared<Pending>())
{}

void QtProgress::setStatus(std::string_view text)
{
    if (widgets::onGuiThread()) {
        if (!link_->cut) {
            link_->form->setStatusText(widgets::displayText(text));
            link_->form->st->repaint();
        }
        return;
    }
    ++link_->activity;
    {
        std::lock_guard lock(pending_->mutex);
        pending_->status.assign(text);
        pending_->statusDue = true;
    }
    deliverSoon();
}

void QtProgress::processEvents()
{
    if (widgets::onGuiThread())
        QCoreApplication::processEvents();
    else
        ++link_->activity;
}

void QtProgress::setFraction(std::uint64_t done, std::uint64_t total)
{
    if (widgets::onGuiThread()) {
        if (!link_->cut)
            link_->form->setFraction(done, total);
        return;
    }
    ++link_->activity;
    {
        std::lock_guard lock(pending_->mutex);
        pending_->done = done;
        pending_->total = total;
        pending_->fractionDue = true;
    }
    deliverSoon();
}

bool QtProgress::stopRequested() const
{
    link_->activity.fetch_add(1, std::memory_order_relaxed);
    return stop_.load(std::memory_order_relaxed);
}

void QtProgress::deliverSoon()
{
    {
        std::lock_guard lock(pending_->mutex);
        if (pending_->queued || link_->cut)
            return;
        pending_->queued = true;
    }
    widgets::postToGuiThread([link = link_, pending = pending_] {
        std::unique_lock lock(pending->mutex);
        pending->queued = false;
        const bool statusDue = std::exchange(pending->statusDue, false);
        const bool fractionDue = std::exchange(pending->fractionDue, false);
        const std::string status = pending->status;
        const std::uint64_t done = pending->done;
        const std::uint64_t total = pending->total;
        lock.unlock();
        if (link->cut)
            return;
        if (statusDue)
            link->form->setStatusText(widgets::displayText(status));
        if (fractionDue)
            link->form->setFraction(done, total);
    });
}

} // namespace tessarin::app
