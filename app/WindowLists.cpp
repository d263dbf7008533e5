#include "app/WindowLists.h"

#include <QLabel>

#include "app/FileListModel.h"
#include "app/OperationListModel.h"
#include "widgets/TextConversion.h"

namespace tessarin::app {

WindowLists::WindowLists(FileListModel* const (&files)[2], OperationListModel* const (&operations)[2], QLabel* countOne,
                         QLabel* countTwo)
    : files_{files[0], files[1]}, operations_{operations[0], operations[1]}, counts_{countOne, countTwo}
{}

void WindowLists::listsAboutToBeRebuilt()
{
    for (int k = 0; k < 2; ++k) {
        files_[k]->aboutToReplace();
        operations_[k]->aboutToReplace();
    }
}

void WindowLists::listsEmptied()
{
    for (int k = 0; k < 2; ++k) {
        files_[k]->replaced();
        operations_[k]->replaced();
    }
}

void WindowLists::sideAboutToBeListed(sync::SyncSide side)
{
    files_[sync::sideIndex(side)]->aboutToReplace();
}

void WindowLists::sideListed(sync::SyncSide side, std::string_view countText)
{
    // The reset ends before the label repaints: a repaint may draw the lists too.
    files_[sync::sideIndex(side)]->replaced();
    QLabel* label = counts_[sync::sideIndex(side)];
    label->setText(widgets::displayText(countText));
    label->adjustSize();
    label->repaint();
}

void WindowLists::listsAboutToBeReady()
{
    for (OperationListModel* model : operations_)
        model->aboutToReplace();
}

void WindowLists::listsReady()
{
    for (OperationListModel* model : operations_)
        model->replaced();
}

} // namespace tessarin::app
