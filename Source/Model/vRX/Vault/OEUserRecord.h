#pragma once

#include "UserInfo.h"

#include <QString>

#include <memory>
#include <optional>
#include <string>

class OTVUser_Admin;

// Kinds of permission strings, in the order of the permission columns of a user list.
enum OEPermissionKind : int {
    kGroupPermissionKind = 0,
    kTypePermissionKind = 1,
    kRecordPermissionKind = 2,
    kDataPermissionKind = 3
};

// Stored in a permission word whose string in the file was not valid, so that the import can
// report the row instead of granting something the file did not say.
inline constexpr quint16 kInvalidPermissionWord = 255;

// One row of a user list: what an import turns into a new user, and what an export writes
// for an existing one. Text fields are absent (not merely empty) until set.
class OEUserRecord {
public:
    // The user's own password serves as both password and confirmation.
    static OEUserRecord newRecordFromUser(const OTVUser_Admin& user);
    // Texts are taken as UTF-8; a text that is not UTF-8 is left absent and the record is marked
    // (isAllUTF8() is false), so that the import refuses the row instead of guessing.
    static OEUserRecord convertToImportedUserRecord(const UserInfo& row);

    // A new account with the record's details, or nothing when the name may not become an
    // account name: no absent or malformed name ever reaches the store.
    std::shared_ptr<OTVUser_Admin> createUserObject() const;

    bool hasVaildPermissions() const;
    // An absent password never matches, not even another absent one.
    bool doesPasswordMatches() const;
    // The name is present, non-empty, at most kMaxUserNameLength characters and free of
    // control characters.
    bool hasValidUsername() const;
    // Every text of the row was UTF-8.
    bool isAllUTF8() const { return !mHasTextNotUTF8_; }
    // The name for a result list: the user name, or for a name that was not UTF-8 its bytes
    // decoded as Mac OS Roman.
    QString usernameForReport() const;

    // Permission strings: "1" for full rights, "0" for none, otherwise the word's bits (three,
    // or six for data) as binary digits, most significant first. An unknown kind gives "".
    static std::string convertPermissionToBinaryString(quint16 word, int kind);
    // "0" or "1", or exactly the kind's number of binary digits.
    static bool isVaildPermissionString(const std::string& text, int kind);
    // The word a valid permission string stands for.
    static quint16 converToPermissionBits(const std::string& text, int kind);

    const std::optional<QString>& mUsername() const { return mUsername_; }
    void setMUsername(const std::optional<QString>& value) { mUsername_ = value; }
    const std::optional<QString>& mPassword() const { return mPassword_; }
    void setMPassword(const std::optional<QString>& value) { mPassword_ = value; }
    const std::optional<QString>& mConfirmPassword() const { return mConfirmPassword_; }
    void setMConfirmPassword(const std::optional<QString>& value) { mConfirmPassword_ = value; }
    const std::optional<QString>& mFullName() const { return mFullName_; }
    void setMFullName(const std::optional<QString>& value) { mFullName_ = value; }
    const std::optional<QString>& mDescription() const { return mDescription_; }
    void setMDescription(const std::optional<QString>& value) { mDescription_ = value; }
    const std::optional<QString>& mEmail() const { return mEmail_; }
    void setMEmail(const std::optional<QString>& value) { mEmail_ = value; }
    const std::optional<QString>& mPhoneNo() const { return mPhoneNo_; }
    void setMPhoneNo(const std::optional<QString>& value) { mPhoneNo_ = value; }

    quint16 mGroupPermissionsBit() const { return mGroupPermissionsBit_; }
    void setMGroupPermissionsBit(quint16 value) { mGroupPermissionsBit_ = value; }
    quint16 mTypePermissionsBit() const { return mTypePermissionsBit_; }
    void setMTypePermissionsBit(quint16 value) { mTypePermissionsBit_ = value; }
    quint16 mRecordPermissionsBit() const { return mRecordPermissionsBit_; }
    void setMRecordPermissionsBit(quint16 value) { mRecordPermissionsBit_ = value; }
    quint16 mDataPermissionsBit() const { return mDataPermissionsBit_; }
    void setMDataPermissionsBit(quint16 value) { mDataPermissionsBit_ = value; }

    bool operator==(const OEUserRecord& other) const;
    bool operator!=(const OEUserRecord& other) const { return !(*this == other); }

private:
    std::optional<QString> mUsername_;
    std::optional<QString> mPassword_;
    std::optional<QString> mConfirmPassword_;
    std::optional<QString> mFullName_;
    std::optional<QString> mDescription_;
    std::optional<QString> mEmail_;
    std::optional<QString> mPhoneNo_;
    quint16 mGroupPermissionsBit_ = 0;
    quint16 mTypePermissionsBit_ = 0;
    quint16 mRecordPermissionsBit_ = 0;
    quint16 mDataPermissionsBit_ = 0;
    // The name as it stood in the file when it was not UTF-8; only for reporting the row.
    QString mUnreadableUsername_;
    bool mHasTextNotUTF8_ = false;
};
