// Personal groups against a real server: the row that each user's group is, its name after
// renames, what its deletion takes with it, and the reader of its records for the load.
#include "StoreTestSupport.h"

#include "Model/BKGroup.h"
#include "Model/OTVRecord.h"
#include "Model/OTVType.h"
#include "Model/OTVUser.h"
#include "Model/OTVUser_Admin.h"

namespace {

const QString kAnnID = QStringLiteral("00000000AB000001");
const QString kBobID = QStringLiteral("00000000AB000002");
const QString kShared = QStringLiteral("00000000000000A1");
const QString kLogin = QStringLiteral("00000000000000B1");

class PersonalStore : public StoreProbe {
public:
    using OTVDataBase::mCurrentUser_;
    using OTVDataBase::mGroups_;
    using OTVDataBase::mRecords_;
    using OTVDataBase::mTypes_;
    using OTVDataBase::readUserPersonalRecords;
};

OTVUser_Admin account(const QString& id, const QString& name)
{
    OTVUser_Admin user;
    user.setMUserID(id);
    user.setMUsername(name);
    return user;
}

} // namespace

class PersonalGroups : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        ASSERT_EQ(connect(store, server.admin), kOTVStatusOK);
        store.createEncrypter(QStringLiteral("s3cret"));
        root("INSERT INTO vivododadi.USERTABLE(USERID, USERNAME) VALUES ('" + kAnnID + "', 'ann'), ('" + kBobID +
             "', 'bob')");
    }

    // The group's row with its name deciphered: "UID|name|RECORDPERMISSION|GROUPPERMISSIONPREVAILS".
    QString groupRow(const QString& uid)
    {
        QString row;
        store.runGuarded([&] {
            OTVStatement statement = store.prepare("SELECT * FROM GROUPTABLE WHERE UID=?");
            statement.setString(1, uid);
            OTVResultSet rows = statement.executeQuery();
            if (rows.next())
                row = QStringList{rows.getString(1u), store.getDecryptedString(rows.getBlob(2u)),
                                  QString::number(rows.getInt(3u)), QString::number(rows.getInt(4u))}
                          .join('|');
            return kOTVStatusOK;
        });
        return row;
    }

    int count(const QString& table, const QString& where) const
    {
        return rootValue("SELECT COUNT(*) FROM vivododadi." + table + " WHERE " + where).toInt();
    }

    PersonalStore store;
};

// The group lives from the account's creation to its deletion, its name following the user
// name; an unknown user changes nothing.
TEST_F(PersonalGroups, AGroupPerUserNamedAfterItsOwner)
{
    OTVUser_Admin ann = account(kAnnID, "ann");
    EXPECT_EQ(store.addUserPersonalGroup(ann), kOTVStatusOK);
    EXPECT_EQ(groupRow(kAnnID), kAnnID + "|Personal-ann|7|1");

    ann.setMUsername("anne");
    EXPECT_EQ(store.addUserPersonalGroup(ann), kOTVStatusNothingWritten) << "one group per user";
    EXPECT_EQ(groupRow(kAnnID), kAnnID + "|Personal-ann|7|1");

    EXPECT_EQ(store.renameUserPersonalGroup(ann), kOTVStatusOK);
    EXPECT_EQ(groupRow(kAnnID), kAnnID + "|Personal-anne|7|1");

    root("UPDATE vivododadi.USERTABLE SET USERNAME='anna' WHERE USERID='" + kAnnID + "'");
    EXPECT_EQ(store.renamePersonalGroupForUser(kAnnID), kOTVStatusOK);
    EXPECT_EQ(groupRow(kAnnID), kAnnID + "|Personal-anna|7|1");

    EXPECT_EQ(store.renamePersonalGroupForUser("00000000FFFFFFFF"), kOTVStatusOK) << "no such user";
    EXPECT_EQ(store.renameUserPersonalGroup(account(kBobID, "bob")), kOTVStatusOK) << "no group yet";
    EXPECT_EQ(count("GROUPTABLE", "1"), 1);
    EXPECT_EQ(groupRow(kAnnID), kAnnID + "|Personal-anna|7|1");

    // The name must fit NAME whole: the server is never left to cut it short.
    EXPECT_EQ(store.addUserPersonalGroup(account(kBobID, QString(240, 'b'))), kOTVStatusValueTooLong);
    EXPECT_EQ(store.renameUserPersonalGroup(account(kAnnID, QString(240, 'a'))), kOTVStatusValueTooLong);
    EXPECT_EQ(count("GROUPTABLE", "1"), 1);
    EXPECT_EQ(groupRow(kAnnID), kAnnID + "|Personal-anna|7|1");

    EXPECT_EQ(store.currentUserPersnaolGroupName(), "Personal-");
    store.mCurrentUser_->setMUsername("ann");
    EXPECT_EQ(store.currentUserPersnaolGroupName(), "Personal-ann");
}

