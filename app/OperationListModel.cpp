#include "app/OperationListModel.h"

#include <algorithm>
#include <climits>

#include "widgets/TextConversion.h"

namespace tessarin::app {

QColor OperationColour(sync::Operation operation)
{
    switch (operation) {
    case sync::Operation::Update:
        return QColor(0, 0, 255);
    case sync::Operation::New:
        return QColor(0, 128, 0);
    case sync::Operation::Delete:
        return QColor(255, 0, 0);
    case sync::Operation::Attributes:
        return QColor(128, 0, 0);
    }
    return {};
}

OperationListModel::OperationListModel(sync::OperationList& rows, sync::SyncSide side, QObject* parent)
    : QAbstractTableModel(parent), rows_(&rows), side_(side)
{}

int OperationListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(std::min<std::size_t>(rows_->size(), INT_MAX));
}

int OperationListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant OperationListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const sync::SyncOperation& row = (*rows_)[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case 0:
            return widgets::displayText(sync::directionArrow(side_));
        case 1:
            return widgets::displayText(sync::operationWord(row.operation));
        case 2:
            return widgets::displayName(row.FileName);
        }
        return {};
    case Qt::CheckStateRole:
        if (index.column() == 0)
            return row.Checked ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::ForegroundRole: {
        const QColor colour = OperationColour(row.operation);
        if (colour.isValid())
            return colour;
        return {};
    }
    }
    return {};
}

bool OperationListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if ((locked_ && locked_()) || role != Qt::CheckStateRole || !index.isValid() || index.column() != 0 ||
        index.row() >= rowCount())
        return false;
    (*rows_)[static_cast<std::size_t>(index.row())].Checked = value.value<Qt::CheckState>() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags OperationListModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == 0)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant OperationListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case 0:
        return QStringLiteral("方向");
    case 1:
        return QStringLiteral("操作");
    case 2:
        return QStringLiteral("文件名");
    }
    return {};
}

void OperationListModel::setAllChecked(bool checked)
{
    for (int r = 0, shown = rowCount(); r < shown; ++r)
        (*rows_)[static_cast<std::size_t>(r)].Checked = checked;
    checksChanged();
}

void OperationListModel::invertChecked()
{
    for (int r = 0, shown = rowCount(); r < shown; ++r) {
        bool& mark = (*rows_)[static_cast<std::size_t>(r)].Checked;
        mark = !mark;
    }
    checksChanged();
}

void OperationListModel::checksChanged()
{
    if (const int shown = rowCount(); shown > 0)
        emit dataChanged(index(0, 0), index(shown - 1, 0), {Qt::CheckStateRole});
}

} // namespace tessarin::app
