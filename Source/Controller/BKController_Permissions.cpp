#include "BKController.h"

#include "BKCopyGuard.h"
#include "BKExchangePrompts.h"
#include "BKMainWindowViews.h"
#include "BKMenuTable.h"

#include "Model/BKGroup.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVPermissionWords.h"
#include "Model/OTVRecord.h"
#include "Model/OTVUser.h"
#include "Model/OTVUserRights.h"

#include <QAbstractItemView>

// The permission words as the commands apply them. Each command asks here before it acts, and
// the menus, buttons and context menu ask the same through isCommandPermitted, so what a word
// refuses is both disabled and inert.

// A record view's copy key copies what its selected rows show, as Edit > Copy does.
void BKController::guardCopyKeyOf(QAbstractItemView* view)
{
    BKCopyGuard::guard(
        view, [this] { return checkForDataPermissionFor(kDataPermissionCopy); }, [this] { copy(); });
}

OTVUserRights BKController::userRights() const
{
    return OTVUserRights(store_.mCurrentUser().get(), store_.isAdministratorSession());
}

bool BKController::checkForRecordPermissionFor(int permission, const std::shared_ptr<BKGroup>& group) const
{
    // The store's own object carries the group's current word; a record may hold an older copy.
    std::shared_ptr<BKGroup> current = group ? store_.mGroups().value(group->mGroupUID()) : nullptr;
    return userRights().mayChangeRecords(quint16(permission), current ? current.get() : group.get());
}

bool BKController::checkForRecordPermissionForRecords(int permission,
                                                      const QList<std::shared_ptr<OTVRecord>>& records) const
{
    for (const std::shared_ptr<OTVRecord>& record : records) {
        if (!record || !checkForRecordPermissionFor(permission, record->mGroup()))
            return false;
    }
    return !records.isEmpty();
}

bool BKController::checkForRecordPermissionForSelectedGroup(int permission)
{
    // A selected record is governed by its own group; with none, the group the views show.
    if (const std::shared_ptr<OTVRecord> record = itemPropertiesForTableViewSelectedRow())
        return checkForRecordPermissionFor(permission, record->mGroup());
    return checkForRecordPermissionFor(permission, mViews_ ? mViews_->selectedGroup() : nullptr);
}

bool BKController::checkForRecordPermissionForRecord(int permission, const OTVRecord& record)
{
    return checkForRecordPermissionFor(permission, record.mGroup());
}

bool BKController::checkForDataPermissionFor(int permission) const
{
    return userRights().mayUseData(quint16(permission));
}

bool BKController::isCommandPermitted(int tag) const
{
    const auto selected = [this](int bit) {
        // With nothing selected the selection rules decide; the words need a record to judge.
        const QList<std::shared_ptr<OTVRecord>> records =
            mViews_ && store_.isVaultLoaded() ? mViews_->indexSetForExporting(false) : QList<std::shared_ptr<OTVRecord>>();
        return records.isEmpty() || checkForRecordPermissionForRecords(bit, records);
    };
    constexpr quint16 anyBit = kPermissionAdd | kPermissionEdit | kPermissionDelete;
    const OTVUserRights rights = userRights();
    switch (tag) {
    case kBKAddRecordMenuTag:
        return checkForRecordPermissionFor(kPermissionAdd, mViews_ ? mViews_->selectedGroup() : nullptr);
    case kBKEditRecordMenuTag:
    case kBKContextEditTag:
    case kBKCustomizeMenuTag:
    case kBKContextCustomizeTag:
    case kBKAttachmentMenuTag:
    case kBKContextAttachmentTag:
    case kBKContextTypeTag:
    case kBKContextGroupTag:
        return selected(kPermissionEdit);
    case kBKDeleteRecordMenuTag:
    case kBKContextDeleteTag:
        return selected(kPermissionDelete);
    case kBKDuplicateRecordMenuTag:
    case kBKContextDuplicateTag:
        return selected(kPermissionAdd);
    case kBKFindDuplicatesMenuTag:
        // The user's own delete right; a group that prevails can still keep its duplicates.
        return checkForRecordPermissionFor(kPermissionDelete, nullptr);
    case kBKNewGroupMenuTag:
        return rights.mayChangeGroups(kPermissionAdd);
    case kBKEditGroupsMenuTag:
        return rights.mayChangeGroups(anyBit);
    case kBKNewTypeMenuTag:
        return rights.mayChangeTypes(kPermissionAdd);
    case kBKEditTypesMenuTag:
        return rights.mayChangeTypes(anyBit);
    case kBKUsersMenuTag:
    case kBKMasterPasswordMenuTag:
        return store_.isAdministratorSession();
    case kBKCutMenuTag:
    case kBKCopyMenuTag:
    case kBKCopyGroupMenuTag:
    case kBKCopyNotesMenuTag:
        return rights.mayUseData(kDataPermissionCopy);
    case kBKPrintListMenuTag:
    case kBKPrintRecordMenuTag:
    case kBKContextPrintTag:
        return rights.mayUseData(kDataPermissionPrint);
    case kBKExportVRXAttachmentsMenuTag:
    case kBKExportVRXMenuTag:
    case kBKExportCSVMenuTag:
    case kBKExportRecordsMenuTag:
    case kBKContextExportTag:
    case kBKMailFileMenuTag:
    case kBKMailRecordsMenuTag:
        return rights.mayUseData(kDataPermissionExport);
    case kBKImportVRXMenuTag:
    case kBKImportCSVMenuTag:
        return rights.mayUseData(kDataPermissionImport);
    case kBKRestoreMenuTag:
        return rights.mayUseData(kDataPermissionRestore);
    default:
        if (tag >= kBKCopyField1MenuTag && tag < kBKCopyField1MenuTag + kNoOfFields)
            return rights.mayUseData(kDataPermissionCopy);
        return true;
    }
}
