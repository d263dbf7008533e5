#pragma once
#include <QAbstractTableModel>
#include <QColor>
#include <functional>
#include <string_view>

#include "sync/Operation.h"

namespace tessarin::app {

// Text colour of an operation row by its operation: "更新" blue, "新建"
// green, "删除" red, "属性" maroon; an invalid colour (the list's own) for a
// value outside the four.
QColor OperationColour(sync::Operation operation);

// An operation list (C_L1, C_L2) over one side's rows: columns "方向", "操作",
// "文件名", a check box per row (its Checked mark) and the row's colour.
// Like a file list it is reset around each replacement of its rows.
class OperationListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    OperationListModel(sync::OperationList& rows, sync::SyncSide side, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Brackets a replacement of the rows: the views read nothing between.
    void aboutToReplace() { beginResetModel(); }
    void replaced() { endResetModel(); }

    // While a command runs the check marks are its input: clicks on the
    // check boxes are refused while locked() says so.
    void setLockedWhile(std::function<bool()> locked) { locked_ = std::move(locked); }
    // Shows another list (a fresh session's), between the reset calls above.
    void show(sync::OperationList& rows) { rows_ = &rows; }

    // The selection buttons: every shown row checked, unchecked or inverted.
    void setAllChecked(bool checked);
    void invertChecked();

private:
    void checksChanged();

    sync::OperationList* rows_;
    sync::SyncSide side_;
    std::function<bool()> locked_;
};

} // namespace tessarin::app
