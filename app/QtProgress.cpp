#include "app/QtProgress.h"

#include <QCoreApplication>
#include <QStatusBar>

#include "app/TForm1.h"
#include "widgets/TextConversion.h"

namespace tessarin::app {

void QtProgress::setStatus(std::string_view text)
{
    form_.setStatusText(widgets::displayText(text));
    form_.st->repaint();
}

void QtProgress::processEvents()
{
    QCoreApplication::processEvents();
}

void QtProgress::setFraction(std::uint64_t done, std::uint64_t total)
{
    form_.setFraction(done, total);
}

} // namespace tessarin::app
