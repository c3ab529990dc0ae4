// The tests of an imported user row (which fails first, and which details never reach the
// store) and the rows of an export.
#include "Model/vRX/Vault/OTVUserImport.h"

#include "Model/OTVUser_Admin.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Row {
    std::string name = "alice";
    std::string password = "Secret-1";
    std::string confirmation = "Secret-1";
    std::string fullName = "Alice Smith";
    std::string description = "accounts";
    std::string email = "alice@example.org";
    std::string phone = "555 0101";
    std::string data = "1";
};

OEUserRecord record(const Row& row)
{
    UserInfo info;
    info[kUserColumnName] = row.name;
    info[kUserColumnPassword] = row.password;
    info[kUserColumnConfirmPassword] = row.confirmation;
    info[kUserColumnFullName] = row.fullName;
    info[kUserColumnDescription] = row.description;
    info[kUserColumnEmail] = row.email;
    info[kUserColumnPhone] = row.phone;
    info[kUserColumnGroupPermission] = "1";
    info[kUserColumnTypePermission] = "101";
    info[kUserColumnRecordPermission] = "0";
    info[kUserColumnDataPermission] = row.data;
    return OEUserRecord::convertToImportedUserRecord(info);
}

TEST(UserImportProblem, FirstFailingTestDecides)
{
    const auto with = [](auto change) {
        Row row;
        change(row);
        return row;
    };
    const struct {
        const char* what;
        Row row;
        int status;
    } cases[] = {
        {"good", Row{}, kUserImportAdded},
        {"empty e-mail and phone", with([](Row& r) { r.email.clear(); r.phone.clear(); }), kUserImportAdded},
        {"16 characters", with([](Row& r) { r.name = std::string(16, 'n'); }), kUserImportAdded},
        {"non-ASCII name", with([](Row& r) { r.name = "\xc3\xa9l\xc3\xa8ve"; }), kUserImportAdded},
        {"taken name", with([](Row& r) { r.name = "taken"; }), kUserImportUserExists},
        {"mismatch", with([](Row& r) { r.confirmation = "other"; }), kUserImportPasswordMismatch},
        {"mismatch beats permission", with([](Row& r) { r.confirmation = "x"; r.data = "101"; }),
         kUserImportPasswordMismatch},
        {"mismatch beats hostile name", with([](Row& r) { r.confirmation = "x"; r.name = "a'b"; }),
         kUserImportPasswordMismatch},
        {"three-digit data word", with([](Row& r) { r.data = "101"; }), kUserImportInvalidPermission},
        {"taken beats permission", with([](Row& r) { r.name = "taken"; r.data = "2"; }), kUserImportUserExists},
        {"policy", with([](Row& r) { r.password = r.confirmation = "weak"; }), kUserImportPolicyMismatch},
        {"permission beats policy", with([](Row& r) { r.password = r.confirmation = "weak"; r.data = "10"; }),
         kUserImportInvalidPermission},
        // What the add/edit form would refuse never reaches a statement.
        {"17 characters", with([](Row& r) { r.name = std::string(17, 'n'); }), kUserImportInvalidDetails},
        {"root", with([](Row& r) { r.name = "ROOT"; }), kUserImportInvalidDetails},
        {"quote", with([](Row& r) { r.name = "o'neil"; }), kUserImportInvalidDetails},
        {"double quote", with([](Row& r) { r.name = "a\"b"; }), kUserImportInvalidDetails},
        {"backslash", with([](Row& r) { r.name = "a\\b"; }), kUserImportInvalidDetails},
        {"backtick", with([](Row& r) { r.name = "a`b"; }), kUserImportInvalidDetails},
        {"inner blank", with([](Row& r) { r.name = "a b"; }), kUserImportInvalidDetails},
        {"tab", with([](Row& r) { r.name = "a\tb"; }), kUserImportInvalidDetails},
        {"empty name", with([](Row& r) { r.name = ""; }), kUserImportInvalidDetails},
        {"name not UTF-8", with([](Row& r) { r.name = "caf\x8e"; }), kUserImportInvalidDetails},
        // Text that is not UTF-8 cannot be compared: that comes first.
        {"Latin-1 full name", with([](Row& r) { r.fullName = "Mon\xc8"; }), kUserImportInvalidDetails},
        {"Latin-1 passwords that differ", with([](Row& r) { r.password = "Mon\xc8"; }), kUserImportInvalidDetails},
        {"empty password", with([](Row& r) { r.password = r.confirmation = ""; }), kUserImportInvalidDetails},
        {"41-character password", with([](Row& r) { r.password = r.confirmation = std::string(41, 'p') + "1"; }),
         kUserImportInvalidDetails},
        {"61-character full name", with([](Row& r) { r.fullName = std::string(61, 'f'); }), kUserImportInvalidDetails},
        {"256-character description", with([](Row& r) { r.description = std::string(256, 'd'); }),
         kUserImportInvalidDetails},
        {"81-character e-mail", with([](Row& r) { r.email = std::string(69, 'e') + "@example.org"; }),
         kUserImportInvalidDetails},
        {"26-character phone", with([](Row& r) { r.phone = std::string(26, '5'); }), kUserImportInvalidDetails},
        {"details beat taken", with([](Row& r) { r.name = "taken"; r.phone = std::string(26, '5'); }),
         kUserImportInvalidDetails},
    };
    std::vector<QString> asked;
    const OTVUserImportChecks checks{[&asked](const QString& name) {
                                         asked.push_back(name);
                                         return name == QLatin1String("taken");
                                     },
                                     [](const QString& password) { return password.size() >= 6; }};
    for (const auto& c : cases) {
        asked.clear();
        EXPECT_EQ(OTVUserImportProblem(record(c.row), checks), c.status) << c.what;
        if (c.status == kUserImportInvalidDetails || c.status == kUserImportPasswordMismatch)
            EXPECT_TRUE(asked.empty()) << c.what << ": the name went to the vault";
    }
}

