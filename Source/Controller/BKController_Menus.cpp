#include "BKController.h"

#include "BKCopyGuard.h"
#include "BKEventWatcher.h"
#include "BKMainWindowViews.h"
#include "BKMenuTable.h"
#include "BKRecordCells.h"
#include "BKViewImages.h"

#include "Customization/BKOwnClipboard.h"
#include "Customization/BKTableView.h"
#include "Model/BKGroup.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVPermissionWords.h"
#include "Model/OTVRecord.h"
#include "Model/OTVType.h"
#include "Model/OTVUID.h"
#include "Platform/BKLocalization.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTextEdit>
#include <QTreeView>
#include <QUrl>

#include <algorithm>

namespace {

// Only the version 3.0 header offers Paste: the version 4.0 form is a package, never text.
const QString kPasteHeader = QStringLiteral("Ostrevin vRX File -v3.0");

// The text widget that has the focus, for the Edit menu's Cut, Copy and Paste.
QWidget* focusedTextWidget()
{
    QWidget* focus = QApplication::focusWidget();
    if (qobject_cast<QLineEdit*>(focus) || qobject_cast<QTextEdit*>(focus) || qobject_cast<QPlainTextEdit*>(focus))
        return focus;
    return nullptr;
}

// What the selected rows of `view` show: a line per row in the view's order, the cells of the
// columns shown in their order with a tab between them (a cell with a picture only gives none).
QString shownTextOfSelectedRows(const QAbstractItemView* view)
{
    const QHeaderView* header = nullptr;
    if (const auto* table = qobject_cast<const QTableView*>(view))
        header = table->horizontalHeader();
    else if (const auto* tree = qobject_cast<const QTreeView*>(view))
        header = tree->header();
    if (!header || !view->selectionModel())
        return QString();
    QList<QModelIndex> rows;
    for (const QModelIndex& index : view->selectionModel()->selectedIndexes()) {
        const QModelIndex first = index.siblingAtColumn(0);
        if (!rows.contains(first))
            rows.append(first);
    }
    std::sort(rows.begin(), rows.end(), [view](const QModelIndex& a, const QModelIndex& b) {
        return view->visualRect(a).top() < view->visualRect(b).top();
    });
    QStringList lines;
    for (const QModelIndex& row : rows) {
        QStringList cells;
        for (int visual = 0; visual < header->count(); ++visual) {
            const int column = header->logicalIndex(visual);
            if (header->isSectionHidden(column))
                continue;
            const QString text = row.siblingAtColumn(column).data(Qt::DisplayRole).toString();
            if (!text.isEmpty())
                cells.append(text);
        }
        lines.append(cells.join(QLatin1Char('\t')));
    }
    return lines.join(QLatin1Char('\n'));
}

// The "Edit Groups..." or "Edit Types..." item of a filter pop-up, shown disabled when its
// editor is refused.
void offerEditorItem(QComboBox* popup, bool offered)
{
    auto* model = qobject_cast<QStandardItemModel*>(popup->model());
    const int index = popup->findData(BKMainWindowViews::kEditItemTag);
    if (model && index >= 0)
        model->item(index)->setEnabled(offered);
}

} // namespace

void BKController::buildMainMenu()
{
    if (mMenuBar_)
        return;
    QMainWindow* window = mainWindow();
    mMenuBar_ = window->menuBar();
    QHash<QString, QMenu*> menus;
    const auto menuFor = [&](const QString& path) {
        if (QMenu* found = menus.value(path))
            return found;
        const int slash = path.lastIndexOf(QLatin1Char('/'));
        QMenu* menu = slash < 0 ? mMenuBar_->addMenu(BKLocalizedString(path))
                                : menus.value(path.left(slash))->addMenu(BKLocalizedString(path.mid(slash + 1)));
        menu->setObjectName(path);
        // What a menu offers is decided as it opens.
        connect(menu, &QMenu::aboutToShow, this, &BKController::refreshCommandStates);
        menus.insert(path, menu);
        return menu;
    };
    for (const BKMenuEntry& entry : BKMainMenuTable()) {
        const QString path = QString::fromLatin1(entry.menu);
        QMenu* menu = menuFor(path);
        // A sub-menu's separator goes before the sub-menu itself.
        if (entry.separatorBefore) {
            const int slash = path.lastIndexOf(QLatin1Char('/'));
            if (slash < 0 || menu->actions().isEmpty())
                (slash < 0 ? menu : menus.value(path.left(slash)))->insertSeparator(slash < 0 ? nullptr
                                                                                              : menu->menuAction());
        }
        auto* action = menu->addAction(BKLocalizedString(QString::fromLatin1(entry.title)));
        action->setData(entry.tag);
        action->setObjectName(QStringLiteral("MenuItem%1").arg(entry.tag));
        action->setShortcut(entry.shortcut);
        if (*entry.icon)
            action->setIcon(BKMenuIcon(QString::fromLatin1(entry.icon)));
        mMenuActions_.insert(entry.tag, action);
        if (!entry.action) {
            action->setEnabled(false);
            continue;
        }
        connect(action, &QAction::triggered, this,
                [this, tag = entry.tag, run = entry.action] { runMenuCommand(tag, run); });
    }
    connectRecordViewsForMenus();
    refreshCommandStates();
    // Built before the window shows, when nothing may be offered: the shortcuts work from the
    // moment it shows (at login, after the lock).
    window->installEventFilter(new BKEventWatcher(this, {QEvent::Show}, [this] { refreshCommandStates(); }));
}

