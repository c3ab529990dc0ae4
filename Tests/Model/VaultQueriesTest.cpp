// The store's queries over hand-built maps: selection, search, sorted lists, group, type and
// user lists, look-ups and the in-memory side of the smart lists. No server is involved.
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVRecord.h"
#include "Model/OTVUID.h"
#include "Model/OTVUser.h"
#include "Model/OTVUser_Admin.h"

#include <gtest/gtest.h>

#include <QDateTime>

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <random>

namespace {

const QString kUserID = QStringLiteral("00000000AB000001");

// A vault in memory. The server-side list operations are replaced by a recorder that keeps
// the in-memory lists as the real ones do.
class VaultProbe : public OTVDataBase {
public:
    VaultProbe() { mCurrentUser_->setMUserID(kUserID); }

    std::shared_ptr<BKGroup> group(const QString& uid, const QString& name)
    {
        auto group = std::make_shared<BKGroup>();
        group->setMGroupUID(uid);
        group->setMGroupName(name);
        mGroups_.insert(uid, group);
        return group;
    }

    std::shared_ptr<OTVType> type(const QString& uid, const QString& name, int icon = kDefaultIconID)
    {
        auto type = OTVType::createType();
        type->setMTypeUID(uid);
        type->setMTypeName(name);
        type->setMTypeIconID(icon);
        mTypes_.insert(uid, type);
        return type;
    }

    std::shared_ptr<OTVRecord> record(const QString& uid, std::shared_ptr<BKGroup> group, std::shared_ptr<OTVType> type,
                                      const QString& value1 = QString())
    {
        auto record = std::make_shared<OTVRecord>();
        record->setMRecordUID(uid);
        record->setMGroup(std::move(group));
        record->setMType(std::move(type));
        record->setValue(1, value1.isNull() ? uid : value1);
        mRecords_.insert(uid, record);
        return record;
    }

    void removeRecord(const QString& uid) { mRecords_.remove(uid); }

    void user(const QString& uid, const QString& name)
    {
        auto user = OTVUser_Admin::createUser();
        user->setMUserID(uid);
        user->setMUsername(name);
        mUsers_.insert(uid, user);
    }

    QStringList& mostViewed() { return mMostViewedRecords; }
    QStringList& recentlyViewed() { return mRecentlyViewedTypes; }
    QStringList& recentlyModified() { return mRecentlyMofifiedTypes; }

    QStringList serverCalls;

protected:
    void addRecordToServerList(OTVServerList list, const std::shared_ptr<OTVRecord>& record,
                               const QString& userID) override
    {
        const QString uid = record->mRecordUID();
        static const char* const names[] = {"mostViewed", "recentlyViewed", "recentlyModified", "recentlyAdded"};
        serverCalls << QStringLiteral("add %1 %2 for %3").arg(names[int(list)], uid, userID);
        if (list == OTVServerList::MostViewed)
            mMostViewedRecords.append(uid);
        else if (list == OTVServerList::RecentlyViewed)
            mRecentlyViewedTypes.append(uid);
        else if (list == OTVServerList::RecentlyModified)
            mRecentlyMofifiedTypes.append(uid);
    }

    void removeRecordFromMostViewedList(const QString& recordUID) override
    {
        serverCalls << QStringLiteral("remove mostViewed %1").arg(recordUID);
        mMostViewedRecords.removeAll(recordUID);
    }
};

QStringList uidsOf(const OTVRecordList& records)
{
    QStringList uids;
    for (const auto& record : records)
        uids << record->mRecordUID();
    return uids;
}

template <class List>
QStringList namesOf(const List& list)
{
    QStringList names;
    for (const auto& item : list) {
        if constexpr (std::is_same_v<List, OTVGroupList>)
            names << item->mGroupName();
        else if constexpr (std::is_same_v<List, OTVTypeList>)
            names << item->mTypeName();
        else
            names << item->mUsername();
    }
    return names;
}

// Two shared groups, the user's personal group, two types, and a record of another user's
// personal group (not in this session's groups, so without a group).
class VaultQueries : public ::testing::Test {
protected:
    void SetUp() override
    {
        work = vault.group("00000000000000A1", "Work");
        home = vault.group("00000000000000A2", "home");
        personal = vault.group(kUserID, "Personal-me");
        login = vault.type("00000000000000B1", "Login");
        bank = vault.type("00000000000000B2", "bank");

        vault.record("R1", work, login)->setValue(3, "xxABCxx");
        vault.record("R2", work, bank);
        vault.record("R3", home, login)->setMNotes("notes with abc");
        vault.record("R4", personal, bank);
        vault.record("R5", nullptr, login, "abc of someone else");
    }

