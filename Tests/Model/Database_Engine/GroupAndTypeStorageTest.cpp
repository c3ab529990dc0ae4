// Groups with their member and sub-group lists, record types and custom types against a real
// server: what the tables hold, the statuses, the maps and the event log after each write,
// the cascades of a delete, and the duplicate-name checks on a case-sensitive server.
#include "StoreTestSupport.h"

#include "Model/BKGroup.h"
#include "Model/OTVRecord.h"
#include "Model/OTVType.h"
#include "Model/OTVUID.h"
#include "Model/OTVUser.h"
#include "Model/OTVUser_Admin.h"
#include "Platform/BKWorker.h"

#include <algorithm>

namespace {

// The store with its maps opened up and its event log recorded ("event|name|action|user").
class LoggingStore : public StoreProbe {
public:
    using OTVDataBase::mCurrentUser_;
    using OTVDataBase::mGroups_;
    using OTVDataBase::mRecords_;
    using OTVDataBase::mTypes_;
    using OTVDataBase::mUsers_;

    void logStoreEvent(const QString& event, const QString& description, const QString& action,
                       const QString& userName) override
    {
        log.append(QStringList{event, description, action, userName}.join('|'));
    }

    QStringList log;
};

QString uid(int n)
{
    return QStringLiteral("%1").arg(n, 16, 16, QLatin1Char('0')).toUpper();
}

std::shared_ptr<BKGroup> makeGroup(int n, const QString& name, const QStringList& members,
                                   const QStringList& subgroups = {})
{
    auto group = std::make_shared<BKGroup>();
    group->setMGroupUID(uid(n));
    group->setMGroupName(name);
    group->setMRecordLevelPermissions(5);
    group->setMPreferencePermissions(true);
    group->setMUserMembersArray(members);
    group->setMSubGroupsUID(subgroups);
    return group;
}

std::shared_ptr<OTVType> makeType(int n, const QString& name)
{
    auto type = std::make_shared<OTVType>();
    type->setMTypeUID(uid(n));
    type->setMTypeName(name);
    type->setMTypeIconID(12);
    type->setMTypeMask(4);
    for (int field = 1; field <= kNoOfFields; ++field)
        type->setLabel(field, QStringLiteral("%1 label %2").arg(name).arg(field));
    return type;
}

QStringList sorted(QStringList list)
{
    std::sort(list.begin(), list.end());
    return list;
}

} // namespace

class GroupAndTypeStorage : public StoreTest {
public:
    void SetUp() override
    {
        StoreTest::SetUp();
        ASSERT_EQ(connect(store, server.admin), kOTVStatusOK);
        store.createEncrypter(QStringLiteral("s3cret"));
        store.mCurrentUser_->setMUsername(QStringLiteral("alice"));
        for (const char* user : {"U1", "U2", "U3", "U4", "U5"})
            root(QStringLiteral("INSERT INTO vivododadi.USERTABLE(USERID, USERNAME) VALUES ('%1', '%1')").arg(user));
    }

    QStringList members(const QString& groupUID) const
    {
        return sorted(rootRows(
            QStringLiteral("SELECT USERID FROM vivododadi.USERGROUPTABLE WHERE GROUPID='%1'").arg(groupUID)));
    }
    QStringList subgroups(const QString& groupUID) const
    {
        return sorted(rootRows(
            QStringLiteral("SELECT SUBGROUPID FROM vivododadi.GROUPSUBGROUPTABLE WHERE GROUPID='%1'").arg(groupUID)));
    }
    QString storedHex(const QString& table, const QString& column, const QString& rowUID) const
    {
        return rootValue(
            QStringLiteral("SELECT HEX(%1) FROM vivododadi.%2 WHERE UID='%3'").arg(column, table, rowUID));
    }
    QString hexOf(const QString& text) { return QString::fromLatin1(store.encryptString(text).toHex().toUpper()); }
    int count(const QString& table) const
    {
        return rootValue(QStringLiteral("SELECT COUNT(*) FROM vivododadi.%1").arg(table)).toInt();
    }

