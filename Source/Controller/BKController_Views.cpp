#include "BKController.h"

#include "BKEventWatcher.h"
#include "BKMainWindowLayout.h"
#include "BKMainWindowViews.h"
#include "BKRecordCells.h"
#include "BKViewImages.h"

#include "Customization/BKDetailsView.h"
#include "Customization/BKTableView.h"

#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/Database_Engine/OTVPreferenceCodecs.h"
#include "Model/OTVRecord.h"
#include "Model/OTVUser.h"
#include "Platform/BKLocalization.h"
#include "Platform/BKNotificationCenter.h"
#include "Platform/BKUserDefaults.h"

#include <QAction>
#include <QEvent>
#include <QHeaderView>
#include <QMainWindow>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kMaskMenuItemTag = 401;
constexpr int kDefaultColumnWidth = 70;

} // namespace

void BKController::buildMainWindowViews()
{
    if (mViews_)
        return;
    QMainWindow* window = mainWindow();
    mViews_ = new BKMainWindowViews(store_, window);
    window->setCentralWidget(mViews_);
    // A widget given to a window that shows already must be shown itself.
    mViews_->show();

    auto* details = new BKDetailsView(mViews_->detailsViewContainer());
    details->setObjectName(QStringLiteral("mDetailInfoView"));
    details->setDataBase(&store_);
    mViews_->detailsViewContainer()->layout()->addWidget(details);
    connect(mViews_, &BKMainWindowViews::selectedRecordChanged, this,
            [this](const std::shared_ptr<OTVRecord>& record) { updateDetailInfoViewWithRecord(record); });
    connect(mViews_, &BKMainWindowViews::recordActivated, this, [this] { editItemDoubleAction(); });
    connect(mViews_->mainSplitView(), &QSplitter::splitterMoved, details, [details] { details->update(); });
    connectEntryPanels();

    connect(mViews_, &BKMainWindowViews::preferenceWriteFailed, this, [this](int status) {
        if (!isTerminationRequested())
            showStoreStatusAlert(status);
    });
    connect(mViews_, &BKMainWindowViews::viewChanged, this, [this](int tag, int previousTag) {
        if (tag == BKMainWindowViews::kListViewTag) {
            // The type's own column layout was just read: show its columns.
            listViewColumnsVisiblityChanged();
            updateTableColumnsWithSelectedItem();
            updateTableColumnWidth();
        } else if (previousTag == BKMainWindowViews::kListViewTag) {
            // Only a list that was shown has the user's widths: saving the widths of one never
            // shown would overwrite them with the defaults.
            saveTableColumnWidthToPreference();
        }
    });

    // The mask command (View menu item 401) and the mask button share one state.
    mMaskAction_ = new QAction(BKLocalizedString("Mask"), window);
    mMaskAction_->setObjectName(QStringLiteral("MaskMenuItem"));
    mMaskAction_->setData(kMaskMenuItemTag);
    mMaskAction_->setCheckable(true);
    window->addAction(mMaskAction_);
    auto* unmask = new QToolButton(window);
    unmask->setObjectName(QStringLiteral("mUnmaskButton"));
    unmask->setDefaultAction(mMaskAction_);
    unmask->setToolButtonStyle(Qt::ToolButtonTextOnly);
    mUnmaskButton_ = unmask;
    window->statusBar()->addPermanentWidget(unmask);
    connect(mMaskAction_, &QAction::triggered, this, [this](bool on) { this->unmask(on); });

    window->installEventFilter(new BKEventWatcher(this, {QEvent::Resize, QEvent::Move}, [this] { mainWindowResized(); }));
    mViews_->listViewTypesTable()->viewport()->installEventFilter(
        new BKEventWatcher(this, {QEvent::Resize}, [this] { fitListColumnsToWidth(); }));
}

void BKController::initSubviews()
{
    const std::shared_ptr<OTVUser> user = store_.mCurrentUser();
    if (!user || !mViews_)
        return;
    mViews_->initTableColumnSorting();
    mViews_->setRowColor(user->mRowColor());
    initWindowTitle();
    changeView(user->mLastView());
    setShouldMask(BKUserDefaults::standardUserDefaults().boolForKey(kMaskingStatus));
    updateTableColumnWidth();
    setDetailsPaneShown(user->mShowDetailOnPane());
    if (BKDetailsView* details = detailsView())
        details->setDelegate(this);
    BKNotificationCenter::defaultCenter().postNotification(kPreferenceChangedNotification);
}

void BKController::initWindowTitle()
{
    const std::shared_ptr<OTVUser> user = store_.mCurrentUser();
    mainWindow()->setWindowTitle(QStringLiteral("%1 - %2").arg(BKLocalizedString("Ostrevin Darovazivu"),
                                                                user ? user->mUsername() : QString()));
}

void BKController::changeView(int tag)
{
    buildMainWindowViews();
    mViews_->changeView(tag);
}

bool BKController::shouldMask() const
{
    return mViews_ && mViews_->shouldMask();
}