// The server deletes the group's records with it, and with them their custom types,
// attachments and list rows; another user's group stays.
TEST_F(PersonalGroups, DeletingAGroupTakesItsRecordsAlong)
{
    ASSERT_EQ(store.addUserPersonalGroup(account(kAnnID, "ann")), kOTVStatusOK);
    ASSERT_EQ(store.addUserPersonalGroup(account(kBobID, "bob")), kOTVStatusOK);
    root("INSERT INTO vivododadi.TYPETABLE(UID) VALUES ('" + kLogin + "')");
    root("INSERT INTO vivododadi.RECORDTABLE(RECORDID, GROUPUID, TYPEUID) VALUES ('R1', '" + kAnnID + "', '" +
         kLogin + "'), ('R2', '" + kBobID + "', '" + kLogin + "')");
    for (const char* id : {"R1", "R2"}) {
        root(QStringLiteral("INSERT INTO vivododadi.CUSTOMTYPETABLE(RECORDID) VALUES ('%1')").arg(id));
        root(QStringLiteral("INSERT INTO vivododadi.ATTACHMENTTABLE(RECORDID) VALUES ('%1')").arg(id));
        root(QStringLiteral("INSERT INTO vivododadi.RECENTLYVIEWEDTABLE VALUES ('%1', '%2')").arg(kBobID, id));
    }

    EXPECT_EQ(store.deleteUserPersonalGroup(account(kAnnID, "ann")), kOTVStatusOK);
    EXPECT_EQ(store.deleteUserPersonalGroup(account(kAnnID, "ann")), kOTVStatusNothingWritten);
    for (const char* table : {"RECORDTABLE", "CUSTOMTYPETABLE", "ATTACHMENTTABLE", "RECENTLYVIEWEDTABLE"})
        EXPECT_EQ(rootRows(QStringLiteral("SELECT RECORDID FROM vivododadi.%1").arg(table)), QStringList{"R2"}) << table;
    EXPECT_EQ(rootRows("SELECT UID FROM vivododadi.GROUPTABLE"), QStringList{kBobID});

    // A failed statement wrote nothing, which is what 8 says.
    store.statementFaults().failExecution(kQueryGroupDelete, 1, 1205, "Lock wait timeout exceeded");
    EXPECT_EQ(store.deleteUserPersonalGroup(account(kBobID, "bob")), kOTVStatusNothingWritten);
    store.statementFaults().failExecution(kQueryGroupInsert, 1, 1205, "Lock wait timeout exceeded");
    EXPECT_EQ(store.addUserPersonalGroup(account(kAnnID, "ann")), kOTVStatusNothingWritten);
    EXPECT_EQ(rootRows("SELECT UID FROM vivododadi.GROUPTABLE"), QStringList{kBobID});
}

TEST_F(PersonalGroups, EveryUserIDIsListed)
{
    EXPECT_EQ(store.allUsersUIDS(), (QStringList{kAnnID, kBobID}));
    store.statementFaults().failExecution(kQueryAllUserUIDS, 1, kDBConnectionLastErrCode);
    EXPECT_EQ(store.allUsersUIDS(), QStringList());
    EXPECT_EQ(notifications.posts(), QStringList{"DB_COMM_LOST(2013)"});
}

