#include "BKEventLoggerWindowController.h"

#include "BKDialogButtons.h"

#include "Model/BKEventLogTableModel.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Platform/BKLocalization.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
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

    // After the model took the new entries (its own queued reaction comes first).
    connect(&store.eventLogWindowList(), &BKEventLogList::changed, this,
            [this] {
                if (isVisible())
                    scrollToNewest();
            },
            Qt::QueuedConnection);
}

void BKEventLoggerWindowController::displayEventLogger()
{
    // Each opening shows the entries as they were added, without a sort arrow, and the newest
    // in sight; a click on a column title sorts for this opening.
    mLogTable_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    mLogModel_->sort(-1);
    BKCentreOverParent(this);
    QTimer::singleShot(0, this, &BKEventLoggerWindowController::scrollToNewest);
    exec();
}

void BKEventLoggerWindowController::scrollToNewest()
{
    const int row = mLogModel_->newestRow();
    if (row < 0)
        return;
    // The table lays out the rows of a reset only later: its scroll range must hold them now.
    mLogTable_->doItemsLayout();
    mLogTable_->scrollTo(mLogModel_->index(row, 0), QAbstractItemView::PositionAtBottom);
}

void BKEventLoggerWindowController::okAction()
{
    accept();
}
