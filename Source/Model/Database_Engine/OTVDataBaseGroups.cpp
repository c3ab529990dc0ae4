// Groups: GROUPTABLE rows with their member lists (USERGROUPTABLE) and sub-group lists
// (GROUPSUBGROUPTABLE), the readers that loading uses, the duplicate-name check, and the
// bookkeeping that keeps mGroups, mRecords and the groups' member lists in step with the tables.
// Also the helpers that the group and type writes share.
#include "OTVDataBase.h"

#include "OTVDataBaseQueries.h"

#include "Model/BKGroup.h"
#include "Model/OTVRecord.h"
#include "Model/OTVUID.h"
#include "Model/OTVUser.h"
#include "Model/OTVUser_Admin.h"
#include "Model/vRX/TextFile.h"
#include "Platform/BKMainThread.h"

#include <string>

namespace {

const QString kSuccessAction = QStringLiteral("Success");

// The group's own members followed by those of its direct sub-groups (as `groups` holds them
// now) that it does not list yet. One level deep; unknown sub-groups add nothing.
QStringList membersWithSubgroupMembers(const BKGroup& group, const OTVGroupMap& groups)
{
    QStringList members = group.mUserMembersArray().value_or(QStringList());
    for (const QString& subgroupUID : group.mSubGroupsUID().value_or(QStringList())) {
        const std::shared_ptr<BKGroup> subgroup = groups.value(subgroupUID);
        if (!subgroup)
            continue;
        for (const QString& userID : subgroup->mUserMembersArray().value_or(QStringList())) {
            if (!members.contains(userID))
                members.append(userID);
        }
    }
    return members;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Shared by the group and type writes

void OTVDataBase::changeMapsOnMainThread(std::function<void()> change)
{
    auto locked = [this, change = std::move(change)] {
        StoreLock lock(*this);
        change();
    };
    if (BKIsMainThread())
        locked();
    else
        performOnMainThreadWhenUnlocked(locked);
}

bool OTVDataBase::isNameStored(const char* queryFormat, const QString& name, int* returnCode)
{
    bool stored = false;
    const int status = runGuarded([&] {
        // The cipher is deterministic, so an equal name has equal stored bytes. They reach the
        // statement as a hexadecimal literal: no text of the user's is in the SQL.
        const QByteArray bytes = encryptString(name);
        std::string hex(size_t(bytes.size()) * 2 + 1, '\0');
        WriteHexBytes(hex.data(), reinterpret_cast<const unsigned char*>(bytes.constData()), long(bytes.size()),
                      false);
        hex.resize(size_t(bytes.size()) * 2);
        std::string sql(queryFormat);
        sql.replace(sql.find("%s"), 2, hex);
        OTVStatement statement = prepare(sql.c_str());
        OTVResultSet rows = statement.executeQuery();
        stored = rows.next();
        return kOTVStatusOK;
    });
    if (returnCode)
        *returnCode = status;
    return status == kOTVStatusOK && stored;
}

void OTVDataBase::logWrite(const QString& event, const QString& name, int status, const QString& successAction)
{
    logStoreEvent(event, name, status == kOTVStatusOK ? successAction : kLogActionFailed, mCurrentUser()->mUsername());
}

void OTVDataBase::logStoreEvent(const QString& event, const QString& description, const QString& action,
                                const QString& userName)
{
    // The stored log holds what was done, for every session that reads it later; a refused
    // write is shown in this session's list only.
    if (action == kLogActionFailed)
        listLogEntry(newLogEntry(event, description, action, userName));
    else
        addLogEvent(event, description, action, userName);
}

int OTVDataBase::deleteCascadingToRecords(const char* sql, const QString& uid,
                                          const std::function<bool(const OTVRecord&)>& belongs,
                                          const std::function<void()>& whenDeleted)
{
    bool ran = false;
    bool deleted = false;
    const int status = runGuarded([&] {
        OTVStatement statement = prepare(sql);
        statement.setString(1, uid);
        deleted = statement.executeUpdate() > 0;
        ran = true;
        return kOTVStatusOK;
    });
    // Once the statement ran, the records are gone from the server: by this delete's cascade,
    // or by the one that removed the row before.
    if (ran) {
        changeMapsOnMainThread([this, belongs, whenDeleted, deleted] {
            for (const std::shared_ptr<OTVRecord>& record : OTVRecordMap(mRecords_)) {
                if (belongs(*record))
                    mRecords_.remove(record->mRecordUID());
            }
            if (deleted)
                whenDeleted();
        });
    }
    return deleted ? int(kOTVStatusOK) : OTVNothingWrittenStatus(status);
}

// ---------------------------------------------------------------------------------------------
// Group writes

int OTVDataBase::addGroup(const std::shared_ptr<BKGroup>& group)
{
    // A group's record word and its prevailing are rights that only an administrator gives (the
    // server refuses them from anyone else): another account's new group gives none.
    if (!isAdministratorSession()) {
        group->setMRecordLevelPermissions(0);
        group->setMPreferencePermissions(false);
    }
    const QString name = group->mGroupName();
    bool inserted = false;
    int status = runGuarded([&] {
        return runInTransaction([&] {
            if (const int key = checkVaultKeyUnchanged())
                return key;
            OTVStatement statement = prepare(kQueryGroupInsert);
            statement.setBlob(1, encryptedValue(name, kTinyBlobBytes));
            statement.setString(2, group->mGroupUID());
            statement.setUInt(3, group->mRecordLevelPermissions());
            statement.setBoolean(4, group->mPreferencePermissions());
            if (statement.executeUpdate() == 0)
                return int(kOTVStatusNothingWritten);   // the UID is taken
            inserted = true;
            const int members = insertUserListForGroup(*group);
            return members != kOTVStatusOK ? members : insertSubgroupListForGroup(*group);
        });
    });
    // A failure before or in the insert wrote nothing, which the interface answers with a reload.
    if (!inserted)
        status = OTVNothingWrittenStatus(status);
    if (status == kOTVStatusOK)
        group->setMUserMembersArray(membersWithSubgroupMembers(*group));
    if (status == kOTVStatusOK)
        changeMapsOnMainThread([this, group] { mGroups_.insert(group->mGroupUID(), group); });
    logWrite(QStringLiteral("Add Group"), name, status, kSuccessAction);
    return status;
}

int OTVDataBase::updateGroup(const std::shared_ptr<BKGroup>& group)
{
    const QString uid = group->mGroupUID();
    // Another account than an administrator's keeps the group's record word and prevailing as
    // they are: only its name and lists are written.
    const bool keepsRights = !isAdministratorSession();
    {
        StoreLock lock(*this);
        const std::shared_ptr<BKGroup> stored = mGroups_.value(uid);
        if (!stored)
            return kOTVStatusOtherFailure;
        if (keepsRights) {
            group->setMRecordLevelPermissions(stored->mRecordLevelPermissions());
            group->setMPreferencePermissions(stored->mPreferencePermissions());
        }
    }
    const QString name = group->mGroupName();
    const int status = runGuarded([&] {
        return runInTransaction([&] {
            if (const int key = checkVaultKeyUnchanged())
                return key;
            OTVStatement statement = prepare(keepsRights ? kQueryGroupUpdateName : kQueryGroupUpdate);
            statement.setBlob(1, encryptedValue(name, kTinyBlobBytes));
            if (keepsRights) {
                statement.setString(2, uid);
            } else {
                statement.setUInt(2, group->mRecordLevelPermissions());
                statement.setBoolean(3, group->mPreferencePermissions());
                statement.setString(4, uid);
            }
            // Unchanged values count 0 too: only the row's absence tells that it is gone.
            if (statement.executeUpdate() == 0) {
                OTVStatement exists = prepare(kQueryGroupExists);
                exists.setString(1, uid);
                if (!exists.executeQuery().next())
                    return int(kOTVStatusNothingWritten);   // another client deleted it
            }
            const int members = insertUserListForGroup(*group);
            return members != kOTVStatusOK ? members : insertSubgroupListForGroup(*group);
        });
    });
    if (status == kOTVStatusOK) {
        group->setMUserMembersArray(membersWithSubgroupMembers(*group));
        changeMapsOnMainThread([this, group, uid] { mGroups_.insert(uid, group); });
    }
    logWrite(QStringLiteral("Edit Group"), name, status, kSuccessAction);
    return status;
}

int OTVDataBase::deleteGroup(const std::shared_ptr<BKGroup>& group)
{
    const QString uid = group->mGroupUID();
    {
        StoreLock lock(*this);
        if (!mGroups_.contains(uid))
            return kOTVStatusNothingWritten;
    }
    const int status = deleteCascadingToRecords(
        kQueryGroupDelete, uid, [uid](const OTVRecord& record) {
            return record.mGroup() && record.mGroup()->mGroupUID() == uid;
        },
        [this, uid] {
            mGroups_.remove(uid);
            for (const std::shared_ptr<BKGroup>& other : std::as_const(mGroups_)) {
                if (other->mGroupUID() == kUnfiledUID || !other->mSubGroupsUID())
                    continue;
                QStringList subgroups = *other->mSubGroupsUID();
                if (subgroups.removeOne(uid))   // the first mention only
                    other->setMSubGroupsUID(subgroups);
            }
        });
    logWrite(QStringLiteral("Delete Group"), group->mGroupName(), status, kSuccessAction);
    return status;
}

bool OTVDataBase::checkForGroupDuplicate(const QString& name)
{
    return isNameStored(kQueryGroupNameLike, name);
}

bool OTVDataBase::checkForGroupDuplicate(const QString& name, int* returnCode)
{
    return isNameStored(kQueryGroupNameLike, name, returnCode);
}

// ---------------------------------------------------------------------------------------------
// Member and sub-group lists. Each list is rewritten whole in one transaction (nested in the
// caller's), so a failure halfway leaves the stored list as it was.

QStringList OTVDataBase::membersWithSubgroupMembers(const BKGroup& group)
{
    StoreLock lock(*this);
    return ::membersWithSubgroupMembers(group, mGroups_);
}

int OTVDataBase::insertUserListForGroup(BKGroup& group)
{
    const QStringList members = membersWithSubgroupMembers(group);
    const QString uid = group.mGroupUID();
    // The group takes the merged list once it is stored; inside a caller's transaction, the
    // caller sets it after its commit.
    bool standalone = false;
    const int status = runGuarded([&] {
        standalone = mTransactionDepth == 0;
        return runInTransaction([&] {
            OTVStatement removal = prepare(kQueryDeleteAllUsersForGroup);
            removal.setString(1, uid);
            removal.executeUpdate();
            OTVStatement insertion = prepare(kQueryInsertIntoUserGroupList);
            for (const QString& userID : members) {
                insertion.setString(1, userID);
                insertion.setString(2, uid);
                insertion.executeUpdate();   // a pair already stored or an unknown user is ignored
                insertion.clearParameters();
            }
            return kOTVStatusOK;
        });
    });
    if (status == kOTVStatusOK && standalone)
        group.setMUserMembersArray(members);
    return status;
}

int OTVDataBase::insertSubgroupListForGroup(const BKGroup& group)
{
    const QStringList subgroups = group.mSubGroupsUID().value_or(QStringList());
    const QString uid = group.mGroupUID();
    return runGuarded([&] {
        return runInTransaction([&] {
            OTVStatement removal = prepare(kQueryDeleteAllSubGroupForGroup);
            removal.setString(1, uid);
            removal.executeUpdate();
            OTVStatement insertion = prepare(kQueryInsertGroupSubGroupTable);
            for (const QString& subgroupUID : subgroups) {
                insertion.setString(1, uid);
                insertion.setString(2, subgroupUID);
                insertion.executeUpdate();
                insertion.clearParameters();
            }
            return kOTVStatusOK;
        });
    });
}

// ---------------------------------------------------------------------------------------------
// Readers

std::optional<QStringList> OTVDataBase::readTexts(const char* sql, const QString& key,
                                                  const std::function<QByteArray(const OTVResultSet&)>& column,
                                                  int* returnCode)
{
    QStringList texts;
    const int status = runGuarded(
        [&] {
            OTVStatement statement = prepare(sql);
            statement.setString(1, key);
            OTVResultSet rows = statement.executeQuery();
            while (rows.next())
                texts.append(QString::fromUtf8(column(rows)));
            return kOTVStatusOK;
        },
        kOTVStatusDatabaseError, kOTVStatusDatabaseError);
    if (returnCode)
        *returnCode = status;
    return status == kOTVStatusOK ? std::optional<QStringList>(texts) : std::nullopt;
}

std::optional<QStringList> OTVDataBase::readGroupUserTableforGroup(const BKGroup& group, int* returnCode)
{
    return readTexts(kQuerySelectGroupUserList, group.mGroupUID(),
                     [](const OTVResultSet& rows) { return rows.getBlob(2u); },   // USERID
                     returnCode);
}

std::optional<QStringList> OTVDataBase::readSubgroupListForGroup(const BKGroup& group, int* returnCode)
{
    return readTexts(kQueryGroupSubGroupTable, group.mGroupUID(),
                     [](const OTVResultSet& rows) { return rows.getBlob("SUBGROUPID"); }, returnCode);
}

QStringList OTVDataBase::fetchGroupArrayForUserID(const QString& userID, int*)
{
    StoreLock lock(*this);
    OTVStatement statement = prepare(kQuerySelectUserGroupList);
    statement.setString(1, userID);
    OTVResultSet rows = statement.executeQuery();
    QStringList groupUIDs;
    while (rows.next())
        groupUIDs.append(rows.getString(1u));   // GROUPID
    return groupUIDs;
}

// ---------------------------------------------------------------------------------------------
// Memberships in memory

void OTVDataBase::addUser(const QString& userID, const QStringList& toGroupListForGroups)
{
    StoreLock lock(*this);
    const std::shared_ptr<OTVUser_Admin> user = mUsers_.value(userID);
    const QStringList oldGroups = user ? user->mUsersGroupArray() : QStringList();
    for (const QString& groupUID : oldGroups) {
        const std::shared_ptr<BKGroup> group = mGroups_.value(groupUID);
        if (!group || !group->mUserMembersArray())
            continue;
        QStringList members = *group->mUserMembersArray();
        members.removeAll(userID);
        group->setMUserMembersArray(members);
    }
    for (const QString& groupUID : toGroupListForGroups) {
        const std::shared_ptr<BKGroup> group = mGroups_.value(groupUID);
        if (!group)
            continue;
        QStringList members = group->mUserMembersArray().value_or(QStringList());
        members.append(userID);
        group->setMUserMembersArray(members);
    }
}
