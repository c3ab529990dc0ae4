// Personal groups (one per user, seen by its owner only) and the vault's master password:
// setting the first one, and changing it, which re-enciphers every value under the record
// cipher and stores the new password in one transaction.
#include "OTVDataBase.h"

#include "OTVDataBaseQueries.h"
#include "OTVRecordReferences.h"

#include "Model/Ciphers/CDBEncrypter.h"
#include "Model/OTVRecord.h"
#include "Model/OTVType.h"
#include "Model/OTVUser.h"
#include "Platform/BKLocalization.h"
#include "Platform/BKWorker.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr quint16 kPersonalGroupRecordPermission = 7;   // add, edit and delete records

// An enciphered column (or the key) of a table: its position in the rows read and its name.
struct EncipheredColumn {
    unsigned column;
    const char* name;
    qint64 columnBytes = kTinyBlobBytes;
};

// `count` consecutive columns FIELD1, FIELD2, ...
std::vector<EncipheredColumn> fields(unsigned firstColumn, int count)
{
    static const char* const names[] = {"FIELD1", "FIELD2", "FIELD3", "FIELD4", "FIELD5",
                                        "FIELD6", "FIELD7", "FIELD8", "FIELD9", "FIELD10"};
    std::vector<EncipheredColumn> columns;
    for (int i = 0; i < count; ++i)
        columns.push_back({firstColumn + unsigned(i), names[i]});
    return columns;
}

template <class T>
std::vector<T> operator+(std::vector<T> a, const std::vector<T>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The rows rewritten by one statement: a vault of 10,000 records takes a few dozen round trips
// instead of one per row. A batch of fewer rows leaves the rest of the statement's rows NULL,
// which match no key, so that each table has one statement.
constexpr int kRewriteBatchRows = 500;

// UPDATE (SELECT ? AS K, CAST(? AS BINARY) AS V1, ... UNION ALL SELECT ?, CAST(? AS BINARY), ...)
// AS NEWVALUES STRAIGHT_JOIN TABLE ON TABLE.KEY = NEWVALUES.K SET TABLE.COLUMN1 = NEWVALUES.V1,
// ...: rows that another client deleted meanwhile stay deleted, as with one UPDATE per row. The
// enciphered bytes travel inside the statement's packet (each BLOB parameter in a packet of its
// own made the write-back cost a send per value); the casts keep them bytes, not text.
std::string rewriteStatement(const char* table, const EncipheredColumn& key, const std::vector<EncipheredColumn>& texts)
{
    std::string values = "SELECT ? AS K";
    std::string more = "SELECT ?";
    std::string set;
    for (size_t i = 0; i < texts.size(); ++i) {
        const std::string name = "V" + std::to_string(i + 1);
        values += ", CAST(? AS BINARY) AS " + name;
        more += ", CAST(? AS BINARY)";
        set += std::string(i ? ", " : "") + table + "." + texts[i].name + " = NEWVALUES." + name;
    }
    for (int row = 1; row < kRewriteBatchRows; ++row)
        values += " UNION ALL " + more;
    return std::string("UPDATE (") + values + ") AS NEWVALUES STRAIGHT_JOIN " + table + " ON " + table + "." +
           key.name + " = NEWVALUES.K SET " + set;
}

struct FreeDeleter {
    void operator()(char* p) const { std::free(p); }
};

} // namespace

// One row as the change carries it from the old cipher to the new one.
struct OTVDataBase::PlainRow {
    QString key;
    QStringList texts;   // the enciphered columns, deciphered
};

// A table whose columns the record cipher protects: how its rows are read, and the statement
// that writes a batch of them back.
struct OTVDataBase::EncipheredTable {
    EncipheredTable(const char* select, const char* name, EncipheredColumn key, std::vector<EncipheredColumn> texts)
        : select(select), name(name), key(key), texts(std::move(texts)), rewrite(rewriteStatement(name, key, this->texts))
    {
    }

    const char* select;
    const char* name;
    EncipheredColumn key;
    std::vector<EncipheredColumn> texts;
    std::string rewrite;
};

