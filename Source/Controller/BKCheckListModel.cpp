#include "BKCheckListModel.h"

BKCheckListModel::BKCheckListModel(QStringList headers, QObject* parent)
    : QAbstractTableModel(parent), headers_(std::move(headers))
{
}

void BKCheckListModel::setRows(QList<Row> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void BKCheckListModel::setChecked(QStringList ids)
{
    checked_ = std::move(ids);
    if (!rows_.isEmpty())
        emit dataChanged(index(0, 0), index(int(rows_.size()) - 1, 0), {Qt::CheckStateRole});
}

bool BKCheckListModel::isChecked(int row) const
{
    return row >= 0 && row < rows_.size() && checked_.contains(rows_.at(row).id);
}

int BKCheckListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int BKCheckListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(headers_.size());
}

QVariant BKCheckListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rows_.size())
        return {};
    if (index.column() == 0)
        return role == Qt::CheckStateRole ? QVariant(isChecked(index.row()) ? Qt::Checked : Qt::Unchecked) : QVariant();
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return rows_.at(index.row()).texts.value(index.column() - 1);
    return {};
}

bool BKCheckListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.column() != 0 || role != Qt::CheckStateRole)
        return false;
    const bool checked = value.toInt() == Qt::Checked;
    if (toggled_)
        toggled_(rows_.at(index.row()).id, checked);
    return true;
}

Qt::ItemFlags BKCheckListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == 0)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant BKCheckListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return headers_.value(section);
    return {};
}