QAction* BKController::menuAction(int tag) const
{
    return mMenuActions_.value(tag);
}

void BKController::runMenuCommand(int tag, const std::function<void(BKController&)>& action)
{
    refreshCommandStates();
    if (!isCommandEnabled(tag) || mRunningMenuCommand_)
        return;
    mRunningMenuCommand_ = true;
    action(*this);
    mRunningMenuCommand_ = false;
    refreshCommandStates();
}

bool BKController::isItemNotSelected() const
{
    if (!mViews_)
        return false;
    switch (mViews_->currentView()) {
    case BKMainWindowViews::kColumnViewTag:
        return mViews_->itemPropertiesForTableViewSelectedRow() != nullptr;
    case BKMainWindowViews::kListViewTag:
        return mViews_->listViewTypesTable()->selectionModel()->selectedRows().size() == 1;
    case BKMainWindowViews::kTreeViewTag:
        return mViews_->treeViewOutlineView()->selectionModel()->hasSelection();
    default:
        return true;
    }
}

bool BKController::validateAttachmentButton() const
{
    if (!mViews_)
        return false;
    if (mViews_->currentView() == BKMainWindowViews::kListViewTag)
        return mViews_->listViewTypesTable()->selectionModel()->selectedRows().size() == 1;
    return mViews_->columnViewDescriptionTable()->selectionModel()->hasSelection();
}

// One web login whose address opens as a web page (AutoFill opens nothing else).
bool BKController::validateWebLogin() const
{
    if (!mViews_)
        return false;
    const std::shared_ptr<OTVRecord> record = mViews_->itemPropertiesForTableViewSelectedRow();
    std::shared_ptr<OTVType> type;
    if (mViews_->currentView() == BKMainWindowViews::kListViewTag) {
        if (mViews_->listViewTypesTable()->selectionModel()->selectedRows().size() != 1)
            return false;
        type = record ? record->mType() : nullptr;
    } else {
        type = mViews_->typeUIDForTableViewSelectedRow();
    }
    return type && type->mTypeUID() == kWebLoginUID && record && !BKWebLoginUrl(record->value(4)).isEmpty();
}

bool BKController::isCommandEnabled(int tag) const
{
    // Behind the lock, or with the window gone, nothing is offered.
    if (!mMainWindow_ || !mMainWindow_->isVisible() || isLocked())
        return false;
    if (mPrintDialogON_)
        return tag == kBKHelpMenuTag;
    if (!isCommandPermitted(tag))
        return false;
    const int view = mViews_ ? mViews_->currentView() : -1;
    const bool single = isItemNotSelected();
    const int listRows =
        mViews_ ? int(mViews_->listViewTypesTable()->selectionModel()->selectedRows().size()) : 0;
    const std::shared_ptr<OTVRecord> record =
        mViews_ && store_.isVaultLoaded() ? mViews_->itemPropertiesForTableViewSelectedRow() : nullptr;
    // In the tree a type row is selectable, but only a record row is a record.
    const bool singleRecord = view == BKMainWindowViews::kTreeViewTag ? single && record != nullptr : single;

    switch (tag) {
    case kBKCutMenuTag:
        // Records are never cut: only the text of a focused field is.
        return focusedTextWidget() != nullptr;
    case kBKCopyMenuTag:
        if (focusedTextWidget())
            return true;
        return view == BKMainWindowViews::kListViewTag ? listRows >= 1 : single;
    case kBKPasteMenuTag:
        return QGuiApplication::clipboard()->text().startsWith(kPasteHeader);
    case kBKCustomizeMenuTag:
    case kBKDuplicateRecordMenuTag:
    case kBKEditRecordMenuTag:
    case kBKPrintRecordMenuTag:
    case kBKAttachmentMenuTag:
    case kBKContextEditTag:
    case kBKContextCustomizeTag:
    case kBKContextDuplicateTag:
    case kBKContextPrintTag:
    case kBKContextAttachmentTag:
        return singleRecord;
    case kBKWebLoginMenuTag:
    case kBKContextWebLoginTag:
        return validateWebLogin();
    case kBKDeleteRecordMenuTag:
    case kBKContextDeleteTag:
        return view == BKMainWindowViews::kListViewTag ? listRows >= 1 : singleRecord;
    case kBKSelectAllMenuTag:
        return view == BKMainWindowViews::kListViewTag;
    case kBKColumnViewMenuTag:
    case kBKListViewMenuTag:
    case kBKTreeViewMenuTag:
        return BKViewTagForMenuTag(tag) != view;
    case kBKClearClipboardMenuTag:
        return mClipboardChangeCount_ == mLastPasteBoardChangeCount_;
    case kBKCopyGroupMenuTag:
        return record != nullptr;
    case kBKCopyNotesMenuTag:
        return record && !record->mNotes().isEmpty();
    default:
        if (tag >= kBKCopyField1MenuTag && tag < kBKCopyField1MenuTag + kNoOfFields)
            return record && !record->value(tag - kBKCopyField1MenuTag + 1).isEmpty();
        return true;
    }
}