// By the columns of each table's reader. The personal groups are named anew from their owners'
// user names instead.
const std::vector<OTVDataBase::EncipheredTable>& OTVDataBase::encipheredTables()
{
    using Table = EncipheredTable;
    static const std::vector<Table> tables = {
        // GROUPTABLE: 1 UID, 2 NAME.
        Table{kQueryGroupNotPersonal, "GROUPTABLE", {1, "UID"}, {{2, "NAME"}}},
        // TYPETABLE: 1 UID, 2 NAME, 3 ICONID, 4 MASKS, 5-14 FIELD1-10.
        Table{kQueryTypes, "TYPETABLE", {1, "UID"}, std::vector<EncipheredColumn>{{2, "NAME"}} + fields(5, kNoOfFields)},
        // RECORDTABLE: 1 RECORDID, 4-13 FIELD1-10, 14 NOTE.
        Table{kQueryRecords, "RECORDTABLE", {1, "RECORDID"},
              fields(4, kNoOfFields) + std::vector<EncipheredColumn>{{14, "NOTE", kLongBlobBytes}}},
        // CUSTOMTYPETABLE: 1 RECORDID, 2 ICONID, 3 MASKS, 4-13 FIELD1-10 (also the rows of
        // records that are no longer customised: they may be again).
        Table{kQueryAllCustomTypes, "CUSTOMTYPETABLE", {1, "RECORDID"}, fields(4, kNoOfFields)},
        // ATTACHMENTTABLE: 1 RECORDID, 2 ATTACHMENTNAME, 3 ENCRYPTIONKEY. The data keeps its
        // pass key and cipher.
        Table{kQueryAllAttachmentNames, "ATTACHMENTTABLE", {1, "RECORDID"},
              {{2, "ATTACHMENTNAME"}, {3, "ENCRYPTIONKEY"}}},
    };
    return tables;
}

std::string OTVDataBase::reEncipheringStatement(const std::string& table)
{
    for (const EncipheredTable& enciphered : encipheredTables()) {
        if (table == enciphered.name)
            return enciphered.rewrite;
    }
    return {};
}

// ---------------------------------------------------------------------------------------------
// Personal groups

QString OTVDataBase::personalGroupName(const QString& userName)
{
    return QStringLiteral("%1-%2").arg(BKLocalizedString("Personal"), userName);
}

QString OTVDataBase::currentUserPersnaolGroupName() const
{
    return personalGroupName(mCurrentUser()->mUsername());
}

int OTVDataBase::addUserPersonalGroup(const OTVUserBase& account)
{
    const int status = runGuarded([&] {
        return runInTransaction([&] {
            if (const int key = checkVaultKeyUnchanged())
                return key;
            OTVStatement statement = prepare(kQueryGroupInsert);
            statement.setBlob(1, encryptedValue(personalGroupName(account.mUsername()), kTinyBlobBytes));
            statement.setString(2, account.mUserID());
            statement.setUInt(3, kPersonalGroupRecordPermission);
            statement.setBoolean(4, true);
            // An account that has its group already keeps it as it is.
            return statement.executeUpdate() > 0 ? int(kOTVStatusOK) : int(kOTVStatusNothingWritten);
        });
    });
    // Nothing was written unless the row was.
    return status == kOTVStatusOK ? status : OTVNothingWrittenStatus(status);
}

void OTVDataBase::writePersonalGroupName(const QString& userID, const QString& userName)
{
    OTVStatement statement = prepare(kQueryGroupUpdateName);
    statement.setBlob(1, encryptedValue(personalGroupName(userName), kTinyBlobBytes));
    statement.setString(2, userID);
    statement.executeUpdate();   // no group, or the same name: nothing changes
}

int OTVDataBase::renameUserPersonalGroup(const OTVUserBase& account)
{
    return runGuarded([&] {
        return runInTransaction([&] {
            if (const int key = checkVaultKeyUnchanged())
                return key;
            writePersonalGroupName(account.mUserID(), account.mUsername());
            return int(kOTVStatusOK);
        });
    });
}

