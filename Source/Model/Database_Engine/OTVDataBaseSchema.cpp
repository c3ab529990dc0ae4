// The vault database and its eighteen tables.
#include "OTVDataBase.h"

#include "OTVDataBaseQueries.h"

#include <cppconn/connection.h>

void OTVDataBase::createDefaultSchema()
{
    executePlain(kQueryCreateDatabase);
}

void OTVDataBase::selectSchema(const QString& name)
{
    StoreLock lock(*this);
    connection().setSchema(name.toStdString());
}

int OTVDataBase::createDataBaseTables()
{
    // The first failure ends the run; tables created before it stay (IF NOT EXISTS makes a
    // later run complete them).
    return runGuarded(
        [&] {
            for (const char* query : kCreateTableQueries)
                executePlain(query);
            return kOTVStatusOK;
        },
        kOTVStatusDatabaseError, kOTVStatusDatabaseError);
}

bool OTVDataBase::isVirginLaunch(int* returnCode)
{
    bool virgin = false;
    const int status = runGuarded(
        [&] {
            OTVStatement statement = prepare(CountUserTblVal);
            OTVResultSet rows = statement.executeQuery();
            virgin = !rows.next() || rows.getInt(1) < 1;
            return kOTVStatusOK;
        },
        kStatusFromErrorNumber, kOTVStatusDatabaseError);
    if (returnCode)
        *returnCode = status;
    return status == kOTVStatusOK && virgin;
}

int OTVDataBase::insertDataBaseInfoVersionNumber()
{
    // INSERT IGNORE: rows that exist, above all a stored master password, are kept.
    return runGuarded(
        [&] {
            OTVStatement statement = prepare(kQueryInsertDatabaseInfoTable);
            statement.setString(1, kDatabaseInfoVersion);
            statement.setString(2, kDatabaseInfoVersionNumber);
            statement.executeUpdate();
            statement.clearParameters();
            statement.setString(1, kDatabaseInfoMasterPassword);
            statement.setBlob(2, QByteArray());
            statement.executeUpdate();
            return kOTVStatusOK;
        },
        kOTVStatusDatabaseError, kOTVStatusDatabaseError);
}

bool OTVDataBase::checkIfDBExixists(const QString& name)
{
    StoreLock lock(*this);
    OTVStatement statement = prepare(kQueryDBExixts);
    statement.setString(1, name);
    OTVResultSet rows = statement.executeQuery();
    return rows.next() && rows.rowsCount() != 0;
}