TEST(UserImportStatus, TextsOfEveryStatus)
{
    const struct {
        int status;
        const char* word;
        const char* description;
    } cases[] = {
        {0, "Succeeded", ""},
        {1, "Failed", "Password mismatch"},
        {2, "Failed", "User already exists"},
        {3, "Failed", "Password Policy mismatch"},
        {4, "Failed", "Invalid permission"},
        {5, "Failed", "Invalid user details"},
        {6, "Failed", "Unable to create user"},
    };
    for (const auto& c : cases) {
        const auto texts = OTVUserImportStatusTexts(c.status);
        ASSERT_TRUE(texts) << c.status;
        EXPECT_EQ(texts->status, QLatin1String(c.word));
        EXPECT_EQ(texts->description, QLatin1String(c.description));
    }
    EXPECT_FALSE(OTVUserImportStatusTexts(7));
    EXPECT_FALSE(OTVUserImportStatusTexts(-1));
}

TEST(UserExport, OrdinaryUsersWithFreshPasswords)
{
    OTVUserList users;
    for (const char* name : {"admin", "bob", "carol"}) {
        auto user = OTVUser_Admin::createUser();
        user->setMUsername(QLatin1String(name));
        user->setMPassword(QStringLiteral("stored"));
        user->setAdministrator(QLatin1String(name) == QLatin1String("admin"));
        users.append(user);
    }
    int generated = 0;
    const std::vector<OEUserRecord> records =
        OTVUserRecordsForExport(users, [&generated] { return QStringLiteral("fresh%1").arg(++generated); });
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(*records[0].mUsername(), QStringLiteral("bob"));
    EXPECT_EQ(*records[0].mPassword(), QStringLiteral("fresh1"));
    EXPECT_EQ(*records[0].mConfirmPassword(), QStringLiteral("fresh1"));
    EXPECT_EQ(*records[1].mUsername(), QStringLiteral("carol"));
    EXPECT_EQ(*records[1].mPassword(), QStringLiteral("fresh2"));
    EXPECT_EQ(users[1]->mPassword(), QStringLiteral("stored"));
}

} // namespace