int OTVDataBase::renamePersonalGroupForUser(const QString& userID)
{
    return runGuarded([&] {
        OTVStatement lookup = prepare(kQueryGetUserName);
        lookup.setString(1, userID);
        OTVResultSet rows = lookup.executeQuery();
        if (rows.next())
            writePersonalGroupName(userID, rows.getString(1u));
        return kOTVStatusOK;
    });
}

int OTVDataBase::reEncryptPersonalGroups(const QStringList& userIDs)
{
    for (const QString& userID : userIDs) {
        if (const int status = renamePersonalGroupForUser(userID))
            return status;
    }
    return kOTVStatusOK;
}

int OTVDataBase::deleteUserPersonalGroup(const OTVUserBase& account)
{
    const int status = runGuarded([&] {
        OTVStatement statement = prepare(kQueryGroupDelete);
        statement.setString(1, account.mUserID());
        return statement.executeUpdate() > 0 ? kOTVStatusOK : kOTVStatusNothingWritten;
    });
    return status == kOTVStatusOK ? status : OTVNothingWrittenStatus(status);
}

QStringList OTVDataBase::readUserIDs()
{
    OTVStatement statement = prepare(kQueryAllUserUIDS);
    OTVResultSet rows = statement.executeQuery();
    QStringList userIDs;
    while (rows.next()) {
        if (!rows.isNull(1u))
            userIDs.append(rows.getString(1u));
    }
    return userIDs;
}

QStringList OTVDataBase::allUsersUIDS()
{
    QStringList userIDs;
    runGuarded([&] {
        userIDs = readUserIDs();
        return kOTVStatusOK;
    });
    return userIDs;
}

OTVRecordList OTVDataBase::readUserPersonalRecords(const QString& groupUID, bool readCompletely, VaultMaps* into,
                                                   int* returnCode)
{
    OTVRecordList records;
    const int status = runGuarded(
        [&] {
            const OTVTypeMap* types = nullptr;
            const OTVGroupMap* groups = nullptr;
            if (readCompletely) {
                types = into ? &into->types : &mTypes_;
                groups = into ? &into->groups : &mGroups_;
            }
            const OTVRecordReferences references(types, groups);
            OTVStatement statement = prepare(kQueryUserPersonalRecords);
            statement.setString(1, groupUID);
            OTVResultSet rows = statement.executeQuery();
            while (rows.next()) {
                std::shared_ptr<OTVRecord> record = recordFromRow(rows, references);
                // A custom type or attachment that cannot be read is reported; the record
                // stays, without it.
                int ignored = kOTVStatusOK;
                if (record->mIsCustomized())
                    readCustomTypeForRecord(*record, &ignored);
                if (record->mHasAttachment())
                    readAttachmentForRecord(*record, &ignored);
                record->setMAttachmentState(readCompletely ? kAttachmentUnchanged : kAttachmentReencipher);
                records.append(record);
            }
            return kOTVStatusOK;
        },
        kOTVStatusDatabaseError, kOTVStatusDatabaseError);
    if (returnCode)
        *returnCode = status;
    if (!readCompletely)
        return records;
    if (into) {
        for (const std::shared_ptr<OTVRecord>& record : std::as_const(records))
            into->records.insert(record->mRecordUID(), record);
    } else {
        changeMapsOnMainThread([this, records] {
            for (const std::shared_ptr<OTVRecord>& record : records)
                mRecords_.insert(record->mRecordUID(), record);
        });
    }
    return {};
}

// ---------------------------------------------------------------------------------------------
// Master password

void OTVDataBase::saveMasterPasswordForAdmin(const QString& password)
{
    OTVStatement statement = prepare(kQueryReplaceDatabaseInfoTable);
    statement.setString(1, QString::fromLatin1(kDatabaseInfoMasterPassword));
    if (password.isEmpty())
        statement.setString(2, QStringLiteral(""));
    else
        statement.setBlob(2, encryptedDataValue(password, kTinyBlobBytes));   // every ciphertext byte, zeros too
    statement.executeUpdate();
}

