#include "BKEventLoggerWindowController.h"

#include "Model/BKEventLogTableModel.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Platform/BKLocalization.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

BKEventLoggerWindowController::BKEventLoggerWindowController(OTVDataBase& store, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("EventLoggerWindow"));
    setWindowTitle(BKLocalizedString("Event Log"));
    setWindowModality(Qt::ApplicationModal);
    resize(760, 420);

    mLogModel_ = new BKEventLogTableModel(store.eventLogWindowList(), BKEventLogTableModel::defaultColumns(), this);
    mLogTable_ = new QTableView(this);
    mLogTable_->setObjectName(QStringLiteral("mLogTable"));
    mLogTable_->setModel(mLogModel_);
    mLogTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mLogTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    mLogTable_->setSelectionMode(QAbstractItemView::SingleSelection);
    mLogTable_->setWordWrap(false);
    mLogTable_->verticalHeader()->hide();
    mLogTable_->verticalHeader()->setDefaultSectionSize(mLogTable_->fontMetrics().height() + 6);
    QHeaderView* header = mLogTable_->horizontalHeader();
    header->setStretchLastSection(true);
    header->setSectionsMovable(false);
    // No order until the user clicks a column title: the entries stand as the server gave them.
    header->setSortIndicator(-1, Qt::AscendingOrder);
    mLogTable_->setSortingEnabled(true);
    mLogTable_->setColumnWidth(0, 150);
    mLogTable_->setColumnWidth(1, 150);
    mLogTable_->setColumnWidth(2, 190);
    mLogTable_->setColumnWidth(3, 110);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setText(BKLocalizedString("OK"));
    connect(ok, &QPushButton::clicked, this, &BKEventLoggerWindowController::okAction);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mLogTable_, 1);
    layout->addWidget(buttons);
}

void BKEventLoggerWindowController::displayEventLogger()
{
    mLogModel_->reload();
    mLogTable_->scrollToTop();
    exec();
}

void BKEventLoggerWindowController::okAction()
{
    accept();
}
