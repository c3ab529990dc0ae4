#include "BKEventLogTableModel.h"

#include <algorithm>

QStringList BKEventLogTableModel::defaultColumns()
{
    return {kDate, kEvent, kDescription, kUser, kComputer};
}

BKEventLogTableModel::BKEventLogTableModel(BKEventLogList& list, const QStringList& columns, QObject* parent)
    : QAbstractTableModel(parent)
    , list_(list)
    , columns_(columns)
{
    takeEntries();
    // Queued even on this thread: the list changes on whatever thread logs, and the view
    // must only ever see the model change from its own event loop.
    connect(&list_, &BKEventLogList::changed, this, &BKEventLogTableModel::reload, Qt::QueuedConnection);
}

int BKEventLogTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(entries_.size());
}

int BKEventLogTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant BKEventLogTableModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= entries_.size() ||
        index.column() >= columns_.size())
        return {};
    return entries_.at(index.row()).value(columns_.at(index.column()));
}

QVariant BKEventLogTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= columns_.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    return columns_.at(section);
}

Qt::ItemFlags BKEventLogTableModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}

void BKEventLogTableModel::sort(int column, Qt::SortOrder order)
{
    beginResetModel();
    sortColumn_ = column;
    sortOrder_ = order;
    takeEntries();
    endResetModel();
}

void BKEventLogTableModel::reload()
{
    beginResetModel();
    takeEntries();
    endResetModel();
}

int BKEventLogTableModel::newestRow() const
{
    if (entries_.isEmpty())
        return -1;
    // Equal entries keep the order they were added in, in both directions of a sort: the last
    // equal one is the newest.
    return sortColumn_ < 0 ? int(entries_.size()) - 1 : int(entries_.lastIndexOf(newest_));
}

// The list's entries in the order chosen.
void BKEventLogTableModel::takeEntries()
{
    entries_ = list_.entries();
    newest_ = entries_.isEmpty() ? EventLogEntry() : entries_.last();
    if (sortColumn_ < 0 || sortColumn_ >= columns_.size())
        return;
    const QString key = columns_.at(sortColumn_);
    const bool ascending = sortOrder_ == Qt::AscendingOrder;
    auto less = [&key](const EventLogEntry& a, const EventLogEntry& b) {
        if (key == kDate)
            return BKEventLogDate(a.value(key)) < BKEventLogDate(b.value(key));
        return QString::compare(a.value(key), b.value(key)) < 0;
    };
    std::stable_sort(entries_.begin(), entries_.end(), [&](const EventLogEntry& a, const EventLogEntry& b) {
        return ascending ? less(a, b) : less(b, a);
    });
}
