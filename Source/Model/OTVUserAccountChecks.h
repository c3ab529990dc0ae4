#pragma once

// The checks of the user-account form, in the order the form runs them when the administrator
// presses OK, and the e-mail address check shared with the mail of account details. Pure
// functions: what the checks need to know about the vault and the server comes in as callbacks.

#include <QString>

#include <functional>
#include <optional>

class OTVUser_Admin;

// How the form was opened.
enum class OTVUserFormMode { New = -1, Edit = 0, Duplicate = 1 };

// What the form holds when OK is pressed.
struct OTVUserFormInput {
    OTVUserFormMode mode = OTVUserFormMode::New;
    QString name;           // as typed; trimmed before every check
    QString password;       // the pair the form shows: plain for a new account or a duplicate,
    QString confirmation;   // the secure fields while editing
    QString email;
    QString description;
    QString originalName;   // the edited account's name when the form opened
};

// What the checks ask of the vault and the server.
struct OTVUserFormContext {
    std::function<bool(const QString&)> isVaultUserName;      // a vault user of exactly this name
    std::function<bool(const QString&)> isServerAccountName;  // a server account of exactly this name
    std::function<bool(const QString&)> conformsToPolicy;     // the password policy in force
};

struct OTVUserFormAlert {
    QString title;
    QString message;

    friend bool operator==(const OTVUserFormAlert& a, const OTVUserFormAlert& b)
    {
        return a.title == b.title && a.message == b.message;
    }
};

inline const QString kUserFormAlertTitle = QStringLiteral("Ostrevin Darovazivu Alert!");
inline const QString kUserFormPlainTitle = QStringLiteral("Ostrevin Darovazivu");
inline const QString kUserNameSpacesMessage = QStringLiteral("Username should not contain spaces.");
inline const QString kServerAccountNameMessage = QStringLiteral("The user name is already in use on the server.");

inline constexpr int kMaxAccountDescriptionLength = 255;
inline constexpr int kMaxAccountPasswordLength = 40;
// The widths of the account's contact columns on the server.
inline constexpr int kMaxAccountFullNameLength = 60;
inline constexpr int kMaxAccountEmailLength = 80;
inline constexpr int kMaxAccountPhoneLength = 25;   // as typed; the column (TEXT) holds more
inline constexpr qint64 kAccountPhoneColumnBytes = 65535;

// The details of an account that the server's account columns keep, as the form shows them.
enum class OTVAccountDetail { None, Name, Description, FullName, Email, Phone };

// The first detail of `account` that the server's columns cannot store (they are utf8mb3: no
// character beyond the Basic Multilingual Plane, no NUL), or that is longer than its column;
// None when all of them can be stored. The store refuses such an account with status 12.
OTVAccountDetail OTVFirstUnstorableAccountDetail(const OTVUser_Admin& account);

// An account's details as a user list file gives them (the name already trimmed).
struct OTVImportedUserDetails {
    QString name;
    QString password;
    QString fullName;
    QString description;
    QString email;
    QString phone;
};

// Leading and trailing blanks are never part of a user name.
QString OTVTrimmedUserName(const QString& name);

// The first check the form fails, or nullopt when the account may be stored. Lengths count
// UTF-16 units, as the form's fields do.
std::optional<OTVUserFormAlert> OTVFirstUserFormProblem(const OTVUserFormInput& input,
                                                        const OTVUserFormContext& context);

// Whether details that no form has checked may become an account: the form's rules for the
// name (non-empty, no blanks, not "root", no quotes, backslashes or control characters, at most
// 16 characters) and for every length, and a non-empty password. The e-mail may be empty: a
// user list need not give one.
bool OTVImportedUserDetailsAreValid(const OTVImportedUserDetails& details);

// Whether text looks like an e-mail address: no punctuation of the refused set, exactly one
// "@" that neither begins nor ends it, no "..", no final ".", and after the "@" a "." that is
// followed by a letter. Spaces, hyphens and underscores pass.
bool OTVCheckForEmailValidity(const QString& email);
