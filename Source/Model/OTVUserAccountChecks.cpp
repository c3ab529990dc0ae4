#include "OTVUserAccountChecks.h"

#include "OTVAccountName.h"
#include "OTVUser_Admin.h"
#include "Model/Database_Engine/OTVValueLimits.h"

namespace {

const QString kRefusedEmailCharacters = QStringLiteral("!#$%^&*()=+{}[]|\\;:'/?>,<");

OTVUserFormAlert alert(const QString& message)
{
    return {kUserFormAlertTitle, message};
}

// Characters that end or escape a quoted account name in the server's statements, or that no
// account name can carry.
bool isRefusedNameCharacter(QChar c)
{
    return c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('\\') || c == QLatin1Char('`');
}

bool isInvalidName(const QString& name)
{
    if (name.isEmpty() || name.compare(QStringLiteral("root"), Qt::CaseInsensitive) == 0)
        return true;
    if (!OTVHasAccountNameCharacters(name))
        return true;
    for (const QChar c : name) {
        if (isRefusedNameCharacter(c))
            return true;
    }
    return false;
}

} // namespace

QString OTVTrimmedUserName(const QString& name)
{
    return name.trimmed();
}

std::optional<OTVUserFormAlert> OTVFirstUserFormProblem(const OTVUserFormInput& input,
                                                        const OTVUserFormContext& context)
{
    const QString name = OTVTrimmedUserName(input.name);
    const bool creates = input.mode != OTVUserFormMode::Edit;

    if (name.contains(QLatin1Char(' ')))
        return OTVUserFormAlert{kUserFormPlainTitle, kUserNameSpacesMessage};
    if (input.password != input.confirmation)
        return alert(QStringLiteral(" Password Mismatch: Please re-enter the password."));
    if (isInvalidName(name))
        return alert(QStringLiteral("Invalid Username."));
    if (input.email.isEmpty())
        return alert(QStringLiteral("Email field cannnot be empty."));
    if (!OTVCheckForEmailValidity(input.email))
        return alert(QStringLiteral("Please enter valid email address."));

    const bool nameIsNew = creates || name != input.originalName;
    if (nameIsNew && context.isVaultUserName && context.isVaultUserName(name))
        return alert(QStringLiteral(" Username Already exist in database.Please Choose another username."));
    if (name.length() > 16)
        return alert(QStringLiteral(" Username can contain maximum of 16 characters.Please Choose another username."));
    // Another program's account (or one of the server's own) is never taken over.
    if (nameIsNew && context.isServerAccountName && context.isServerAccountName(name))
        return alert(kServerAccountNameMessage);
    if (input.description.length() > kMaxAccountDescriptionLength)
        return alert(QStringLiteral(" Description can contain maximum of 255 characters."));
    if (input.password.length() > kMaxAccountPasswordLength)
        return alert(QStringLiteral(
            " Password is too long, it  can contain maximum of 40 characters.Please Choose another password."));
    if (!input.password.isEmpty() && context.conformsToPolicy && !context.conformsToPolicy(input.password))
        return alert(QStringLiteral("Your password doesn't match with password policy."));
    // An account without a password opens for anybody; an edit without one keeps the old one.
    if (creates && input.password.isEmpty())
        return alert(QStringLiteral("Password can not be empty."));
    return std::nullopt;
}

bool OTVImportedUserDetailsAreValid(const OTVImportedUserDetails& details)
{
    const QString& name = details.name;
    if (isInvalidName(name) || name.length() > kMaxUserNameLength)
        return false;
    for (const QChar c : name) {
        if (c.isSpace())
            return false;
    }
    const std::pair<const QString*, int> limits[] = {{&details.password, kMaxAccountPasswordLength},
                                                     {&details.fullName, kMaxAccountFullNameLength},
                                                     {&details.description, kMaxAccountDescriptionLength},
                                                     {&details.email, kMaxAccountEmailLength},
                                                     {&details.phone, kMaxAccountPhoneLength}};
    for (const auto& [text, limit] : limits) {
        if (text->length() > limit)
            return false;
    }
    // The server would hold an account that anybody may use.
    return !details.password.isEmpty();
}

bool OTVCheckForEmailValidity(const QString& email)
{
    for (const QChar c : email) {
        if (kRefusedEmailCharacters.contains(c))
            return false;
    }
    if (email.count(QLatin1Char('@')) != 1)
        return false;
    if (email.contains(QStringLiteral("..")) || email.endsWith(QLatin1Char('.')))
        return false;
    const qsizetype at = email.indexOf(QLatin1Char('@'));
    if (at == 0 || at == email.length() - 1)
        return false;
    // The domain needs a "." before its last character, followed by a letter.
    const qsizetype dot = email.indexOf(QLatin1Char('.'), at + 1);
    if (dot < 0 || dot >= email.length() - 1)
        return false;
    return email.at(dot + 1).isLetter();
}

OTVAccountDetail OTVFirstUnstorableAccountDetail(const OTVUser_Admin& account)
{
    const auto fits = [](const QString& text, int characters, qint64 bytes) {
        try {
            OTVCheckBasicPlaneText(text);
            if (characters > 0)
                OTVCheckVarcharFits(text, characters);
            else
                OTVCheckBlobFits(text.toUtf8(), bytes);
        } catch (const OTVValueTooLong&) {
            return false;
        }
        return true;
    };
    if (!fits(account.mUsername(), kMaxUserNameLength, 0))
        return OTVAccountDetail::Name;
    if (!fits(account.mDescription(), kMaxAccountDescriptionLength, 0))
        return OTVAccountDetail::Description;
    if (!fits(account.mFullName(), kMaxAccountFullNameLength, 0))
        return OTVAccountDetail::FullName;
    if (!fits(account.mEmail(), kMaxAccountEmailLength, 0))
        return OTVAccountDetail::Email;
    if (!fits(account.mPhoneNo(), 0, kAccountPhoneColumnBytes))
        return OTVAccountDetail::Phone;
    return OTVAccountDetail::None;
}
