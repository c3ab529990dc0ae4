#pragma once

// Shared by the tests of a lost connection (a killed session on one server, a dead cluster
// node): one operation of each kind that the interface runs, each with the status it answered
// and what reached the interface, so that a test shows every operation that does not end in
// the reconnection.

#include "StoreTestSupport.h"
#include "VaultTestSupport.h"

#include "Model/BKGroup.h"
#include "Model/OTVRecord.h"
#include "Model/OTVType.h"
#include "Model/OTVUser.h"
#include "Model/OTVUser_Admin.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace lost_connection {

inline QString uid(int n)
{
    return QStringLiteral("%1").arg(0xC0000 + n, 16, 16, QLatin1Char('0')).toUpper();
}

// What the operations work on, stored through the store while its connection was there.
struct StoredVault {
    std::shared_ptr<BKGroup> group;
    std::shared_ptr<OTVType> type;
    std::shared_ptr<OTVRecord> record;
    std::shared_ptr<OTVUser_Admin> user;
};

inline std::shared_ptr<BKGroup> newGroup(int n)
{
    auto group = std::make_shared<BKGroup>();
    group->setMGroupUID(uid(n));
    group->setMGroupName(QStringLiteral("Group %1").arg(n));
    return group;
}

inline std::shared_ptr<OTVType> newType(int n)
{
    auto type = std::make_shared<OTVType>();
    type->setMTypeUID(uid(n));
    type->setMTypeName(QStringLiteral("Type %1").arg(n));
    return type;
}

inline std::shared_ptr<OTVRecord> newRecord(int n, const StoredVault& vault)
{
    auto record = std::make_shared<OTVRecord>();
    record->setMRecordUID(uid(n));
    record->setMGroup(vault.group);
    record->setMType(vault.type);
    record->setValue(1, QStringLiteral("Record %1").arg(n));
    return record;
}

inline std::shared_ptr<OTVUser_Admin> newUser(const QString& name)
{
    auto user = OTVUser_Admin::createUser();
    user->setMUsername(name);
    user->setMPassword(name + "'s pw 1");
    user->setMFullName("Full " + name);
    return user;
}

// Logs the administrator's session in (the store is connected) and stores a group, a type, a
// record and a vault user named `userName` through it. Empty when a step failed.
inline std::optional<StoredVault> storeVault(OTVDataBase& store, const TestServer& server, const QString& userName)
{
    StoredVault vault{newGroup(1), newType(2), nullptr, newUser(userName)};
    vault.record = newRecord(3, vault);
    if (store.initUserDetails(server.admin.user, server.admin.password) != kOTVStatusOK ||
        store.loadDataBase(false) != kOTVStatusOK || store.addGroup(vault.group) != kOTVStatusOK ||
        store.addType(vault.type) != kOTVStatusOK || store.addRecord(vault.record) != kOTVStatusOK ||
        store.addUser(vault.user) != kOTVStatusOK)
        return std::nullopt;
    return vault;
}

// One line per operation, "name status what-was-posted" (the notification's name, or the
// desktop's reloadFailed for a reload), as the operations answered and as a lost connection
// must answer: 9 and DB_COMM_LOST (a reload: 9 and reloadFailed(9)).
struct Outcomes {
    std::string answered;
    std::string lostConnection;
};

// Runs one operation of each kind. The notification is armed again before each, so that each
// shows its own.
inline Outcomes runEachOperation(OTVDataBase& store, const StoredVault& vault, StoreNotificationRecorder& notifications,
                                 RecordingApplicationServices& services)
{
    const OTVUser_Admin account = *newUser(QStringLiteral("personal"));
    const std::vector<std::pair<const char*, std::function<int()>>> operations = {
        {"addRecord", [&] { return store.addRecord(newRecord(10, vault)); }},
        {"replaceRecord", [&] { return store.replaceRecord(vault.record); }},
        {"deleteRecord", [&] { return store.deleteRecord(vault.record); }},
        {"updateRecordViewCount",
         [&] {
             store.updateRecordViewCountForRecord(vault.record->mRecordUID());
             return int(kOTVStatusClientError);   // nothing to answer: only the notification tells
         }},
        {"addGroup", [&] { return store.addGroup(newGroup(11)); }},
        {"updateGroup", [&] { return store.updateGroup(vault.group); }},
        {"deleteGroup", [&] { return store.deleteGroup(vault.group); }},
        {"addType", [&] { return store.addType(newType(12)); }},
        {"updateType", [&] { return store.updateType(vault.type); }},
        {"deleteType", [&] { return store.deleteType(vault.type); }},
        {"addUserPersonalGroup", [&] { return store.addUserPersonalGroup(account); }},
        {"renameUserPersonalGroup", [&] { return store.renameUserPersonalGroup(account); }},
        {"deleteUserPersonalGroup", [&] { return store.deleteUserPersonalGroup(account); }},
        {"addUser", [&] { return store.addUser(newUser(QStringLiteral("lost_new"))); }},
        {"replaceUser", [&] { return store.replaceUser(vault.user); }},
        {"deleteUser", [&] { return store.deleteUser(vault.user); }},
        {"setToggleInfo", [&] { return store.setToggleInfo(true); }},
        {"insertCustomIcon",
         [&] {
             int number = 0;
             return store.insertCustomIconWithIndex(&number, vault_maps::png(Qt::green));
         }},
        {"addLogEvent", [&] { return store.addLogEvent(QStringLiteral("Add Record"), QStringLiteral("x")); }},
        {"reloadDatabase", [&] { return store.reloadDatabase(); }},
    };
    QStringList answered, lostConnection;
    for (const auto& [name, operation] : operations) {
        store.setReconnectionDone();
        notifications.clear();
        services.clear();
        const int status = operation();
        QStringList posted;
        for (const QString& post : notifications.posts())
            posted.append(post.section(QLatin1Char('('), 0, 0));   // the error number varies
        posted += services.calls().filter(QStringLiteral("reloadFailed"));
        answered.append(QStringLiteral("%1 %2 %3").arg(name).arg(status).arg(posted.join(QLatin1Char(','))));
        const bool reload = QLatin1String(name) == QLatin1String("reloadDatabase");
        lostConnection.append(QStringLiteral("%1 9 %2").arg(name, reload ? "reloadFailed(9)" : "DB_COMM_LOST"));
    }
    return {answered.join(QLatin1Char('\n')).toStdString(), lostConnection.join(QLatin1Char('\n')).toStdString()};
}

} // namespace lost_connection
