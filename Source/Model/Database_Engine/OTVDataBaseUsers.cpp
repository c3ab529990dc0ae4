// User accounts: the USERTABLE row with its group list, and the MySQL account of the same name
// with its grants and `mysql.user_info` details, written and removed together.
//
// The account statements (CREATE USER, GRANT, SET PASSWORD, ...) are committed by the server at
// once and would end an open transaction, so every operation sends them first, each followed
// by the step that undoes it, and writes the vault's rows afterwards in one transaction. When
// anything fails, the transaction rolls back and the undo steps run, newest first.
#include "OTVDataBase.h"

#include "OTVDataBaseQueries.h"

#include "Model/OTVAccountName.h"
#include "Model/OTVUserAccountChecks.h"
#include "Model/OTVUser.h"
#include "Model/OTVUser_Admin.h"
#include "Platform/BKApplicationServices.h"
#include "Platform/BKMainThread.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QRegularExpression>
#include <QSet>

#include <cppconn/exception.h>

#include <algorithm>
#include <optional>

namespace {

// MySQL error numbers that mean "already so".
constexpr int kDBCannotUserCode = 1396;           // DROP USER of an account that does not exist
constexpr int kDBNonexistingGrantCode = 1141;     // REVOKE of rights the account does not hold
constexpr int kDBNonexistingTableGrantCode = 1147;
constexpr int kDBNonexistingRoutineGrantCode = 1403;   // REVOKE of a routine right not held
constexpr int kDBNoSuchRoutineCode = 1305;

// Column sizes of USERTABLE and `mysql.user_info`, in characters.
constexpr int kUserNameCharacters = 40;           // USERTABLE.USERNAME (an administrator's login name)
constexpr int kUserIDCharacters = 16;
constexpr int kPlatformNameCharacters = 40;

const QString kRootAccount = QStringLiteral("root");

// Undo steps of account statements, run newest first when the operation fails (the object is
// destroyed without dismiss()). A step that fails is logged: the others still run.
class AccountUndo {
public:
    AccountUndo() = default;
    AccountUndo(const AccountUndo&) = delete;
    AccountUndo& operator=(const AccountUndo&) = delete;
    ~AccountUndo()
    {
        for (auto step = steps_.rbegin(); step != steps_.rend(); ++step) {
            try {
                (*step)();
            } catch (const std::exception& e) {
                qWarning() << "could not undo an account change:" << e.what();
            }
        }
    }
    void add(std::function<void()> step)
    {
        if (step)
            steps_.push_back(std::move(step));
    }
    void dismiss() { steps_.clear(); }

private:
    std::vector<std::function<void()>> steps_;
};

// The privilege list without its trailing comma; empty lists send nothing.
QString withoutTrailingComma(const char* privileges)
{
    QString list = QString::fromLatin1(privileges);
    if (!list.isEmpty())
        list.chop(1);
    return list;
}

// How `mysql.tables_priv` names a table that the grants address.
QString tablesPrivKey(const char* table)
{
    const QString name = QString::fromLatin1(table);
    return name == QLatin1String(kMySQLUserInfoTable) ? QStringLiteral("mysql.user_info")
                                                       : QStringLiteral(OTV_DATABASE_NAME ".") + name;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The three operations of the user-account window

void OTVDataBase::addUser(const std::shared_ptr<OTVUser_Admin>& user, int* returnCode)
{
    const int status = addUserIfNameFree(user, nullptr);
    if (returnCode)
        *returnCode = status;
}

int OTVDataBase::addUser(const std::shared_ptr<OTVUser_Admin>& user)
{
    int code = kOTVStatusOK;
    addUser(user, &code);
    return code;
}

int OTVDataBase::addUserIfNameFree(const std::shared_ptr<OTVUser_Admin>& user, bool* nameTaken)
{
    if (nameTaken)
        *nameTaken = false;
    return user ? runGuarded([&] { return addUserAccount(user, nameTaken); }) : int(kOTVStatusDatabaseError);
}

void OTVDataBase::replaceUser(const std::shared_ptr<OTVUser_Admin>& user, int* returnCode)
{
    // Asked before the store lock is taken: the window answers on the main thread.
    QString nameInEditor;
    BKPerformOnMainThreadAndWait([&] { nameInEditor = BKApplicationServices::current().mCurrentUserName(); });
    const int status =
        user ? runGuarded([&] { return replaceUserAccount(user, nameInEditor); }) : int(kOTVStatusDatabaseError);
    if (returnCode)
        *returnCode = status;
}

int OTVDataBase::replaceUser(const std::shared_ptr<OTVUser_Admin>& user)
{
    int code = kOTVStatusOK;
    replaceUser(user, &code);
    return code;
}

void OTVDataBase::deleteUser(const std::shared_ptr<OTVUser_Admin>& user, int* returnCode)
{
    const int status = user ? runGuarded([&] { return deleteUserAccount(user); }) : int(kOTVStatusDatabaseError);
    if (returnCode)
        *returnCode = status;
}

int OTVDataBase::deleteUser(const std::shared_ptr<OTVUser_Admin>& user)
{
    int code = kOTVStatusOK;
    deleteUser(user, &code);
    return code;
}

int OTVDataBase::addUserAccount(const std::shared_ptr<OTVUser_Admin>& user, bool* nameTaken)
{
    const int fits = checkAccountFits(*user);
    if (fits != kOTVStatusOK)
        return fits;
    const QString name = user->mUsername();
    // An account without a password is one that anybody can use.
    if (user->mPassword().isEmpty())
        return kOTVStatusDatabaseError;
    // An existing server account (another application's, an administrator's, the session's own)
    // is never taken over: its rights and password would change, and deleting the vault user
    // would drop it. What an interrupted add of this program left goes.
    if (isUserExistsInOstrevin(name) || (isAlreadyMySQLUser(name) && !removeIfLeftByInterruptedAdd(name))) {
        if (nameTaken)
            *nameTaken = true;
        return kOTVStatusDatabaseError;
    }

    AccountUndo undo;
    // The details row goes first: a locked account with one and no vault user is known as what
    // an add of this program left when it was cut short.
    undo.add(restorerOfDetailsRow(name));
    addDetailsToMySqlInfoTable(*user);
    // Locked until everything is in place: an add cut short leaves no account that can log in.
    executeAccountStatement(kQueryCreateLockedUser, name, OTVNativePasswordHash(user->mPassword()));
    undo.add([this, name] { executeAccountStatement(kQueryDeleteUser, name); });
    grantTableRights(name, user->mIsAccountDisabled());

    const int status = runInTransaction([&] {
        if (!writeUserRow(*user, true))
            return int(kOTVStatusNothingWritten);   // the ID is taken
        const int preferences = addPreferenceRowForNewUser(user->mUserID(), name);
        if (preferences != kOTVStatusOK)
            return preferences;
        insertIntoGroupListForUser(*user);
        return addPersonalGroupForUser(*user);
    });
    if (status != kOTVStatusOK)
        return status;
    undo.add([this, user] { removeUserRows(*user); });
    executeAccountStatement(kQueryUnlockUser, name);
    undo.dismiss();
    user->setMHasServerPassword(true);
    rememberUserInMap(user);
    return kOTVStatusOK;
}

int OTVDataBase::replaceUserAccount(const std::shared_ptr<OTVUser_Admin>& user, const QString& nameInEditor)
{
    const QString userID = user->mUserID();
    if (!isUserExists(user.get()))
        return kOTVStatusNothingWritten;
    if (!mUsers_.contains(userID))
        return kOTVStatusOtherFailure;
    const int fits = checkAccountFits(*user);
    if (fits != kOTVStatusOK)
        return fits;

    const QString name = user->mUsername();
    // Without a name from the window the stored one tells whether the account was renamed.
    const QString oldName = nameInEditor.isNull() ? storedUserName(userID) : nameInEditor;
    const bool renamed = !oldName.isEmpty() && oldName != name;
    if (renamed && isUserExistsInOstrevin(name))
        return kOTVStatusDatabaseError;   // another vault user's name
    const bool wasDisabled = storedAccountDisabled(userID);

    AccountUndo undo;
    if (renamed) {
        renameAccount(oldName, name);
        undo.add([this, oldName, name] { renameAccount(name, oldName); });
        // The old name's details row would describe whoever takes that name next.
        undo.add(restorerOfDetailsRow(oldName));
        OTVStatement statement = prepare(kDelMySQLUserInfoTblVal);
        statement.setString(1, oldName);
        statement.executeUpdate();
    }
    undo.add(restorerOfDetailsRow(name));
    addDetailsToMySqlInfoTable(*user);
    // The vault keeps no password to show: an empty one in the window means "unchanged".
    if (!user->mPassword().isEmpty()) {
        undo.add(restorerOfPassword(name));
        executeAccountStatement(kQuerySetUserPassword, name, OTVNativePasswordHash(user->mPassword()));
    }
    if (wasDisabled != user->mIsAccountDisabled())
        undo.add(restorerOfTableRights(name));
    setPermissionsForUser(name);
    // Granting is additive: a disabled account loses its rights again on every save.
    if (user->mIsAccountDisabled())
        revokeAllPermissionsForUser(name);

    const int status = runInTransaction([&] {
        if (renamed) {
            OTVStatement statement = prepare(UpdUserNameVal);
            statement.setString(1, name);
            statement.setString(2, userID);
            statement.executeUpdate();
        }
        writeUserRow(*user, false);
        insertIntoGroupListForUser(*user);
        // The user's hint leads to the password that was just replaced.
        if (!user->mPassword().isEmpty()) {
            OTVStatement clearHint = prepare(kQueryClearHint);
            clearHint.setString(1, userID);
            clearHint.executeUpdate();
        }
        return renamePersonalGroupForUser(*user);
    });
    if (status != kOTVStatusOK)
        return status;
    undo.dismiss();
    if (!user->mPassword().isEmpty() && mCurrentUser_ && mCurrentUser_->mUserID() == userID) {
        mCurrentUser_->setMHintQuestionNumber(0);
        mCurrentUser_->setMHintAnswer(QStringLiteral(""));
        mCurrentUser_->setMHintEntered(QStringLiteral(""));
    }
    // Saved: a failure to read the flag back leaves it as the window had it.
    try {
        user->setMHasServerPassword(accountHasPassword(name));
    } catch (const sql::SQLException& e) {
        qWarning() << "whether the account has a password cannot be read:" << e.what();
    }
    rememberUserInMap(user);
    return kOTVStatusOK;
}

int OTVDataBase::deleteUserAccount(const std::shared_ptr<OTVUser_Admin>& user)
{
    const QString userID = user->mUserID();
    if (!isUserExists(user.get()))
        return kOTVStatusNothingWritten;
    // The stored name is the account's, whatever the window's copy says.
    QString name = storedUserName(userID);
    if (name.isEmpty())
        name = user->mUsername();

    // The server's side goes first, so that the user cannot connect once the operation began.
    {
        OTVStatement statement = prepare(kDelMySQLUserInfoTblVal);
        statement.setString(1, name);
        statement.executeUpdate();
    }
    try {
        executeAccountStatement(kQueryDeleteUser, name);
    } catch (const sql::SQLException& e) {
        if (e.getErrorCode() != kDBCannotUserCode)
            throw;   // 1396: the account is gone already
    }

    const int status = removeUserRows(*user);
    if (status != kOTVStatusOK)
        return status;
    changeMapsOnMainThread([this, userID] { mUsers_.remove(userID); });
    return kOTVStatusOK;
}

int OTVDataBase::removeUserRows(const OTVUser_Admin& user)
{
    return runInTransaction([&] {
        // The foreign keys take the preference row, column settings, group list and recent lists.
        OTVStatement statement = prepare(kQueryDeleteUserTable);
        statement.setString(1, user.mUserID());
        if (statement.executeUpdate() == 0)
            return int(kOTVStatusNothingWritten);
        deletePersonalGroupForUser(user);   // a user without a personal group is fine
        return int(kOTVStatusOK);
    });
}

void OTVDataBase::resetPasswordForUser(const OTVUserBase* user, int* returnCode)
{
    const int status = runGuarded([&] {
        if (!user || user->mPassword().isEmpty())
            return int(kOTVStatusDatabaseError);
        encryptedDataValue(user->mPassword(), kBlobBytes);   // refused before anything changes
        // Only the server holds the password (USERTABLE keeps its column empty). The server
        // applies SET PASSWORD at once: no reload of the grant tables is needed.
        executeAccountStatement(kQuerySetUserPassword, user->mUsername(), OTVNativePasswordHash(user->mPassword()));
        return int(kOTVStatusOK);
    });
    if (returnCode)
        *returnCode = status;
}

// ---------------------------------------------------------------------------------------------
// Existence checks

bool OTVDataBase::isUserExists(const OTVUser_Admin* user)
{
    if (!user)
        return false;
    bool exists = true;   // when the check fails, the caller must not go on as if the row were gone
    runGuarded([&] {
        OTVStatement statement = prepare(UserExistTblVal);
        statement.setString(1, user->mUserID());
        OTVResultSet rows = statement.executeQuery();
        exists = rows.next() && rows.getInt(1) > 0;
        return int(kOTVStatusOK);
    });
    return exists;
}

bool OTVDataBase::isAccountNameTaken(const QString& name)
{
    return isUserExistsInOstrevin(name) || isServerAccountName(name);
}

bool OTVDataBase::accountHasPassword(const QString& name)
{
    OTVStatement statement = prepare(kQueryAccountHasPassword);
    statement.setString(1, name);
    OTVResultSet rows = statement.executeQuery();
    return rows.next() && rows.getInt(1) > 0;
}

QStringList OTVDataBase::anonymousAccountHosts()
{
    QStringList hosts;
    if (!isAdministratorSession())
        return hosts;
    runGuarded([&] {
        OTVResultSet rows = prepare(kQueryAnonymousAccountHosts).executeQuery();
        while (rows.next())
            hosts.append(rows.getString(1));
        return int(kOTVStatusOK);
    });
    return hosts;
}

// ---------------------------------------------------------------------------------------------
// Accounts that an add cut short left behind

namespace {

// Whether a SHOW GRANTS line gives nothing beyond the vault: the account's entry without rights,
// or rights on a table (or routine) of the vault or on the account details.
bool isVaultGrantLine(const QString& line)
{
    static const QRegularExpression vaultGrant(
        QStringLiteral("^GRANT (.+) ON (?:PROCEDURE |FUNCTION )?(\\*\\.\\*|`" OTV_DATABASE_NAME
                       "`\\.`[^`]+`|`mysql`\\.`user_info`) TO "));
    const QRegularExpressionMatch match = vaultGrant.match(line);
    if (!match.hasMatch() || line.contains(QLatin1String(" WITH ")))
        return false;
    return match.captured(2) != QLatin1String("*.*") || match.captured(1) == QLatin1String("USAGE");
}

} // namespace

bool OTVDataBase::isLeftByInterruptedAdd(const QString& name)
{
    if (isUserExistsInOstrevin(name))
        return false;
    QStringList hosts;
    {
        OTVStatement statement = prepare(kQueryAccountHosts);
        statement.setString(1, name);
        OTVResultSet rows = statement.executeQuery();
        while (rows.next())
            hosts.append(rows.getString(1));
    }
    if (hosts != QStringList{QStringLiteral("%")})
        return false;
    // This program's mark: the details row, written first, or the vault's table rights.
    const auto count = [this, &name](const char* query) {
        OTVStatement statement = prepare(query);
        statement.setString(1, name);
        OTVResultSet rows = statement.executeQuery();
        return rows.next() ? rows.getInt(1) : 0;
    };
    if (count(kQueryDetailsRowCount) == 0 && count(kQueryVaultTableRightsCount) == 0)
        return false;
    const auto lines = [this, &name](const char* format) {
        const std::string text = QString::fromLatin1(format).arg(accountOf(name)).toStdString();
        QStringList result;
        OTVResultSet rows = streamQuery(text.c_str());
        while (rows.next())
            result.append(rows.getString(1));
        return result;
    };
    // Unlocked, it is in use; locked, it may not have been made by an add of this program.
    const QStringList creation = lines(kQueryShowCreateUser);
    if (creation.isEmpty() || !creation.first().contains(QLatin1String(" ACCOUNT LOCK")))
        return false;
    const QStringList grants = lines(kQueryShowGrants);
    return std::all_of(grants.begin(), grants.end(), isVaultGrantLine);
}

bool OTVDataBase::removeIfLeftByInterruptedAdd(const QString& name)
{
    if (!isLeftByInterruptedAdd(name))
        return false;
    executeAccountStatement(kQueryDeleteUser, name);
    deleteDetailsRow(name);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Steps

int OTVDataBase::checkAccountFits(const OTVUser_Admin& user)
{
    const QString userID = user.mUserID();
    if (OTVFirstUnstorableAccountDetail(user) != OTVAccountDetail::None)
        return kOTVStatusValueTooLong;
    try {
        OTVCheckVarcharFits(user.mPlatformName(), kPlatformNameCharacters);
        encryptedDataValue(user.mPassword(), kBlobBytes);
    } catch (const OTVValueTooLong&) {
        return kOTVStatusValueTooLong;
    }
    if (!OTVHasAccountNameCharacters(user.mUsername()) || userID.isEmpty() || userID.size() > kUserIDCharacters)
        return kOTVStatusDatabaseError;
    return kOTVStatusOK;
}

bool OTVDataBase::isAlreadyMySQLUser(const QString& name)
{
    OTVStatement statement = prepare(kusrExistInMySql);
    statement.setString(1, name);
    OTVResultSet rows = statement.executeQuery();
    return rows.next() && rows.getInt(1) != 0;
}

void OTVDataBase::addDetailsToMySqlInfoTable(const OTVUser_Admin& user)
{
    OTVStatement statement = prepare(kInsMySQLUserInfoTblVal);
    statement.setString(1, user.mUsername());
    statement.setString(2, user.mFullName());
    statement.setString(3, user.mDescription());
    statement.setString(4, user.mEmail());
    statement.setString(5, user.mPhoneNo());
    statement.setString(6, QStringLiteral(""));
    statement.executeUpdate();
}

void OTVDataBase::setPermissionsForUser(const QString& userName)
{
    grantTableRights(userName, false);
}

void OTVDataBase::grantTableRights(const QString& userName, bool disabled)
{
    for (const OTVTableGrant& grant : kTableGrants) {
        if (!disabled || !isRevokedTable(grant.table))
            assignTablePrivilegesforTable(kQueryGrantTablePrivileges, grant.table, grant.privileges, userName);
    }
    // An enabled account may delete itself (and only itself) at its tenth failed unlock.
    if (!disabled) {
        makeOwnDeletionRoutine();
        executeAccountStatement(kQueryGrantOwnDeletion, userName);
    }
}

void OTVDataBase::assignTablePrivilegesforTable(const char* statementFormat, const char* table,
                                                const char* privileges, const QString& userName)
{
    const QString list = withoutTrailingComma(privileges);
    if (list.isEmpty())
        return;
    executePlain(QString::fromLatin1(statementFormat).arg(list, QString::fromLatin1(table), quotedString(userName)));
}

void OTVDataBase::revokeAllPermissionsForUser(const QString& userName)
{
    for (const char* table : kRevokedTables)
        revokeTablePrivileges(table, kPrivAll, userName);
    revokeOwnDeletion(userName);
}

void OTVDataBase::revokeTablePrivileges(const char* table, const char* privileges, const QString& userName)
{
    try {
        assignTablePrivilegesforTable(RevokCatPrivVal, table, privileges, userName);
    } catch (const sql::SQLException& e) {
        if (e.getErrorCode() != kDBNonexistingGrantCode && e.getErrorCode() != kDBNonexistingTableGrantCode)
            throw;   // else there was nothing to take away
    }
}

bool OTVDataBase::writeUserRow(const OTVUser_Admin& user, bool insert)
{
    OTVCheckVarcharFits(user.mUsername(), kUserNameCharacters);
    OTVCheckVarcharFits(user.mPlatformName(), kPlatformNameCharacters);
    // Every vault account may read USERTABLE: a password kept here (under the program's own key)
    // would be every user's to read. The server checks passwords; the column stays empty.
    const QByteArray password("");

    OTVStatement statement = prepare(insert ? kQueryInsertUserTable : kQueryReplaceUserTable);
    unsigned column = 1;
    if (insert)
        statement.setString(column++, user.mUserID());
    statement.setString(column++, user.mUsername());
    statement.setBlob(column++, password);
    statement.setString(column++, user.mPlatformName());
    statement.setInt(column++, user.mGroupPermissionsBit());
    statement.setInt(column++, user.mTypePermissionsBit());
    statement.setInt(column++, user.mRecordPermissionsBit());
    statement.setInt(column++, user.mDataPermissionsBit());
    statement.setBoolean(column++, !user.mIsNotAllowedToChangePassword());
    statement.setBoolean(column++, user.mIsAccountDisabled());
    if (!insert)
        statement.setString(column++, user.mUserID());
    const int rows = statement.executeUpdate();
    return !insert || rows > 0;   // an update that changes nothing counts 0 rows
}

void OTVDataBase::insertIntoGroupListForUser(const OTVUser_Admin& user)
{
    OTVStatement remove = prepare(kQueryDeleteUserFromGroupList);
    remove.setString(1, user.mUserID());
    remove.executeUpdate();
    OTVStatement insert = prepare(kQueryInsertIntoUserGroupList);
    for (const QString& groupUID : user.mUsersGroupArray()) {
        insert.setString(1, user.mUserID());
        insert.setString(2, groupUID);
        insert.executeUpdate();
    }
}

QString OTVDataBase::storedUserName(const QString& userID)
{
    OTVStatement statement = prepare(kQueryUserNameForID);
    statement.setString(1, userID);
    OTVResultSet rows = statement.executeQuery();
    return rows.next() ? rows.getString(1) : QString();
}

bool OTVDataBase::storedAccountDisabled(const QString& userID)
{
    OTVStatement statement = prepare(kQueryUserDisabledForID);
    statement.setString(1, userID);
    OTVResultSet rows = statement.executeQuery();
    return rows.next() && rows.getBoolean(1);
}

void OTVDataBase::rememberUserInMap(const std::shared_ptr<OTVUser_Admin>& user)
{
    // The server has the password now; the window's copy of the account keeps none.
    user->setMPassword(QString());
    if (user->mUsername() == kRootAccount && user->isAdministrator())
        return;
    // The interface draws the map: a worker's change (the user import) waits for the main thread.
    changeMapsOnMainThread([this, user] { mUsers_.insert(user->mUserID(), user); });
}

QString OTVNativePasswordHash(const QString& password)
{
    const QByteArray once = QCryptographicHash::hash(password.toUtf8(), QCryptographicHash::Sha1);
    return QLatin1Char('*') +
           QString::fromLatin1(QCryptographicHash::hash(once, QCryptographicHash::Sha1).toHex().toUpper());
}

QString OTVDataBase::accountHost(const QString& name)
{
    // Vault accounts are made for any host; the session's own account may be another
    // (root@localhost), and a statement naming '%' would miss it or change another account.
    if (!mCurrentUser_ || name != mCurrentUser_->mUsername())
        return QStringLiteral("%");
    OTVResultSet rows = prepare(kQuerySessionAccount).executeQuery();
    const QString account = rows.next() ? rows.getString(1) : QString();
    const qsizetype at = account.lastIndexOf(QLatin1Char('@'));
    return at >= 0 && account.left(at) == name ? account.mid(at + 1) : QStringLiteral("%");
}

QString OTVDataBase::accountOf(const QString& name)
{
    return quotedString(name) + QLatin1Char('@') + quotedString(accountHost(name));
}

void OTVDataBase::executeAccountStatement(const char* format, const QString& account, const QString& value)
{
    QString statement = QString::fromLatin1(format);
    statement = value.isNull() ? statement.arg(accountOf(account)) : statement.arg(accountOf(account), quotedString(value));
    executePlain(statement);
}

void OTVDataBase::renameAccount(const QString& from, const QString& to)
{
    executePlain(QString::fromLatin1(kQueryRenameUser).arg(accountOf(from), accountOf(to)));
}

// ---------------------------------------------------------------------------------------------
// What an operation puts back when it fails

std::function<void()> OTVDataBase::restorerOfDetailsRow(const QString& userName)
{
    OTVStatement statement = prepare(kQueryMySQLUserInfoRow);
    statement.setString(1, userName);
    OTVResultSet rows = statement.executeQuery();
    if (!rows.next()) {
        return [this, userName] {
            OTVStatement remove = prepare(kDelMySQLUserInfoTblVal);
            remove.setString(1, userName);
            remove.executeUpdate();
        };
    }
    QStringList values{userName};
    for (unsigned column = 1; column <= 4; ++column)
        values.append(rows.isNull(column) ? QString() : rows.getString(column));
    const QByteArray icon = rows.getBlob(5);
    return [this, values, icon] {
        OTVStatement replace = prepare(kInsMySQLUserInfoTblVal);
        for (int i = 0; i < values.size(); ++i)
            replace.setString(unsigned(i + 1), values.at(i));
        replace.setBlob(6, icon);
        replace.executeUpdate();
    };
}

std::function<void()> OTVDataBase::restorerOfPassword(const QString& userName)
{
    std::optional<QString> hash;
    try {
        OTVStatement statement = prepare(kQueryMySQLPasswordHash);
        statement.setString(1, userName);
        statement.setString(2, accountHost(userName));
        OTVResultSet rows = statement.executeQuery();
        if (rows.next() && !rows.isNull(1))
            hash = rows.getString(1);
    } catch (const sql::SQLException&) {
        // Only administrators may read the hashes; a user's own change cannot be put back.
    }
    if (!hash)
        return {};
    return [this, userName, hash] { executeAccountStatement(kQuerySetUserPassword, userName, *hash); };
}

std::function<void()> OTVDataBase::restorerOfTableRights(const QString& userName)
{
    QSet<QString> held;
    OTVStatement statement = prepare(kQueryMySQLTablesWithRights);
    statement.setString(1, userName);
    OTVResultSet rows = statement.executeQuery();
    while (rows.next())
        held.insert(rows.getString(1) + QLatin1Char('.') + rows.getString(2));
    bool heldOwnDeletion = false;
    {
        OTVStatement routine = prepare(kQueryHoldsOwnDeletion);
        routine.setString(1, userName);
        OTVResultSet right = routine.executeQuery();
        heldOwnDeletion = right.next() && right.getInt(1) > 0;
    }
    // The tables it held rights on get the standard ones back; the others lose them.
    return [this, userName, held, heldOwnDeletion] {
        for (const OTVTableGrant& grant : kTableGrants) {
            if (held.contains(tablesPrivKey(grant.table)))
                assignTablePrivilegesforTable(kQueryGrantTablePrivileges, grant.table, grant.privileges, userName);
            else
                revokeTablePrivileges(grant.table, grant.privileges, userName);
        }
        if (heldOwnDeletion)
            executeAccountStatement(kQueryGrantOwnDeletion, userName);
        else
            revokeOwnDeletion(userName);
    };
}

// ---------------------------------------------------------------------------------------------
// Steps of other categories that adding, renaming and deleting a user take

int OTVDataBase::addPreferenceRowForNewUser(const QString& userID, const QString& userName)
{
    int status = kOTVStatusOK;
    initUserPreferencesForUser(userID, userName, &status);
    return status;
}

int OTVDataBase::addPersonalGroupForUser(const OTVUserBase& user)
{
    return addUserPersonalGroup(user);
}

int OTVDataBase::renamePersonalGroupForUser(const OTVUserBase& user)
{
    return renameUserPersonalGroup(user);
}

int OTVDataBase::deletePersonalGroupForUser(const OTVUserBase& user)
{
    return deleteUserPersonalGroup(user);
}

// ---------------------------------------------------------------------------------------------
// An administrator's login brings the accounts to the current rules

struct OTVDataBase::AccountState {
    QString name;
    QString userID;   // null: no vault user of this name
    bool disabled = false;
    bool anyHostAccount = false;
    bool someAccount = false;
    bool administrator = false;
    bool keyStampRight = false;
    bool vaultRights = false;
    bool ownDeletionRight = false;
    bool details = false;
    bool formerRights = false;

    // A vault user's own account for any host, not an administrator's: the current rules give it
    // every vault right while it is enabled, and none that writes while it is disabled.
    bool isVaultAccount() const { return !userID.isNull() && anyHostAccount && !administrator; }
    bool isEnabledVaultAccount() const { return isVaultAccount() && !disabled; }
    bool isDisabledVaultAccount() const { return isVaultAccount() && disabled; }
    // What an add cut short may have left: an account for any host without a vault user, with
    // this program's marks (checked further before it goes).
    bool mayBeLeftByInterruptedAdd() const
    {
        return userID.isNull() && anyHostAccount && !name.isEmpty() && (details || vaultRights);
    }
};

QList<OTVDataBase::AccountState> OTVDataBase::readAccountStates()
{
    QList<AccountState> states;
    OTVResultSet rows = prepare(kQueryAccountStates).executeQuery();
    while (rows.next()) {
        AccountState state;
        state.name = rows.getString(1u);
        state.userID = rows.isNull(2u) ? QString() : rows.getString(2u);
        state.disabled = rows.getBoolean(3u);
        state.anyHostAccount = rows.getBoolean(4u);
        state.someAccount = rows.getBoolean(5u);
        state.administrator = rows.getBoolean(6u);
        state.keyStampRight = rows.getBoolean(7u);
        state.vaultRights = rows.getBoolean(8u);
        state.ownDeletionRight = rows.getBoolean(9u);
        state.details = rows.getBoolean(10u);
        state.formerRights = rows.getBoolean(11u);
        states.append(state);
    }
    return states;
}

int OTVDataBase::bringAccountsToCurrentRules()
{
    return runGuarded([&] {
        // Passwords that earlier versions kept in USERTABLE.
        executePlain(kQueryEmptyStoredPasswords);

        // Made again, the routine has lost its grants: it goes first, so that they are given back.
        makeOwnDeletionRoutine();
        for (const AccountState& account : readAccountStates()) {
            // Accounts that still hold the write rights earlier versions granted on USERTABLE and
            // the event log: their rights on both tables become the current set (a disabled
            // account gets none back).
            if (account.isVaultAccount() && account.formerRights)
                bringUpkeepTablesToCurrentRights(account);
            // Vault accounts made before the key stamp or the routine existed get their rights;
            // disabled ones (by earlier versions too) hold none that writes.
            if (account.isEnabledVaultAccount() && !account.keyStampRight)
                grantKeyStampRights(account.name);
            if (account.isEnabledVaultAccount() && !account.ownDeletionRight)
                executeAccountStatement(kQueryGrantOwnDeletion, account.name);
            if (account.isDisabledVaultAccount() && account.ownDeletionRight)
                revokeOwnDeletion(account.name);
            if (account.mayBeLeftByInterruptedAdd() && removeIfLeftByInterruptedAdd(account.name))
                continue;
            // Details whose account is gone (an add cut short before it) describe nobody, and
            // every vault user can read them.
            if (account.details && !account.someAccount)
                deleteDetailsRow(account.name);
        }
        return int(kOTVStatusOK);
    });
}

void OTVDataBase::bringUpkeepTablesToCurrentRights(const AccountState& account)
{
    for (const OTVTableGrant& grant : kTableGrants) {
        if (!isRulesUpkeepTable(grant.table))
            continue;
        revokeTablePrivileges(grant.table, kPrivAll, account.name);
        if (!account.disabled)
            assignTablePrivilegesforTable(kQueryGrantTablePrivileges, grant.table, grant.privileges, account.name);
    }
}

void OTVDataBase::grantKeyStampRights(const QString& name)
{
    for (const OTVTableGrant& grant : kTableGrants) {
        if (std::string_view(grant.table) == kKeyStampTable)
            assignTablePrivilegesforTable(kQueryGrantTablePrivileges, grant.table, grant.privileges, name);
    }
}

void OTVDataBase::deleteDetailsRow(const QString& name)
{
    OTVStatement statement = prepare(kDelMySQLUserInfoTblVal);
    statement.setString(1, name);
    statement.executeUpdate();
}

// ---------------------------------------------------------------------------------------------
// A vault user's deletion of itself

void OTVDataBase::makeOwnDeletionRoutine()
{
    OTVStatement statement = prepare(kQueryOwnDeletionRoutineIsCurrent);
    statement.setString(1, QString::fromLatin1(kOwnDeletionRoutineVersion));
    OTVResultSet rows = statement.executeQuery();
    if (!rows.next() || rows.getInt(1) == 0)
        executePlain(kQueryCreateOwnDeletionRoutine);
}

void OTVDataBase::revokeOwnDeletion(const QString& name)
{
    try {
        executeAccountStatement(kQueryRevokeOwnDeletion, name);
    } catch (const sql::SQLException& e) {
        if (e.getErrorCode() != kDBNonexistingRoutineGrantCode && e.getErrorCode() != kDBNoSuchRoutineCode)
            throw;   // else there was nothing to take away
    }
}

int OTVDataBase::deleteOwnVaultUser()
{
    return runGuarded([&] {
        executePlain(kQueryCallOwnDeletion);
        return int(kOTVStatusOK);
    });
}
