#include "BKController.h"

#include "BKMainWindowViews.h"
#include "BKOptionsWindowController.h"
#include "BKRecordCells.h"

#include "Customization/BKDetailsView.h"
#include "Customization/BKTableView.h"

#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVUser.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QMainWindow>
#include <QTableView>
#include <QTreeView>

#include <algorithm>

namespace {

// The details pane shows the row colour itself; the other tables a light shade of it.
constexpr double kTableBackgroundBlend = 0.75;
constexpr int kMinimumRowHeight = 20;

void setBackground(QAbstractItemView* view, const QColor& color)
{
    QPalette palette = view->palette();
    palette.setColor(QPalette::Base, color);
    view->setPalette(palette);
}

// Gives `widget` its present font as its own, so that a font set on its parent later does not
// reach it.
void keepOwnFont(QWidget* widget)
{
    if (widget->testAttribute(Qt::WA_SetFont))
        return;
    QFont font = widget->font();
    font.setFamily(font.family());
    font.setPointSizeF(font.pointSizeF());
    font.setWeight(font.weight());
    font.setItalic(font.italic());
    widget->setFont(font);
}

} // namespace

QColor BKController::blendedTowardWhite(const QColor& color, double fraction)
{
    const QColor rgb = color.toRgb();
    const auto blend = [fraction](double component) { return component * (1.0 - fraction) + fraction; };
    return QColor::fromRgbF(float(blend(rgb.redF())), float(blend(rgb.greenF())), float(blend(rgb.blueF())),
                            rgb.alphaF());
}

BKOptionsWindowController& BKController::optionsWindowController()
{
    if (!mOptionsWindowController_) {
        mOptionsWindowController_ = new BKOptionsWindowController(store_, mainWindow());
        mOptionsWindowController_->setWindowFlag(Qt::Window);
    }
    return *mOptionsWindowController_;
}

void BKController::displayOptionsPanel()
{
    if (mViews_ && !mViews_->sortDescriptors().isEmpty()) {
        const int status = store_.setSortDescriptor(mViews_->sortDescriptors().first());
        if (status != kOTVStatusOK)
            showStoreStatusAlert(status);
    }
    optionsWindowController().orderFrontOptionsPanel();
}

void BKController::optionsDidChange()
{
    const std::shared_ptr<OTVUser> user = store_.mCurrentUser();
    if (!user || !mViews_)
        return;

    const QColor rowColor = user->mRowColor();
    if (BKDetailsView* details = detailsView()) {
        details->setBackgroundColor(rowColor);
        details->update();
    }
    const QColor light = blendedTowardWhite(rowColor, kTableBackgroundBlend);
    // The list paints its own rows from the row colour.
    mViews_->setRowColor(rowColor);
    mViews_->listViewTypesTable()->setRowColor(light);
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(mViews_->smartTypesTable()),
                                    static_cast<QAbstractItemView*>(mViews_->columnViewTypesTable()),
                                    static_cast<QAbstractItemView*>(mViews_->columnViewDescriptionTable()),
                                    static_cast<QAbstractItemView*>(mViews_->treeViewOutlineView())})
        setBackground(view, light);

    const bool listShown = mViews_->currentView() == BKMainWindowViews::kListViewTag;
    if (listShown) {
        listViewColumnsVisiblityChanged();
        updateTableColumnsWithSelectedItem();
    }

    const QFont font = user->mTextFont();
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(mViews_->treeViewOutlineView()),
                                    static_cast<QAbstractItemView*>(mViews_->columnViewDescriptionTable()),
                                    static_cast<QAbstractItemView*>(mViews_->listViewTypesTable()),
                                    static_cast<QAbstractItemView*>(mViews_->columnViewTypesTable()),
                                    static_cast<QAbstractItemView*>(mViews_->smartTypesTable())})
        updateFontForTable(view, font);

    if (listShown)
        rearrangeTableColumns();
    updateTables();
    mViews_->initTableColumnSorting();

    int code = 0;
    const bool hasPassword = store_.isPasswordEnableForUser(user.get(), &code);
    applyOptionTimers(hasPassword && user->mAutoLOck() && user->mLockTime() > 0 ? user->mLockTime() : 0,
                      user->mClearClipboardState() && !user->mClipBoardOnExit() ? user->mClearClipBoardTimer() : 0);
}

void BKController::updateFontForTable(QAbstractItemView* table, const QFont& font)
{
    if (!table)
        return;
    // The headers keep the application's font: only the rows take the user's.
    auto* tableView = qobject_cast<QTableView*>(table);
    auto* treeView = qobject_cast<QTreeView*>(table);
    QList<QHeaderView*> headers;
    if (tableView)
        headers = {tableView->horizontalHeader(), tableView->verticalHeader()};
    if (treeView)
        headers = {treeView->header()};
    for (QHeaderView* header : headers)
        keepOwnFont(header);
    table->setFont(font);
    if (tableView) {
        const int height = std::max(kMinimumRowHeight, QFontMetrics(font).boundingRect(QStringLiteral("Font")).height());
        tableView->verticalHeader()->setDefaultSectionSize(height);
    }
}

void BKController::listViewColumnsVisiblityChanged()
{
    const std::shared_ptr<OTVUser> user = store_.mCurrentUser();
    if (!user || !mViews_)
        return;
    BKTableView* table = mViews_->listViewTypesTable();
    const qint64 mask = BKOptionsWindowController::shownColumnMask(user->mColoumInfo());
    for (int index = 0; index < BKOptionsWindowController::kShowColumnCount; ++index) {
        const QString identifier = BKOptionsWindowController::columnIdentifierOfMaskIndex(index);
        if (mask & BKOptionsWindowController::kColumnMasks[size_t(index)]) {
            const int hidden = table->hiddenTableColumnWithIdentifier(identifier);
            if (hidden >= 0)
                table->showTableColumn(hidden);
        } else {
            const int shown = table->columnWithIdentifier(identifier);
            if (shown >= 0 && !table->tableColumnIsHidden(shown))
                table->hideTableColumn(shown);
        }
    }
    rearrangeTableColumns();
    fitListColumnsToWidth();
}

void BKController::rearrangeTableColumns()
{
    if (!mViews_)
        return;
    BKTableView* table = mViews_->listViewTypesTable();
    if (!table->model())
        return;
    QList<int> columns;
    for (int column = 0; column < table->model()->columnCount(); ++column)
        columns.append(column);
    std::stable_sort(columns.begin(), columns.end(), [table](int a, int b) {
        return BKColumnCompare(table->identifierOfColumn(a), table->identifierOfColumn(b)) < 0;
    });
    QHeaderView* header = table->horizontalHeader();
    for (int place = 0; place < columns.size(); ++place)
        header->moveSection(header->visualIndex(columns[place]), place);
}

void BKController::applyOptionTimers(int lockMinutes, int clearMinutes)
{
    mAppliedAutoLockMinutes_ = lockMinutes;
    mAppliedClipboardClearMinutes_ = clearMinutes;
    installInactiveTimerWithTime(lockMinutes);
    // The user's options are already set: a waiting clear restarts with the new delay.
    if (isClipboardClearPending())
        installClearClipBoardTimer(false);
}
