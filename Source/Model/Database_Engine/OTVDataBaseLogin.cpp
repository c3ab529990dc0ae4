// The login step: binds the open session to a vault user, or makes an administrator's account
// that is no vault user yet into a new vault administrator.
#include "OTVDataBase.h"

#include "OTVDataBaseQueries.h"

#include "Model/OTVUID.h"
#include "Model/OTVUser.h"
#include "Model/OTVUser_Admin.h"
#include "Platform/BKApplicationServices.h"
#include "Platform/BKLocalization.h"
#include "Platform/BKMainThread.h"

#include <cppconn/exception.h>

namespace {

// An administrator's account as it becomes a vault user: every right.
constexpr quint16 kAdminGroupWord = 7;
constexpr quint16 kAdminTypeWord = 7;
constexpr quint16 kAdminRecordWord = 7;
constexpr quint16 kAdminDataWord = 63;

} // namespace

int OTVDataBase::initUserDetails(const QString& userName, const QString& password)
{
    bool becomesAdministrator = false;
    int status = runGuarded(
        [&] {
            if (isUserExistsInOstrevin(userName)) {
                const QString userID = getUserIDForName(userName);
                return userID.isNull() ? int(kOTVStatusNoSuchUser)
                                       : readAllSavedRecordsForUserWithUserPrimaryNameID(userID);
            }
            // Only an administrator's session may make itself a vault user.
            if (!isAdministratorSession())
                return int(kOTVStatusAccessDenied);
            becomesAdministrator = true;
            return int(kOTVStatusOK);
        },
        kStatusFromErrorNumber, kOTVStatusDatabaseError);
    if (becomesAdministrator)
        status = createAdmin(userName, password);
    if (status == kOTVStatusOK) {
        // Only the server keeps the password; the session holds the typed one for its lock.
        mCurrentUser_->setMPassword(password);
        if (isAdministratorSession())
            bringAccountsToCurrentRules();   // a failure is reported; the login goes on
    }

    // The dialog reads the status when it is told, so it is set first.
    mConnectionErrCode = status;
    if (status == kOTVStatusAccountDisabled) {
        mIsConnectionComplete = true;
        BKPerformOnMainThreadAndWait([] { BKApplicationServices::current().connectionISComplete(); });
    }
    return status;
}

int OTVDataBase::createAdmin(const QString& userName, const QString& password)
{
    const int status = runGuarded([&] {
        auto account = OTVUser_Admin::createUser();
        account->setMUsername(userName);
        account->setMUserID(createNextWellKnownUIDForAdmin());
        account->setMPassword(password);
        account->setMGroupPermissionsBit(kAdminGroupWord);
        account->setMTypePermissionsBit(kAdminTypeWord);
        account->setMDataPermissionsBit(kAdminDataWord);
        account->setMRecordPermissionsBit(kAdminRecordWord);
        account->setMIsNotAllowedToChangePassword(false);
        account->setMIsAccountDisabled(false);
        account->setMDescription(QStringLiteral("Admin"));
        account->setAdministrator(true);

        // The logged-in MySQL account is used as it is: no account statement, grant or details.
        const int written = runInTransaction([&] {
            // Another administrator may have taken the same ID a moment ago.
            if (!writeUserRow(*account, true))
                return int(kOTVStatusNothingWritten);
            const int preferences = addPreferenceRowForNewUser(account->mUserID(), userName);
            if (preferences != kOTVStatusOK)
                return preferences;
            return addPersonalGroupForUser(*account);
        });
        if (written != kOTVStatusOK)
            return written;
        rememberUserInMap(account);
        return readAllSavedRecordsForUserWithUserPrimaryNameID(account->mUserID());
    });
    if (status != kOTVStatusOK)
        BKRunAlertPanel(BKLocalizedString("Ostrevin Darovazivu Alert"), BKLocalizedString("Connection failed"));
    return status;
}

QString OTVDataBase::createNextWellKnownUIDForAdmin()
{
    StoreLock lock(*this);
    OTVStatement statement = prepare(kQueryMaxWellKnownUID);
    OTVResultSet rows = statement.executeQuery();
    if (!rows.next() || rows.isNull(1))
        return OTVUID::nextWellknownUID(kUnfiledUID);
    return OTVUID::nextWellknownUID(rows.getString(1));
}

int OTVDataBase::readAllSavedRecordsForUserWithUserPrimaryNameID(const QString& userID)
{
    StoreLock lock(*this);
    OTVStatement statement = prepare(kQueryUserRowForID);
    statement.setString(1, userID);
    OTVResultSet row = statement.executeQuery();
    if (!row.next())
        return kOTVStatusNoSuchUser;
    if (row.getBoolean("ISACCOUNTDISABLED"))
        return kOTVStatusAccountDisabled;
    const QStringList groups = fetchGroupArrayForUserID(userID);   // may throw: read before changing the user

    OTVUser& user = *mCurrentUser_;
    user.setMUserID(row.getString("USERID"));
    user.setMUsername(row.getString("USERNAME"));
    user.setMPlatformName(row.getString("PLATFORMNAME"));
    user.setMGroupPermissionsBit(quint16(row.getInt("GROUPPERMISSION")));
    user.setMTypePermissionsBit(quint16(row.getInt("TYPEPERMISSION")));
    user.setMRecordPermissionsBit(quint16(row.getInt("RECORDPERMISSION")));
    user.setMDataPermissionsBit(quint16(row.getInt("DATAPERMISSION")));
    user.setMIsNotAllowedToChangePassword(!row.getBoolean("CANCHANGEPASSWORD"));
    user.setMIsAccountDisabled(false);
    user.setMUsersGroupArray(groups);
    return kOTVStatusOK;
}

QString OTVDataBase::getUserIDForName(const QString& userName)
{
    StoreLock lock(*this);
    OTVStatement statement = prepare(kQueryUserIDForName);
    statement.setString(1, userName);
    OTVResultSet rows = statement.executeQuery();
    return rows.next() ? rows.getString(1) : QString();
}

bool OTVDataBase::isUserExistsInOstrevin(const QString& name)
{
    StoreLock lock(*this);
    try {
        OTVStatement statement = prepare(kQueryUserExistInVivododaDI);
        statement.setString(1, name);
        statement.setString(2, name);
        OTVResultSet rows = statement.executeQuery();
        while (rows.next()) {
            if (rows.getInt(1) > 0)
                return true;
        }
        return false;
    } catch (const sql::SQLException&) {
        return true;   // a name that cannot be checked counts as taken
    }
}

bool OTVDataBase::isServerAccountName(const QString& name)
{
    StoreLock lock(*this);
    try {
        return isAlreadyMySQLUser(name) && !isLeftByInterruptedAdd(name);
    } catch (const sql::SQLException&) {
        return true;
    }
}
