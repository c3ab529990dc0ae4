// Loading the vault: the load after login and the user's reload read every table the user
// works with into new maps on a worker thread; the main thread then swaps them in.
#include "OTVDataBase.h"

#include "OTVDataBaseQueries.h"
#include "OTVRecordReferences.h"

#include "Model/BKGroup.h"
#include "Model/OTVRecord.h"
#include "Model/OTVType.h"
#include "Model/OTVUID.h"
#include "Model/OTVUser.h"
#include "Model/OTVUser_Admin.h"
#include "Platform/BKApplicationServices.h"
#include "Platform/BKLocalization.h"
#include "Platform/BKMainThread.h"
#include "Platform/BKWorker.h"

#include <QHash>
#include <QDebug>

#include <cppconn/exception.h>

#include <QSet>

#include <stdexcept>

namespace {

enum IconColumn : uint32_t {
    kIconIndexColumn = 1,
    kIconDataColumn = 2,
};

// The columns of kQueryUserDetails.
enum UserDetailsColumn : uint32_t {
    kUserIDColumn = 1,
    kUserNameColumn,
    kUserPasswordColumn,
    kUserPlatformColumn,
    kUserGroupWordColumn,
    kUserTypeWordColumn,
    kUserRecordWordColumn,
    kUserDataWordColumn,
    kUserCanChangePasswordColumn,
    kUserDisabledColumn,
    kUserFullNameColumn,
    kUserDescriptionColumn,
    kUserEmailColumn,
    kUserPhoneColumn,
};

constexpr uint32_t kRecordUIDColumnOfDependents = 1;   // RECORDID of CUSTOMTYPETABLE, ATTACHMENTTABLE

// A step that other categories provide failed; its status ends the load.
class LoadStepFailed : public std::runtime_error {
public:
    explicit LoadStepFailed(int status) : std::runtime_error("a step of the load failed"), status(status) {}
    int status;
};

std::optional<QStringList> orFail(std::optional<QStringList> list, int status)
{
    if (!list)
        throw LoadStepFailed(status != kOTVStatusOK ? status : int(kOTVStatusDatabaseError));
    return list;
}

// Finds the records of rows that come, as the server sends them, in the order of their records'
// UIDs: each is looked for first just after the one found before, then in the whole map.
class RecordFinder {
public:
    explicit RecordFinder(const OTVRecordMap& records) : records_(records), next_(records.constBegin()) {}