    // A record filed in `group` under `type`, in the table and in mRecords.
    std::shared_ptr<OTVRecord> storedRecord(const std::shared_ptr<BKGroup>& group, const std::shared_ptr<OTVType>& type)
    {
        auto record = OTVRecord::createRecord();
        record->setMGroup(group);
        record->setMType(type);
        root(QStringLiteral("INSERT INTO vivododadi.RECORDTABLE(RECORDID, GROUPUID, TYPEUID) VALUES ('%1', %2, %3)")
                 .arg(record->mRecordUID(), group ? "'" + group->mGroupUID() + "'" : "NULL",
                      type ? "'" + type->mTypeUID() + "'" : "NULL"));
        store.mRecords_.insert(record->mRecordUID(), record);
        return record;
    }

    // The rows that hang on a record: custom type, attachment, a recent-list entry.
    void addDependentRows(const OTVRecord& record)
    {
        const QString id = record.mRecordUID();
        root(QStringLiteral("INSERT INTO vivododadi.CUSTOMTYPETABLE(RECORDID, ICONID) VALUES ('%1', 1)").arg(id));
        root(QStringLiteral("INSERT INTO vivododadi.ATTACHMENTTABLE(RECORDID, DATA) VALUES ('%1', 'x')").arg(id));
        root(QStringLiteral("INSERT INTO vivododadi.RECENTLYVIEWEDTABLE VALUES ('U1', '%1')").arg(id));
    }

    LoggingStore store;
};

// ---------------------------------------------------------------------------------------------
// Groups

// The stored member list is the group's own members followed by its sub-groups' members not
// listed yet; the caller's object holds the merged list afterwards. The loading readers give
// back what was written.
TEST_F(GroupAndTypeStorage, AddingAGroupStoresItsListsWithTheSubgroupsMembers)
{
    auto first = makeGroup(1, "First", {"U3", "U1"});
    auto second = makeGroup(2, "Second", {"U4"});
    ASSERT_EQ(store.addGroup(first), kOTVStatusOK);
    ASSERT_EQ(store.addGroup(second), kOTVStatusOK);
    auto group = makeGroup(3, "Clients ü", {"U1", "U2"}, {uid(1), uid(2), uid(99)});
    store.log.clear();

    ASSERT_EQ(store.addGroup(group), kOTVStatusOK);
    EXPECT_EQ(group->mUserMembersArray(), QStringList({"U1", "U2", "U3", "U4"}));
    EXPECT_EQ(members(uid(3)), QStringList({"U1", "U2", "U3", "U4"}));
    EXPECT_EQ(subgroups(uid(3)), QStringList({uid(1), uid(2)}));   // an unknown group is no row
    EXPECT_EQ(storedHex("GROUPTABLE", "NAME", uid(3)), hexOf("Clients ü"));
    EXPECT_EQ(rootValue(QStringLiteral("SELECT RECORDPERMISSION, GROUPPERMISSIONPREVAILS FROM vivododadi.GROUPTABLE "
                                       "WHERE UID='%1'")
                            .arg(uid(3))),
              "5|1");
    EXPECT_EQ(store.mGroups().value(uid(3)), group);
    EXPECT_EQ(store.log, QStringList{"Add Group|Clients ü|Success|alice"});

    int code = -1;
    EXPECT_EQ(sorted(store.readGroupUserTableforGroup(*group, &code).value_or(QStringList())),
              QStringList({"U1", "U2", "U3", "U4"}));
    EXPECT_EQ(code, kOTVStatusOK);
    code = -1;
    EXPECT_EQ(sorted(store.readSubgroupListForGroup(*group, &code).value_or(QStringList())),
              QStringList({uid(1), uid(2)}));
    EXPECT_EQ(code, kOTVStatusOK);
    EXPECT_EQ(sorted(store.fetchGroupArrayForUserID("U1")), QStringList({uid(1), uid(3)}));
    EXPECT_TRUE(store.fetchGroupArrayForUserID("nobody").isEmpty());
}

