#include "BKController.h"

#include "BKMainWindowViews.h"
#include "BKPrintJob.h"

#include "Customization/BKListPrintView.h"
#include "Customization/BKTableView.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVPermissionWords.h"
#include "Model/OTVUser.h"
#include "Platform/BKLocalization.h"

#include <QHeaderView>
#include <QMainWindow>
#include <QPrinter>

namespace {

// The shown columns of the list in their order on screen: logical column and identifier.
QList<std::pair<int, QString>> shownColumns(const BKTableView& table)
{
    QList<std::pair<int, QString>> columns;
    const QHeaderView* header = table.horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (!table.isColumnHidden(logical))
            columns.append({logical, table.identifierOfColumn(logical)});
    }
    return columns;
}

QString userName(const OTVDataBase& store)
{
    const std::shared_ptr<OTVUser> user = store.getCurrentUser();
    return user ? user->mUsername() : QString();
}

} // namespace

void BKController::setPrintDialogRunner(BKPrintDialogRunner runner)
{
    mPrintDialogRunner_ = std::move(runner);
}

void BKController::print()
{
    if (!mViews_ || !checkForDataPermissionFor(kDataPermissionPrint))
        return;
    if (mViews_->currentView() != BKMainWindowViews::kListViewTag) {
        BKRunAlertPanel(BKLocalizedString(kDefaultAlertTitle), BKLocalizedString("Printing is available in \"List View\" "),
                        BKLocalizedString("OK"));
        return;
    }
    mViews_->updateTables();
    BKTableView* table = mViews_->listViewTypesTable();
    const int rows = mViews_->listModel()->rowCount();
    QStringList identifiers;
    QList<int> logicalColumns;
    for (const auto& [logical, identifier] : shownColumns(*table)) {
        logicalColumns.append(logical);
        identifiers.append(identifier);
    }
    const QStringList printed = BKListPrintView::printedColumnIdentifiers(identifiers);
    QList<BKPrintColumn> columns;
    for (const QString& identifier : printed) {
        BKPrintColumn column{identifier, table->columnWidth(logicalColumns[identifiers.indexOf(identifier)]), {}};
        for (int row = 0; row < rows; ++row)
            column.values.append(mViews_->tableViewForPrinting(identifier.toInt(), row).toString());
        columns.append(column);
    }

    const std::shared_ptr<OTVUser> user = store_.getCurrentUser();
    const std::unique_ptr<BKPrintJob> job =
        BKPrintJob::listJob(columns, rows, user ? user->mTextFont() : QFont(), userName(store_));

    QPrinter printer(QPrinter::HighResolution);
    BKPrintJob::applySharedPageLayout(printer);
    mPrintDialogON_ = true;
    job->run(printer, mainWindow(), mPrintDialogRunner_);
    mPrintDialogON_ = false;
}

void BKController::printRecord()
{
    if (!mViews_ || !checkForDataPermissionFor(kDataPermissionPrint))
        return;
    const std::shared_ptr<OTVRecord> record = mViews_->itemPropertiesForTableViewSelectedRow();
    if (!record)
        return;
    mPrintDialogON_ = true;
    BKPrintJob::printRecord(record, store_, mainWindow(), mPrintDialogRunner_);
    mPrintDialogON_ = false;
}