// Read completely (the load), the records join the maps with the maps' own group and type;
// read to be written back, they stand alone and ask for their attachment to be re-enciphered.
// Either way the values, the view count, the custom type and the attachment name are read.
TEST_F(PersonalGroups, TheRecordsOfAPersonalGroupAreReadForTheLoadOrForRewriting)
{
    ASSERT_EQ(store.addUserPersonalGroup(account(kAnnID, "ann")), kOTVStatusOK);
    root("INSERT INTO vivododadi.TYPETABLE(UID) VALUES ('" + kLogin + "')");
    root("INSERT INTO vivododadi.GROUPTABLE(UID) VALUES ('" + kShared + "')");
    const QString hex = "x'" + QString::fromLatin1(store.encryptString("mail").toHex()) + "'";
    auto insertRecord = [&](const QString& id, const QString& group, int flags) {
        root(QStringLiteral("INSERT INTO vivododadi.RECORDTABLE VALUES ('%1', '%2', '%3', %4, %4, %4, %4, %4, %4, %4, "
                            "%4, %4, '', %4, %5, %5, 5)")
                 .arg(id, kLogin, group, hex, QString::number(flags)));
    };
    insertRecord("R1", kAnnID, 1);
    insertRecord("R2", kAnnID, 0);
    insertRecord("R3", kShared, 0);
    root("INSERT INTO vivododadi.CUSTOMTYPETABLE(RECORDID, ICONID, MASKS, FIELD1) VALUES ('R1', 7, 2, " + hex + ")");
    root("INSERT INTO vivododadi.ATTACHMENTTABLE(RECORDID, ATTACHMENTNAME, ENCRYPTIONKEY) VALUES ('R1', " + hex +
         ", " + hex + ")");

    auto ann = std::make_shared<BKGroup>();
    ann->setMGroupUID(kAnnID);
    auto login = std::make_shared<OTVType>();
    login->setMTypeUID(kLogin);
    store.mGroups_.insert(kAnnID, ann);
    store.mTypes_.insert(kLogin, login);

    int status = -1;
    const OTVRecordList loose = store.readUserPersonalRecords(kAnnID, false, nullptr, &status);
    EXPECT_EQ(status, kOTVStatusOK);
    ASSERT_EQ(loose.size(), 2);
    const OTVRecord& first = *loose.first();
    EXPECT_EQ(first.mRecordUID(), "R1");
    EXPECT_EQ(first.mGroup(), nullptr);
    EXPECT_EQ(first.mType(), nullptr);
    EXPECT_EQ(first.mAttachmentState(), kAttachmentReencipher);
    EXPECT_EQ(first.value(1), "mail");
    EXPECT_EQ(first.value(10), "") << "an empty modification date stays empty";
    EXPECT_EQ(first.mNotes(), "mail");
    EXPECT_EQ(first.mViewCounter(), 5);
    ASSERT_NE(first.mRecordCustomType(), nullptr);
    EXPECT_EQ(first.mRecordCustomType()->label(1), "mail");
    EXPECT_EQ(first.mAttachmentName(), "mail");
    EXPECT_EQ(first.mAttachmentPassKey(), "mail");
    EXPECT_TRUE(store.mRecords_.isEmpty());

    EXPECT_TRUE(store.readUserPersonalRecords(kAnnID, true, nullptr, &status).isEmpty());
    EXPECT_EQ(status, kOTVStatusOK);
    ASSERT_EQ(store.mRecords_.keys(), (QStringList{"R1", "R2"}));
    EXPECT_EQ(store.mRecords_.value("R1")->mGroup(), ann);
    EXPECT_EQ(store.mRecords_.value("R1")->mType(), login);
    EXPECT_EQ(store.mRecords_.value("R1")->mAttachmentState(), kAttachmentUnchanged);
    EXPECT_EQ(store.mRecords_.value("R2")->mViewCounter(), 5);

    // A load fills maps of its own.
    OTVDataBase::VaultMaps maps;
    auto loadedAnn = std::make_shared<BKGroup>();
    maps.groups.insert(kAnnID, loadedAnn);
    store.readUserPersonalRecords(kAnnID, true, &maps);
    ASSERT_EQ(maps.records.keys(), (QStringList{"R1", "R2"}));
    EXPECT_EQ(maps.records.value("R2")->mGroup(), loadedAnn);
    EXPECT_EQ(maps.records.value("R2")->mType(), nullptr);

    store.statementFaults().failExecution(kQueryUserPersonalRecords, 1, kDBConnectionLastErrCode);
    EXPECT_TRUE(store.readUserPersonalRecords(kAnnID, false, nullptr, &status).isEmpty());
    EXPECT_EQ(status, kOTVStatusClientError);
}
