#include "app/QtProgress.h"

#include <QCoreApplication>
#include <QLabel>
#include <QStatusBar>

#include "app/FileListModel.h"
#include "app/TForm1.h"
#include "app/TextConversion.h"

namespace tessarin::gui {

void QtProgress::setStatus(std::string_view text)
{
    form_.followSession();
    form_.setStatusText(displayText(text));
    form_.st->repaint();
}

void QtProgress::processEvents()
{
    form_.followSession();
    QCoreApplication::processEvents();
}

void QtProgress::tablesEmptied()
{
    // The lists stop showing rows at once, before anything can repaint them:
    // a row shown now would be read from a table that no longer holds it.
    form_.hideAllRows();
}

void QtProgress::sideListed(int side, std::string_view countText)
{
    form_.followSession();
    QLabel* label = side == 1 ? form_.Label3 : form_.Label4;
    label->setText(displayText(countText));
    label->adjustSize();
    label->repaint();
    // This side's table is complete and stays so until the next compare.
    form_.fileListModel(side)->reveal();
}

void QtProgress::setFraction(std::uint64_t done, std::uint64_t total)
{
    form_.followSession();
    form_.setFraction(done, total);
}

} // namespace tessarin::gui
