#include "BKController.h"

#include "BKMainWindowViews.h"
#include "BKMenuTable.h"

#include "Customization/BKTableView.h"
#include "Model/BKGroup.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVPermissionWords.h"
#include "Model/OTVRecord.h"
#include "Model/OTVType.h"
#include "Model/OTVUser.h"
#include "Platform/BKLocalization.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QMainWindow>
#include <QMenu>
#include <QTableView>
#include <QTreeView>

#include <algorithm>

namespace {

const char* const kUIDProperty = "recordMoveUID";

struct ContextItem {
    int tag;
    const char* title;
    void (BKController::*action)();
};

const ContextItem kContextItems[] = {
    {kBKContextEditTag, "Edit Item", &BKController::editItemDoubleAction},
    {kBKContextTypeTag, "Type", nullptr},
    {kBKContextGroupTag, "Group", nullptr},
    {kBKContextCustomizeTag, "Customize Fields", &BKController::displayFieldCustomizePanel},
    {kBKContextDeleteTag, "Delete", &BKController::deleteSelected},
    {kBKContextDuplicateTag, "Duplicate", &BKController::duplicateItem},
    {kBKContextExportTag, "Export/Email vRX", &BKController::exportItemsToVRX},
    {kBKContextPrintTag, "Print...", &BKController::printRecord},
    {kBKContextWebLoginTag, "AutoFill", &BKController::webLogin},
    {kBKContextAttachmentTag, "Add Attachment", &BKController::attachmentAction},
};

QAction* addMoveItem(QMenu* menu, const QString& name, int tag, const QString& uid)
{
    auto* action = menu->addAction(name);
    action->setData(tag);
    action->setCheckable(true);
    // The UID, not the index, says where the records go: the sorted list may change between the
    // menu's building and the choice (another user's new type, a reload).
    action->setProperty(kUIDProperty, uid);
    return action;
}

// Unticks every item, then ticks the one titled `name`; its tag, or -1.
int tickByTitle(QMenu* menu, const QString& name)
{
    int ticked = -1;
    for (QAction* action : menu->actions()) {
        const bool on = !name.isEmpty() && ticked < 0 && action->text() == name;
        action->setChecked(on);
        if (on)
            ticked = action->data().toInt();
    }
    return ticked;
}

} // namespace

QMenu* BKController::itemContextualMenu()
{
    if (mItemContextualMenu_)
        return mItemContextualMenu_;
    auto* menu = new QMenu(mainWindow());
    menu->setObjectName(QStringLiteral("mItemContextualMenu"));
    const QStringList icons{"16x16_Edit",   "",          "",         "16x16_Preferences", "16x16_Delete",
                            "16x16_Copy",   "vrx_16x16", "print_16", "16x16_Globe",       "AddAttachment"};
    for (const ContextItem& item : kContextItems) {
        if (item.tag == kBKContextDeleteTag)
            menu->addSeparator();
        QAction* action = nullptr;
        if (!item.action) {
            QMenu* sub = menu->addMenu(BKLocalizedString(QString::fromLatin1(item.title)));
            (item.tag == kBKContextTypeTag ? mContextTypeMenu_ : mContextGroupMenu_) = sub;
            action = sub->menuAction();
        } else {
            action = menu->addAction(BKLocalizedString(QString::fromLatin1(item.title)));
            connect(action, &QAction::triggered, this, [this, item] {
                if (isCommandEnabled(item.tag))
                    (this->*item.action)();
                refreshCommandStates();
            });
        }
        action->setData(item.tag);
        action->setObjectName(QStringLiteral("ContextItem%1").arg(item.tag));
    }
    for (QAction* action : menu->actions()) {
        const int index = action->data().toInt() - kBKContextEditTag;
        if (!action->isSeparator() && index >= 0 && !icons[index].isEmpty())
            action->setIcon(BKMenuIcon(icons[index]));
    }
    mItemContextualMenu_ = menu;
    initContextualTypeSubMenu();
    initContextualCategorySubMenu();
    updateApplicationUIForCurrectPermissions();
    return menu;
}

void BKController::initContextualTypeSubMenu()
{
    if (!mContextTypeMenu_)
        return;
    mContextTypeMenu_->clear();
    const OTVTypeList types = store_.typesForEditing();
    for (int i = 0; i < types.size(); ++i) {
        // A nameless type is passed over but keeps its index.
        if (types[i]->mTypeName().isEmpty())
            continue;
        QAction* action = addMoveItem(mContextTypeMenu_, types[i]->mTypeName(), i, types[i]->mTypeUID());
        connect(action, &QAction::triggered, this,
                [this, uid = types[i]->mTypeUID()] { contextTypeMenuChanged(uid); });
    }
    mPriviousContextualType_ = -1;
}

