#include "OEImportUserStatisticsController.h"

#include "Model/vRX/Vault/OTVUserImport.h"
#include "Platform/BKLocalization.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// The format of the summary: the added count, then the total.
const char* const kSummaryFormat = "%1 of %2 users were added.";

} // namespace

OEImportUserStatisticsController::OEImportUserStatisticsController(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ImportUsrStat"));
    setWindowTitle(BKLocalizedString("Import Users"));
    table_ = new QTableWidget(0, 3, this);
    table_->setObjectName(QStringLiteral("mImportUserResultTable"));
    table_->setHorizontalHeaderLabels(
        {BKLocalizedString("User Name"), BKLocalizedString("Status"), BKLocalizedString("Description")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setColumnWidth(kUserNameColumn, 160);
    summary_ = new QLabel(BKLocalizedString(kSummaryFormat), this);
    summary_->setObjectName(QStringLiteral("mTotalStaticsResult"));
    summary_->setTextFormat(Qt::PlainText);
    auto* close = new QPushButton(BKLocalizedString("Close"), this);
    close->setObjectName(QStringLiteral("closeResultsButton"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &OEImportUserStatisticsController::closeResults);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addWidget(summary_);
    layout->addWidget(close, 0, Qt::AlignRight);
    resize(520, 360);
}

void OEImportUserStatisticsController::addUserDetailToImportResult(const QString& userName, int status,
                                                                   const QString& why)
{
    const int row = table_->rowCount();
    table_->insertRow(row);
    table_->setItem(row, kUserNameColumn, new QTableWidgetItem(userName));
    if (const auto texts = OTVUserImportStatusTexts(status)) {
        QString description = BKLocalizedString(texts->description);
        if (!why.isEmpty())
            description = BKLocalizedString("%1: %2").arg(description, why);
        auto* cell = new QTableWidgetItem(description);
        cell->setToolTip(description);   // a reason may be longer than the column
        table_->setItem(row, kStatusColumn, new QTableWidgetItem(BKLocalizedString(texts->status)));
        table_->setItem(row, kDescriptionColumn, cell);
    }
}

void OEImportUserStatisticsController::showOtherStatistics()
{
    summary_->setText(BKLocalizedString(kSummaryFormat).arg(added_).arg(total_));
}

void OEImportUserStatisticsController::displayImportResults()
{
    showOtherStatistics();
    // A reason may need more than one line of its column, as wide as the shown sheet makes it.
    QTimer::singleShot(0, table_, &QTableWidget::resizeRowsToContents);
    exec();
}

void OEImportUserStatisticsController::closeResults()
{
    done(1);
}
