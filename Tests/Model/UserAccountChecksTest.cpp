// The user-account form's OK checks (their order and texts), the e-mail check and the
// password-policy sheet's conversions.
#include "Model/OTVPasswordPolicyForm.h"
#include "Model/OTVUserAccountChecks.h"
#include "Model/OTVUser_Admin.h"

#include <gtest/gtest.h>

#include <QSet>

TEST(EmailValidity, Table)
{
    struct Case {
        const char16_t* email;
        bool valid;
    };
    const Case cases[] = {
        {u"a@b.com", true},
        {u"a@.com", true},
        {u"a b@c.com", true},
        {u"a_b-c@d.com", true},
        {u"a@b.c", true},
        {u"\u00e9lise@b.fr", true},
        {u"a@b", false},
        {u"a@b.1com", false},
        {u"a@b.com.", false},
        {u"a..b@c.com", false},
        {u"@b.com", false},
        {u"a@", false},
        {u"a@b@c.com", false},
        {u"a+b@c.com", false},
        {u"a'b@c.com", false},
        {u"a\\b@c.com", false},
        {u"a@b.", false},
        {u"ab.com", false},
        {u"a@bcom.", false},
        // Only the character itself counts: one whose low eight bits are "!" is a letter.
        {u"\u0121a@b.com", true},
        {u"a@b.\u0121", true},
    };
    for (const Case& c : cases) {
        const QString email = QString::fromUtf16(c.email);
        EXPECT_EQ(OTVCheckForEmailValidity(email), c.valid) << email.toStdString();
    }
}

namespace {

const QString kMismatch = QStringLiteral(" Password Mismatch: Please re-enter the password.");
const QString kInvalid = QStringLiteral("Invalid Username.");
const QString kEmailEmpty = QStringLiteral("Email field cannnot be empty.");
const QString kEmailInvalid = QStringLiteral("Please enter valid email address.");
const QString kTaken = QStringLiteral(" Username Already exist in database.Please Choose another username.");
const QString kNameLong = QStringLiteral(" Username can contain maximum of 16 characters.Please Choose another username.");
const QString kDescriptionLong = QStringLiteral(" Description can contain maximum of 255 characters.");
const QString kPasswordLong =
    QStringLiteral(" Password is too long, it  can contain maximum of 40 characters.Please Choose another password.");
const QString kPolicy = QStringLiteral("Your password doesn't match with password policy.");
const QString kPasswordEmpty = QStringLiteral("Password can not be empty.");

OTVUserFormContext context()
{
    static const QSet<QString> vaultUsers = {QStringLiteral("alice"), QStringLiteral("bob")};
    static const QSet<QString> serverAccounts = {QStringLiteral("alice"), QStringLiteral("bob"),
                                                 QStringLiteral("mariadb.sys"), QStringLiteral("backup")};
    return {[](const QString& n) { return vaultUsers.contains(n); },
            [](const QString& n) { return serverAccounts.contains(n); },
            [](const QString& p) { return p.length() >= 4; }};
}

} // namespace

TEST(UserFormChecks, FirstFailureWins)
{
    using M = OTVUserFormMode;
    struct Case {
        const char* label;
        M mode;
        QString name;
        QString password;
        QString confirmation;
        QString email;
        QString description;
        QString originalName;
        QString expected;   // empty: the form passes
    };
    const QString ok = QStringLiteral("pass1234");
    const QString mail = QStringLiteral("c@d.com");
    const QString sixteen = QStringLiteral("abcdefghijklmnop");
    const Case cases[] = {
        {"valid new", M::New, "carol", ok, ok, mail, "", "", ""},
        {"inner blank before everything", M::New, "ca rol", ok, "other", "", "", "", kUserNameSpacesMessage},
        {"outer blanks are trimmed", M::New, "  carol  ", ok, ok, mail, "", "", ""},
        {"mismatch before name", M::New, "", ok, "pass123", mail, "", "", kMismatch},
        {"blanks only", M::New, "   ", ok, ok, mail, "", "", kInvalid},
        {"empty", M::New, "", ok, ok, mail, "", "", kInvalid},
        {"root", M::New, "root", ok, ok, mail, "", "", kInvalid},
        {"Root", M::New, "Root", ok, ok, mail, "", "", kInvalid},
        {"ROOT", M::New, "ROOT", ok, ok, mail, "", "", kInvalid},
        {"quote", M::New, "o'brien", ok, ok, mail, "", "", kInvalid},
        {"double quote", M::New, "a\"b", ok, ok, mail, "", "", kInvalid},
        {"backslash", M::New, "a\\b", ok, ok, mail, "", "", kInvalid},
        {"backtick", M::New, "a`b", ok, ok, mail, "", "", kInvalid},
        {"control", M::New, QStringLiteral("a\tb"), ok, ok, mail, "", "", kInvalid},
        {"beyond the plane", M::New, QString::fromUtf16(u"a\U0001F600"), ok, ok, mail, "", "", kInvalid},
        {"percent and underscore pass", M::New, "a%b_c", ok, ok, mail, "", "", ""},
        {"non-ASCII passes", M::New, QString::fromUtf16(u"\u00e9lise"), ok, ok, mail, "", "", ""},
        {"email empty", M::New, "carol", ok, ok, "", "", "", kEmailEmpty},
        {"email invalid", M::New, "carol", ok, ok, "c@d", "", "", kEmailInvalid},
        {"vault name taken", M::New, "alice", ok, ok, mail, "", "", kTaken},
        {"taken before length", M::Duplicate, "alice", ok, ok, mail, "", "", kTaken},
        {"16 characters pass", M::New, sixteen, ok, ok, mail, "", "", ""},
        {"duplicate of 16 with copy", M::Duplicate, sixteen + "copy", ok, ok, mail, "", "", kNameLong},
        {"41 characters", M::New, QString(41, QLatin1Char('x')), ok, ok, mail, "", "", kNameLong},
        {"server account", M::New, "mariadb.sys", ok, ok, mail, "", "", kServerAccountNameMessage},
        {"server account on rename", M::Edit, "backup", "", "", mail, "", "carol", kServerAccountNameMessage},
        {"rename onto another user", M::Edit, "bob", "", "", mail, "", "alice", kTaken},
        {"unchanged name on edit", M::Edit, "alice", "", "", mail, "", "alice", ""},
        {"description 255", M::New, "carol", ok, ok, mail, QString(255, QLatin1Char('d')), "", ""},
        {"description 256", M::New, "carol", ok, ok, mail, QString(256, QLatin1Char('d')), "", kDescriptionLong},
        {"password 40", M::New, "carol", QString(40, 'p'), QString(40, 'p'), mail, "", "", ""},
        {"password 41", M::New, "carol", QString(41, 'p'), QString(41, 'p'), mail, "", "", kPasswordLong},
        {"policy", M::New, "carol", "abc", "abc", mail, "", "", kPolicy},
        {"new account needs a password", M::New, "carol", "", "", mail, "", "", kPasswordEmpty},
        {"duplicate needs a password", M::Duplicate, "alicecopy", "", "", mail, "", "", kPasswordEmpty},
        {"edit keeps the password", M::Edit, "alice", "", "", mail, "", "alice", ""},
        {"edit with a short password", M::Edit, "alice", "abc", "abc", mail, "", "alice", kPolicy},
    };
    for (const Case& c : cases) {
        const OTVUserFormInput input{c.mode, c.name, c.password, c.confirmation, c.email, c.description, c.originalName};
        const auto problem = OTVFirstUserFormProblem(input, context());
        if (c.expected.isEmpty()) {
            EXPECT_FALSE(problem) << c.label << ": " << (problem ? problem->message.toStdString() : "");
            continue;
        }
        ASSERT_TRUE(problem) << c.label;
        EXPECT_EQ(problem->message, c.expected) << c.label;
        const QString title = c.expected == kUserNameSpacesMessage ? kUserFormPlainTitle : kUserFormAlertTitle;
        EXPECT_EQ(problem->title, title) << c.label;
    }
}

