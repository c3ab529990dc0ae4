#pragma once

#include "OTVUserBase.h"

#include <memory>

// One user account as the administrator's user window sees it: the shared identity, words and
// flags, plus the contact details kept in `mysql.user_info` and the administrator flag.
class OTVUser_Admin : public OTVUserBase {
public:
    // Empty name, password and contact details, words 0, both flags off, no groups, no UID.
    OTVUser_Admin();

    // A new account object with a new UID and the defaults above; used for a new account, a
    // duplicate of one and each row of a user import.
    static std::shared_ptr<OTVUser_Admin> createUser();

    QString mFullName() const { return mFullName_; }
    void setMFullName(const QString& fullName) { mFullName_ = fullName; }

    QString mEmail() const { return mEmail_; }
    void setMEmail(const QString& email) { mEmail_ = email; }

    QString mPhoneNo() const { return mPhoneNo_; }
    void setMPhoneNo(const QString& phoneNo) { mPhoneNo_ = phoneNo; }

    // Whether the server holds a password for the account, as an administrator's session reads
    // it (the vault keeps none, and the object holds one only until the store has set it).
    bool mHasServerPassword() const { return mHasServerPassword_; }
    void setMHasServerPassword(bool has) { mHasServerPassword_ = has; }

    // Held in memory only.
    bool isAdministrator() const { return misAdministrator_; }
    void setAdministrator(bool administrator) { misAdministrator_ = administrator; }

private:
    QString mFullName_ = QStringLiteral("");
    QString mEmail_ = QStringLiteral("");
    QString mPhoneNo_ = QStringLiteral("");
    bool mHasServerPassword_ = false;
    bool misAdministrator_ = false;
};
