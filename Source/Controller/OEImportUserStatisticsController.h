#pragma once

// The result sheet of a user import: one row per imported row with its outcome, and a line
// saying how many of them became users.

#include <QDialog>
#include <QString>

class QLabel;
class QTableWidget;

class OEImportUserStatisticsController : public QDialog {
    Q_OBJECT
public:
    // The table's columns.
    enum Column { kUserNameColumn = 0, kStatusColumn = 1, kDescriptionColumn = 2 };

    explicit OEImportUserStatisticsController(QWidget* parent = nullptr);

    // A row for a user name with the texts of `status`, and `why` after its description; a status
    // without texts shows the name only.
    void addUserDetailToImportResult(const QString& userName, int status, const QString& why = QString());
    void setNoOfUserImported(int count) { total_ = count; }
    void setNoofUserAdded(int count) { added_ = count; }
    int noOfUserImported() const { return total_; }
    int noofUserAdded() const { return added_; }

    // Fills in the summary line and runs the sheet until it is closed.
    void displayImportResults();
    // The sheet's button.
    void closeResults();

    QTableWidget* resultTable() const { return table_; }
    QLabel* summaryField() const { return summary_; }

private:
    void showOtherStatistics();

    QTableWidget* table_;
    QLabel* summary_;
    int total_ = 0;
    int added_ = 0;
};
