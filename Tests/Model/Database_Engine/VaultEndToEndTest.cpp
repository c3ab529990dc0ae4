// The store as a whole, against a real server and through its public operations: an
// administrator opens an empty server, sets the first master password, logs in and loads the
// new vault, fills it with groups, types, records with custom types and attachments, users,
// icons, log entries and preferences; then a second store (a new connection) loads the vault,
// and its maps equal the first store's value by value.
#include "StoreTestSupport.h"
#include "VaultTestSupport.h"

#include "Model/OTVUser.h"
#include "Model/OTVUser_Admin.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

const QString kMasterPassword = QStringLiteral("Wh0le vault");

std::shared_ptr<BKGroup> group(const QString& name, const QStringList& members, const QStringList& subgroups)
{
    std::shared_ptr<BKGroup> group = BKGroup::newGroup();
    group->setMGroupName(name);
    group->setMRecordLevelPermissions(7);
    group->setMUserMembersArray(members);
    group->setMSubGroupsUID(subgroups);
    return group;
}

std::shared_ptr<OTVRecord> record(const std::shared_ptr<BKGroup>& group, const std::shared_ptr<OTVType>& type,
                                  const QString& title)
{
    std::shared_ptr<OTVRecord> record = OTVRecord::createRecord();
    record->setMGroup(group);
    record->setMType(type);
    for (int field = 1; field <= 9; ++field)
        record->setValue(field, QStringLiteral("%1, value %2 – é").arg(title).arg(field));
    record->setMNotes(title + QStringLiteral(" notes\nover two lines"));
    return record;
}

} // namespace

class VaultEndToEnd : public StoreTest {
protected:
    void logIn(StoreProbe& store)
    {
        ASSERT_EQ(connect(store, server.admin, kMasterPassword), kOTVStatusOK);
        ASSERT_EQ(store.initUserDetails(server.admin.user, server.admin.password), kOTVStatusOK);
    }

    QTemporaryDir folder;
};