// What each write answers, and what it leaves in the tables, the map and the log.
TEST_F(GroupAndTypeStorage, GroupWritesChangeTheMapOnlyWhenTheySucceed)
{
    auto group = makeGroup(1, "Team", {"U1", "U2"});
    ASSERT_EQ(store.addGroup(group), kOTVStatusOK);
    store.log.clear();

    // A UID that is taken: nothing written, the map keeps its entry.
    auto taken = makeGroup(1, "Other", {"U5"});
    EXPECT_EQ(store.addGroup(taken), kOTVStatusNothingWritten);
    EXPECT_EQ(members(uid(1)), QStringList({"U1", "U2"}));
    EXPECT_EQ(store.mGroups().value(uid(1)), group);
    // A name that does not fit its column is refused before anything is written.
    EXPECT_EQ(store.addGroup(makeGroup(2, QString(241, 'n'), {"U1"})), kOTVStatusValueTooLong);
    EXPECT_EQ(count("GROUPTABLE"), 1);
    EXPECT_FALSE(store.mGroups().contains(uid(2)));
    // Not in the map: nothing is sent and nothing logged.
    EXPECT_EQ(store.updateGroup(makeGroup(7, "Unknown", {})), kOTVStatusOtherFailure);
    EXPECT_EQ(store.deleteGroup(makeGroup(7, "Unknown", {})), kOTVStatusNothingWritten);
    EXPECT_EQ(store.log, QStringList({"Add Group|Other|Failed|alice",
                                      QStringLiteral("Add Group|%1|Failed|alice").arg(QString(241, 'n'))}));
    store.log.clear();

    // Values equal to the stored ones: the lists are rewritten all the same.
    auto same = makeGroup(1, "Team", {"U3"});
    EXPECT_EQ(store.updateGroup(same), kOTVStatusOK);
    EXPECT_EQ(members(uid(1)), QStringList({"U3"}));
    EXPECT_EQ(store.mGroups().value(uid(1)), same);
    // An empty member list leaves no member row.
    auto renamed = makeGroup(1, "Team renamed", {});
    EXPECT_EQ(store.updateGroup(renamed), kOTVStatusOK);
    EXPECT_TRUE(members(uid(1)).isEmpty());
    EXPECT_EQ(storedHex("GROUPTABLE", "NAME", uid(1)), hexOf("Team renamed"));
    EXPECT_EQ(store.log, QStringList({"Edit Group|Team|Success|alice", "Edit Group|Team renamed|Success|alice"}));
    store.log.clear();

    // In the map but gone from the table: an edit writes nothing (no member rows for a group
    // that is gone) and asks for the reload; so does a delete, whose records (deleted with the
    // row) leave the map, while the group stays for the reload that the interface asks for.
    auto record = storedRecord(renamed, nullptr);
    root(QStringLiteral("DELETE FROM vivododadi.GROUPTABLE WHERE UID='%1'").arg(uid(1)));
    auto editedAfterDelete = makeGroup(1, "Team renamed", {"U2"});
    EXPECT_EQ(store.updateGroup(editedAfterDelete), kOTVStatusNothingWritten);
    EXPECT_TRUE(members(uid(1)).isEmpty());
    EXPECT_EQ(store.mGroups().value(uid(1)), renamed);
    EXPECT_EQ(store.log, QStringList{"Edit Group|Team renamed|Failed|alice"});
    store.log.clear();
    EXPECT_EQ(store.deleteGroup(renamed), kOTVStatusNothingWritten);
    EXPECT_FALSE(store.mRecords().contains(record->mRecordUID()));
    EXPECT_TRUE(store.mGroups().contains(uid(1)));
    EXPECT_EQ(store.log, QStringList{"Delete Group|Team renamed|Failed|alice"});
}

