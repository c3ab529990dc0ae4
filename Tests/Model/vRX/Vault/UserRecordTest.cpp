#include "Model/vRX/Vault/OEAccountName.h"
#include "Model/vRX/Vault/OEUserRecord.h"

#include "Model/OTVUID.h"
#include "Model/OTVUser_Admin.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Record = OEUserRecord;

TEST(PermissionString, WritesFullNoneOrTheWordsBits)
{
    const struct {
        quint16 word;
        int kind;
        const char* expected;
    } cases[] = {
        {7, kGroupPermissionKind, "1"},   {0, kGroupPermissionKind, "0"},    {6, kGroupPermissionKind, "110"},
        {5, kTypePermissionKind, "101"},  {1, kRecordPermissionKind, "001"}, {8, kGroupPermissionKind, "000"},
        {15, kGroupPermissionKind, "111"}, // only the exact full word is "1"; wider bits are not written
        {63, kDataPermissionKind, "1"},   {9, kDataPermissionKind, "001001"}, {7, kDataPermissionKind, "000111"},
        {0, kDataPermissionKind, "0"},    {7, 4, ""},                         {7, -1, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Record::convertPermissionToBinaryString(c.word, c.kind), c.expected)
            << "word " << c.word << " kind " << c.kind;
}

TEST(PermissionString, ValidStringsReadAsTheirWordAndOthersAreRejected)
{
    const struct {
        const char* text;
        int kind;
        bool valid;
        quint16 word;  // meaningful when valid
    } cases[] = {
        {"1", kGroupPermissionKind, true, 7},      {"1", kTypePermissionKind, true, 7},
        {"1", kRecordPermissionKind, true, 7},     {"1", kDataPermissionKind, true, 63},
        {"0", kGroupPermissionKind, true, 0},      {"0", kDataPermissionKind, true, 0},
        {"101", kGroupPermissionKind, true, 5},    {"000", kRecordPermissionKind, true, 0},
        {"111", kTypePermissionKind, true, 7},     {"000111", kDataPermissionKind, true, 7},
        {"101010", kDataPermissionKind, true, 42},
        {"000111", kGroupPermissionKind, false, 0}, // data width in a three-bit column
        {"101", kDataPermissionKind, false, 0},    // three-bit width in the data column
        {"10", kGroupPermissionKind, false, 0},    {"10", kDataPermissionKind, false, 0},
        {"2", kGroupPermissionKind, false, 0},     {"", kGroupPermissionKind, false, 0},
        {"1a1", kGroupPermissionKind, false, 0},   {" 1", kTypePermissionKind, false, 0},
        {"1", 4, false, 0},                        {"1", -1, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\" kind " + std::to_string(c.kind));
        EXPECT_EQ(Record::isVaildPermissionString(c.text, c.kind), c.valid);
        if (c.valid) {
            EXPECT_EQ(Record::converToPermissionBits(c.text, c.kind), c.word);
        }
    }
}

TEST(PermissionString, EveryWordSurvivesWritingAndReading)
{
    for (int kind = kGroupPermissionKind; kind <= kDataPermissionKind; ++kind) {
        const quint16 fullWord = kind == kDataPermissionKind ? 63 : 7;
        for (quint16 word = 0; word <= fullWord; ++word) {
            const std::string text = Record::convertPermissionToBinaryString(word, kind);
            ASSERT_TRUE(Record::isVaildPermissionString(text, kind)) << text;
            EXPECT_EQ(Record::converToPermissionBits(text, kind), word) << "kind " << kind;
        }
    }
}

UserInfo row(std::initializer_list<std::string> columns)
{
    UserInfo info;
    int column = 0;
    for (const std::string& text : columns)
        info[column++] = text;
    return info;
}

TEST(ImportedUserRecord, TakesEveryColumn)
{
    const Record record = Record::convertToImportedUserRecord(
        row({"jana", "pw", "pw", "Jana Nováková", "Sales, Brno", "jana@example.org", "+420 1", "1", "101", "0",
             "001001"}));
    EXPECT_EQ(record.mUsername(), QStringLiteral("jana"));
    EXPECT_EQ(record.mPassword(), QStringLiteral("pw"));
    EXPECT_EQ(record.mConfirmPassword(), QStringLiteral("pw"));
    EXPECT_EQ(record.mFullName(), QStringLiteral("Jana Nováková"));
    EXPECT_EQ(record.mDescription(), QStringLiteral("Sales, Brno"));
    EXPECT_EQ(record.mEmail(), QStringLiteral("jana@example.org"));
    EXPECT_EQ(record.mPhoneNo(), QStringLiteral("+420 1"));
    EXPECT_EQ(record.mGroupPermissionsBit(), 7);
    EXPECT_EQ(record.mTypePermissionsBit(), 5);
    EXPECT_EQ(record.mRecordPermissionsBit(), 0);
    EXPECT_EQ(record.mDataPermissionsBit(), 9);
    EXPECT_TRUE(record.hasVaildPermissions());
    EXPECT_TRUE(record.doesPasswordMatches());
    EXPECT_TRUE(record.hasValidUsername());
}

TEST(ImportedUserRecord, MarksEachInvalidPermissionColumnOnItsOwn)
{
    const Record record =
        Record::convertToImportedUserRecord(row({"jana", "", "", "", "", "", "", "000111", "1", "10", "101"}));
    EXPECT_EQ(record.mGroupPermissionsBit(), kInvalidPermissionWord);
    EXPECT_EQ(record.mTypePermissionsBit(), 7);
    EXPECT_EQ(record.mRecordPermissionsBit(), kInvalidPermissionWord);
    EXPECT_EQ(record.mDataPermissionsBit(), kInvalidPermissionWord);
    EXPECT_FALSE(record.hasVaildPermissions());

    // Missing permission columns are empty strings, which are not valid either.
    EXPECT_FALSE(Record::convertToImportedUserRecord(row({"jana"})).hasVaildPermissions());
}

TEST(ImportedUserRecord, ANameThatIsNotUtf8IsAbsentAndCannotBecomeAnAccount)
{
    // "Müller" written in Mac OS Roman: not UTF-8.
    const Record record = Record::convertToImportedUserRecord(row({"M\x9fller", "pw", "pw"}));
    EXPECT_FALSE(record.mUsername().has_value());
    EXPECT_FALSE(record.hasValidUsername());
    EXPECT_EQ(record.usernameForReport(), QStringLiteral("Müller"));
}

// A user list is UTF-8: a text in any other encoding (Latin-1 "MonÈ", Mac OS Roman "José") is
// not guessed at, and marks the row, whichever column holds it.
TEST(ImportedUserRecord, OtherTextsThatAreNotUtf8AreAbsentAndMarkTheRow)
{
    const Record utf8 = Record::convertToImportedUserRecord(row({"jana", "p\xc3\xa9", "p\xc3\xa9", "Mon\xc3\x88"}));
    EXPECT_TRUE(utf8.isAllUTF8());
    EXPECT_EQ(utf8.mFullName(), QStringLiteral("MonÈ"));
    for (int column = kUserColumnName; column <= kUserColumnPhone; ++column) {
        std::vector<std::string> texts{"jana", "pw", "pw", "Jana", "desc", "jana@example.org", "555"};
        texts[size_t(column)] = "Mon\xc8";
        UserInfo info;
        for (int i = 0; i < int(texts.size()); ++i)
            info[i] = texts[size_t(i)];
        const Record record = Record::convertToImportedUserRecord(info);
        EXPECT_FALSE(record.isAllUTF8()) << column;
    }
    const Record record = Record::convertToImportedUserRecord(row({"jana", "p\x8e", "p\x8e", "Jos\x8e"}));
    EXPECT_FALSE(record.mPassword().has_value());
    EXPECT_FALSE(record.mFullName().has_value());
    EXPECT_EQ(record.mUsername(), QStringLiteral("jana"));
}

TEST(UserRecord, StartsWithAbsentTextsAndNoRights)
{
    const Record record;
    EXPECT_FALSE(record.mUsername().has_value());
    EXPECT_FALSE(record.mPassword().has_value());
    EXPECT_FALSE(record.mPhoneNo().has_value());
    EXPECT_EQ(record.mGroupPermissionsBit(), 0);
    EXPECT_EQ(record.mDataPermissionsBit(), 0);
    EXPECT_TRUE(record.hasVaildPermissions());
    EXPECT_FALSE(record.hasValidUsername());
}

TEST(UserRecord, PasswordMatchesOnlyAnEqualPresentConfirmation)
{
    const std::optional<QString> absent;
    const struct {
        std::optional<QString> password, confirmation;
        bool matches;
    } cases[] = {
        {QStringLiteral("s3cret"), QStringLiteral("s3cret"), true},
        {QString(""), QString(""), true},
        {QStringLiteral("s3cret"), QStringLiteral("S3cret"), false},
        {QStringLiteral("s3cret"), absent, false},
        {absent, QStringLiteral(""), false},
        {absent, absent, false},
    };
    for (const auto& c : cases) {
        Record record;
        record.setMPassword(c.password);
        record.setMConfirmPassword(c.confirmation);
        EXPECT_EQ(record.doesPasswordMatches(), c.matches)
            << c.password.value_or("<absent>").toStdString() << " / "
            << c.confirmation.value_or("<absent>").toStdString();
    }
}

TEST(AccountName, IsNonEmptyShortAndFreeOfControlCharacters)
{
    const struct {
        QString name;
        bool valid;
    } cases[] = {
        {QStringLiteral("jana"), true},
        {QStringLiteral("jana.novakova-01"), true},              // 16 characters
        {QString(16, QChar(0x00FC)), true},                      // 16 characters, 32 UTF-8 bytes
        {QStringLiteral("key\U0001F511"), false},                // beyond the account tables' characters
        {QStringLiteral("jana.novakova-012"), false},            // 17 characters
        {QString(), false},
        {QStringLiteral(""), false},
        {QStringLiteral("ja\tna"), false},
        {QStringLiteral("jana\n"), false},
        {QString::fromUtf16(u"ja\u0000na", 5), false},
        {QStringLiteral("ja\x7Fna"), false},
        {QString::fromUtf16(u"ja\u0085na"), false},              // a C1 control
        {QString::fromUtf16(u"ja\xD800na", 5), false},            // a lone surrogate
    };
    for (const auto& c : cases)
        EXPECT_EQ(OEIsValidAccountName(c.name), c.valid) << c.name.toStdString();
}

TEST(UserRecord, ANameIsValidatedAsAnAccountName)
{
    Record record;
    record.setMUsername(QStringLiteral("jana\r"));
    EXPECT_FALSE(record.hasValidUsername());
    record.setMUsername(QStringLiteral("jana"));
    EXPECT_TRUE(record.hasValidUsername());
    EXPECT_EQ(record.usernameForReport(), QStringLiteral("jana"));
}

TEST(UserRecord, FromAUserCarriesItsPasswordAsBothPasswordAndConfirmation)
{
    OTVUser_Admin user;
    user.setMUsername(QStringLiteral("petr"));
    user.setMPassword(QStringLiteral("Tajne-1"));
    user.setMFullName(QStringLiteral("Petr Svoboda"));
    user.setMDescription(QStringLiteral("IT"));
    user.setMEmail(QStringLiteral("petr@example.org"));
    user.setMPhoneNo(QStringLiteral("555"));
    user.setMGroupPermissionsBit(1);
    user.setMTypePermissionsBit(2);
    user.setMRecordPermissionsBit(4);
    user.setMDataPermissionsBit(33);

    const Record record = Record::newRecordFromUser(user);
    EXPECT_EQ(record.mUsername(), QStringLiteral("petr"));
    EXPECT_EQ(record.mPassword(), QStringLiteral("Tajne-1"));
    EXPECT_EQ(record.mConfirmPassword(), QStringLiteral("Tajne-1"));
    EXPECT_EQ(record.mFullName(), QStringLiteral("Petr Svoboda"));
    EXPECT_EQ(record.mDescription(), QStringLiteral("IT"));
    EXPECT_EQ(record.mEmail(), QStringLiteral("petr@example.org"));
    EXPECT_EQ(record.mPhoneNo(), QStringLiteral("555"));
    EXPECT_EQ(record.mGroupPermissionsBit(), 1);
    EXPECT_EQ(record.mTypePermissionsBit(), 2);
    EXPECT_EQ(record.mRecordPermissionsBit(), 4);
    EXPECT_EQ(record.mDataPermissionsBit(), 33);
}

TEST(UserRecord, BecomesANewAccountWithItsDetails)
{
    const Record record = Record::convertToImportedUserRecord(
        row({"jana", "pw", "other", "Jana N.", "Sales", "jana@example.org", "777", "1", "010", "0", "000011"}));
    const std::shared_ptr<OTVUser_Admin> user = record.createUserObject();
    ASSERT_TRUE(user);
    EXPECT_EQ(user->mUsername(), QStringLiteral("jana"));
    EXPECT_EQ(user->mPassword(), QStringLiteral("pw"));
    EXPECT_EQ(user->mFullName(), QStringLiteral("Jana N."));
    EXPECT_EQ(user->mDescription(), QStringLiteral("Sales"));
    EXPECT_EQ(user->mEmail(), QStringLiteral("jana@example.org"));
    EXPECT_EQ(user->mPhoneNo(), QStringLiteral("777"));
    EXPECT_EQ(user->mGroupPermissionsBit(), 7);
    EXPECT_EQ(user->mTypePermissionsBit(), 2);
    EXPECT_EQ(user->mRecordPermissionsBit(), 0);
    EXPECT_EQ(user->mDataPermissionsBit(), 3);
    EXPECT_EQ(user->mPlatformName(), QStringLiteral("Mac-Standalone"));
    EXPECT_TRUE(user->mUsersGroupArray().isEmpty());
    EXPECT_FALSE(user->isAdministrator());
    EXPECT_FALSE(user->mIsAccountDisabled());
    EXPECT_FALSE(user->mIsNotAllowedToChangePassword());
    EXPECT_EQ(user->mUserID().size(), 16);
    EXPECT_FALSE(OTVUID::isWellKnownUID(user->mUserID()));
    EXPECT_NE(record.createUserObject()->mUserID(), user->mUserID()) << "every account gets its own ID";
}

TEST(UserRecord, AnInvalidNameNeverBecomesAnAccount)
{
    const std::string names[] = {"M\x9fller", "seventeen-chars-x", "tab\tname", "bell\a"};
    for (const std::string& name : names) {
        const Record record = Record::convertToImportedUserRecord(row({name, "pw", "pw"}));
        EXPECT_FALSE(record.hasValidUsername()) << name;
        EXPECT_EQ(record.createUserObject(), nullptr) << name;
    }
    EXPECT_EQ(Record().createUserObject(), nullptr);
}

} // namespace