    VaultProbe vault;
    std::shared_ptr<BKGroup> work, home, personal;
    std::shared_ptr<OTVType> login, bank;
};

TEST_F(VaultQueries, SelectionByGroupTypeSearchAndUIDs)
{
    struct Case {
        std::shared_ptr<BKGroup> group;
        std::shared_ptr<OTVType> type;
        QString search;
        std::optional<QStringList> uids;
        QStringList expected;
    };
    const Case cases[] = {
        {nullptr, nullptr, QString(), {}, {"R1", "R2", "R3", "R4"}},
        {nullptr, nullptr, "", {}, {"R1", "R2", "R3", "R4"}},
        {nullptr, nullptr, "abc", {}, {"R1", "R3"}},
        {work, nullptr, QString(), {}, {"R1", "R2"}},
        {work, nullptr, "abc", {}, {"R1"}},
        {nullptr, login, QString(), {}, {"R1", "R3"}},
        {nullptr, bank, "", {}, {"R2", "R4"}},
        {work, bank, QString(), {}, {"R2"}},
        {home, bank, QString(), {}, {}},
        {personal, nullptr, QString(), {}, {"R4"}},
        {nullptr, nullptr, QString(), QStringList{"R3", "R5", "R1"}, {"R1", "R3"}},
        {work, nullptr, "", QStringList{"R3", "R2"}, {"R2"}},
        {nullptr, nullptr, "abc", QStringList{"R3"}, {"R3"}},
        {nullptr, nullptr, QString(), QStringList{}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("group %1, type %2, search \"%3\", uids %4")
                         .arg(c.group ? c.group->mGroupName() : "all", c.type ? c.type->mTypeName() : "all",
                              c.search, c.uids ? c.uids->join(',') : "all")
                         .toStdString());
        if (c.uids) {
            EXPECT_EQ(uidsOf(vault.itemsOfGroup(c.group, c.search, *c.uids)), c.expected);
            continue;
        }
        EXPECT_EQ(uidsOf(vault.itemsOfGroup(c.group, c.type, c.search)), c.expected);
        EXPECT_EQ(vault.itemsCountOfGroup(c.group, c.type, c.search), c.expected.size());
        if (!c.type) {
            EXPECT_EQ(uidsOf(vault.itemsOfGroup(c.group, c.search)), c.expected);
        }
    }
}

// The record of another user's personal group appears in no list and no answer about lists.
TEST_F(VaultQueries, AnotherUsersPersonalRecordIsNeverListed)
{
    vault.getRecordForUID("R5")->setMHasAttachment(true);
    EXPECT_FALSE(vault.anyRecordHasAtachementinArray(nullptr));
    EXPECT_EQ(namesOf(vault.allTypesForGroup(QString(), "someone")), QStringList{});
    EXPECT_EQ(uidsOf(vault.itemsOfGroup(nullptr, nullptr, "someone", kField1ColumnID, true)), QStringList{});
    EXPECT_EQ(uidsOf(vault.itemsOfGroup(nullptr, "", QStringList{"R5"})), QStringList{});

    vault.getRecordForUID("R2")->setMHasAttachment(true);
    EXPECT_TRUE(vault.anyRecordHasAtachementinArray(nullptr));
    const OTVRecordList some{vault.getRecordForUID("R1"), vault.getRecordForUID("R5")};
    EXPECT_TRUE(vault.anyRecordHasAtachementinArray(&some)) << "a list given by the caller is taken as it is";
    const OTVRecordList none{vault.getRecordForUID("R1")};
    EXPECT_FALSE(vault.anyRecordHasAtachementinArray(&none));
}

TEST_F(VaultQueries, SearchLooksAtValuesOneToNineShownDateAndNotesWithoutRegardToCase)
{
    auto record = vault.record("S1", work, login);
    record->setValue(3, "MyPASSWORDhint");
    record->setValue(9, "ninth");
    record->setValue(10, "2026-01-05 09:00:00 +0100");
    record->setMValue10ForDisaply("5 January 2026");
    record->setMNotes("Café notes");
    auto masked = vault.type("00000000000000B3", "Masked");
    masked->setMTypeMask(0x3FF);
    auto hidden = vault.record("S2", work, masked);
    hidden->setValue(2, "SecretWord");

    const std::pair<QString, bool> cases[] = {
        {"password", true},     {"PASSWORDH", true}, {"ninth", true},  {"january", true},
        {"2026-01-05", false},  {"CAFÉ", true},      {"é n", true},    {"nothing", false},
        {"hint ninth", false},
    };
    for (const auto& [search, found] : cases)
        EXPECT_EQ(vault.containsString(search, *record), found) << search.toStdString();
    EXPECT_TRUE(vault.containsString("secretword", *hidden)) << "masked values are searched";
    EXPECT_TRUE(vault.containsString(QString(), *record)) << "a null search text is in every record";
    EXPECT_FALSE(vault.containsString("", *record)) << "the empty text is in none";
}

TEST_F(VaultQueries, SortedListsOrderByColumnThenByValueOne)
{
    struct Case {
        const char* what;
        int column;
        std::function<void(OTVRecord&, int)> set;   // gives record i (0..4) its key
        QStringList ascending;
    };
    const QList<int> icons{1, 10, 2, 31, 9};
    const QStringList dates{"2001-01-05 09:00:00 +0100", "2001-01-05 09:00:00 -0100", "not a date",
                            "2000-01-01 00:00:00 +0000", "2999-12-31 23:59:59 +1400"};
    const Case cases[] = {
        {"icon numbers as text", kIconColumnID,
         [&](OTVRecord& r, int i) { r.setMType(vault.type(QString::number(i), "t", icons[i])); },
         {"K0", "K1", "K2", "K3", "K4"}},
        {"type names", kTypeColumnID,
         [&](OTVRecord& r, int i) { r.setMType(vault.type(QString::number(i), QStringList{"b", "A", "c", "D", "a"}[i])); },
         {"K1", "K4", "K0", "K2", "K3"}},
        {"group names", kCategoryColumnID,
         [&](OTVRecord& r, int i) { r.setMGroup(vault.group(QString::number(i), QStringList{"Zeta", "alpha", "Beta", "beta", "ALPHA"}[i])); },
         {"K1", "K4", "K2", "K3", "K0"}},
        {"value 3", kField1ColumnID + 2,
         [&](OTVRecord& r, int i) { r.setValue(3, QStringList{"b", "B", "a", "", "c"}[i]); },
         {"K3", "K2", "K0", "K1", "K4"}},
        {"value 9", kField9ColumnID,
         [&](OTVRecord& r, int i) { r.setValue(9, QStringList{"9", "10", "x", "X", ""}[i]); },
         {"K4", "K1", "K0", "K2", "K3"}},
        {"dates, one unreadable (now)", kField10ColumnID,
         [&](OTVRecord& r, int i) { r.setValue(10, dates[i]); },
         {"K3", "K0", "K1", "K2", "K4"}},
        {"notes", kNotesColumnID,
         [&](OTVRecord& r, int i) { r.setMNotes(QStringList{"é", "e", "F", "", "f"}[i]); },
         {"K3", "K1", "K2", "K4", "K0"}},
        {"attachments, none first", kAttachmentColumnID,
         [&](OTVRecord& r, int i) {
             r.setMAttachmentName(QStringList{"b.pdf", "A.txt", "ignored", "c", ""}[i]);
             r.setMHasAttachment(i != 2);
         },
         {"K2", "K4", "K1", "K0", "K3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        VaultProbe sorted;
        auto group = sorted.group("00000000000000A1", "Work");
        auto type = sorted.type("00000000000000B1", "Login");
        for (int i = 0; i < 5; ++i) {
            // UIDs in the reverse of the expected ties, so that map order never decides.
            auto record = sorted.record(QStringLiteral("U%1").arg(4 - i), group, type, QStringLiteral("K%1").arg(i));
            c.set(*record, i);
        }
        const OTVRecordList ascending = sorted.itemsOfGroup(nullptr, nullptr, QString(), c.column, true);
        QStringList values;
        for (const auto& record : ascending)
            values << record->value(1);
        EXPECT_EQ(values, c.ascending);
        OTVRecordList descending = sorted.itemsOfGroup(nullptr, nullptr, QString(), c.column, false);
        std::reverse(descending.begin(), descending.end());
        EXPECT_EQ(uidsOf(descending), uidsOf(ascending)) << "descending is the exact reverse";
    }
}

// Equal keys fall back on value 1 without regard to case; descending reverses the ties too.
TEST_F(VaultQueries, EqualKeysAreOrderedByValueOneAndReversedWhenDescending)
{
    VaultProbe sorted;
    auto group = sorted.group("00000000000000A1", "Work");
    auto type = sorted.type("00000000000000B1", "Login");
    sorted.record("U1", group, type, "beta");
    sorted.record("U2", group, type, "Alpha");
    sorted.record("U3", group, type, "gamma");
    sorted.record("U4", group, type, "ALPHA2");
    EXPECT_EQ(uidsOf(sorted.itemsOfGroup(group, type, "", kTypeColumnID, true)), (QStringList{"U2", "U4", "U1", "U3"}));
    EXPECT_EQ(uidsOf(sorted.itemsOfGroup(group, type, "", kTypeColumnID, false)), (QStringList{"U3", "U1", "U4", "U2"}));

    std::vector<OTVRecordSortRow> rows;
    sorted.addSearchRecordItem(sorted.getRecordForUID("U4"), rows, kIconColumnID);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(std::get<QString>(rows[0].sortString), "31");
    EXPECT_EQ(rows[0].secondarySorting, "alpha2");
    EXPECT_EQ(rows[0].recordItem->mRecordUID(), "U4");
}

TEST(ModificationDate, ReadsTheStoredFormOnly)
{
    const QDateTime utc(QDate(2026, 1, 5), QTime(3, 30), Qt::UTC);
    const std::pair<QString, QDateTime> cases[] = {
        {"2026-01-05 09:00:00 +0530", utc},
        {"2026-01-04 19:30:00 -0800", utc},
        {"2026-01-05 03:30:00 +0000", utc},
        {"2026-02-30 03:30:00 +0000", {}},
        {"2026-01-05 24:00:00 +0000", {}},
        {"2026-01-05 03:30:00 +2400", {}},
        {"2026-01-05 03:30:00 0000", {}},
        {"2026-01-05T03:30:00 +0000", {}},
        {"2026-01-05 03:30:00 +00:00", {}},
        {"5 January 2026", {}},
        {"", {}},
    };
    for (const auto& [text, expected] : cases) {
        const QDateTime read = OTVModificationDateFromText(text);
        EXPECT_EQ(read.isValid(), expected.isValid()) << text.toStdString();
        if (expected.isValid()) {
            EXPECT_EQ(read.toMSecsSinceEpoch(), expected.toMSecsSinceEpoch()) << text.toStdString();
        }
    }
    const QDateTime now = QDateTime::currentDateTime();
    EXPECT_EQ(OTVModificationDateFromText(OTVRecord::modificationDateText(now)).toSecsSinceEpoch(),
              now.toSecsSinceEpoch());
}

TEST_F(VaultQueries, GroupAndTypeListsAreSortedWithoutRegardToCase)
{
    vault.group(kUnfiledUID, "Unfiled");
    vault.group("00000000000000A3", "alpha");
    vault.group("00000000000000A4", "Beta");
    vault.type("00000000000000B3", "Card");

    const QStringList all{"alpha", "Beta", "home", "Personal-me", "Unfiled", "Work"};
    EXPECT_EQ(namesOf(vault.groups(true)), all);
    EXPECT_EQ(namesOf(vault.groupsWithPermission()), all);
    EXPECT_EQ(namesOf(vault.groupsForEditing()), all);
    EXPECT_EQ(namesOf(vault.groups(false)), (QStringList{"alpha", "Beta", "home", "Unfiled", "Work"}));
    EXPECT_EQ(namesOf(vault.subGroupsForGroupWithID("00000000000000A1")), (QStringList{"alpha", "Beta", "home"}));
    EXPECT_EQ(namesOf(vault.subGroupsForGroupWithID("FFFFFFFFFFFFFFFF")), (QStringList{"alpha", "Beta", "home", "Work"}));
    EXPECT_EQ(namesOf(vault.typesForEditing()), (QStringList{"bank", "Card", "Login"}));

    // The types of a group's records, each once.
    vault.record("R6", home, login);
    EXPECT_EQ(namesOf(vault.allTypesForGroup(QString(), QString())), (QStringList{"bank", "Login"}));
    EXPECT_EQ(namesOf(vault.allTypesForGroup("00000000000000A2", QString())), QStringList{"Login"});
    EXPECT_EQ(namesOf(vault.allTypesForGroup("00000000000000A1", "abc")), QStringList{"Login"});
    EXPECT_EQ(namesOf(vault.allTypesForGroup("00000000000000A3", QString())), QStringList{});

    EXPECT_TRUE(vault.isGroupExistsInDatabase());
    EXPECT_TRUE(vault.isTypeExistsInDatabase());
    VaultProbe empty;
    EXPECT_FALSE(empty.isGroupExistsInDatabase());
    EXPECT_FALSE(empty.isTypeExistsInDatabase());
}

TEST(VaultUsers, PrefixFilterKeepsMapOrderAndNoPrefixSortsByName)
{
    VaultProbe vault;
    vault.user("U1", "Road");
    vault.user("U2", "adam");
    vault.user("U3", "zed");
    vault.user("U4", "Admin");
    vault.user("U5", "bob");
    EXPECT_EQ(namesOf(vault.sortedUsersContainsString("ad")), (QStringList{"adam", "Admin"}));
    EXPECT_EQ(namesOf(vault.sortedUsersContainsString("AD")), (QStringList{"adam", "Admin"}));
    EXPECT_EQ(namesOf(vault.sortedUsersContainsString("x")), QStringList{});
    const QStringList sorted{"adam", "Admin", "bob", "Road", "zed"};
    EXPECT_EQ(namesOf(vault.sortedUsersContainsString("")), sorted);
    EXPECT_EQ(namesOf(vault.sortedUsersContainsString(QString())), sorted);
}

TEST_F(VaultQueries, LookUpsByUIDAndName)
{
    EXPECT_EQ(vault.groupWithUID("00000000000000A2"), home);
    EXPECT_EQ(vault.groupWithUID("nothing"), nullptr);
    EXPECT_EQ(vault.getRecordForUID("R3")->mRecordUID(), "R3");
    EXPECT_EQ(vault.getRecordForUID("R9"), nullptr);
    EXPECT_EQ(vault.getGroupFromGroupName("home"), home);
    EXPECT_EQ(vault.getGroupFromGroupName("Home"), nullptr) << "names are compared exactly";

    // The import reuses an object of the same name, never the object it asks about.
    EXPECT_EQ(vault.findSimilarCategory(*work), nullptr);
    BKGroup imported;
    imported.setMGroupName("Work");
    EXPECT_EQ(vault.findSimilarCategory(imported), work);
    imported.setMGroupName("work");
    EXPECT_EQ(vault.findSimilarCategory(imported), nullptr);
    EXPECT_EQ(vault.findSimilarType(*bank, work.get()), nullptr);
    OTVType importedType;
    importedType.setMTypeName("bank");
    EXPECT_EQ(vault.findSimilarType(importedType, nullptr), bank);
}

TEST_F(VaultQueries, RecentListsTakeARecordOnce)
{
    auto r1 = vault.getRecordForUID("R1");
    auto r2 = vault.getRecordForUID("R2");
    vault.addRecentlyViewedRecord(r1);
    vault.addRecentlyViewedRecord(r1);
    vault.addRecentlyModifiedRecord(r2);
    vault.addRecentlyModifiedRecord(r2);
    vault.addRecentlyAddedRecord(r1);
    vault.addRecentlyAddedRecord(r1);   // that list is on the server only, so every add goes there
    vault.addRecentlyViewedRecord(nullptr);
    EXPECT_EQ(vault.serverCalls, (QStringList{"add recentlyViewed R1 for 00000000AB000001",
                                              "add recentlyModified R2 for 00000000AB000001",
                                              "add recentlyAdded R1 for 00000000AB000001",
                                              "add recentlyAdded R1 for 00000000AB000001"}));
    EXPECT_EQ(vault.recentlyViewedTypes(), QStringList{"R1"});
    EXPECT_EQ(vault.recentlyModifiedTypes(), QStringList{"R2"});
}

TEST(MostViewed, EntersByViewCountAndEvictsTheEarliestLowest)
{
    struct Case {
        const char* what;
        QList<int> listedCounts;   // the records M0.. already listed, with their counts
        int count;                 // the newcomer's count before the view
        bool increment;
        bool listedAlready;
        QStringList calls;
        QStringList listAfter;
    };
    const QList<int> full{5, 4, 6, 9, 3, 8, 7, 3, 4, 5};   // lowest 3 at entries 4 and 7 (0-based)
    QStringList fullList;
    for (int i = 0; i < 10; ++i)
        fullList << QStringLiteral("M%1").arg(i);
    QStringList afterEviction = fullList;
    afterEviction.removeAt(4);
    afterEviction << "NEW";
    const Case cases[] = {
        {"reaching the lowest count replaces the earlier of two", full, 2, true, false,
         {"remove mostViewed M4", "add mostViewed NEW for 00000000AB000001"}, afterEviction},
        {"below the lowest count stays out", full, 1, true, false, {}, fullList},
        {"count 0 never enters a short list", {5}, 0, false, false, {}, {"M0"}},
        {"a first view enters a short list", {5}, 0, true, false, {"add mostViewed NEW for 00000000AB000001"},
         {"M0", "NEW"}},
        {"listed already", {5}, 7, true, true, {}, {"M0", "NEW"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        VaultProbe vault;
        auto group = vault.group("00000000000000A1", "Work");
        auto type = vault.type("00000000000000B1", "Login");
        for (int i = 0; i < c.listedCounts.size(); ++i) {
            vault.record(QStringLiteral("M%1").arg(i), group, type)->setMViewCounter(c.listedCounts[i]);
            vault.mostViewed() << QStringLiteral("M%1").arg(i);
        }
        auto newcomer = vault.record("NEW", group, type);
        newcomer->setMViewCounter(c.count);
        if (c.listedAlready)
            vault.mostViewed() << "NEW";
        vault.addMostViewedRecord(newcomer, c.increment);
        EXPECT_EQ(vault.serverCalls, c.calls);
        EXPECT_EQ(vault.mostViewedRecordsUIDs(), c.listAfter);
        EXPECT_EQ(newcomer->mViewCounter(), c.count + (c.increment ? 1 : 0));
    }
}

TEST(ViewCounts, AreKeptInMemoryByUID)
{
    VaultProbe vault;
    auto record = vault.record("R1", vault.group("G", "g"), vault.type("T", "t"));
    record->setMViewCounter(4);
    vault.incrementViewCountofRecord("R1");
    vault.incrementViewCountofRecord("unknown");
    EXPECT_EQ(vault.getViewCountofRecord("R1"), 5);
    EXPECT_EQ(vault.getViewCountofRecord("unknown"), 0);
    vault.addMostViewedRecord(nullptr, true);
    EXPECT_TRUE(vault.serverCalls.isEmpty());
}

// A large vault is searched in parts on several threads; the answer is the same records in
// the same order as one walk of the map gives.
TEST(LargeVault, SelectionInPartsKeepsMapOrder)
{
    VaultProbe vault;
    auto work = vault.group("00000000000000A1", "Work");
    auto home = vault.group("00000000000000A2", "Home");
    auto type = vault.type("00000000000000B1", "Login");
    QStringList expected;
    for (int i = 0; i < 20000; ++i) {
        // Random UIDs, well-known ones and a few that begin with no hexadecimal digit.
        const QString uid = i % 1000 == 0 ? QStringLiteral("~%1").arg(i)
                            : i % 97 == 0 ? QStringLiteral("%1").arg(i, 16, 10, QLatin1Char('0'))
                                          : OTVUID::giveMeNewUID();
        auto record = vault.record(uid, i % 2 ? work : home, type, QStringLiteral("entry %1").arg(i));
        if (i % 7 == 0) {
            record->setMNotes("the Needle is here");
            if (i % 2)
                expected << uid;
        }
    }
    vault.record("0000000000000000X", nullptr, type)->setMNotes("needle of someone else");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(uidsOf(vault.itemsOfGroup(work, nullptr, "NEEDLE")), expected);
    EXPECT_EQ(vault.itemsCountOfGroup(nullptr, nullptr, QString()), 20000);
}

// The search looks in one folded text per record: it must find exactly what a case-insensitive
// look at each value finds, for any text, and follow every change of the record.
TEST(RecordSearchText, MatchesWhatEachValueHoldsWithoutRegardToCase)
{
    const QString sigma = QString::fromUtf8("ΟΔΥΣΣΕΥΣ");
    const QString deseret = QString::fromUcs4(U"\U00010400x");   // a letter outside the BMP
    const std::pair<QString, QString> cases[] = {
        {"MiXeD Case", "mixed case"}, {"Straße", "STRASSE"},    {"Straße", "straße"},  {"ẞ groß", "ß"},
        {sigma, "οδυσσευσ"},          {sigma, "ΟΔΥΣ"},          {"ſ long s", "S"},      {"Kelvin \u212A", "k"},
        {deseret, QString::fromUcs4(U"\U00010428")},           {"İstanbul", "i̇st"}, {"ǅ digraph", "ǆ"},
        {"Ǆ", "ǅ"},                   {"café", "CAFÉ"},         {"cafe\u0301", "CAFÉ"}, {"tab\there", "B\tH"},
        {"line\nbreak", "E\nB"},    {"", "a"},                {"abc", ""},
        // Texts kept one byte a character, and the Latin-1 letters whose folding leaves it.
        {"ÀÉÎÕÜ Çà", "àéîõü ç"},     {"Þorn ð", "þORN Ð"},      {"2 µg", "µG"},        {"2 µg", "μg"},
        {"2 μg", "µg"},               {"Ÿ", "ÿ"},               {"ÿ", "Ÿ"},            {"plain", "plaÏn"},
        {"Ablaze", "ablaze"},         {"z\u00FF", "Z\u0178"},
    };
    for (const auto& [text, term] : cases) {
        for (int field : {1, 9}) {
            OTVRecord record;
            record.setValue(field, text);
            VaultProbe vault;
            const bool expected = term.isEmpty() ? false : text.contains(term, Qt::CaseInsensitive);
            EXPECT_EQ(vault.containsString(term, record), expected)
                << text.toStdString() << " / " << term.toStdString() << " in value " << field;
        }
        OTVRecord notes;
        notes.setMNotes(text);
        EXPECT_EQ(VaultProbe().containsString(term, notes), !term.isEmpty() && text.contains(term, Qt::CaseInsensitive))
            << text.toStdString() << " / " << term.toStdString() << " in the notes";
    }
}

TEST(RecordSearchText, NeverMatchesAcrossTwoValues)
{
    VaultProbe vault;
    OTVRecord record;
    record.setValue(1, "left");
    record.setValue(2, "right");
    record.setMNotes("notes");
    EXPECT_FALSE(vault.containsString("leftright", record));
    EXPECT_FALSE(vault.containsString("ftri", record));
    EXPECT_TRUE(vault.containsString("LEFT", record));

    // Values that hold the separator itself are still searched value by value.
    const QString separator(QChar(OTVRecord::kSearchTextSeparator));
    record.setValue(3, "a" + separator + "b");
    EXPECT_TRUE(vault.containsString("A" + separator + "B", record));
    EXPECT_FALSE(vault.containsString("t" + separator + "r", record)) << "the end of value 1 and the start of value 2";
    EXPECT_FALSE(vault.containsString(separator, OTVRecord()));

    // In texts kept one byte a character the values are apart all the same, however they end and
    // start, and whatever the term holds.
    OTVRecord latin1;
    latin1.setValue(1, "endA");
    latin1.setValue(2, "Apple");
    latin1.setMNotes(QString(QChar(0)) + "nul");
    for (const char* term : {"aa", "AA", "aap", "endaapple", "a\u00FFa"})
        EXPECT_FALSE(vault.containsString(term, latin1)) << term;
    for (const char* term : {"ENDA", "apple", "nul"})
        EXPECT_TRUE(vault.containsString(term, latin1)) << term;
    EXPECT_TRUE(vault.containsString(QString(QChar(0)) + "N", latin1));
}

TEST(RecordSearchText, FollowsEveryChangeOfTheRecord)
{
    struct Case {
        const char* what;
        std::function<void(OTVRecord&)> change;
        QString found;
        QString gone;
    };
    const Case cases[] = {
        {"a value", [](OTVRecord& r) { r.setValue(4, "Changed"); }, "changed", "old four"},
        {"the notes", [](OTVRecord& r) { r.setMNotes("New Notes"); }, "new notes", "old notes"},
        {"value 10 and its display", [](OTVRecord& r) { r.setValue(10, "2030-07-01 10:00:00 +0000"); }, "july 01,2030",
         "march"},
        {"the display alone", [](OTVRecord& r) { r.setMValue10ForDisaply("someday"); }, "someday", "march"},
        {"all at once",
         [](OTVRecord& r) {
             std::array<QString, kNoOfFields> values;
             values[3] = "Fresh";
             r.setValuesAndNotes(values, "other");
         },
         "fresh", "old four"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto record = std::make_shared<OTVRecord>();
        record->setValue(4, "Old four");
        record->setValue(10, "2009-03-05 14:22:10 +0100");
        record->setMNotes("old notes");
        VaultProbe vault;
        ASSERT_TRUE(vault.containsString(c.gone, *record));
        c.change(*record);
        EXPECT_TRUE(vault.containsString(c.found, *record));
        EXPECT_FALSE(vault.containsString(c.gone, *record));
        EXPECT_TRUE(vault.containsString(c.found, *OTVRecord::copyRecord(*record))) << "a copy searches alike";
    }
}

// The sorted lists are kept between calls and brought up to date after changes: after each
// change they must equal a stable sort of the map's order (the order the lists are defined by).
class KeptSortedLists : public ::testing::Test {
protected:
    void SetUp() override
    {
        groups = {vault.group("00000000000000A1", "Work"), vault.group("00000000000000A2", "Home")};
        types = {vault.type("00000000000000B1", "Login"), vault.type("00000000000000B2", "Bank")};
        for (int i = 0; i < 600; ++i)
            addRecord(QStringLiteral("%1").arg(quint32(random()), 8, 16, QLatin1Char('0')).toUpper());
    }

    QString word() { return words[int(random() % words.size())]; }

    std::shared_ptr<OTVRecord> addRecord(const QString& uid)
    {
        auto record = vault.record(uid, groups[random() % 2], types[random() % 2], word());
        for (int field = 2; field < kNoOfFields; ++field)
            record->setValue(field, word());
        record->setValue(10, QStringLiteral("2024-0%1-1%2 10:00:00 +0000").arg(1 + random() % 9).arg(random() % 10));
        record->setMNotes(word() + ' ' + word());
        record->setMAttachmentName(word());
        record->setMHasAttachment(random() % 3 == 0);
        return record;
    }

    // The stable sort of the selection in map order, as the lists are specified.
    OTVRecordList expected(const std::shared_ptr<BKGroup>& group, const QString& search, int column, bool ascending)
    {
        const QDateTime now = QDateTime::currentDateTime();
        std::vector<OTVRecordSortRow> rows;
        for (const auto& record : vault.itemsOfGroup(group, nullptr, search))
            rows.push_back(OTVMakeRecordSortRow(record, column, now));
        std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return sortItemArray(a, b) < 0; });
        OTVRecordList records;
        for (const auto& row : rows)
            records.append(row.recordItem);
        if (!ascending)
            std::reverse(records.begin(), records.end());
        return records;
    }

    void expectAllListsRight(const char* after)
    {
        for (int column = kField1ColumnID; column <= kAttachmentColumnID; ++column) {
            for (const auto& group : {std::shared_ptr<BKGroup>(), groups[0]}) {
                for (const QString& search : {QString(), QStringLiteral("AL")}) {
                    for (bool ascending : {true, false}) {
                        ASSERT_EQ(uidsOf(vault.itemsOfGroup(group, nullptr, search, column, ascending)),
                                  uidsOf(expected(group, search, column, ascending)))
                            << "after " << after << ", column " << column << (group ? ", one group" : ", all groups")
                            << ", search \"" << search.toStdString() << '"' << (ascending ? "" : ", descending");
                    }
                }
            }
        }
    }

    VaultProbe vault;
    std::mt19937 random{5};
    const QStringList words{"alpha", "Alpha", "beta", "", "Gamma", "delta", "ALPHA", "é", "e", "Zulu", "mail", "z"};
    QList<std::shared_ptr<BKGroup>> groups;
    QList<std::shared_ptr<OTVType>> types;
};

TEST_F(KeptSortedLists, StayRightThroughChangesAdditionsAndRemovals)
{
    expectAllListsRight("the first sort");
    expectAllListsRight("nothing changed");

    const OTVRecordList all = vault.itemsOfGroup(nullptr, nullptr, QString());
    all[10]->setValue(1, "aaa first");
    expectAllListsRight("value 1 of one record changed");
    all[20]->setValue(5, "zzz");
    all[20]->setMNotes("ZZZ");
    all[21]->setMAttachmentName("0.txt");
    expectAllListsRight("keys of two records changed");
    all[30]->setMGroup(all[30]->mGroup() == groups[0] ? groups[1] : groups[0]);
    expectAllListsRight("a record moved to the other group");
    vault.removeRecord(all[40]->mRecordUID());
    addRecord("00000000NEW");
    expectAllListsRight("a record removed and one added");
    const auto copy = OTVRecord::copyRecord(*all[50]);   // a new object with equal keys
    vault.removeRecord(all[50]->mRecordUID());
    copy->setMRecordUID(all[50]->mRecordUID());
    vault.record(copy->mRecordUID(), copy->mGroup(), copy->mType(), copy->value(1));
    expectAllListsRight("a record replaced by another object");
    for (int i = 100; i < 150; ++i)   // more than are put in one by one, fewer than a sort takes
        all[i]->setMNotes(word() + ' ' + word());
    expectAllListsRight("fifty records changed");
    for (int i = 0; i < 400; ++i)
        all[i]->setValue(2, word());
    expectAllListsRight("most records changed");
    all[60]->setValue(10, "2024-13-40 10:00:00 +0000");   // no time: keyed by the time of the sort
    all[61]->setMValue10ForDisaply("ignored");
    expectAllListsRight("a record without a time");
}

} // namespace
