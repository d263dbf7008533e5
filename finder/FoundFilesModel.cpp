#include "finder/FoundFilesModel.h"

#include "widgets/TextConversion.h"

namespace tessarin::finder {

FoundFilesModel::FoundFilesModel(dupfind::FoundFiles& rows, QObject* parent)
    : QAbstractTableModel(parent), rows_(rows), shown_(static_cast<int>(rows.size()))
{}

void FoundFilesModel::rowsAppended()
{
    const int count = static_cast<int>(rows_.size());
    if (count < shown_) {
        rowsReplaced();
        return;
    }
    if (count == shown_)
        return;
    beginInsertRows({}, shown_, count - 1);
    shown_ = count;
    endInsertRows();
}

void FoundFilesModel::rowsReplaced()
{
    beginResetModel();
    shown_ = static_cast<int>(rows_.size());
    endResetModel();
}

int FoundFilesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : shown_;
}

int FoundFilesModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant FoundFilesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= shown_)
        return {};
    const dupfind::FoundFile& row = rows_[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole)
        return widgets::displayName(index.column() == 0 ? row.name : row.directory);
    if (role == Qt::CheckStateRole && index.column() == 0)
        return row.checked ? Qt::Checked : Qt::Unchecked;
    return {};
}

bool FoundFilesModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.row() >= shown_ || index.column() != 0 || role != Qt::CheckStateRole)
        return false;
    rows_[static_cast<std::size_t>(index.row())].checked = value.toInt() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags FoundFilesModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == 0)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant FoundFilesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == 0 ? QStringLiteral("文件名") : QStringLiteral("路径");
}

} // namespace tessarin::finder