// What the server's account columns (utf8mb3, their widths) cannot hold, named in the form's
// order; the store refuses the same accounts with 12.
TEST(UnstorableAccountDetails, Table)
{
    using D = OTVAccountDetail;
    const QString emoji = QStringLiteral("\U0001F600");
    struct Case {
        const char* label;
        QString name, description, fullName, email, phone;
        D expected;
    };
    const Case cases[] = {
        {"all fit", "ana", "d", "Ana \u00c9lise \u4e2d", "ana@example.org", "555", D::None},
        {"widths reached", QString(16, 'n'), QString(255, 'd'), QString(60, QChar(0x4e2d)), QString(80, 'e'),
         QString(25, '5'), D::None},
        {"emoji in full name", "ana", "d", "Ana " + emoji, "a@b.org", "555", D::FullName},
        {"emoji in description", "ana", emoji, "Ana", "a@b.org", "555", D::Description},
        {"emoji in phone", "ana", "d", "Ana", "a@b.org", emoji, D::Phone},
        {"emoji in e-mail", "ana", "d", "Ana", emoji + "@b.org", "555", D::Email},
        {"NUL in full name", "ana", "d", QString(QChar(0)), "a@b.org", "555", D::FullName},
        {"61 characters of full name", "ana", "d", QString(61, 'f'), "a@b.org", "555", D::FullName},
        {"the first in the form's order", "ana", emoji, emoji, "a@b.org", emoji, D::Description},
    };
    for (const Case& c : cases) {
        OTVUser_Admin account;
        account.setMUsername(c.name);
        account.setMDescription(c.description);
        account.setMFullName(c.fullName);
        account.setMEmail(c.email);
        account.setMPhoneNo(c.phone);
        EXPECT_EQ(OTVFirstUnstorableAccountDetail(account), c.expected) << c.label;
    }
}

TEST(PasswordPolicyForm, StoredFormAndStrength)
{
    struct Case {
        std::optional<OTVPasswordPolicy> stored;
        OTVPasswordPolicyForm form;
        int storedAgain;
        float strength;
    };
    const Case cases[] = {
        {OTVPasswordPolicy{10, 5}, {10, true, true}, 5, 0.75f},
        {OTVPasswordPolicy{10, 4}, {10, false, true}, 4, 0.5f},
        {OTVPasswordPolicy{10, 1}, {10, true, false}, 1, 0.5f},
        {OTVPasswordPolicy{10, 0}, {10, false, false}, 0, 0.25f},
        {std::nullopt, {8, false, false}, 0, 0.2f},
        {OTVPasswordPolicy{40, 5}, {40, true, true}, 5, 1.5f},
        {OTVPasswordPolicy{20, 5}, {20, true, true}, 5, 1.0f},
        // Only the low eight bits of the flag are read.
        {OTVPasswordPolicy{6, 0x105}, {6, true, true}, 5, 0.65f},
    };
    for (const Case& c : cases) {
        const OTVPasswordPolicyForm form = OTVPolicyFormFromStored(c.stored);
        EXPECT_EQ(form, c.form) << c.form.minLength;
        EXPECT_EQ(OTVPolicyFromForm(form).charsetFlag, c.storedAgain);
        EXPECT_EQ(OTVPolicyFromForm(form).minLength, c.form.minLength);
        EXPECT_FLOAT_EQ(OTVPolicyFormStrength(form), c.strength);
    }
}