// The server deletes the group's records with what hangs on them, its member rows and its
// sub-group rows on both sides; in memory another group that lists it twice keeps one entry,
// and the unfiled group is left alone.
TEST_F(GroupAndTypeStorage, DeletingAGroupCascades)
{
    auto doomed = makeGroup(1, "Doomed", {"U1"});
    auto parent = makeGroup(2, "Parent", {"U2"}, {uid(1)});
    auto child = makeGroup(3, "Child", {"U3"});
    auto unfiled = makeGroup(0, "Unfiled", {}, {uid(1)});
    ASSERT_EQ(unfiled->mGroupUID(), kUnfiledUID);
    for (const auto& group : {doomed, child, parent, unfiled})
        ASSERT_EQ(store.addGroup(group), kOTVStatusOK);
    doomed->setMSubGroupsUID(QStringList{uid(3)});
    ASSERT_EQ(store.updateGroup(doomed), kOTVStatusOK);
    parent->setMSubGroupsUID(QStringList({uid(1), uid(3), uid(1)}));
    auto type = makeType(50, "Login");
    ASSERT_EQ(store.addType(type), kOTVStatusOK);
    auto gone = storedRecord(doomed, type);
    auto kept = storedRecord(child, type);
    addDependentRows(*gone);
    addDependentRows(*kept);
    store.log.clear();

    EXPECT_EQ(store.deleteGroup(doomed), kOTVStatusOK);
    EXPECT_EQ(rootRows("SELECT RECORDID FROM vivododadi.RECORDTABLE"), QStringList{kept->mRecordUID()});
    for (const char* table : {"CUSTOMTYPETABLE", "ATTACHMENTTABLE", "RECENTLYVIEWEDTABLE"})
        EXPECT_EQ(count(table), 1) << table;
    EXPECT_TRUE(members(uid(1)).isEmpty());
    EXPECT_TRUE(subgroups(uid(1)).isEmpty());
    EXPECT_EQ(rootValue("SELECT COUNT(*) FROM vivododadi.GROUPSUBGROUPTABLE WHERE SUBGROUPID='0000000000000001'"),
              "0");

    EXPECT_FALSE(store.mGroups().contains(uid(1)));
    EXPECT_EQ(store.mRecords().keys(), QStringList{kept->mRecordUID()});
    EXPECT_EQ(parent->mSubGroupsUID(), QStringList({uid(3), uid(1)}));
    EXPECT_EQ(unfiled->mSubGroupsUID(), QStringList{uid(1)});
    EXPECT_EQ(store.log, QStringList{"Delete Group|Doomed|Success|alice"});
}

// A connection lost halfway through a list: the whole edit is undone, the map keeps the old
// group, the failure is logged and reported.
TEST_F(GroupAndTypeStorage, AFailedListLeavesTheStoredGroupAsItWas)
{
    auto sub = makeGroup(2, "Sub", {});
    ASSERT_EQ(store.addGroup(sub), kOTVStatusOK);
    auto group = makeGroup(1, "Before", {"U1", "U2", "U3"}, {uid(2)});
    ASSERT_EQ(store.addGroup(group), kOTVStatusOK);
    store.log.clear();

    auto edited = makeGroup(1, "After", {"U4", "U5"}, {});
    store.statementFaults().failExecution(kQueryInsertIntoUserGroupList, 2, 2013);
    EXPECT_EQ(store.updateGroup(edited), kOTVStatusClientError);
    EXPECT_EQ(members(uid(1)), QStringList({"U1", "U2", "U3"}));
    EXPECT_EQ(subgroups(uid(1)), QStringList{uid(2)});
    EXPECT_EQ(storedHex("GROUPTABLE", "NAME", uid(1)), hexOf("Before"));
    EXPECT_EQ(store.mGroups().value(uid(1)), group);
    EXPECT_EQ(store.log, QStringList{"Edit Group|After|Failed|alice"});
    EXPECT_EQ(notifications.posts(), QStringList{"DB_COMM_LOST(2013)"});

    // The same in an add: no group is left without its members, and the caller's object keeps
    // its own list (the sub-group's members are merged in only once stored).
    auto withSub = makeGroup(4, "Members", {"U5"});
    ASSERT_EQ(store.addGroup(withSub), kOTVStatusOK);
    auto added = makeGroup(3, "New", {"U1", "U2"}, {uid(4)});
    store.statementFaults().failExecution(kQueryInsertIntoUserGroupList, 2, 1205);
    EXPECT_EQ(store.addGroup(added), kOTVStatusDatabaseError);
    EXPECT_EQ(count("GROUPTABLE"), 3);
    EXPECT_TRUE(members(uid(3)).isEmpty());
    EXPECT_FALSE(store.mGroups().contains(uid(3)));
    EXPECT_EQ(added->mUserMembersArray(), QStringList({"U1", "U2"}));

    // A member list rewritten on its own: likewise.
    store.statementFaults().failExecution(kQueryInsertIntoUserGroupList, 1, 1205);
    EXPECT_EQ(store.insertUserListForGroup(*added), kOTVStatusDatabaseError);
    EXPECT_EQ(added->mUserMembersArray(), QStringList({"U1", "U2"}));
    ASSERT_EQ(store.addGroup(added), kOTVStatusOK);
    EXPECT_EQ(added->mUserMembersArray(), QStringList({"U1", "U2", "U5"}));
}

