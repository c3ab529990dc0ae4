// Fills a vault with a few sample groups and records through the store, so that the desktop
// application has something to show. The account logs in as the application would (an
// administrator that is no vault user yet becomes one); a vault that holds records already is
// left as it is.
//
//   ostrevin-sample-vault --server 127.0.0.1 --port 33061 --user root --password-file FILE
//                         [--master-password TEXT]
#include "Model/BKGroup.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVRecord.h"
#include "Model/OTVType.h"
#include "Model/OTVUser.h"
#include "ToolConnection.h"

#include <QCommandLineParser>
#include <QGuiApplication>

#include <cstdio>

namespace {

struct SampleRecord {
    const char* group;
    const char* type;
    const char* values[6];
    const char* notes;
};

// Values in the order of each type's fields.
const SampleRecord kRecords[] = {
    {"Finance", "Bank Account", {"Main operating account", "Example Bank", "Example Ltd", "1234 5678", "DE00 1234 5678 9000", "EXAMDEFF"}, "Branch: Hauptstrasse 1"},
    {"Finance", "Credit Card", {"Corporate card", "A. Sample", "4000 0000 0000 0002", "12/29", "123", "1234"}, ""},
    {"Finance", "Web Login", {"Payroll portal", "payroll-admin", "Sample!Pass1", "https://payroll.example.com", "", ""}, ""},
    {"IT", "Server or SSH Login", {"Build server", "build.example.net", "deploy", "correct-horse", "22", "SSH"}, "Key login preferred"},
    {"IT", "Database", {"Customer database", "db1.example.net", "3306", "customers", "app_rw", "db-Secret-9"}, ""},
    {"IT", "Wi-Fi Network", {"Office Wi-Fi", "Office-5G", "WPA2", "wifi-passphrase", "192.168.1.1", ""}, ""},
    {"IT", "Remote Access (VPN)", {"Staff VPN", "vpn.example.com", "vpn-user", "vpn-Pass-3", "", "WireGuard"}, ""},
    {"Marketing", "E-mail Account", {"Newsletter mailbox", "news@example.com", "Mail-Pass-7", "news", "imap.example.com", "993"}, ""},
    {"Marketing", "Software Licence", {"Design suite", "Design Studio", "2026", "ABCD-EFGH-IJKL", "Marketing team", ""}, "Renews in March"},
    {"Marketing", "Web Login", {"Social media account", "brand-team", "Social-Pass-2", "https://social.example.org", "", ""}, ""},
};

// What a store status means, in words a person at the terminal can act on.
const char* statusWords(int status)
{
    switch (status) {
    case kOTVStatusMasterPasswordMismatch:
        return "the vault has another master password (give it with --master-password)";
    case kOTVStatusAccountDisabled: return "the account is disabled in the vault";
    case kOTVStatusNoSuchUser: return "the account is no user of the vault";
    case kOTVStatusClientError: return "the connection to the server was lost";
    case kOTVStatusServerUnreachable: return "no server answers at that address and port";
    case kOTVStatusAccessDenied: return "the server refused the account or its password";
    case kOTVStatusValueTooLong: return "a value is too long for its column";
    case kOTVStatusNothingWritten: return "nothing was written";
    case kOTVStatusDatabaseError: return "the server reported an error";
    default: return "an unexpected error";
    }
}

int fail(const char* step, int status)
{
    std::fprintf(stderr, "ostrevin-sample-vault: %s failed: %s (status %d)\n", step, statusWords(status), status);
    return 1;
}

} // namespace

int main(int argc, char* argv[])
{
    // No window: the store only needs the platform's fonts and images.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const ToolConnectionOptions connection;
    connection.addTo(parser);
    parser.process(application);
    const std::optional<OTVConnectRequest> given = connection.request(parser);
    if (!given)
        return fail("reading the password file", 1);
    const OTVConnectRequest& request = *given;
    const QString& password = request.hostPassword;

    OTVDataBase& store = OTVDataBase::sharedOTVDataBase();
    if (const int status = store.startConnectionToServer(request))
        return fail("connecting", status);
    int status = 0;
    const bool newVault = store.isVirginLaunch(&status);
    if (status)
        return fail("reading the vault", status);
    if ((status = store.initUserDetails(request.userName, password)))
        return fail("logging in", status);
    const std::shared_ptr<OTVUser> me = store.getCurrentUser();
    if ((status = store.loadDataBase(newVault)))
        return fail("loading", status);
    if (!store.mRecords().isEmpty()) {
        std::printf("The vault holds records already; nothing added.\n");
        return 0;
    }

    QMap<QString, std::shared_ptr<OTVType>> types;
    for (const std::shared_ptr<OTVType>& type : store.typesForEditing())
        types.insert(type->mTypeName(), type);
    QMap<QString, std::shared_ptr<BKGroup>> groups;
    for (const SampleRecord& sample : kRecords) {
        const QString groupName = QString::fromUtf8(sample.group);
        if (!groups.contains(groupName)) {
            auto group = BKGroup::newGroup();
            group->setMGroupName(groupName);
            group->setMRecordLevelPermissions(7);
            group->setMUserMembersArray(QStringList{me->mUserID()});
            group->setMSubGroupsUID(QStringList{});
            if ((status = store.addGroup(group)))
                return fail("adding a group", status);
            groups.insert(groupName, group);
        }
        const std::shared_ptr<OTVType> type = types.value(QString::fromUtf8(sample.type));
        if (!type)
            return fail("finding a record type", 1);
        auto record = OTVRecord::createRecord();
        record->setMGroup(groups.value(groupName));
        record->setMType(type);
        for (int field = 1; field <= int(std::size(sample.values)); ++field)
            record->setValue(field, QString::fromUtf8(sample.values[field - 1]));
        record->setMNotes(QString::fromUtf8(sample.notes));
        if ((status = store.addRecord(record)))
            return fail("adding a record", status);
    }
    // The first window then opens on the sample records, not on the empty personal group.
    me->setMCurrentGroup(groups.value(QString::fromUtf8(kRecords[0].group))->mGroupUID());
    if ((status = store.saveCurrentGroupForUser(*me)))
        return fail("choosing the group to open", status);
    std::printf("Added %d groups and %d records for %s.\n", int(groups.size()), int(std::size(kRecords)),
                qPrintable(me->mUsername()));
    store.closeConnection();
    return 0;
}