void BKController::refreshCommandStates()
{
    if (!mMenuBar_)
        return;
    updateApplicationUIForCurrectPermissions();
    for (const BKMenuEntry& entry : BKMainMenuTable()) {
        if (QAction* action = mMenuActions_.value(entry.tag))
            action->setEnabled(entry.action && isCommandEnabled(entry.tag));
    }
    // A sub-menu (Import, Export) none of whose commands is offered shows disabled itself.
    for (QMenu* sub : mMenuBar_->findChildren<QMenu*>()) {
        if (!sub->objectName().contains(QLatin1Char('/')))
            continue;
        const QList<QAction*> items = sub->actions();
        sub->menuAction()->setEnabled(
            std::any_of(items.cbegin(), items.cend(), [](const QAction* item) { return item->isEnabled(); }));
    }
    updateEditMenu();
    if (mViews_) {
        offerEditorItem(mViews_->categoriesPopup(), isCommandPermitted(kBKEditGroupsMenuTag));
        offerEditorItem(mViews_->typesPopup(), isCommandPermitted(kBKEditTypesMenuTag));
    }
    mMenuActions_.value(kBKDetailsMenuTag)
        ->setText(BKLocalizedString(isDetailsPaneShown() ? QStringLiteral("Hide Details")
                                                         : QStringLiteral("Show Details")));
    mMenuActions_.value(kBKMaskMenuTag)
        ->setText(BKLocalizedString(shouldMask() ? QStringLiteral("Unmask") : QStringLiteral("Mask")));

    // One selected record with an attachment offers its removal instead.
    const std::shared_ptr<OTVRecord> record =
        mViews_ && isItemNotSelected() ? mViews_->itemPropertiesForTableViewSelectedRow() : nullptr;
    const bool remove = record && record->mHasAttachment();
    const QString title = BKLocalizedString(remove ? QStringLiteral("Delete Attachment") : QStringLiteral("Add Attachment"));
    const QIcon icon = BKMenuIcon(remove ? QStringLiteral("DeleteAttachment") : QStringLiteral("AddAttachment"));
    QList<QAction*> attachmentItems{mMenuActions_.value(kBKAttachmentMenuTag)};
    if (mItemContextualMenu_) {
        for (QAction* action : mItemContextualMenu_->actions()) {
            if (action->data().toInt() == kBKContextAttachmentTag)
                attachmentItems.append(action);
            if (!action->menu() && !action->isSeparator())
                action->setEnabled(isCommandEnabled(action->data().toInt()));
        }
    }
    for (QAction* action : attachmentItems) {
        action->setText(title);
        action->setIcon(icon);
    }
    validateRecordButtons();
}

// The Copy items say what they copy: the selected record's labels (its own when customised).
void BKController::updateEditMenu()
{
    const std::shared_ptr<OTVRecord> record =
        mViews_ && store_.isVaultLoaded() ? mViews_->itemPropertiesForTableViewSelectedRow() : nullptr;
    const QString copy = BKLocalizedString(QStringLiteral("Copy"));
    mMenuActions_.value(kBKCopyGroupMenuTag)
        ->setText(QStringLiteral("%1 %2").arg(copy, BKLocalizedString(QStringLiteral("Group"))));
    mMenuActions_.value(kBKCopyNotesMenuTag)
        ->setText(QStringLiteral("%1 %2").arg(copy, BKLocalizedString(QStringLiteral("Notes"))));
    const OTVType* type = record ? BKDisplayType(*record) : nullptr;
    for (int field = 1; field <= kNoOfFields; ++field) {
        QAction* action = mMenuActions_.value(kBKCopyField1MenuTag + field - 1);
        const bool copies = record && !record->value(field).isEmpty();
        action->setText(copies && type ? QStringLiteral("%1 %2").arg(copy, type->label(field))
                                       : OTVType::UnfiledType()->label(field));
    }
}