// A worker (the record import) adds groups and types while the interface draws from the maps:
// the maps change on the main thread, and the worker finds its group there once its write ended.
TEST_F(GroupAndTypeStorage, WritesOnAWorkerChangeTheMapsOnTheMainThread)
{
    auto group = makeGroup(1, "Imported", {"U1"});
    auto type = makeType(2, "Imported type");
    bool groupSeen = false;
    bool typeSeen = false;
    BKRunWorkerAndWait(
        [&] {
            ASSERT_FALSE(BKIsMainThread());
            ASSERT_EQ(store.addGroup(group), kOTVStatusOK);
            groupSeen = store.runGuarded([&] { return store.mGroups().value(uid(1)) == group ? 0 : 1; }) == 0;
            ASSERT_EQ(store.addType(type), kOTVStatusOK);
            typeSeen = store.runGuarded([&] { return store.mTypes().contains(uid(2)) ? 0 : 1; }) == 0;
        },
        &OTVDataBase::endDatabaseThread);
    EXPECT_TRUE(groupSeen);
    EXPECT_TRUE(typeSeen);
    EXPECT_EQ(members(uid(1)), QStringList{"U1"});
}

TEST_F(GroupAndTypeStorage, ReadersReportFailures)
{
    auto group = makeGroup(1, "G", {"U1"});
    ASSERT_EQ(store.addGroup(group), kOTVStatusOK);
    int code = -1;
    store.statementFaults().failExecution(kQuerySelectGroupUserList, 1, 1146);
    EXPECT_FALSE(store.readGroupUserTableforGroup(*group, &code).has_value());
    EXPECT_EQ(code, kOTVStatusDatabaseError);
    code = -1;
    store.statementFaults().failExecutionWithOtherException(kQueryGroupSubGroupTable, 1);
    EXPECT_FALSE(store.readSubgroupListForGroup(*group, &code).has_value());
    EXPECT_EQ(code, kOTVStatusDatabaseError);
    // The user's groups are read by the loader, which handles the error itself.
    code = -1;
    store.statementFaults().failExecution(kQuerySelectUserGroupList, 1, 2013);
    EXPECT_THROW(store.fetchGroupArrayForUserID("U1", &code), sql::SQLException);
    EXPECT_EQ(code, -1);
}

// After an administrator changed a user's groups: the user leaves the member lists of the old
// groups and is appended to those of the new ones, in memory only.
TEST_F(GroupAndTypeStorage, MembershipsFollowAUsersNewGroups)
{
    struct Case {
        const char* what;
        QStringList oldGroups;        // the user's groups before
        QStringList membersBefore;    // of group 1
        QStringList newGroups;
        QStringList membersAfter;     // of group 1
    };
    const Case cases[] = {
        {"in both lists: moves to the end", {uid(1)}, {"U7", "U2"}, {uid(1)}, {"U2", "U7"}},
        {"left", {uid(1)}, {"U7", "U2", "U7"}, {}, {"U2"}},
        {"listed although not among the old groups", {}, {"U7", "U2"}, {uid(1)}, {"U7", "U2", "U7"}},
        {"unknown groups are skipped", {uid(9)}, {"U2"}, {uid(9), uid(1)}, {"U2", "U7"}},
    };
    auto group = makeGroup(1, "G", {});
    store.mGroups_.insert(uid(1), group);
    auto user = std::make_shared<OTVUser_Admin>();
    user->setMUserID("U7");
    store.mUsers_.insert("U7", user);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        user->setMUsersGroupArray(c.oldGroups);
        group->setMUserMembersArray(c.membersBefore);
        store.addUser("U7", c.newGroups);
        EXPECT_EQ(group->mUserMembersArray(), c.membersAfter);
        EXPECT_EQ(user->mUsersGroupArray(), c.oldGroups);
    }
    EXPECT_EQ(count("USERGROUPTABLE"), 0);
}