void BKController::initContextualCategorySubMenu()
{
    if (!mContextGroupMenu_)
        return;
    mContextGroupMenu_->clear();
    const OTVGroupList groups = store_.groupsWithPermission();
    QStringList names;
    for (int i = 0; i < groups.size(); ++i) {
        if (groups[i]->mGroupName().isEmpty())
            continue;
        names.append(groups[i]->mGroupName());
        QAction* action = addMoveItem(mContextGroupMenu_, groups[i]->mGroupName(), i, groups[i]->mGroupUID());
        // A group whose word refuses changes takes no records.
        action->setEnabled(checkForRecordPermissionFor(kPermissionEdit, groups[i]));
        connect(action, &QAction::triggered, this,
                [this, uid = groups[i]->mGroupUID()] { contextCategoryMenuChanged(uid); });
    }
    // The user's current group, when it is not among them, shows where it would sort; it is no
    // destination. A group without a name adds nothing.
    const std::shared_ptr<OTVUser> user = store_.mCurrentUser();
    const std::shared_ptr<BKGroup> current = user ? store_.mGroups().value(user->mCurrentGroup()) : nullptr;
    const QString currentName = current ? current->mGroupName() : QString();
    const bool listed = std::any_of(names.cbegin(), names.cend(), [&](const QString& name) {
        return name.compare(currentName, Qt::CaseInsensitive) == 0;
    });
    if (!currentName.isEmpty() && !listed) {
        const auto before = std::count_if(names.cbegin(), names.cend(), [&](const QString& name) {
            return name.compare(currentName, Qt::CaseInsensitive) < 0;
        });
        auto* item = new QAction(currentName, mContextGroupMenu_);
        item->setEnabled(false);
        const QList<QAction*> items = mContextGroupMenu_->actions();
        mContextGroupMenu_->insertAction(before < items.size() ? items[before] : nullptr, item);
    }
    mPriviousContextualCategory_ = -1;
}

bool BKController::canMoveRecords() const
{
    const OTVRecordList records = recordsToMove();
    return records.isEmpty() ? checkForRecordPermissionFor(kPermissionEdit, nullptr)
                             : checkForRecordPermissionForRecords(kPermissionEdit, records);
}

QMenu* BKController::extendMenuForEvent(QAbstractItemView* view, const QPoint& pos)
{
    if (!mViews_)
        return nullptr;
    const QModelIndex index = view->indexAt(pos);
    if (!index.isValid())
        return nullptr;
    QItemSelectionModel* selection = view->selectionModel();
    const auto rows = QItemSelectionModel::Rows;
    if (view == mViews_->listViewTypesTable()) {
        // The list extends its selection; the others replace theirs.
        selection->setCurrentIndex(index, QItemSelectionModel::Select | rows);
    } else if (view == mViews_->columnViewDescriptionTable()) {
        selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | rows);
    } else if (view == mViews_->treeViewOutlineView()) {
        if (!index.parent().isValid())
            return nullptr;
        selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | rows);
    } else {
        return nullptr;
    }
    view->setFocus(Qt::MouseFocusReason);
    return tickedContextMenu();
}

QMenu* BKController::extendMenu(QContextMenuEvent* event, BKDetailsView* view)
{
    Q_UNUSED(event);
    Q_UNUSED(view);
    if (!mViews_ || !mViews_->itemPropertiesForTableViewSelectedRow())
        return nullptr;
    return tickedContextMenu();
}

QMenu* BKController::tickedContextMenu()
{
    QMenu* menu = itemContextualMenu();
    initContextualTypeSubMenu();
    initContextualCategorySubMenu();
    const std::shared_ptr<OTVRecord> record = mViews_->itemPropertiesForTableViewSelectedRow();
    QString typeName = record && record->mType() ? record->mType()->mTypeName() : QString();
    if (mViews_->currentView() == BKMainWindowViews::kListViewTag) {
        // Several records tick their type only when they share its name.
        for (const std::shared_ptr<OTVRecord>& other : recordsToMove()) {
            if (!other->mType() || other->mType()->mTypeName() != typeName)
                typeName.clear();
        }
    }
    mPriviousContextualType_ = tickByTitle(mContextTypeMenu_, typeName);
    mPriviousContextualCategory_ =
        tickByTitle(mContextGroupMenu_, record && record->mGroup() ? record->mGroup()->mGroupName() : QString());
    updateApplicationUIForCurrectPermissions();
    refreshCommandStates();
    return menu;
}