TEST_F(VaultEndToEnd, ASecondStoreLoadsTheSameVault)
{
    // --- A new vault, its first administrator and its first load.
    StoreProbe first;
    ASSERT_EQ(connect(first, server.admin), kOTVStatusOK);
    int status = -1;
    ASSERT_TRUE(first.isVirginLaunch(&status));
    ASSERT_EQ(first.setMasterPassword(kMasterPassword), kOTVStatusOK);
    ASSERT_EQ(first.initUserDetails(server.admin.user, server.admin.password), kOTVStatusOK);
    const std::shared_ptr<OTVUser> me = first.mCurrentUser();
    // The preference row and the personal group of a new administrator (made by the login
    // step itself once the categories are linked: then these find them made, 8).
    first.initUserPreferencesForUser(me->mUserID(), me->mUsername(), &status);
    ASSERT_TRUE(status == kOTVStatusOK || status == kOTVStatusNothingWritten) << status;
    status = first.addUserPersonalGroup(*me);
    ASSERT_TRUE(status == kOTVStatusOK || status == kOTVStatusNothingWritten) << status;
    ASSERT_EQ(first.loadDataBase(true), kOTVStatusOK);
    const QList<std::shared_ptr<OTVType>> templates = OTVType::readtypesFromFile(kTypeTemplatesPath);
    ASSERT_EQ(first.mTypes().size(), templates.size());
    const std::optional<OTVPasswordPolicy> policy = first.passwordPolicyDetails(&status);
    ASSERT_TRUE(policy.has_value());
    EXPECT_EQ(policy->minLength, 4);

    // --- Its contents, through the store's operations.
    int icon = 0;
    ASSERT_EQ(first.insertCustomIconWithIndex(&icon, vault_maps::png(Qt::darkGreen)), kOTVStatusOK);

    auto bob = OTVUser_Admin::createUser();
    bob->setMUsername(QStringLiteral("e2e_bob"));
    bob->setMPassword(QStringLiteral("Bob's pass 1"));
    bob->setMFullName(QStringLiteral("Bob Builder"));
    bob->setMEmail(QStringLiteral("bob@example.org"));
    bob->setMPhoneNo(QStringLiteral("555-0100"));
    bob->setMDescription(QStringLiteral("builds things"));
    bob->setMGroupPermissionsBit(1);
    bob->setMTypePermissionsBit(3);
    bob->setMRecordPermissionsBit(7);
    bob->setMDataPermissionsBit(21);
    bob->setMIsNotAllowedToChangePassword(true);

    const std::shared_ptr<BKGroup> shared = group(QStringLiteral("Shared"), {}, {});
    ASSERT_EQ(first.addGroup(shared), kOTVStatusOK);
    const std::shared_ptr<BKGroup> bank = group(QStringLiteral("Bank – accounts"), {}, {shared->mGroupUID()});
    bank->setMPreferencePermissions(true);
    bank->setMRecordLevelPermissions(3);
    ASSERT_EQ(first.addGroup(bank), kOTVStatusOK);
    bob->setMUsersGroupArray({bank->mGroupUID()});
    ASSERT_EQ(first.addUser(bob), kOTVStatusOK);
    first.addUser(bob->mUserID(), bob->mUsersGroupArray());   // the groups' member lists in memory

    std::shared_ptr<OTVType> server = OTVType::createType();
    server->setMTypeName(QStringLiteral("Server"));
    server->setMTypeIconID(icon);
    server->setMTypeMask(0b101);
    for (int field = 1; field <= kNoOfFields; ++field)
        server->setLabel(field, QStringLiteral("Server field %1").arg(field));
    ASSERT_EQ(first.addType(server), kOTVStatusOK);
    const std::shared_ptr<OTVType> login = first.mTypes().first();

    ASSERT_EQ(first.addRecord(record(bank, login, QStringLiteral("Plain"))), kOTVStatusOK);
    const std::shared_ptr<BKGroup> personal = first.mGroups().value(me->mUserID());
    ASSERT_TRUE(personal);
    EXPECT_EQ(personal->mGroupName(), OTVDataBase::personalGroupName(me->mUsername()));
    ASSERT_EQ(first.addRecord(record(personal, login, QStringLiteral("Mine"))), kOTVStatusOK);

    std::shared_ptr<OTVRecord> customised = record(shared, server, QStringLiteral("Customised"));
    OTVType own;
    own.setMTypeIconID(icon);
    own.setMTypeMask(0b11);
    for (int field = 1; field <= kNoOfFields; ++field)
        own.setLabel(field, QStringLiteral("Own %1").arg(field));
    customised->setMRecordCustomType(own);
    customised->setMIsCustomized(true);
    QFile file(folder.filePath(QStringLiteral("contract.pdf")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(3000, 'c'));
    file.close();
    customised->setMHasAttachment(true);
    customised->setMAttachmentName(QStringLiteral("contract.pdf"));
    customised->setMAttachmentPath(file.fileName());
    customised->setMAttachmentState(kAttachmentStoreFile);
    ASSERT_EQ(first.addRecord(customised), kOTVStatusOK);

    std::shared_ptr<OTVRecord> viewed = record(bank, server, QStringLiteral("Viewed"));
    ASSERT_EQ(first.addRecord(viewed), kOTVStatusOK);
    for (int view = 0; view < 3; ++view) {
        first.updateRecordViewCountForRecord(viewed->mRecordUID());
        first.incrementViewCountofRecord(viewed->mRecordUID());
    }

    ASSERT_EQ(first.addLogEvent(QStringLiteral("End-to-end"), QStringLiteral("the whole vault")), kOTVStatusOK);

    ASSERT_EQ(first.setToggleInfo(false), kOTVStatusOK);
    ASSERT_EQ(first.setPasswordGeneratorFlags(35), kOTVStatusOK);
    ASSERT_EQ(first.setSortDescriptor(SortSpec{QStringLiteral("5"), false}), kOTVStatusOK);

    // --- A second client loads the vault.
    StoreProbe second;
    logIn(second);
    ASSERT_EQ(second.loadDataBase(false), kOTVStatusOK);
    EXPECT_EQ(services.calls().filter(QStringLiteral("reloadFailed")), QStringList());

    EXPECT_EQ(vault_maps::describeAll(second.mGroups()), vault_maps::describeAll(first.mGroups()));
    EXPECT_EQ(vault_maps::describeAll(second.mTypes()), vault_maps::describeAll(first.mTypes()));
    EXPECT_EQ(vault_maps::describeAll(second.mRecords()), vault_maps::describeAll(first.mRecords()));
    // Only the server keeps account passwords: a load reads none, the adding client's object
    // still holds what was typed.
    for (const auto& user : second.mUsers())
        EXPECT_EQ(user->mPassword(), "");
    for (const auto& user : first.mUsers())
        user->setMPassword(QStringLiteral(""));
    EXPECT_EQ(vault_maps::describeAll(second.mUsers()), vault_maps::describeAll(first.mUsers()));
    EXPECT_EQ(vault_maps::describeAll(second.mCustomIcons()), vault_maps::describeAll(first.mCustomIcons()));
    EXPECT_EQ(second.mRecords().size(), 4);
    EXPECT_EQ(second.mUsers().size(), 1);
    EXPECT_EQ(second.mRecords().value(viewed->mRecordUID())->mViewCounter(), 3);

    // The log as the second client read it holds the first one's entry; the logged-in user's
    // preferences came with the load.
    bool logged = false;
    for (const EventLogEntry& entry : second.mLogArray())
        logged = logged || (entry.value(QStringLiteral("Event")) == "End-to-end" &&
                            entry.value(QStringLiteral("Description")) == "the whole vault");
    EXPECT_TRUE(logged);
    const std::shared_ptr<OTVUser> again = second.mCurrentUser();
    EXPECT_EQ(again->mUserID(), me->mUserID());
    EXPECT_FALSE(again->mShowDetailOnPane());
    EXPECT_EQ(again->mPwdGenFlag(), 35);
    EXPECT_EQ(again->mSortingInfo(), (SortSpec{QStringLiteral("5"), false}));
}