void BKController::setShouldMask(bool on)
{
    buildMainWindowViews();
    const QString title = on ? BKLocalizedString("Unmask") : BKLocalizedString("Mask");
    mMaskAction_->setChecked(on);
    mMaskAction_->setText(title);
    mMaskAction_->setToolTip(title);
    mUnmaskButton_->setToolTip(title);
    mViews_->setShouldMask(on);
    if (BKDetailsView* details = detailsView())
        details->setShouldMask(on);
    emit mViews_->selectedRecordChanged(mViews_->itemPropertiesForTableViewSelectedRow());
}

BKDetailsView* BKController::detailsView() const
{
    return mViews_ ? mViews_->detailsViewContainer()->findChild<BKDetailsView*>() : nullptr;
}

bool BKController::isDetailsPaneShown() const
{
    return mViews_ && !mViews_->detailsViewContainer()->isHidden();
}

void BKController::setDetailsPaneShown(bool shown)
{
    buildMainWindowViews();
    mViews_->detailsViewContainer()->setVisible(shown);
}

// ---------------------------------------------------------------------------------------------
// List columns

void BKController::updateTableColumnWidth()
{
    const std::shared_ptr<OTVUser> user = store_.mCurrentUser();
    if (!user || !user->mColoumWidthArray() || !mViews_)
        return;
    const QList<int>& widths = *user->mColoumWidthArray();
    QTableView* table = mViews_->listViewTypesTable();
    for (int column = 1; column <= kListNoOfColumns; ++column) {
        // A short list leaves its missing columns at the default width.
        const int width = column - 1 < widths.size() ? widths[column - 1] : 0;
        table->setColumnWidth(column, width > 0 ? width : kDefaultColumnWidth);
    }
    fitListColumnsToWidth();
}

void BKController::fitListColumnsToWidth()
{
    if (!mViews_)
        return;
    // The text columns share the room the columns leave, so that the list shows no empty band
    // beside them; the image columns keep their width.
    BKTableView* table = mViews_->listViewTypesTable();
    QList<int> widths;
    QList<bool> growable;
    for (int column = kIconColumnID; column <= kAttachmentColumnID; ++column) {
        const bool hidden = table->isColumnHidden(column);
        widths.append(hidden ? 0 : table->columnWidth(column));
        growable.append(!hidden && column >= kTypeColumnID && column <= kField10ColumnID);
    }
    const QList<int> filled = BKWidthsFillingExtent(widths, growable, table->viewport()->width());
    for (int column = kIconColumnID; column <= kAttachmentColumnID; ++column) {
        if (filled[column] != widths[column])
            table->setColumnWidth(column, filled[column]);
    }
}

void BKController::saveTableColumnWidthToPreference()
{
    const std::shared_ptr<OTVUser> user = store_.mCurrentUser();
    if (!user || !mViews_)
        return;
    const QTableView* table = mViews_->listViewTypesTable();
    const QList<int> saved = user->mColoumWidthArray().value_or(QList<int>());
    QList<int> widths;
    for (int column = 1; column <= kListNoOfColumns; ++column) {
        // A hidden column keeps the width it was last given.
        const bool hidden = table->isColumnHidden(column);
        widths.append(hidden ? saved.value(column - 1, 0) : table->columnWidth(column));
    }
    // Only a type item of the type pop-up names a type; "All Types" and the editor item are 0.
    const int tag = mViews_->typesPopup()->currentData().toInt();
    const int typeIndex = tag >= 0 ? tag + 1 : 0;
    int status = store_.setColumnWidthDetails(widths, typeIndex);
    if (status == kOTVStatusOK && !mViews_->sortDescriptors().isEmpty())
        status = store_.setSortDescriptor(mViews_->sortDescriptors().first());
    if (status != kOTVStatusOK && !isTerminationRequested())
        showStoreStatusAlert(status);
}

void BKController::updateTableColumnsWithSelectedItem()
{
    if (!mViews_)
        return;
    for (int field = 1; field <= kNoOfFields; ++field)
        mViews_->listModel()->setColumnTitle(kField1ColumnID + field - 1, BKLocalizedString(OTVType::defaultLabel(field)));
}

// ---------------------------------------------------------------------------------------------
// Window

void BKController::mainWindowResized()
{
    if (!mViews_)
        return;
    BKSplitter* smart = mViews_->smartTypeSplitView();
    const QList<int> sizes = smart->sizes();
    const QList<int> kept = BKSizesKeepingSmartList(sizes);
    if (kept != sizes && smart->isVisible())
        smart->setSizes(kept);
    if (BKDetailsView* details = detailsView())
        QTimer::singleShot(0, details, [details] { details->update(); });
    if (const std::shared_ptr<OTVUser> user = store_.mCurrentUser(); user && mSubviewsReady_)
        user->setMWindowPosition(QRectF(mainWindow()->geometry()));
}

// ---------------------------------------------------------------------------------------------
// For the record commands

std::shared_ptr<OTVRecord> BKController::itemPropertiesForTableViewSelectedRow() const
{
    return mViews_ ? mViews_->itemPropertiesForTableViewSelectedRow() : nullptr;
}

QList<std::shared_ptr<OTVRecord>> BKController::indexSetForExporting(bool whole) const
{
    return mViews_ ? mViews_->indexSetForExporting(whole) : QList<std::shared_ptr<OTVRecord>>();
}

void BKController::updateTables()
{
    if (mViews_)
        mViews_->updateTables();
}
