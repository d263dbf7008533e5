#pragma once
#include <QAbstractTableModel>

#include "sync/FileTable.h"

namespace tessarin::gui {

// A file list (dirList1, dirList2) over one side's FileTable: row k is
// Files[k]. The table is rebuilt by every compare, so the model shows no row
// until the window reveals the finished table, and hides them again before
// the next compare empties it.
class FileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    FileListModel(const sync::FileTable& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Shows every row the table holds now; the table must not grow while shown.
    void reveal();
    // Shows no row, so that the table may be emptied and refilled.
    void hideRows();

private:
    const sync::FileTable& table_;
    int shown_ = 0;
};

} // namespace tessarin::gui