void OTVDataBase::setChangeMasterPassword(bool changed)
{
    StoreLock lock(*this);
    mIsMasterPasswordChanged = changed;
}

int OTVDataBase::setMasterPassword(const QString& password)
{
    return rekeyVault(password, true);
}

int OTVDataBase::reEncyptAllDatabaseInformation(const QString& newPassword)
{
    mIsLoadingComplete = false;
    const int status = rekeyVault(newPassword, false);
    mReEncryptionStatus = status;
    mIsLoadingComplete = true;
    return status;
}

void OTVDataBase::startReEncryption(const QString& newPassword)
{
    // Cleared here, not by the worker: a waiter that looks before the worker has started must
    // not take the flag that the last load left set for the end of the change.
    mIsLoadingComplete = false;
    BKDetachNewThread([this, newPassword] { reEncyptAllDatabaseInformation(newPassword); },
                      [] { endDatabaseThread(); });
}

int OTVDataBase::changeMasterPassword(const QString& newPassword)
{
    startReEncryption(newPassword);
    BKRunModalUntil([this] { return isLoadingComplete(); });
    return reEncryptionStatus();
}

bool OTVDataBase::recordCipherIsKeyedBy(const QString& password) const
{
    if (password.isEmpty() || !mEncrypter)
        return password.isEmpty() && !mEncrypter;
    // Ciphers with the same key encipher alike: compare one block under both.
    CDBEncrypter candidate(password.toUtf8().constData());
    const char probe[] = "0123456789ABCDEF";
    int sessionLength = int(sizeof(probe) - 1);
    int candidateLength = sessionLength;
    const std::unique_ptr<char, FreeDeleter> session(mEncrypter->Encrypt(probe, &sessionLength));
    const std::unique_ptr<char, FreeDeleter> expected(candidate.Encrypt(probe, &candidateLength));
    return sessionLength == candidateLength && std::memcmp(session.get(), expected.get(), size_t(sessionLength)) == 0;
}

int OTVDataBase::markKeyChange()
{
    if (!mOnCluster)
        return kOTVStatusOK;   // one server: the row locks hold writers off
    return runGuarded([&] {
        return runInTransaction([&] {
            if (keyChangeUnderWay(kQueryKeyChangeUnderWayLocked))
                return int(kOTVStatusNothingWritten);
            OTVStatement statement = prepare(kQuerySetKeyChangeMark);
            statement.setInt(1, mKeyChangeMarkSeconds);
            statement.executeUpdate();
            // Writes through other nodes that passed their check before the mark arrived
            // conflict with it here, not later with the change.
            stampVaultKeyOnCluster();
            return int(kOTVStatusOK);
        });
    });
}

void OTVDataBase::clearKeyChangeMarkQuietly()
{
    if (!mOnCluster)
        return;
    try {
        executePlain(kQueryClearKeyChangeMark);
    } catch (const std::exception&) {
        // The connection is gone (reported already): the mark lapses by itself.
    }
}

