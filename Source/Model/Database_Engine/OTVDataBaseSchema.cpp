// The vault database and its tables.
#include "OTVDataBase.h"

#include "OTVDataBaseQueries.h"

#include <cppconn/connection.h>

#include <algorithm>

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
            upgradeTables();
            return kOTVStatusOK;
        },
        kOTVStatusDatabaseError, kOTVStatusDatabaseError);
}

void OTVDataBase::upgradeTables()
{
    auto count = [this](const char* query, const char* parameter) {
        OTVStatement statement = prepare(query);
        if (parameter)
            statement.setString(1, QString::fromLatin1(parameter));
        OTVResultSet rows = statement.executeQuery();
        return rows.next() ? rows.getInt(1u) : 0;
    };
    for (const char* table : kTablesWithRowKey) {
        if (count(kQueryTableHasRowKey, table) == 0)
            executePlain(QString::fromLatin1(kQueryAddRowKey).arg(QString::fromLatin1(table)));
    }
    if (count(kQueryIconIndexIsUnique, nullptr) == 0) {
        QList<qint64> duplicates;
        {
            OTVStatement statement = prepare(kQueryDuplicateIconRows);
            OTVResultSet rows = statement.executeQuery();
            while (rows.next())
                duplicates.append(rows.getInt64(1u));
        }
        int number = 0;
        {
            OTVStatement statement = prepare(SelMaxIconTblval);
            OTVResultSet rows = statement.executeQuery();
            number = rows.next() && !rows.isNull(1u) ? rows.getInt(1u) : 0;
        }
        number = std::max(number, int(kCustomIcons));
        for (qint64 rowKey : duplicates) {
            OTVStatement statement = prepare(kQueryRenumberIconRow);
            statement.setInt(1, ++number);
            statement.setInt64(2, rowKey);
            statement.executeUpdate();
        }
        executePlain(kQueryAddUniqueIconIndex);
    }
    if (count(kQueryOnePreferenceRowPerUser, nullptr) == 0) {
        executePlain(kQueryDeleteLaterPreferenceRows);
        executePlain(kQueryAddOnePreferenceRowPerUser);
    }
    createServerTriggers();
    {
        OTVStatement statement = prepare(kQueryUserInfoEngine);
        OTVResultSet rows = statement.executeQuery();
        if (rows.next() && rows.getString(1u).compare(QLatin1String("InnoDB"), Qt::CaseInsensitive) != 0)
            executePlain(kQueryUserInfoToInnoDB);
    }
}

void OTVDataBase::createServerTriggers()
{
    for (const OTVServerTrigger& trigger : kServerTriggers) {
        {
            OTVStatement statement = prepare(kQueryTriggerIsCurrent);
            statement.setString(1, QString::fromLatin1(trigger.name));
            statement.setString(2, QString::fromLatin1(trigger.body));
            OTVResultSet rows = statement.executeQuery();
            if (rows.next() && rows.getInt(1u) > 0)
                continue;   // no needless DDL, which a cluster runs on every node in turn
        }
        executePlain(QString::fromLatin1(kQueryCreateServerTrigger)
                         .arg(QLatin1String(trigger.name), QLatin1String(trigger.event), QLatin1String(trigger.table),
                              QLatin1String(trigger.body)));
    }
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
