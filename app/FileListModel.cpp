#include "app/FileListModel.h"

#include <algorithm>
#include <climits>

#include "widgets/TextConversion.h"

namespace tessarin::app {

FileListModel::FileListModel(const sync::FileTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(&table)
{}

int FileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(std::min<std::size_t>(table_->fileCount(), INT_MAX));
}

int FileListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return {};
    const auto k = static_cast<std::size_t>(index.row());
    switch (index.column()) {
    case 0:
        return widgets::displayName(table_->name(k));
    case 1:
        return widgets::displayText(table_->sizeText(k));
    case 2:
        return widgets::displayText(table_->modifiedText(k));
    }
    return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case 0:
        return QStringLiteral("文件名");
    case 1:
        return QStringLiteral("大小");
    case 2:
        return QStringLiteral("修改时间");
    }
    return {};
}

} // namespace tessarin::app
