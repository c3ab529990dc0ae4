#pragma once

// A small vault on the fixture's server, filled through the store's own operations, for the tests
// of the main window's views:
//
//   group     record          type   field 1        field 2   field 3  field 10                   notes
//   Banking   "alpha bank"    Login  alpha bank     secret1   -        2009-03-05 14:22:10 +0100  yes
//   Banking   "Visa"          Card   Visa           4111      123      2010-11-20 08:00:00 -0500  -
//   Banking   "zeta portal"   Login  zeta portal    -         pin 9    2011-01-02 10:00:00 +0000  -   custom type masking field 3
//   email     "Mail account"  Login  Mail account   pw        -        2008-07-09 09:30:00 +0200  -
//   Servers   "Router"        Login  Router         root      -        2012-05-06 12:00:00 +0100  -
//   Servers   "db box"        Server db box         admin     -        2007-01-01 00:00:00 +0000  yes
//
// Login masks field 2, Card fields 1 and 3, Server none; the customised record's own type masks
// field 3 only.

#include "Model/BKGroup.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVRecord.h"
#include "Model/OTVType.h"
#include "Model/OTVUser.h"
#include "Support/TemporarySettings.h"
#include "Support/StoreConnectRequest.h"
#include "Support/TestServer.h"

#include <cppconn/connection.h>
#include <cppconn/resultset.h>
#include <cppconn/statement.h>

#include <QStringList>
#include <QtTest>

#include <map>
#include <memory>

class ViewsTestVault {
public:
    // Connects `store` as the administrator, logs in and loads the vault (a new one, or one that
    // another store made).
    static bool open(OTVDataBase& store, const TestServer& server, bool newVault = true)
    {
        const OTVConnectRequest request = StoreConnectRequest(server, server.admin);
        if (store.startConnectionToServer(request) != kOTVStatusOK)
            return false;
        if (store.initUserDetails(server.admin.user, server.admin.password) != kOTVStatusOK)
            return false;
        return store.loadDataBase(newVault) == kOTVStatusOK;
    }

    // The first column of the first row of a query run as root; empty without a row.
    static QString rootValue(const TestServer& server, const QString& query)
    {
        std::unique_ptr<sql::Connection> connection = server.connect(server.root);
        if (!connection)
            return QString();
        std::unique_ptr<sql::Statement> statement(connection->createStatement());
        std::unique_ptr<sql::ResultSet> result(statement->executeQuery(query.toStdString()));
        return result->next() ? QString::fromStdString(result->getString(1)) : QString();
    }

    // Each test's start: an empty server, settings of its own, and a new store with the vault
    // above loaded.
    static bool startSession(const TestServer& server, std::unique_ptr<TemporarySettings>& settings,
                             std::unique_ptr<OTVDataBase>& store, std::unique_ptr<ViewsTestVault>& vault)
    {
        server.execAsRoot(QStringLiteral("DROP DATABASE IF EXISTS vivododadi"));
        settings = std::make_unique<TemporarySettings>();
        store = std::make_unique<OTVDataBase>();
        vault = std::make_unique<ViewsTestVault>();
        return open(*store, server) && vault->fill(*store);
    }

    // Fills the opened vault as in the table above.
    bool fill(OTVDataBase& store)
    {
        const QString me = store.getCurrentUser()->mUserID();
        for (const char* name : {"Banking", "email", "Servers"}) {
            auto group = BKGroup::newGroup();
            group->setMGroupName(QLatin1String(name));
            group->setMRecordLevelPermissions(7);
            group->setMUserMembersArray(QStringList{me});
            group->setMSubGroupsUID(QStringList{});
            if (store.addGroup(group) != kOTVStatusOK)
                return false;
            groups[name] = group;
        }
        for (const auto& [name, mask] : {std::pair{"Login", 0x2}, {"Card", 0x5}, {"Server", 0x0}}) {
            auto type = OTVType::createType();
            type->setMTypeName(QLatin1String(name));
            type->setMTypeIconID(5);
            type->setMTypeMask(mask);
            if (store.addType(type) != kOTVStatusOK)
                return false;
            types[name] = type;
        }
        struct Row {
            const char* group;
            const char* type;
            const char* values[3];
            const char* date;
            const char* notes;
        };
        const Row rows[] = {
            {"Banking", "Login", {"alpha bank", "secret1", ""}, "2009-03-05 14:22:10 +0100", "branch code"},
            {"Banking", "Card", {"Visa", "4111", "123"}, "2010-11-20 08:00:00 -0500", ""},
            {"Banking", "Login", {"zeta portal", "", "pin 9"}, "2011-01-02 10:00:00 +0000", ""},
            {"email", "Login", {"Mail account", "pw", ""}, "2008-07-09 09:30:00 +0200", ""},
            {"Servers", "Login", {"Router", "root", ""}, "2012-05-06 12:00:00 +0100", ""},
            {"Servers", "Server", {"db box", "admin", ""}, "2007-01-01 00:00:00 +0000", "rack 4"},
        };
        for (const Row& row : rows) {
            auto record = OTVRecord::createRecord();
            record->setMGroup(groups[row.group]);
            record->setMType(types[row.type]);
            for (int field = 1; field <= 3; ++field)
                record->setValue(field, QString::fromUtf8(row.values[field - 1]));
            record->setValue(10, QLatin1String(row.date));
            record->setMNotes(QLatin1String(row.notes));
            if (QLatin1String(row.values[0]) == QLatin1String("zeta portal")) {
                OTVType own = *OTVType::createCopyforType(*types["Login"]);
                own.setMTypeName(QStringLiteral("My Login"));
                own.setMTypeMask(0x4);
                record->setMRecordCustomType(own);
                record->setMIsCustomized(true);
            }
            if (store.addRecord(record) != kOTVStatusOK)
                return false;
            records[row.values[0]] = record;
        }
        return true;
    }

    // The first values of `list`, in order.
    static QStringList titles(const OTVRecordList& list)
    {
        QStringList values;
        for (const auto& record : list)
            values.append(record->value(1));
        return values;
    }

    // The first value of a query's first row, read as root.
    // One value of the user's preference row, read as root.
    static QString storedPreference(const TestServer& server, const QString& column, const QString& userID)
    {
        return rootValue(server,
                         QStringLiteral("SELECT %1 FROM vivododadi.APPPREFTABLE WHERE USERID='%2'").arg(column, userID));
    }

    std::map<std::string, std::shared_ptr<BKGroup>> groups;
    std::map<std::string, std::shared_ptr<OTVType>> types;
    std::map<std::string, std::shared_ptr<OTVRecord>> records;
};
