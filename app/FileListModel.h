#pragma once
#include <QAbstractTableModel>

#include "sync/FileTable.h"

namespace tessarin::app {

// A file list (dirList1, dirList2) over one side's FileTable: row k is
// Files[k]. A compare replaces the table whole, with a swap, between
// aboutToReplace() and replaced(): the model is reset around it.
class FileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    FileListModel(const sync::FileTable& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Brackets a replacement of the table: the views read nothing between.
    void aboutToReplace() { beginResetModel(); }
    void replaced() { endResetModel(); }
    // Shows another table (a fresh session's), between the two calls above.
    void show(const sync::FileTable& table) { table_ = &table; }

private:
    const sync::FileTable* table_;
};

} // namespace tessarin::app