    OTVRecord* operator()(const QString& uid)
    {
        auto found = next_ != records_.constEnd() && next_.key() == uid ? next_ : records_.constFind(uid);
        if (found == records_.constEnd())
            return nullptr;
        next_ = std::next(found);
        return found.value().get();
    }

private:
    const OTVRecordMap& records_;
    OTVRecordMap::const_iterator next_;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// The readers

void OTVDataBase::getExternalIcons(VaultMaps& maps)
{
    OTVStatement statement = prepare(kQueryIcons);
    OTVResultSet rows = statement.executeQuery();
    while (rows.next()) {
        QImage image;
        // Bytes that make no image are left out.
        if (image.loadFromData(rows.getBlob(kIconDataColumn)))
            maps.customIcons.insert(QStringLiteral("Icon%1").arg(rows.getInt(kIconIndexColumn)), image);
    }
}

void OTVDataBase::readCatagoryTable(VaultMaps& maps)
{
    OTVStatement statement = prepare(kQueryGroupNotPersonal);
    OTVResultSet rows = statement.executeQuery();
    while (rows.next()) {
        std::shared_ptr<BKGroup> group = groupFromRow(rows);
        int status = kOTVStatusOK;
        group->setMUserMembersArray(orFail(readGroupUserTableforGroup(*group, &status), status));
        group->setMSubGroupsUID(orFail(readSubgroupListForGroup(*group, &status), status));
        maps.groups.insert(group->mGroupUID(), group);
    }
}

void OTVDataBase::readTypesTable(VaultMaps& maps)
{
    OTVStatement statement = prepare(kQueryTypes);
    OTVResultSet rows = statement.executeQuery();
    while (rows.next()) {
        std::shared_ptr<OTVType> type = typeFromRow(rows);
        maps.types.insert(type->mTypeUID(), type);
    }
}

void OTVDataBase::readRecordTable(VaultMaps& maps)
{
    // The three tables are streamed: each row is deciphered as it arrives, and no query runs
    // while one of them is being read. The server sends the records in the order of their UIDs,
    // so each goes in at the end of the map.
    {
        const OTVRecordReferences references(&maps.types, &maps.groups);
        OTVResultSet rows = streamQuery(kQueryRecords);
        while (rows.next()) {
            std::shared_ptr<OTVRecord> record = recordFromRow(rows, references);
            const QString uid = record->mRecordUID();
            maps.records.insert(maps.records.constEnd(), uid, std::move(record));
        }
    }
    // A custom type or attachment row counts only while its record's flag is set: a record
    // that lost its custom type or attachment may keep the row.
    {
        OTVResultSet rows = streamQuery(kQueryAllCustomTypes);
        RecordFinder find(maps.records);
        while (rows.next()) {
            OTVRecord* record = find(rows.getString(kRecordUIDColumnOfDependents));
            if (record && record->mIsCustomized())
                record->setMRecordCustomType(customTypeFromRow(rows, maps.customIcons));
        }
    }
    {
        OTVResultSet rows = streamQuery(kQueryAllAttachmentNames);
        RecordFinder find(maps.records);
        while (rows.next()) {
            OTVRecord* record = find(rows.getString(kRecordUIDColumnOfDependents));
            if (record && record->mHasAttachment())
                setAttachmentFromRow(*record, rows);
        }
    }
}

void OTVDataBase::readUserTableIfErrorReturnCode(VaultMaps& maps, const QString& loggedInName)
{
    // Only an administrator's session may read the server's accounts (and manages users).
    QSet<QString> withPassword;
    if (isAdministratorSession()) {
        OTVResultSet rows = prepare(kQueryAccountsWithPassword).executeQuery();
        while (rows.next())
            withPassword.insert(rows.getString(1));
    }
    // One statement for every user's groups, not one per user.
    QHash<QString, QStringList> groupLists;
    {
        OTVResultSet rows = prepare(kQueryAllUserGroupLists).executeQuery();
        while (rows.next())
            groupLists[rows.getString(1u)].append(rows.getString(2u));
    }
    OTVStatement statement = prepare(kQueryUserDetails);
    OTVResultSet rows = statement.executeQuery();
    while (rows.next()) {
        const QString userID = rows.getString(kUserIDColumn);
        const QString name = rows.getString(kUserNameColumn);
        if (name == loggedInName || OTVUID::isWellKnownUID(userID))
            continue;
        auto user = std::make_shared<OTVUser_Admin>();
        user->setMUserID(userID);
        user->setMUsername(name);
        user->setMHasServerPassword(withPassword.contains(name));
        user->setMPlatformName(rows.getString(kUserPlatformColumn));
        user->setMGroupPermissionsBit(quint16(rows.getInt(kUserGroupWordColumn)));
        user->setMTypePermissionsBit(quint16(rows.getInt(kUserTypeWordColumn)));
        user->setMRecordPermissionsBit(quint16(rows.getInt(kUserRecordWordColumn)));
        user->setMDataPermissionsBit(quint16(rows.getInt(kUserDataWordColumn)));
        user->setMIsNotAllowedToChangePassword(!rows.getBoolean(kUserCanChangePasswordColumn));
        user->setMIsAccountDisabled(rows.getBoolean(kUserDisabledColumn));
        // An account without a details row reads NULLs: empty details.
        user->setMFullName(rows.getString(kUserFullNameColumn));
        user->setMDescription(rows.getString(kUserDescriptionColumn));
        user->setMEmail(rows.getString(kUserEmailColumn));
        user->setMPhoneNo(rows.getString(kUserPhoneColumn));
        user->setMUsersGroupArray(groupLists.value(userID));
        maps.users.insert(userID, user);
    }
}

void OTVDataBase::readVault(VaultMaps& maps, const OTVUser& user)
{
    getExternalIcons(maps);
    readCatagoryTable(maps);
    // The user's own personal group is read with the other groups, so that his personal
    // records find it; another user's personal records stay without a group.
    if (std::shared_ptr<BKGroup> personal = readPersonalGroup(user.mUserID()))
        maps.groups.insert(personal->mGroupUID(), personal);
    readTypesTable(maps);
    readRecordTable(maps);
    readUserTableIfErrorReturnCode(maps, user.mUsername());
    readSaveLogsArrayToDatabase();
}

int OTVDataBase::initDefaults()
{
    QString problem;
    const QList<std::shared_ptr<OTVType>> types = OTVType::readtypesFromFile(kTypeTemplatesPath, &problem);
    if (types.isEmpty()) {
        qWarning() << "the record types of a new vault cannot be read:" << problem;
        return kOTVStatusOtherFailure;
    }
    // All or nothing: a vault left with some of the types would stay so. Types stored by an
    // earlier, interrupted load are kept; they are read back like every other type.
    return runGuarded([&] {
        return runInTransaction([&] {
            for (const std::shared_ptr<OTVType>& type : types) {
                OTVStatement exists = prepare(kQueryTypeExists);
                exists.setString(1, type->mTypeUID());
                if (exists.executeQuery().next())
                    continue;
                if (const int added = insertTypeRow(*type))
                    return added;
            }
            return initpasswordPolicy();
        });
    });
}

bool OTVDataBase::needsDefaults()
{
    // Only an administrator may write the policy rows.
    if (!isAdministratorSession())
        return false;
    OTVStatement statement = prepare(kQueryPasswordPolicyRowCount);
    OTVResultSet rows = statement.executeQuery();
    return rows.next() && rows.getInt(1) < 2;
}

int OTVDataBase::readUserPreferencesForLoad(OTVUser& user)
{
    int status = kOTVStatusOK;
    readUserPreferenceForTableForUser(user, &status);
    return status;
}

// ---------------------------------------------------------------------------------------------
// Threads

int OTVDataBase::runLoadStep(const std::function<int()>& step)
{
    StoreLock lock(*this);
    try {
        return step();
    } catch (const sql::SQLException& e) {
        qWarning() << "loading the vault failed:" << e.what() << e.getErrorCode();
        return mapDBErrorCode(e.getErrorCode());
    } catch (const LoadStepFailed& e) {
        return e.status;
    } catch (const std::exception& e) {
        qWarning() << "loading the vault failed:" << e.what();
        return kOTVStatusDatabaseError;
    } catch (...) {
        return kOTVStatusDatabaseError;
    }
}

void OTVDataBase::installVaultMaps(VaultMaps& maps)
{
    StoreLock lock(*this);
    mGroups_.swap(maps.groups);
    mTypes_.swap(maps.types);
    mRecords_.swap(maps.records);
    mUsers_.swap(maps.users);
    mCustomIcons_.swap(maps.customIcons);
    mSortedRecords_.clear();   // its rows would keep the records of the maps swapped out
}

bool OTVDataBase::isVaultLoaded() const
{
    StoreLock lock(*this);
    return mReadRecords;
}

int OTVDataBase::loadDataBase(bool firstLaunch)
{
    mIsLoadingComplete = false;
    int status = kOTVStatusOK;
    if (!isVaultLoaded()) {
        VaultMaps maps;
        // The seeding's own operations report their database errors.
        bool seed = firstLaunch;
        if (!seed) {
            runLoadStep([&] {
                seed = needsDefaults();
                return int(kOTVStatusOK);
            });
        }
        if (seed)
            status = runLoadStep([this] { return initDefaults(); });
        if (status == kOTVStatusOK) {
            status = runLoadStep([&] {
                const std::shared_ptr<OTVUser> user = mCurrentUser_;
                readVault(maps, *user);
                return readUserPreferencesForLoad(*user);
            });
        }
        if (status == kOTVStatusOK) {
            BKPerformOnMainThreadAndWait([this, &maps] {
                installVaultMaps(maps);
                StoreLock lock(*this);
                mReadRecords = true;
            });
        } else {
            BKPerformOnMainThreadAndWait([status] { BKApplicationServices::current().reloadFailed(status); });
        }
        mConnectionErrCode = status;
    }
    mIsLoadingComplete = true;
    return status;
}

void OTVDataBase::startLoadingDataBase(bool firstLaunch)
{
    mIsLoadingComplete = false;
    BKDetachNewThread([this, firstLaunch] { loadDataBase(firstLaunch); }, &OTVDataBase::endDatabaseThread);
}

void OTVDataBase::quitForAccountStatus(int status)
{
    const QString message = status == kOTVStatusNoSuchUser
                                ? BKLocalizedString("Your account has been deleted")
                                : BKLocalizedString("Your account has been disabled. Please contact administrator.");
    BKRunAlertPanel(BKLocalizedString("Ostrevin Darovazivu Alert!"), message, BKLocalizedString("Quit"));
    BKPerformOnMainThreadAndWait([] {
        BKApplicationServices::current().dontSavePreference();
        BKApplicationServices::current().terminateApplication();
    });
}

int OTVDataBase::reloadDatabase()
{
    mConnectionErrCode = kOTVStatusOK;
    mIsDataReloaded = true;
    const QString userID = mCurrentUser()->mUserID();
    int status = runLoadStep([&] { return readAllSavedRecordsForUserWithUserPrimaryNameID(userID); });
    mConnectionErrCode = status;
    if (status == kOTVStatusNoSuchUser || status == kOTVStatusAccountDisabled) {
        // Quitting returns: the thread must stop here, before it reads anything more.
        quitForAccountStatus(status);
        mIsDataReloaded = false;
        return status;
    }

    VaultMaps maps;
    if (status == kOTVStatusOK) {
        status = runLoadStep([&] {
            // Another client may have changed the master password meanwhile: the session
            // follows it, cipher and password alike.
            StoreLock lock(*this);
            const QString current = retriveMasterPassword().value_or(QString());
            createEncrypter(current);
            mConnectionDetails.masterPassword = current;
            readVault(maps, *mCurrentUser_);
            return int(kOTVStatusOK);
        });
    }
    mConnectionErrCode = status;
    if (status == kOTVStatusOK) {
        BKPerformOnMainThreadAndWait([this, &maps] {
            installVaultMaps(maps);
            finishReloadingData();
            BKApplicationServices::current().updateApplicationUIForCurrectPermissions();
        });
    } else {
        BKPerformOnMainThreadAndWait([status] { BKApplicationServices::current().reloadFailed(status); });
    }
    mIsDataReloaded = false;
    return status;
}

void OTVDataBase::startReloadingDatabase()
{
    mIsDataReloaded = true;
    BKDetachNewThread([this] { reloadDatabase(); }, &OTVDataBase::endDatabaseThread);
}
