#pragma once

#include <QString>
#include <QStringList>

// What the logged-in user (OTVUser) and an administered account (OTVUser_Admin) share: the
// identity, the four permission words, the group list and the account flags (USERTABLE).
class OTVUserBase {
public:
    QString mUserID() const { return mUserID_; }
    void setMUserID(const QString& userID) { mUserID_ = userID; }

    // Also the MySQL account name.
    QString mUsername() const { return mUsername_; }
    void setMUsername(const QString& name) { mUsername_ = name; }

    QString mPassword() const { return mPassword_; }
    void setMPassword(const QString& password) { mPassword_ = password; }

    QString mDescription() const { return mDescription_; }
    void setMDescription(const QString& description) { mDescription_ = description; }

    QString mPlatformName() const { return mPlatformName_; }
    void setMPlatformName(const QString& platformName) { mPlatformName_ = platformName; }

    // UIDs of the groups the user belongs to.
    QStringList mUsersGroupArray() const { return mUsersGroupArray_; }
    void setMUsersGroupArray(const QStringList& groupUIDs) { mUsersGroupArray_ = groupUIDs; }

    quint16 mGroupPermissionsBit() const { return mGroupPermissionsBit_; }
    void setMGroupPermissionsBit(quint16 word) { mGroupPermissionsBit_ = word; }

    quint16 mTypePermissionsBit() const { return mTypePermissionsBit_; }
    void setMTypePermissionsBit(quint16 word) { mTypePermissionsBit_ = word; }

    quint16 mDataPermissionsBit() const { return mDataPermissionsBit_; }
    void setMDataPermissionsBit(quint16 word) { mDataPermissionsBit_ = word; }

    quint16 mRecordPermissionsBit() const { return mRecordPermissionsBit_; }
    void setMRecordPermissionsBit(quint16 word) { mRecordPermissionsBit_ = word; }

    bool mIsNotAllowedToChangePassword() const { return mIsNotAllowedToChangePassword_; }
    void setMIsNotAllowedToChangePassword(bool notAllowed) { mIsNotAllowedToChangePassword_ = notAllowed; }

    bool mIsAccountDisabled() const { return mIsAccountDisabled_; }
    void setMIsAccountDisabled(bool disabled) { mIsAccountDisabled_ = disabled; }

protected:
    // The platform name every account of this program carries.
    static QString standardPlatformName() { return QStringLiteral("Mac-Standalone"); }

    OTVUserBase() = default;
    ~OTVUserBase() = default;

private:
    QString mUserID_;
    QString mUsername_;
    QString mPassword_;
    QString mDescription_ = QStringLiteral("");
    QString mPlatformName_ = standardPlatformName();
    QStringList mUsersGroupArray_;
    quint16 mGroupPermissionsBit_ = 0;
    quint16 mTypePermissionsBit_ = 0;
    quint16 mDataPermissionsBit_ = 0;
    quint16 mRecordPermissionsBit_ = 0;
    bool mIsNotAllowedToChangePassword_ = false;
    bool mIsAccountDisabled_ = false;
};
