#include "OEUserRecord.h"

#include "OEAccountName.h"

#include "Model/OTVPermissionWords.h"
#include "Model/OTVUser_Admin.h"
#include "Platform/BKMacRoman.h"

namespace {

constexpr int kWordWidth = 3;      // group, type and record words
constexpr int kDataWordWidth = 6;  // the data word

bool isKnownKind(int kind)
{
    return kind >= kGroupPermissionKind && kind <= kDataPermissionKind;
}

int widthOfKind(int kind)
{
    return kind == kDataPermissionKind ? kDataWordWidth : kWordWidth;
}

quint16 fullWordOfKind(int kind)
{
    switch (kind) {
    case kGroupPermissionKind: return kFullGroupRights;
    case kTypePermissionKind: return kFullTypeRights;
    case kRecordPermissionKind: return kFullRecordRights;
    default: return kFullDataRights;
    }
}

QByteArray bytesOf(const std::string& text)
{
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

quint16 permissionWordOf(const std::string& text, int kind)
{
    return OEUserRecord::isVaildPermissionString(text, kind)
               ? OEUserRecord::converToPermissionBits(text, kind)
               : kInvalidPermissionWord;
}

} // namespace

std::string OEUserRecord::convertPermissionToBinaryString(quint16 word, int kind)
{
    if (!isKnownKind(kind))
        return {};
    if (word == fullWordOfKind(kind))
        return "1";
    if (word == 0)
        return "0";
    const int width = widthOfKind(kind);
    std::string digits(static_cast<size_t>(width), '0');
    for (int bit = 0; bit < width; ++bit) {
        if (word & (1u << bit))
            digits[static_cast<size_t>(width - 1 - bit)] = '1';
    }
    return digits;
}

bool OEUserRecord::isVaildPermissionString(const std::string& text, int kind)
{
    if (!isKnownKind(kind))
        return false;
    if (text.size() != 1 && text.size() != static_cast<size_t>(widthOfKind(kind)))
        return false;
    return text.find_first_not_of("01") == std::string::npos;
}

quint16 OEUserRecord::converToPermissionBits(const std::string& text, int kind)
{
    if (text.size() == 1)
        return (text[0] >= '1' && text[0] <= '9') ? fullWordOfKind(kind) : 0;
    if (text.size() != static_cast<size_t>(kWordWidth) && text.size() != static_cast<size_t>(kDataWordWidth))
        return 0;
    quint16 word = 0;
    for (const char digit : text)
        word = static_cast<quint16>((word << 1) | (digit == '1' ? 1 : 0));
    return word;
}

OEUserRecord OEUserRecord::newRecordFromUser(const OTVUser_Admin& user)
{
    OEUserRecord record;
    record.mUsername_ = user.mUsername();
    record.mPassword_ = user.mPassword();
    record.mConfirmPassword_ = user.mPassword();
    record.mFullName_ = user.mFullName();
    record.mDescription_ = user.mDescription();
    record.mEmail_ = user.mEmail();
    record.mPhoneNo_ = user.mPhoneNo();
    record.mGroupPermissionsBit_ = user.mGroupPermissionsBit();
    record.mTypePermissionsBit_ = user.mTypePermissionsBit();
    record.mRecordPermissionsBit_ = user.mRecordPermissionsBit();
    record.mDataPermissionsBit_ = user.mDataPermissionsBit();
    return record;
}

OEUserRecord OEUserRecord::convertToImportedUserRecord(const UserInfo& row)
{
    OEUserRecord record;
    // A user list is this program's own UTF-8 file: a text in another encoding is not guessed at.
    const auto text = [&record](const std::string& bytes) -> std::optional<QString> {
        const QByteArray raw = bytesOf(bytes);
        if (BKIsValidUTF8(raw))
            return QString::fromUtf8(raw);
        record.mHasTextNotUTF8_ = true;
        return std::nullopt;
    };
    record.mUsername_ = text(row[kUserColumnName]);
    if (!record.mUsername_)
        record.mUnreadableUsername_ = BKDecodeMacRoman(bytesOf(row[kUserColumnName]));
    record.mPassword_ = text(row[kUserColumnPassword]);
    record.mConfirmPassword_ = text(row[kUserColumnConfirmPassword]);
    record.mFullName_ = text(row[kUserColumnFullName]);
    record.mDescription_ = text(row[kUserColumnDescription]);
    record.mEmail_ = text(row[kUserColumnEmail]);
    record.mPhoneNo_ = text(row[kUserColumnPhone]);
    record.mGroupPermissionsBit_ = permissionWordOf(row[kUserColumnGroupPermission], kGroupPermissionKind);
    record.mTypePermissionsBit_ = permissionWordOf(row[kUserColumnTypePermission], kTypePermissionKind);
    record.mRecordPermissionsBit_ = permissionWordOf(row[kUserColumnRecordPermission], kRecordPermissionKind);
    record.mDataPermissionsBit_ = permissionWordOf(row[kUserColumnDataPermission], kDataPermissionKind);
    return record;
}

std::shared_ptr<OTVUser_Admin> OEUserRecord::createUserObject() const
{
    if (!hasValidUsername())
        return nullptr;
    std::shared_ptr<OTVUser_Admin> user = OTVUser_Admin::createUser();
    user->setMUsername(*mUsername_);
    user->setMPassword(mPassword_.value_or(QStringLiteral("")));
    user->setMFullName(mFullName_.value_or(QStringLiteral("")));
    user->setMDescription(mDescription_.value_or(QStringLiteral("")));
    user->setMEmail(mEmail_.value_or(QStringLiteral("")));
    user->setMPhoneNo(mPhoneNo_.value_or(QStringLiteral("")));
    user->setMGroupPermissionsBit(mGroupPermissionsBit_);
    user->setMTypePermissionsBit(mTypePermissionsBit_);
    user->setMRecordPermissionsBit(mRecordPermissionsBit_);
    user->setMDataPermissionsBit(mDataPermissionsBit_);
    return user;
}

bool OEUserRecord::hasVaildPermissions() const
{
    return mGroupPermissionsBit_ != kInvalidPermissionWord && mTypePermissionsBit_ != kInvalidPermissionWord
           && mRecordPermissionsBit_ != kInvalidPermissionWord && mDataPermissionsBit_ != kInvalidPermissionWord;
}

bool OEUserRecord::doesPasswordMatches() const
{
    return mPassword_.has_value() && mConfirmPassword_.has_value() && *mPassword_ == *mConfirmPassword_;
}

bool OEUserRecord::hasValidUsername() const
{
    return mUsername_.has_value() && OEIsValidAccountName(*mUsername_);
}

QString OEUserRecord::usernameForReport() const
{
    return mUsername_.value_or(mUnreadableUsername_);
}

bool OEUserRecord::operator==(const OEUserRecord& other) const
{
    return mUsername_ == other.mUsername_ && mPassword_ == other.mPassword_
           && mConfirmPassword_ == other.mConfirmPassword_ && mFullName_ == other.mFullName_
           && mDescription_ == other.mDescription_ && mEmail_ == other.mEmail_ && mPhoneNo_ == other.mPhoneNo_
           && mGroupPermissionsBit_ == other.mGroupPermissionsBit_
           && mTypePermissionsBit_ == other.mTypePermissionsBit_
           && mRecordPermissionsBit_ == other.mRecordPermissionsBit_
           && mDataPermissionsBit_ == other.mDataPermissionsBit_;
}
