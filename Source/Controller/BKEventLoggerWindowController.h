#pragma once

// The event-log window: the vault's audit trail in a read-only table that sorts by any column
// (dates in time order). It shows the store's event-log window list, which holds the entries
// loaded with the vault plus those added since, and follows every change of it, including the
// fresh copy taken after each reload of the vault, keeping the newest entry in sight. OK, Esc
// and the close button end it.

#include <QDialog>

class BKEventLogTableModel;
class OTVDataBase;
class QTableView;

class BKEventLoggerWindowController : public QDialog {
    Q_OBJECT
public:
    explicit BKEventLoggerWindowController(OTVDataBase& store, QWidget* parent = nullptr);

    // Runs the window modally until OK or close.
    void displayEventLogger();
    void okAction();
    // Scrolls the table to the entry added last, wherever the sort put it.
    void scrollToNewest();

    QTableView* logTable() const { return mLogTable_; }
    BKEventLogTableModel* logModel() const { return mLogModel_; }

private:
    BKEventLogTableModel* mLogModel_ = nullptr;
    QTableView* mLogTable_ = nullptr;
};