// Cut and Paste belong to the focused text; Copy too, and without one it takes what the selected
// records show in the current view.
void BKController::cut()
{
    if (QWidget* text = focusedTextWidget())
        BKCopyGuard::cut(text);
}

void BKController::copy()
{
    if (QWidget* text = focusedTextWidget()) {
        BKCopyGuard::copy(text);
        return;
    }
    if (!mViews_ || !checkForDataPermissionFor(kDataPermissionCopy))
        return;
    QAbstractItemView* view = mViews_->currentView() == BKMainWindowViews::kListViewTag
                                  ? static_cast<QAbstractItemView*>(mViews_->listViewTypesTable())
                              : mViews_->currentView() == BKMainWindowViews::kTreeViewTag
                                  ? static_cast<QAbstractItemView*>(mViews_->treeViewOutlineView())
                                  : static_cast<QAbstractItemView*>(mViews_->columnViewDescriptionTable());
    const QString shown = shownTextOfSelectedRows(view);
    if (!shown.isEmpty())
        BKCopyToClipboard(shown);
}

void BKController::paste()
{
    if (QWidget* text = focusedTextWidget())
        QMetaObject::invokeMethod(text, "paste");
}

void BKController::connectRecordViewsForMenus()
{
    buildMainWindowViews();
    connect(mViews_, &BKMainWindowViews::validateUIControls, this, &BKController::refreshCommandStates);
    connect(mViews_, &BKMainWindowViews::viewChanged, this, &BKController::refreshCommandStates);
    connect(mViews_, &BKMainWindowViews::recordViewed, this, &BKController::recordViewed);
    connect(this, &BKController::maskingChanged, this, &BKController::refreshCommandStates);
    connect(this, &BKController::detailsPaneShownChanged, this, &BKController::refreshCommandStates);
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &BKController::refreshCommandStates);
    // Cut and Copy follow the focus (a text field's text, or the selected records), also for
    // their shortcuts.
    connect(qApp, &QApplication::focusChanged, this, [this] {
        for (int tag : {kBKCutMenuTag, kBKCopyMenuTag})
            mMenuActions_.value(tag)->setEnabled(isCommandEnabled(tag));
    });
    // The pop-ups' editor items are rebuilt with the pop-ups: their state is set again as they open.
    connect(mViews_->categoriesPopup(), &BKPopUpButton::aboutToPopup, this,
            [this] { offerEditorItem(mViews_->categoriesPopup(), isCommandPermitted(kBKEditGroupsMenuTag)); });
    connect(mViews_->typesPopup(), &BKPopUpButton::aboutToPopup, this,
            [this] { offerEditorItem(mViews_->typesPopup(), isCommandPermitted(kBKEditTypesMenuTag)); });
    buildRecordButtons();
    // Records are dragged from the record views onto a type of the column view or the tree.
    for (QAbstractItemView* source : {static_cast<QAbstractItemView*>(mViews_->columnViewDescriptionTable()),
                                      static_cast<QAbstractItemView*>(mViews_->listViewTypesTable()),
                                      static_cast<QAbstractItemView*>(mViews_->treeViewOutlineView())}) {
        source->setDragEnabled(true);
        source->setDragDropMode(source == mViews_->treeViewOutlineView() ? QAbstractItemView::DragDrop
                                                                           : QAbstractItemView::DragOnly);
    }
    QTableView* types = mViews_->columnViewTypesTable();
    types->setAcceptDrops(true);
    types->setDragDropMode(QAbstractItemView::DropOnly);
    types->setDragDropOverwriteMode(true);
    types->setDropIndicatorShown(true);
    mViews_->treeViewOutlineView()->setDragDropOverwriteMode(true);
    const auto dropped = [this](const QStringList& uids, const std::shared_ptr<OTVType>& type) {
        // After the drag has ended: the move rebuilds the views the drag came from.
        QMetaObject::invokeMethod(this, [this, uids, type] { dropRecordsOnType(uids, type); }, Qt::QueuedConnection);
    };
    connect(mViews_->typesModel(), &BKTypesTableModel::recordsDroppedOnType, this, dropped);
    connect(mViews_->outlineModel(), &BKRecordOutlineModel::recordsDroppedOnType, this, dropped);

    const QList<QAbstractItemView*> recordViews{mViews_->columnViewDescriptionTable(), mViews_->listViewTypesTable(),
                                                mViews_->treeViewOutlineView()};
    for (QAbstractItemView* view : recordViews) {
        guardCopyKeyOf(view);
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& pos) {
            if (QMenu* menu = extendMenuForEvent(view, pos))
                menu->exec(view->viewport()->mapToGlobal(pos));
        });
    }
}