// The checks compare the stored bytes (a hexadecimal literal in the statement): the exact name
// is found, another letter case is not, with and without a master password, on a server whose
// table names are case-sensitive.
TEST_F(GroupAndTypeStorage, DuplicateNamesAreFoundExactly)
{
    EXPECT_EQ(rootValue("SELECT @@lower_case_table_names"), "0");
    for (const QString& masterPassword : {QStringLiteral("s3cret"), QString()}) {
        SCOPED_TRACE(masterPassword.toStdString());
        root("DELETE FROM vivododadi.GROUPTABLE");
        root("DELETE FROM vivododadi.TYPETABLE");
        store.createEncrypter(masterPassword);
        ASSERT_EQ(store.addGroup(makeGroup(1, "Bank ' accounts", {})), kOTVStatusOK);
        ASSERT_EQ(store.addType(makeType(1, "Web Login")), kOTVStatusOK);

        EXPECT_TRUE(store.checkForGroupDuplicate("Bank ' accounts"));
        EXPECT_FALSE(store.checkForGroupDuplicate("bank ' accounts"));
        EXPECT_FALSE(store.checkForGroupDuplicate("Web Login"));
        EXPECT_FALSE(store.checkForGroupDuplicate(""));
        EXPECT_TRUE(store.checkForTypeDuplicate("Web Login"));
        EXPECT_FALSE(store.checkForTypeDuplicate("WEB LOGIN"));
        EXPECT_FALSE(store.checkForTypeDuplicate("Bank ' accounts"));
    }
    EXPECT_TRUE(notifications.posts().isEmpty());
    store.statementFaults().failExecutionWithOtherException(
        "SELECT * FROM GROUPTABLE WHERE name = CAST( x'' As Binary )", 1);
    EXPECT_FALSE(store.checkForGroupDuplicate(""));
}

// ---------------------------------------------------------------------------------------------
// Record types and custom types

TEST_F(GroupAndTypeStorage, TypeWritesChangeTheMapOnlyWhenTheySucceed)
{
    auto type = makeType(1, "Server");
    EXPECT_EQ(store.addType(type), kOTVStatusOK);
    EXPECT_EQ(store.mTypes().value(uid(1)), type);
    EXPECT_EQ(store.addType(makeType(1, "Taken")), kOTVStatusNothingWritten);
    EXPECT_EQ(store.mTypes().value(uid(1)), type);

    // Equal values change no row: the server counts 0.
    auto same = makeType(1, "Server");
    EXPECT_EQ(store.updateType(same), kOTVStatusNothingWritten);
    EXPECT_EQ(store.mTypes().value(uid(1)), type);
    auto changed = makeType(1, "Server");
    changed->setMTypeIconID(40);
    EXPECT_EQ(store.updateType(changed), kOTVStatusOK);
    EXPECT_EQ(store.mTypes().value(uid(1)), changed);
    EXPECT_EQ(rootValue(QStringLiteral("SELECT ICONID FROM vivododadi.TYPETABLE WHERE UID='%1'").arg(uid(1))), "40");

    auto longLabel = makeType(1, "Server");
    longLabel->setLabel(10, QString(241, 'x'));
    EXPECT_EQ(store.updateType(longLabel), kOTVStatusValueTooLong);

    // Gone from the table already: its records (deleted with the row) leave the map, the type
    // stays for the reload.
    auto record = storedRecord(nullptr, changed);
    root(QStringLiteral("DELETE FROM vivododadi.TYPETABLE WHERE UID='%1'").arg(uid(1)));
    EXPECT_EQ(store.deleteType(changed), kOTVStatusNothingWritten);
    EXPECT_FALSE(store.mRecords().contains(record->mRecordUID()));
    EXPECT_TRUE(store.mTypes().contains(uid(1)));

    EXPECT_EQ(store.log, QStringList({"Add Type|Server|Type Added Successfully|alice", "Add Type|Taken|Failed|alice",
                                      "Edit Type|Server|Failed|alice", "Edit Type|Server|Type Edited Successfully|alice",
                                      "Edit Type|Server|Failed|alice", "Delete Type|Server|Failed|alice"}));
}

