// The vault store's core: the instance, the connection thread, the administrator test, the
// master password, the two ciphers, the error path and the machinery shared by every category.
#include "OTVDataBase.h"

#include "OTVDataBaseQueries.h"

#include "Model/Ciphers/CDBEncrypter.h"
#include "Model/OTVUser.h"
#include "Platform/BKApplicationServices.h"
#include "Platform/BKMainThread.h"
#include "Platform/BKNotificationCenter.h"

#include <QDebug>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QVariant>

#include <cppconn/connection.h>
#include <cppconn/driver.h>
#include <cppconn/exception.h>
#include <cppconn/prepared_statement.h>
#include <cppconn/resultset.h>
#include <cppconn/statement.h>
#include <mysql_connection.h>
#include <mysql_driver.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <stdexcept>

const char kApplicationEncryptionKey[] = "Ostrevin Darovazivu vault key 7Q2mX9pL";
static_assert(sizeof(kApplicationEncryptionKey) == 38 + 1, "the application key text has 38 characters");

namespace {

const std::string kRootAccount = "root";
// libmariadb reports a refused or unreachable TCP connection as 2002, which MySQL's own client
// library numbers 2003; the store only ever connects over TCP.
constexpr int kDBConnectionErrorCode = 2002;
// Asks the server for nothing: whether the connection still answers.
constexpr char kConnectionProbe[] = "DO 0";

// A malloc buffer from the ciphers, freed on every path.
struct FreeDeleter {
    void operator()(char* p) const { std::free(p); }
};
using CipherResult = std::unique_ptr<char, FreeDeleter>;

} // namespace

OTVDatabaseError OTVDatabaseError::fromException(const sql::SQLException& exception)
{
    return {QString::fromUtf8(exception.what()), exception.getErrorCode(),
            QString::fromStdString(exception.getSQLState())};
}

// ---------------------------------------------------------------------------------------------
// Life cycle

OTVDataBase& OTVDataBase::sharedOTVDataBase()
{
    // Never destroyed: the connector's own statics may be gone at process exit. The desktop
    // closes the connection when the application terminates.
    static OTVDataBase* shared = new OTVDataBase;
    return *shared;
}

OTVDataBase::OTVDataBase() : mCurrentUser_(OTVUser::createUser()) {}

OTVDataBase::~OTVDataBase()
{
    closeConnection();
}

// ---------------------------------------------------------------------------------------------
// Shared machinery

OTVDataBase::StoreLock::StoreLock(const OTVDataBase& store) : store_(store)
{
    store_.mStoreMutex.lock();
    ++store_.mLockDepth;
}

OTVDataBase::StoreLock::~StoreLock()
{
    std::vector<std::function<void()>> work;
    if (--store_.mLockDepth == 0)
        work.swap(store_.mMainThreadWorkAfterUnlock);
    store_.mStoreMutex.unlock();
    for (const std::function<void()>& item : work) {
        BKPerformOnMainThreadAndWait([&item] {
            try {
                item();
            } catch (const std::exception& e) {
                qWarning() << "store: main-thread work failed:" << e.what();
            }
        });
    }
}

void OTVDataBase::performOnMainThreadWhenUnlocked(std::function<void()> work)
{
    StoreLock lock(*this);
    mMainThreadWorkAfterUnlock.push_back(std::move(work));
}

void OTVDataBase::reportDatabaseError(const OTVDatabaseError& error)
{
    performOnMainThreadWhenUnlocked([this, error] { handleDatabaseError(error); });
}

int OTVDataBase::runGuarded(const std::function<int()>& body, int databaseErrorStatus, int otherFailureStatus)
{
    StoreLock lock(*this);
    const bool outermost = mGuardDepth == 0;
    if (outermost)
        mLastServerMessage.clear();
    int status = kOTVStatusOK;
    {
        ++mGuardDepth;
        struct Leave {
            int& depth;
            ~Leave() { --depth; }
        } leave{mGuardDepth};
        status = runGuardedBody(body, databaseErrorStatus, otherFailureStatus);
    }
    // A failure on a connection that no longer answers is a lost connection, whatever failed
    // first: a step may have caught the error that told it, or the status folded it away.
    if (outermost && status != kOTVStatusOK && !OTVIsLostConnectionStatus(status)) {
        if (const std::optional<OTVDatabaseError> lost = lostConnection()) {
            status = mapDBErrorCode(lost->code);
            reportDatabaseError(*lost);
        }
    }
    return status;
}

