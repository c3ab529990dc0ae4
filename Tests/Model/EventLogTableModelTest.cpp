// The event-log window's table model, without widgets: columns keyed by entry keys, sorting
// (the Date column in time order), and changes of the list from any thread reaching the model
// on its own thread.
#include "Model/BKEventLogTableModel.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <thread>

namespace {

EventLogEntry entry(const QString& date, const QString& event, const QString& user = QStringLiteral("alice"))
{
    return {{kDate, date}, {kEvent, event}, {kDescription, ""}, {kUser, user}, {kComputer, "Alice A"}};
}

QStringList column(const BKEventLogTableModel& model, int column)
{
    QStringList values;
    for (int row = 0; row < model.rowCount(); ++row)
        values.append(model.data(model.index(row, column)).toString());
    return values;
}

} // namespace

TEST(EventLogTableModel, ShowsEachEntryUnderItsKeysReadOnly)
{
    BKEventLogList list;
    EventLogEntry loaded = entry("2026-01-05 09:00:00", "Add Type");   // read back: no "Action"
    EventLogEntry added = entry("2026-01-05 09:30:00", "Add Record");
    added.insert(kAction, "Success");
    list.setEntries({loaded, added});
    BKEventLogTableModel model(list, BKEventLogTableModel::defaultColumns() << kAction);

    ASSERT_EQ(model.columnCount(), 6);
    QStringList titles;
    for (int c = 0; c < model.columnCount(); ++c)
        titles.append(model.headerData(c, Qt::Horizontal).toString());
    EXPECT_EQ(titles, QStringList({"Date", "Event", "Description", "User", "Computer", "Action"}));
    EXPECT_EQ(column(model, 5), QStringList({"", "Success"}));
    EXPECT_EQ(column(model, 4), QStringList({"Alice A", "Alice A"}));
    EXPECT_FALSE(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
}

TEST(EventLogTableModel, SortsDatesInTimeOrderAndKeepsTheOrderAsEntriesArrive)
{
    BKEventLogList list;
    list.setEntries({entry("2026-01-05 13:30:00", "View Record", "bob"), entry("2026-01-05 09:00:00", "Add Record"),
                     entry("2025-12-31 23:59:59", "Lock Application", "carol")});
    BKEventLogTableModel model(list);

    model.sort(0, Qt::AscendingOrder);
    EXPECT_EQ(column(model, 0), QStringList({"2025-12-31 23:59:59", "2026-01-05 09:00:00", "2026-01-05 13:30:00"}));
    model.sort(0, Qt::DescendingOrder);
    EXPECT_EQ(column(model, 0), QStringList({"2026-01-05 13:30:00", "2026-01-05 09:00:00", "2025-12-31 23:59:59"}));
    model.sort(1, Qt::AscendingOrder);
    EXPECT_EQ(column(model, 1), QStringList({"Add Record", "Lock Application", "View Record"}));

    list.append(entry("2026-01-06 08:00:00", "Delete Record"));
    QCoreApplication::processEvents();
    EXPECT_EQ(column(model, 1), QStringList({"Add Record", "Delete Record", "Lock Application", "View Record"}));
}

// No column (below 0) puts the rows back in the order the entries were added; the newest
// entry's row is found in either order, also among equal entries.
TEST(EventLogTableModel, UnsortsAndFindsTheNewestEntry)
{
    BKEventLogList list;
    BKEventLogTableModel model(list);
    EXPECT_EQ(model.newestRow(), -1);
    list.setEntries({entry("2026-01-05 13:30:00", "View Record"), entry("2026-01-05 09:00:00", "Add Record"),
                     entry("2026-01-05 09:00:00", "Add Record", "bob"), entry("2026-01-05 09:00:00", "Add Record")});
    QCoreApplication::processEvents();
    const QStringList added = column(model, 0);
    EXPECT_EQ(model.newestRow(), 3);

    struct Case {
        int column;
        Qt::SortOrder order;
        int newest;
    };
    for (const Case& c : {Case{1, Qt::AscendingOrder, 2}, Case{1, Qt::DescendingOrder, 3}, Case{0, Qt::AscendingOrder, 2},
                          Case{3, Qt::DescendingOrder, 3}}) {
        model.sort(c.column, c.order);
        EXPECT_EQ(model.sortColumn(), c.column);
        EXPECT_EQ(model.newestRow(), c.newest) << c.column << " " << c.order;
        EXPECT_EQ(model.entryAt(model.newestRow()), list.entries().last());
    }
    model.sort(-1);
    EXPECT_EQ(model.sortColumn(), -1);
    EXPECT_EQ(column(model, 0), added);
    EXPECT_EQ(column(model, 3), QStringList({"alice", "alice", "bob", "alice"}));
    EXPECT_EQ(model.newestRow(), 3);
}

TEST(EventLogTableModel, ClearingAndRefillingTheListReachTheModel)
{
    BKEventLogList list;
    list.setEntries({entry("2026-01-05 09:00:00", "Add Record")});
    BKEventLogTableModel model(list);
    list.clear();
    QCoreApplication::processEvents();
    EXPECT_EQ(model.rowCount(), 0);
    list.setEntries({entry("2026-01-05 09:00:00", "Add Record"), entry("2026-01-05 10:00:00", "Add Type")});
    QCoreApplication::processEvents();
    EXPECT_EQ(model.rowCount(), 2);
}

// A worker appends while the model exists: the model changes only on its own thread.
TEST(EventLogTableModel, EntriesFromAWorkerReachTheModelOnItsThread)
{
    BKEventLogList list;
    BKEventLogTableModel model(list);
    std::atomic<int> resetsOffThread{0};
    QObject::connect(&model, &QAbstractItemModel::modelReset, [&] {
        if (QThread::currentThread() != model.thread())
            ++resetsOffThread;
    });
    std::thread worker([&] {
        for (int i = 0; i < 100; ++i)
            list.append(entry("2026-01-05 09:00:00", QStringLiteral("Import %1").arg(i)));
    });
    worker.join();
    EXPECT_EQ(model.rowCount(), 0);   // not yet: the change waits for the event loop
    QCoreApplication::processEvents();
    EXPECT_EQ(model.rowCount(), 100);
    EXPECT_EQ(resetsOffThread, 0);
}