// Every label lands in its own column, enciphered; icon and mask as numbers (a negative one as
// it is); a custom type's missing labels are stored as "Field3", "Field7".
TEST_F(GroupAndTypeStorage, TypesAndCustomTypesStoreEveryValueInItsColumn)
{
    auto type = makeType(1, "Card");
    type->setMTypeMask(-5);
    ASSERT_EQ(store.addType(type), kOTVStatusOK);
    EXPECT_EQ(storedHex("TYPETABLE", "NAME", uid(1)), hexOf("Card"));
    for (int field = 1; field <= kNoOfFields; ++field)
        EXPECT_EQ(storedHex("TYPETABLE", QStringLiteral("FIELD%1").arg(field), uid(1)), hexOf(type->label(field)));
    EXPECT_EQ(rootValue(QStringLiteral("SELECT ICONID, MASKS FROM vivododadi.TYPETABLE WHERE UID='%1'").arg(uid(1))),
              "12|-5");

    auto record = storedRecord(nullptr, type);
    OTVType custom(*type);
    custom.setLabel(3, QString());
    custom.setLabel(7, QString());
    custom.setMTypeIconID(1005);
    EXPECT_EQ(store.updateCustomType(*record, custom), kOTVStatusOK);
    EXPECT_EQ(store.updateCustomType(*record, custom), kOTVStatusOK);   // a replaced row
    const auto customHex = [&](int field) {
        return rootValue(QStringLiteral("SELECT HEX(FIELD%1) FROM vivododadi.CUSTOMTYPETABLE WHERE RECORDID='%2'")
                             .arg(field)
                             .arg(record->mRecordUID()));
    };
    EXPECT_EQ(customHex(3), hexOf("Field3"));
    EXPECT_EQ(customHex(7), hexOf("Field7"));
    EXPECT_EQ(customHex(10), hexOf("Card label 10"));
    EXPECT_EQ(rootValue("SELECT ICONID, MASKS FROM vivododadi.CUSTOMTYPETABLE"), "1005|-5");

    // A record without a row: the foreign key refuses it (reported, but no lost connection).
    EXPECT_EQ(store.updateCustomType(*OTVRecord::createRecord(), custom), kOTVStatusNothingWritten);
    EXPECT_TRUE(notifications.posts().isEmpty());
    EXPECT_TRUE(store.log.filter("Custom").isEmpty());
}

// Deleting a type deletes its records on the server with what hangs on them, and in memory
// every record of that base type, customised ones included.
TEST_F(GroupAndTypeStorage, DeletingATypeCascades)
{
    auto type = makeType(1, "Doomed");
    auto other = makeType(2, "Other");
    ASSERT_EQ(store.addType(type), kOTVStatusOK);
    ASSERT_EQ(store.addType(other), kOTVStatusOK);
    auto plain = storedRecord(nullptr, type);
    auto customised = storedRecord(nullptr, type);
    customised->setMIsCustomized(true);
    customised->setMRecordCustomType(*other);
    auto kept = storedRecord(nullptr, other);
    addDependentRows(*plain);
    addDependentRows(*customised);
    addDependentRows(*kept);

    EXPECT_EQ(store.deleteType(type), kOTVStatusOK);
    EXPECT_FALSE(store.mTypes().contains(uid(1)));
    EXPECT_EQ(store.mRecords().keys(), QStringList{kept->mRecordUID()});
    EXPECT_EQ(rootRows("SELECT RECORDID FROM vivododadi.RECORDTABLE"), QStringList{kept->mRecordUID()});
    for (const char* table : {"CUSTOMTYPETABLE", "ATTACHMENTTABLE", "RECENTLYVIEWEDTABLE"})
        EXPECT_EQ(count(table), 1) << table;
}

TEST_F(GroupAndTypeStorage, AddingTypesStopsAtTheFirstThatIsNotAdded)
{
    EXPECT_EQ(store.addtypes({}), kOTVStatusOK);
    ASSERT_EQ(store.addType(makeType(2, "Existing")), kOTVStatusOK);
    EXPECT_EQ(store.addtypes({makeType(1, "New"), makeType(2, "Again"), makeType(3, "Later")}),
              kOTVStatusNothingWritten);
    EXPECT_EQ(sorted(rootRows("SELECT UID FROM vivododadi.TYPETABLE")), QStringList({uid(1), uid(2)}));
    EXPECT_EQ(sorted(store.mTypes().keys()), QStringList({uid(1), uid(2)}));
}