int OTVDataBase::runGuardedBody(const std::function<int()>& body, int databaseErrorStatus, int otherFailureStatus)
{
    // A deadlock or a lost certification rolls back the whole transaction: only the operation
    // that opened it can run it again, so one inside a transaction hands the error up.
    const bool ownsItsWrites = mTransactionDepth == 0;
    int status = kOTVStatusOK;
    for (int attempt = 1;; ++attempt) {
        try {
            return body();
        } catch (const sql::SQLException& e) {
            if (e.getErrorCode() == kDBDeadlockCode) {
                if (!ownsItsWrites)
                    throw;
                if (attempt < kDeadlockAttempts) {
                    waitBeforeRetry(attempt);
                    continue;
                }
            }
            status = statusOfDatabaseError(e.getErrorCode(), databaseErrorStatus);
            mLastServerMessage = QString::fromUtf8(e.what());
            reportDatabaseError(OTVDatabaseError::fromException(e));
        } catch (const OTVValueTooLong&) {
            status = kOTVStatusValueTooLong;
        } catch (const std::exception& e) {
            qWarning() << "store operation failed:" << e.what();
            status = otherFailureStatus;
        } catch (...) {
            status = otherFailureStatus;
        }
        break;
    }
    markRollbackOnly(status);
    return status;
}

QString OTVDataBase::lastServerMessage() const
{
    StoreLock lock(*this);
    return mLastServerMessage;
}

bool OTVDataBase::hasLostConnection()
{
    return lostConnection().has_value();
}

