#pragma once

#include <QMetaType>
#include <QString>

namespace sql {
class SQLException;
}

// Status codes of the vault store. Writes return them; the connection attempt, the login step
// and the reloads keep theirs in connectionErrorCode(). Other copies of the program use the same
// numbers, so they never change.
enum OTVStatus : int {
    kOTVStatusOK = 0,
    kOTVStatusOtherFailure = 1,          // an exception that is not a database error
    kOTVStatusDatabaseError = 3,         // a database error (reported through handleDatabaseError)
    kOTVStatusMasterPasswordMismatch = 4,
    kOTVStatusAccountDisabled = 6,
    kOTVStatusNoSuchUser = 7,
    kOTVStatusNothingWritten = 8,        // the interface asks the user to reload the database
    kOTVStatusClientError = 9,           // client errors 2000 to 2050 other than 2003 and 2005
    kOTVStatusServerUnreachable = 10,    // 2003 (cannot connect) and 2005 (unknown host)
    kOTVStatusAccessDenied = 11,         // 1045 (refused credentials)
    kOTVStatusValueTooLong = 12,         // a value does not fit its column; nothing was written
    kOTVStatusError100 = 13,
};

// A lost connection (9 to 11): the reconnection tells the user, once; the operation that met
// it tells nothing of its own.
constexpr bool OTVIsLostConnectionStatus(int status)
{
    return status == kOTVStatusClientError || status == kOTVStatusServerUnreachable ||
           status == kOTVStatusAccessDenied;
}

// The status of a write that failed and stored nothing: 8, which asks the user to reload,
// except that a lost connection and a value too long for its column keep their own.
constexpr int OTVNothingWrittenStatus(int failure)
{
    return OTVIsLostConnectionStatus(failure) || failure == kOTVStatusValueTooLong ? failure
                                                                                  : int(kOTVStatusNothingWritten);
}

// MySQL error numbers that the store acts on.
constexpr int kDBConnectionLastErrCode = 2013;     // connection lost during a query
constexpr int kDBTABLEACCESS_DENIEDCode1 = 1142;   // table access denied
constexpr int kDBTABLEACCESS_DENIEDCode2 = 1143;   // column access denied
constexpr int kDBAccessDeniedCode = 1045;
constexpr int kDBCannotConnectCode = 2003;
constexpr int kDBUnknownHostCode = 2005;
constexpr int kDBDuplicateKeyCode = 1062;
constexpr int kDBUnknownSystemVariableCode = 1193;
// A deadlock, or on a cluster a transaction that lost certification against another node's:
// nothing of it was written, and running it again may succeed.
constexpr int kDBDeadlockCode = 1213;
// A cluster node outside the primary component (cut off, or still joining) takes no statements:
// the session must reconnect, through a node that does.
constexpr int kDBNodeNotReadyCode = 1047;

// A client-side error, a connection dropped during a query or a cluster node that takes no more
// statements: the connection is of no more use.
constexpr bool OTVIsConnectionLostError(int errorNumber)
{
    return errorNumber == kDBConnectionLastErrCode || errorNumber == kDBNodeNotReadyCode ||
           (errorNumber >= 2000 && errorNumber <= 2050);
}

// A database error as the store reports it: the connector's message and MySQL error number.
// It is the object of the "DB_COMM_LOST" and "DB_USR_DEL" notifications.
struct OTVDatabaseError {
    QString message;
    int code = 0;
    QString sqlState;

    static OTVDatabaseError fromException(const sql::SQLException& exception);
};

Q_DECLARE_METATYPE(OTVDatabaseError)