int OTVDataBase::rekeyVault(const QString& newPassword, bool onlyFirstPassword)
{
    StoreLock lock(*this);
    if (const int marked = markKeyChange())
        return marked;
    std::unique_ptr<CDBEncrypter> oldCipher;
    bool cipherReplaced = false;
    QString undecipherable;
    const int status = runGuarded([&] {
        undecipherable.clear();
        // A run that the server refused (a deadlock, or on a cluster a conflict with another
        // node's write) starts again from the values under the session's key.
        if (cipherReplaced) {
            mEncrypter = std::move(oldCipher);
            cipherReplaced = false;
        }
        return runInTransaction([&] {
            // The lock first: a change by another client waits until this one has ended, and
            // this one reads what the other stored. (A stored password that does not decipher
            // is a database error, never "no master password".)
            prepare(kQueryLockDatabaseInfoMasterPassword).executeQuery();
            // Before anything is read: a write through another node that commits from now on
            // conflicts with this change, which then reads again and re-enciphers it too.
            stampVaultKeyOnCluster();
            const QString storedPassword = retriveMasterPassword().value_or(QStringLiteral(""));
            if (onlyFirstPassword && !storedPassword.isEmpty())
                return int(kOTVStatusNothingWritten);   // a vault keeps the key its values are under
            // The values are read under the session's cipher, which must be the stored one's.
            if (!recordCipherIsKeyedBy(storedPassword))
                return int(kOTVStatusNothingWritten);

            const QStringList userIDs = readUserIDs();
            QList<QList<PlainRow>> tables;
            for (const EncipheredTable& table : encipheredTables()) {
                tables.append(QList<PlainRow>());
                if (const int read = readPlainRows(table, tables.last(), undecipherable))
                    return read;
            }

            oldCipher = std::move(mEncrypter);
            cipherReplaced = true;
            createEncrypter(newPassword);
            saveMasterPasswordForAdmin(newPassword);
            for (qsizetype i = 0; i < tables.size(); ++i)
                writePlainRows(encipheredTables()[size_t(i)], tables[i]);
            if (const int named = reEncryptPersonalGroups(userIDs))
                return named;
            // With the new key: writers see the new password and the mark gone together.
            if (mOnCluster)
                executePlain(kQueryClearKeyChangeMark);
            return int(kOTVStatusOK);
        });
    });
    if (status != kOTVStatusOK) {
        if (cipherReplaced)
            mEncrypter = std::move(oldCipher);
        clearKeyChangeMarkQuietly();
        if (!undecipherable.isEmpty()) {
            addLogEvent(QStringLiteral("Failed Master Password Change"), undecipherable);
            mLastServerMessage = undecipherable;   // after the log's write, which may report its own
        }
        return status;
    }
    mConnectionDetails.masterPassword = newPassword;
    mIsMasterPasswordChanged = true;
    return status;
}

int OTVDataBase::readPlainRows(const EncipheredTable& table, QList<PlainRow>& rows, QString& undecipherable)
{
    OTVStatement statement = prepare(table.select);
    OTVResultSet result = statement.executeQuery();
    while (result.next()) {
        PlainRow row;
        row.key = result.getString(table.key.column);
        for (const EncipheredColumn& text : table.texts) {
            row.texts.append(getDecryptedString(result.getBlob(text.column)));
            // Damaged, or written under another key: rewriting it would lose it for good.
            if (row.texts.last().isNull()) {
                undecipherable = BKLocalizedString("A stored value does not decipher under the master password, "
                                                   "and changing the password would lose it: table %1, column %2, "
                                                   "row %3 '%4'. Remove or restore the value, then change the "
                                                   "master password again.")
                                     .arg(QLatin1String(table.name), QLatin1String(text.name),
                                          QLatin1String(table.key.name), row.key);
                return kOTVStatusOtherFailure;
            }
        }
        rows.append(row);
    }
    return kOTVStatusOK;
}

void OTVDataBase::writePlainRows(const EncipheredTable& table, const QList<PlainRow>& rows)
{
    if (rows.isEmpty())
        return;
    OTVStatement statement = prepare(table.rewrite.c_str());
    const unsigned perRow = unsigned(table.texts.size()) + 1;
    for (qsizetype first = 0; first < rows.size(); first += kRewriteBatchRows) {
        statement.clearParameters();
        for (int slot = 0; slot < kRewriteBatchRows; ++slot) {
            const unsigned parameter = unsigned(slot) * perRow + 1;
            if (first + slot >= rows.size()) {
                for (unsigned i = 0; i < perRow; ++i)
                    statement.setNull(parameter + i);
                continue;
            }
            const PlainRow& row = rows[first + slot];
            statement.setString(parameter, row.key);
            for (size_t i = 0; i < table.texts.size(); ++i)
                statement.setBytes(parameter + 1 + unsigned(i),
                                   encryptedValue(row.texts[qsizetype(i)], table.texts[i].columnBytes));
        }
        statement.executeUpdate();   // a value that stays the same counts no change
    }
}