std::optional<OTVDatabaseError> OTVDataBase::lostConnection()
{
    StoreLock lock(*this);
    try {
        executePlain(kConnectionProbe);
    } catch (const sql::SQLException& e) {
        if (OTVIsConnectionLostError(e.getErrorCode()))
            return OTVDatabaseError::fromException(e);
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

void OTVDataBase::waitBeforeRetry(int attempt)
{
    // Two clients that collided would collide again if both came back at once; the wait grows
    // with the attempts, up to a fifth of a second.
    const int milliseconds = std::min(attempt, 8) * (5 + int(QRandomGenerator::global()->bounded(20)));
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void OTVDataBase::markRollbackOnly(int status)
{
    if (mTransactionDepth == 0)
        return;
    mTransactionRollbackOnly = true;
    if (mTransactionFailureStatus == kOTVStatusOK)
        mTransactionFailureStatus = status;
}

int OTVDataBase::runInTransaction(const std::function<int()>& body)
{
    StoreLock lock(*this);
    const bool outermost = mTransactionDepth == 0;
    if (outermost) {
        connection().setAutoCommit(false);
        mTransactionRollbackOnly = false;
        mTransactionFailureStatus = kOTVStatusOK;
    }
    ++mTransactionDepth;
    int status = kOTVStatusOK;
    try {
        status = body();
    } catch (...) {
        mTransactionRollbackOnly = true;
        --mTransactionDepth;
        if (outermost)
            endTransaction(false);
        throw;
    }
    if (status != kOTVStatusOK)
        markRollbackOnly(status);
    --mTransactionDepth;
    if (!outermost)
        return status;
    if (mTransactionRollbackOnly) {
        endTransaction(false);
        return mTransactionFailureStatus != kOTVStatusOK ? mTransactionFailureStatus : kOTVStatusOtherFailure;
    }
    endTransaction(true);
    return kOTVStatusOK;
}

void OTVDataBase::endTransaction(bool commit)
{
    if (!mCPcon)
        return;
    // A failed rollback or a failed return to autocommit means a lost connection: the server
    // then rolls back by itself, and the next statement reports the loss.
    auto quietly = [](const std::function<void()>& step) {
        try {
            step();
        } catch (const sql::SQLException&) {
        }
    };
    if (commit) {
        try {
            // As a statement: the connector's commit() drops the server's answer, and a commit
            // that a cluster refused (1213) would read as stored when nothing was.
            executePlain(kOTVCommitStatement);
        } catch (...) {
            quietly([this] { mCPcon->rollback(); });
            quietly([this] { mCPcon->setAutoCommit(true); });
            throw;
        }
    } else {
        quietly([this] { mCPcon->rollback(); });
    }
    quietly([this] { mCPcon->setAutoCommit(true); });
}

sql::Connection& OTVDataBase::connection()
{
    if (!mCPcon)
        throw sql::SQLException("Invalid Connection", "HY000", kDBConnectionLastErrCode);
    return *mCPcon;
}

OTVStatement OTVDataBase::prepare(const char* sql)
{
    StoreLock lock(*this);
    if (mReusedStatementsDepth == 0)
        return OTVStatement(std::unique_ptr<sql::PreparedStatement>(connection().prepareStatement(sql)), sql,
                            &mStatementFaults);
    std::shared_ptr<sql::PreparedStatement>& reused = mReusedStatements[sql];
    if (!reused)
        reused.reset(connection().prepareStatement(sql));
    return OTVStatement(reused, sql, &mStatementFaults);
}

OTVDataBase::ReusedStatements::ReusedStatements(OTVDataBase& store)
    : store_(store), lock_(store)
{
    ++store_.mReusedStatementsDepth;
}

OTVDataBase::ReusedStatements::~ReusedStatements()
{
    if (--store_.mReusedStatementsDepth == 0 && !store_.keepsStatementsForThisThread())
        store_.mReusedStatements.clear();
}

bool OTVDataBase::keepsStatementsForThisThread() const
{
    return mKeptStatementsDepth > 0 && mKeptStatementsThread == std::this_thread::get_id();
}

OTVDataBase::KeptStatements::KeptStatements(OTVDataBase& store) : store_(store)
{
    StoreLock lock(store_);
    if (store_.mKeptStatementsDepth++ == 0)
        store_.mKeptStatementsThread = std::this_thread::get_id();
}

OTVDataBase::KeptStatements::~KeptStatements()
{
    StoreLock lock(store_);
    if (--store_.mKeptStatementsDepth == 0 && store_.mReusedStatementsDepth == 0)
        store_.mReusedStatements.clear();
}

OTVResultSet OTVDataBase::streamQuery(const char* sql)
{
    StoreLock lock(*this);
    std::shared_ptr<sql::Statement> statement(connection().createStatement());
    statement->setResultSetType(sql::ResultSet::TYPE_FORWARD_ONLY);
    mStatementFaults.beforeExecution(sql);
    return OTVResultSet(std::unique_ptr<sql::ResultSet>(statement->executeQuery(sql)), statement);
}

void OTVDataBase::executePlain(const char* sql)
{
    StoreLock lock(*this);
    std::unique_ptr<sql::Statement> statement(connection().createStatement());
    mStatementFaults.beforeExecution(sql);
    statement->execute(sql);
    // A CALL answers with a status result of its own; the connection takes no other statement
    // before it is read.
    while (statement->getMoreResults())
        std::unique_ptr<sql::ResultSet>(statement->getResultSet());
}

void OTVDataBase::executePlain(const QString& sql)
{
    executePlain(sql.toStdString().c_str());
}

QString OTVDataBase::quotedString(const QString& text)
{
    StoreLock lock(*this);
    auto* native = dynamic_cast<sql::mysql::MySQL_Connection*>(&connection());
    if (!native)
        throw std::logic_error("the connection cannot escape text");
    return QLatin1Char('\'') + OTVStringFromSQL(native->escapeString(text.toStdString())) + QLatin1Char('\'');
}

QByteArray OTVDataBase::encryptedValue(const QString& text, qint64 columnBytes)
{
    OTVCheckStorableText(text);
    QByteArray stored = encryptString(text);
    OTVCheckBlobFits(stored, std::min(columnBytes, largestStatementValue()));
    return stored;
}

QByteArray OTVDataBase::encryptedDataValue(const QString& text, qint64 columnBytes)
{
    OTVCheckStorableText(text);
    QByteArray stored = encryptDataString(text);
    OTVCheckBlobFits(stored, std::min(columnBytes, largestStatementValue()));
    return stored;
}

qint64 OTVDataBase::largestStatementValue() const
{
    // The rest of the packet carries the statement and its other values.
    constexpr qint64 kStatementRoom = 64 * 1024;
    const qint64 packet = mMaxAllowedPacket.load();
    return packet > kStatementRoom ? packet - kStatementRoom : kLongBlobBytes;
}

// ---------------------------------------------------------------------------------------------
// Connection thread

int OTVDataBase::startConnectionToServer(const OTVConnectRequest& request)
{
    mIsConnectionComplete = false;
    mConnectionErrCode = kOTVStatusOK;
    {
        StoreLock lock(*this);
        try {
            openSession(request);
        } catch (const sql::SQLException& e) {
            mConnectionErrCode = mapDBErrorCode(e.getErrorCode());
        } catch (const std::exception& e) {
            qWarning() << "connection attempt failed:" << e.what();
            mConnectionErrCode = kOTVStatusDatabaseError;
        } catch (...) {
            mConnectionErrCode = kOTVStatusDatabaseError;
        }
    }   // errors that the steps reported reach handleDatabaseError here, before the re-arming
    if (!BKIsMainThread())
        endDatabaseThread();
    mIsConnectionComplete = true;
    setReconnectionDone();
    const int status = mConnectionErrCode;
    BKPerformOnMainThreadAndWait([] { BKApplicationServices::current().connectionISComplete(); });
    return status;
}

void OTVDataBase::openSession(const OTVConnectRequest& request)
{
    mConnectionDetails = {request.serverAddress, request.portNumber, request.masterPassword};
    mIsAdministratorSession = false;
    mEncrypter.reset();   // nothing of an earlier session survives a failed attempt
    connectToServer(request);

    const bool administrator = hasAdminUserPrivileges(request.userName) ||
                               request.userName.toStdString() == kRootAccount;
    mIsAdministratorSession = administrator;
    // Any other account may not create the database (the server refuses even IF NOT EXISTS);
    // it works in the vault that an administrator made.
    if (administrator)
        createDefaultSchema();
    selectSchema(kDatabaseName);
    createUserEncrypter();
    if (administrator)
        createDataBaseTables();
    int masterPasswordStatus = kOTVStatusOK;
    try {
        masterPasswordStatus = checkMasterPassword(request.masterPassword);
    } catch (const sql::SQLException& e) {
        // A disabled vault account has lost its right to read the vault, but not its details.
        if (e.getErrorCode() == kDBTABLEACCESS_DENIEDCode1 && hasOwnDetailsRow(request.userName)) {
            mConnectionErrCode = kOTVStatusAccountDisabled;
            return;
        }
        throw;
    }
    if (masterPasswordStatus != kOTVStatusOK)
        return;
    createEncrypter(request.masterPassword);
}

bool OTVDataBase::hasOwnDetailsRow(const QString& userName)
{
    try {
        OTVStatement statement = prepare(kQueryOwnDetailsRowCount);
        statement.setString(1, userName);
        OTVResultSet rows = statement.executeQuery();
        return rows.next() && rows.getInt(1) > 0;
    } catch (const sql::SQLException&) {
        return false;
    }
}

int OTVDataBase::authenticateAccount(const QString& userName, const QString& password) const
{
    if (userName.isEmpty() || password.isEmpty())
        return kOTVStatusAccessDenied;
    QString url;
    {
        StoreLock lock(*this);
        url = mSessionURL;
    }
    if (url.isEmpty())
        return kOTVStatusDatabaseError;
    try {
        // A connection of its own: the session's connection stays as it is.
        std::unique_ptr<sql::Connection> probe(
            get_driver_instance()->connect(url.toStdString(), userName.toStdString(), password.toStdString()));
        probe->close();
    } catch (const sql::SQLException& e) {
        return mapDBErrorCode(e.getErrorCode() == kDBConnectionErrorCode ? kDBCannotConnectCode : e.getErrorCode());
    }
    return kOTVStatusOK;
}

void OTVDataBase::connectToServer(const OTVConnectRequest& request)
{
    closeConnection();
    const std::string url = "tcp://" + request.ipAddress.toStdString() + ":" + request.portNumber.toStdString();
    mSessionURL = QString::fromStdString(url);
    try {
        mCPcon.reset(get_driver_instance()->connect(url, request.userName.toStdString(),
                                                    request.hostPassword.toStdString()));
    } catch (const sql::SQLException& e) {
        if (e.getErrorCode() == kDBConnectionErrorCode)
            throw sql::SQLException(e.what(), e.getSQLState(), kDBCannotConnectCode);
        throw;
    }
    executePlain(kQuerySetNames);
    executePlain(kQuerySetStrictMode);
    {
        OTVStatement statement = prepare(kQueryMaxAllowedPacket);
        OTVResultSet rows = statement.executeQuery();
        mMaxAllowedPacket = rows.next() ? rows.getInt64(1u) : 0;
    }
    mOnCluster = readIsClusterNode();
    if (mOnCluster)
        executePlain(kQueryCausalReads);
}

bool OTVDataBase::readIsClusterNode()
{
    try {
        OTVStatement statement = prepare(kQueryIsClusterNode);
        OTVResultSet rows = statement.executeQuery();
        return rows.next() && rows.getInt(1u) != 0;
    } catch (const sql::SQLException& e) {
        if (e.getErrorCode() == kDBUnknownSystemVariableCode)
            return false;   // a server built without cluster support
        throw;
    }
}

void OTVDataBase::closeConnection()
{
    StoreLock lock(*this);
    if (!mCPcon)
        return;
    try {
        mCPcon->close();
    } catch (const sql::SQLException&) {
        // already gone
    }
    // Kept statements belong to the connection.
    mReusedStatements.clear();
    mCPcon.reset();
}

bool OTVDataBase::isConnected() const
{
    StoreLock lock(*this);
    return mCPcon && !mCPcon->isClosed();
}

bool OTVDataBase::hasAdminUserPrivileges(const QString& userName)
{
    StoreLock lock(*this);
    try {
        OTVStatement statement = prepare(kQueryPrivLikeRoot);
        statement.setString(1, userName);
        OTVResultSet rows = statement.executeQuery();
        return rows.next() && rows.getInt(1) > 0;
    } catch (const std::exception&) {
        // An account that may not read mysql.user is simply no administrator.
        return false;
    }
}

// ---------------------------------------------------------------------------------------------
// Master password

std::optional<QString> OTVDataBase::retriveMasterPassword()
{
    return readStoredMasterPassword(kQuerySelectDatabaseInfoTable);
}

int OTVDataBase::checkVaultKeyUnchanged()
{
    // A change under way through any node: the key this write would use is on its way out.
    if (mOnCluster && keyChangeUnderWay(kQueryKeyChangeUnderWay))
        return kOTVStatusNothingWritten;
    const QString stored = readStoredMasterPassword(kQueryShareLockDatabaseInfoTable).value_or(QStringLiteral(""));
    // A null and an empty text compare equal: no master password either way.
    if (stored != mConnectionDetails.masterPassword)
        return kOTVStatusNothingWritten;
    stampVaultKeyOnCluster();
    return kOTVStatusOK;
}

void OTVDataBase::stampVaultKeyOnCluster()
{
    // The shared lock above holds on this node only. A change committed through another node
    // while this write was on its way would not wait for it: both update the stamp, so the
    // cluster refuses the later of the two (1213), and its rerun sees the other's outcome.
    if (mOnCluster)
        executePlain(kQueryBumpKeyStamp);
}

bool OTVDataBase::keyChangeUnderWay(const char* query)
{
    OTVStatement statement = prepare(query);
    statement.setInt(1, kKeyChangeMarkReachSeconds);
    OTVResultSet rows = statement.executeQuery();
    return rows.next() && rows.getInt(1u) > 0;
}

std::optional<QString> OTVDataBase::readStoredMasterPassword(const char* query)
{
    StoreLock lock(*this);
    OTVStatement statement = prepare(query);
    OTVResultSet rows = statement.executeQuery();
    std::optional<QString> password;
    while (rows.next()) {
        const QByteArray stored = rows.getBlob(2);
        const QString text = getDecryptedStringInfo(stored);
        // Read as "no master password", such a value would let anyone in with an empty one,
        // and values would then be written plain into an enciphered vault.
        if (text.isNull() || (text.isEmpty() && !stored.isEmpty()))
            throw sql::SQLException("The stored master password cannot be deciphered.", "HY000", 0);
        password = text;
    }
    return password;
}

int OTVDataBase::checkMasterPassword(const QString& typed)
{
    const std::optional<QString> stored = retriveMasterPassword();
    if (stored.value_or(QString()) == typed)
        return kOTVStatusOK;
    mConnectionErrCode = kOTVStatusMasterPasswordMismatch;
    return kOTVStatusMasterPasswordMismatch;
}

std::optional<QString> OTVDataBase::checkForMasterPasswordMatch()
{
    std::optional<QString> password;
    runGuarded([&] {
        password = retriveMasterPassword();
        return kOTVStatusOK;
    });
    return password;
}

// ---------------------------------------------------------------------------------------------
// Ciphers and stored values

void OTVDataBase::createEncrypter(const QString& masterPassword)
{
    StoreLock lock(*this);
    if (masterPassword.isEmpty())
        mEncrypter.reset();
    else
        mEncrypter = std::make_unique<CDBEncrypter>(masterPassword.toUtf8().constData());
}

void OTVDataBase::createUserEncrypter()
{
    StoreLock lock(*this);
    mUserDataEncrypter = std::make_unique<CDBEncrypter>(kApplicationEncryptionKey);
}

bool OTVDataBase::hasRecordEncrypter() const
{
    StoreLock lock(*this);
    return mEncrypter != nullptr;
}

namespace {
QByteArray encipher(CDBEncrypter* cipher, const QString& text)
{
    QByteArray plain = text.toUtf8();
    if (!cipher)
        return plain;
    int length = int(plain.size());
    CipherResult result(cipher->Encrypt(plain.constData(), &length));
    return QByteArray(result.get(), length);
}
} // namespace

QByteArray OTVDataBase::encryptString(const QString& text)
{
    StoreLock lock(*this);
    return encipher(mEncrypter.get(), text);
}

QByteArray OTVDataBase::encryptDataString(const QString& text)
{
    StoreLock lock(*this);
    return encipher(mUserDataEncrypter.get(), text);
}

QString OTVDataBase::getDecryptedString(const QByteArray& stored)
{
    StoreLock lock(*this);
    return decryptWith(mEncrypter.get(), stored.constData(), size_t(stored.size()));
}

QString OTVDataBase::getDecryptedStringInfo(const QByteArray& stored)
{
    StoreLock lock(*this);
    return decryptWith(mUserDataEncrypter.get(), stored.constData(), size_t(stored.size()));
}

QString OTVDataBase::decryptedColumn(const OTVResultSet& row, uint32_t column)
{
    StoreLock lock(*this);
    QString text;
    row.readBytes(column, [&](const char* bytes, size_t size) { text = decryptWith(mEncrypter.get(), bytes, size); });
    return text;
}

std::optional<QByteArrayView> OTVDataBase::plainBytes(CDBEncrypter* cipher, const char* stored, size_t size, char* out)
{
    if (!cipher)
        return QByteArrayView(stored, qsizetype(qstrnlen(stored, uint(size))));
    if (size > size_t(std::numeric_limits<int>::max()))
        return std::nullopt;
    // Bytes that are no whole number of blocks read as the empty text.
    if (!cipher->decryptInto(stored, int(size), out))
        return std::nullopt;
    return QByteArrayView(out, qsizetype(qstrnlen(out, uint(size))));   // the text ends at the zero padding
}

QString OTVDataBase::textOfPlainBytes(QByteArrayView plain)
{
    if (plain.isEmpty())
        return QStringLiteral("");
    // One decoding checks and converts (a load deciphers every value of the vault).
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(plain);
    return decoder.hasError() ? QString() : text;
}

QString OTVDataBase::decryptWith(CDBEncrypter* cipher, const char* stored, size_t size)
{
    if (size == 0)
        return QStringLiteral("");
    // Values are short: they are deciphered on the stack, longer ones in a buffer of their own.
    constexpr size_t kOnStack = 512;
    char onStack[kOnStack];
    std::unique_ptr<char[]> onHeap;
    char* out = onStack;
    if (cipher && size > kOnStack) {
        onHeap.reset(new char[size]);
        out = onHeap.get();
    }
    const std::optional<QByteArrayView> plain = plainBytes(cipher, stored, size, out);
    return plain ? textOfPlainBytes(*plain) : QStringLiteral("");
}

void OTVDataBase::decryptedColumnsPlain(const OTVResultSet& row, uint32_t first, int count, QByteArray& plain,
                                        qsizetype* ends)
{
    StoreLock lock(*this);
    plain.clear();
    for (int i = 0; i < count; ++i) {
        row.readBytes(first + uint32_t(i), [&](const char* bytes, size_t size) {
            const qsizetype start = plain.size();
            plain.resize(start + qsizetype(size));
            const std::optional<QByteArrayView> text = plainBytes(mEncrypter.get(), bytes, size, plain.data() + start);
            if (!text)
                plain.resize(start);
            else if (text->data() == plain.constData() + start)
                plain.resize(start + text->size());
            else
                plain.replace(start, plain.size() - start, *text);
        });
        ends[i] = plain.size();
    }
}

// ---------------------------------------------------------------------------------------------
// Accessors and the error path

std::shared_ptr<OTVUser> OTVDataBase::mCurrentUser() const
{
    // The pointer is set once, at construction (the user changes in place): reading it needs no
    // lock, so that painting and resizing never wait for a worker that holds the store.
    return mCurrentUser_;
}

void OTVDataBase::endDatabaseThread()
{
    get_driver_instance()->threadEnd();
}

QString OTVDataBase::connectedServerAddress() const
{
    StoreLock lock(*this);
    return mConnectionDetails.serverAddress;
}

QString OTVDataBase::connectingPortAddress() const
{
    StoreLock lock(*this);
    return mConnectionDetails.portNumber;
}

QString OTVDataBase::masterPassword() const
{
    StoreLock lock(*this);
    return mConnectionDetails.masterPassword;
}

int OTVDataBase::mapDBErrorCode(int errorNumber)
{
    if (errorNumber == kDBAccessDeniedCode)
        return kOTVStatusAccessDenied;
    if (errorNumber == 100)
        return kOTVStatusError100;
    if (errorNumber == kDBCannotConnectCode || errorNumber == kDBUnknownHostCode)
        return kOTVStatusServerUnreachable;
    if ((errorNumber >= 2000 && errorNumber <= 2050) || errorNumber == kDBNodeNotReadyCode)
        return kOTVStatusClientError;
    return kOTVStatusDatabaseError;
}

int OTVDataBase::statusOfDatabaseError(int errorNumber, int databaseErrorStatus)
{
    // A lost connection keeps its own status whatever the operation's, so that the interface
    // leaves the telling to the reconnection.
    return databaseErrorStatus == kStatusFromErrorNumber || OTVIsConnectionLostError(errorNumber)
               ? mapDBErrorCode(errorNumber)
               : databaseErrorStatus;
}

void OTVDataBase::handleDatabaseError(const OTVDatabaseError& error)
{
    const bool connectionLost = OTVIsConnectionLostError(error.code);
    const bool accessRevoked = error.code == kDBTABLEACCESS_DENIEDCode1 || error.code == kDBTABLEACCESS_DENIEDCode2;
    if (!connectionLost && !accessRevoked)
        return;   // the operation's status tells its caller
    if (mConnectionLostHandlerIsOn.exchange(true))
        return;   // one notification until the next connection attempt ends
    BKNotificationCenter::defaultCenter().postNotification(
        connectionLost ? kDBCommunicationLostNotification : kDBUserDeletedNotification, QVariant::fromValue(error));
}

void OTVDataBase::setReconnectionDone()
{
    mConnectionLostHandlerIsOn = false;
}

void OTVDataBase::finishReloadingData()
{
    BKApplicationServices::current().finishReloadingData();
}
