#pragma once

#include "Model/Database_Engine/OTVEventLog.h"

#include <QAbstractTableModel>
#include <QStringList>

// The table of the event-log window: one row per entry of the window's list, one column per
// entry key (the column title is the key), read-only. Entries may be added from any thread;
// the model takes the new list on its own thread, from the event loop, and keeps the sort
// order the user chose.
class BKEventLogTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // "Date", "Event", "Description", "User", "Computer".
    static QStringList defaultColumns();

    explicit BKEventLogTableModel(BKEventLogList& list, const QStringList& columns = defaultColumns(),
                                  QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The Date column sorts in time order, the others by text; a column below 0 puts the rows
    // back in the order the entries were added. Views lose their selection.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    int sortColumn() const { return sortColumn_; }

    // The row of the entry added last, -1 when there is none.
    int newestRow() const;

    EventLogEntry entryAt(int row) const { return entries_.value(row); }

    // Takes the list's current entries (also done, queued, after every change of the list).
    void reload();

private:
    void takeEntries();

    BKEventLogList& list_;
    QStringList columns_;
    QList<EventLogEntry> entries_;
    EventLogEntry newest_;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};