QList<std::shared_ptr<OTVRecord>> BKController::recordsToMove() const
{
    if (!mViews_)
        return {};
    if (mViews_->currentView() == BKMainWindowViews::kListViewTag) {
        const OTVRecordList listed = mViews_->sortedItemsForListView();
        QList<int> rows;
        for (const QModelIndex& index : mViews_->listViewTypesTable()->selectionModel()->selectedRows())
            rows.append(index.row());
        std::sort(rows.begin(), rows.end());
        OTVRecordList records;
        for (int row : rows) {
            if (row < listed.size())
                records.append(listed[row]);
        }
        return records;
    }
    const std::shared_ptr<OTVRecord> record = mViews_->itemPropertiesForTableViewSelectedRow();
    return record ? OTVRecordList{record} : OTVRecordList{};
}

// Each record is stored as a changed copy; the views' record changes only when the store took
// it (a refused one stays where it was, and says so).
bool BKController::moveRecords(const QList<std::shared_ptr<OTVRecord>>& records,
                               const std::function<bool(OTVRecord&)>& change)
{
    bool allStored = true;
    for (const std::shared_ptr<OTVRecord>& record : records) {
        auto moved = std::make_shared<OTVRecord>(*record);
        if (!change(*moved))
            continue;
        const int status = store_.replaceRecord(moved);
        if (status != kOTVStatusOK) {
            allStored = false;
            showStoreStatusAlert(status);
        }
    }
    return allStored;
}

namespace {

// To another type: a customised record gives up its own labels.
std::function<bool(OTVRecord&)> typeChange(const std::shared_ptr<OTVType>& type)
{
    return [type](OTVRecord& record) {
        if (record.mType() && record.mType()->mTypeUID() == type->mTypeUID())
            return false;
        record.setMType(type);
        if (record.mRecordCustomType()) {
            record.setMRecordCustomType(std::nullopt);
            record.setMIsCustomized(false);
        }
        return true;
    };
}

std::function<bool(OTVRecord&)> groupChange(const std::shared_ptr<BKGroup>& group)
{
    return [group](OTVRecord& record) {
        if (record.mGroup() && record.mGroup()->mGroupUID() == group->mGroupUID())
            return false;
        record.setMGroup(group);
        return true;
    };
}

} // namespace

void BKController::contextTypeMenuChanged(const QString& typeUID)
{
    const std::shared_ptr<OTVType> type = store_.mTypes().value(typeUID);
    const OTVRecordList records = recordsToMove();
    if (!type || records.isEmpty() || !canMoveRecords())
        return;
    moveRecords(records, typeChange(type));
    mViews_->initTypesUIControl();
    mViews_->updateTables();
    refreshCommandStates();
}

void BKController::contextCategoryMenuChanged(const QString& groupUID)
{
    const std::shared_ptr<BKGroup> group = store_.mGroups().value(groupUID);
    const OTVRecordList records = recordsToMove();
    if (!group || records.isEmpty() || !canMoveRecords() || !checkForRecordPermissionFor(kPermissionEdit, group))
        return;
    moveRecords(records, groupChange(group));
    mViews_->updateTables();
    refreshCommandStates();
}

bool BKController::dropRecordsOnType(const QStringList& recordUIDs, const std::shared_ptr<OTVType>& type)
{
    OTVRecordList records;
    for (const QString& uid : recordUIDs) {
        if (const std::shared_ptr<OTVRecord> record = store_.getRecordForUID(uid))
            records.append(record);
    }
    if (!type || !checkForRecordPermissionForRecords(kPermissionEdit, records))
        return false;
    const bool stored = moveRecords(records, typeChange(type));
    mViews_->updateTables();
    refreshCommandStates();
    return stored;
}

bool BKController::dropRecordsOnGroup(const QStringList& recordUIDs, const std::shared_ptr<BKGroup>& group)
{
    OTVRecordList records;
    for (const QString& uid : recordUIDs) {
        if (const std::shared_ptr<OTVRecord> record = store_.getRecordForUID(uid))
            records.append(record);
    }
    if (!group || !checkForRecordPermissionForRecords(kPermissionEdit, records) ||
        !checkForRecordPermissionFor(kPermissionEdit, group))
        return false;
    const bool stored = moveRecords(records, groupChange(group));
    mViews_->updateTables();
    refreshCommandStates();
    return stored;
}
