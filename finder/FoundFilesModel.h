#pragma once
#include <QAbstractTableModel>

#include "dupfind/FoundFiles.h"

namespace tessarin::finder {

// The result rows of the same-file search as the list shows them: column 0
// "文件名" with the row's check box, column 1 "路径". The rows live in the
// core; the model is told when they change.
class FoundFilesModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit FoundFilesModel(dupfind::FoundFiles& rows, QObject* parent = nullptr);

    // Rows were appended at the end.
    void rowsAppended();
    // The rows changed in any other way (emptied, some removed, checks set).
    void rowsReplaced();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    dupfind::FoundFiles& rows_;
    int shown_ = 0; // the rows the views know of
};

} // namespace tessarin::finder
