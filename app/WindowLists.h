#pragma once
#include "sync/SessionObserver.h"

class QLabel;

namespace tessarin::app {

class FileListModel;
class OperationListModel;

// The main window's four lists and two count labels, following the session:
// each model is reset around every swap of what it shows, and a side's count
// label takes its new text once that side's table is in place.
//
// The compare runs on the GUI thread (only its second listing thread does
// not, and that one never reaches the session), so these calls arrive on the
// GUI thread, as the progress's do, and each reset is whole before anything
// can repaint.
class WindowLists : public sync::SessionObserver {
public:
    WindowLists(FileListModel* const (&files)[2], OperationListModel* const (&operations)[2], QLabel* countOne,
                QLabel* countTwo);

    void listsAboutToBeRebuilt() override;
    void listsEmptied() override;
    void sideAboutToBeListed(sync::SyncSide side) override;
    void sideListed(sync::SyncSide side, std::string_view countText) override;
    void listsAboutToBeReady() override;
    void listsReady() override;

private:
    FileListModel* files_[2];
    OperationListModel* operations_[2];
    QLabel* counts_[2];
};

} // namespace tessarin::app
