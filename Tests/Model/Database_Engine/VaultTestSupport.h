#pragma once

// Shared by the tests of loading the vault: the store's maps written out value by value, one
// line per entry in key order, so that two loads can be compared and a difference shows which
// value differs; a picture as PNG bytes, for custom icons; and groups and types to store.

#include "Model/BKGroup.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVRecord.h"
#include "Model/OTVType.h"
#include "Model/OTVUser_Admin.h"

#include <QBuffer>
#include <QColor>
#include <QCryptographicHash>
#include <QImage>
#include <QStringList>

#include <optional>

namespace vault_maps {

inline QString list(const std::optional<QStringList>& items)
{
    return items ? QStringLiteral("[%1]").arg(items->join(QLatin1Char(','))) : QStringLiteral("none");
}

inline QString number(const std::optional<int>& value)
{
    return value ? QString::number(*value) : QStringLiteral("none");
}

inline QString looks(const OTVType& type)
{
    QStringList labels;
    for (int field = 1; field <= kNoOfFields; ++field)
        labels.append(type.label(field));
    return QStringLiteral("icon %1 mask %2 labels [%3]")
        .arg(number(type.mTypeIconID()), number(type.mTypeMask()), labels.join(QLatin1Char(',')));
}

inline QString describe(const BKGroup& group)
{
    return QStringList{group.mGroupUID(), group.mGroupName(), QString::number(group.mRecordLevelPermissions()),
                       QString::number(group.mTypeLevelPermissions()),
                       group.mPreferencePermissions() ? "prevails" : "-", list(group.mUserMembersArray()),
                       list(group.mSubGroupsUID())}
        .join(QLatin1String(" | "));
}

inline QString describe(const OTVType& type)
{
    return QStringList{type.mTypeUID(), type.mTypeName(), looks(type)}.join(QLatin1String(" | "));
}

inline QString describe(const OTVRecord& record)
{
    QStringList values;
    for (int field = 1; field <= kNoOfFields; ++field)
        values.append(record.value(field));
    return QStringList{record.mRecordUID(),
                       record.mGroup() ? record.mGroup()->mGroupUID() : QStringLiteral("no group"),
                       record.mType() ? record.mType()->mTypeUID() : QStringLiteral("no type"),
                       values.join(QLatin1Char(',')),
                       record.mNotes(),
                       record.mIsCustomized() ? "customized" : "-",
                       record.mRecordCustomType() ? looks(*record.mRecordCustomType()) : QStringLiteral("no custom type"),
                       record.mHasAttachment() ? "attachment" : "-",
                       record.mAttachmentName(),
                       record.mAttachmentPassKey(),
                       QString::number(record.mViewCounter()),
                       QString::number(record.mAttachmentState())}
        .join(QLatin1String(" | "));
}

inline QString describe(const OTVUser_Admin& user)
{
    return QStringList{user.mUserID(), user.mUsername(), user.mPassword(), user.mPlatformName(),
                       QStringLiteral("%1/%2/%3/%4")
                           .arg(user.mGroupPermissionsBit())
                           .arg(user.mTypePermissionsBit())
                           .arg(user.mRecordPermissionsBit())
                           .arg(user.mDataPermissionsBit()),
                       user.mIsNotAllowedToChangePassword() ? "fixed password" : "-",
                       user.mIsAccountDisabled() ? "disabled" : "-", user.mUsersGroupArray().join(QLatin1Char(',')),
                       user.mFullName(), user.mDescription(), user.mEmail(), user.mPhoneNo()}
        .join(QLatin1String(" | "));
}

inline QString describe(const QImage& image)
{
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32);
    const QByteArray bytes(reinterpret_cast<const char*>(pixels.constBits()), pixels.sizeInBytes());
    return QStringLiteral("%1x%2 %3")
        .arg(image.width())
        .arg(image.height())
        .arg(QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex()));
}

template <class Map>
QStringList describeAll(const Map& map)
{
    QStringList lines;
    for (auto it = map.constBegin(); it != map.constEnd(); ++it)
        lines.append(it.key() + QLatin1String(" -> ") + describe(*it.value()));
    return lines;
}

inline QStringList describeAll(const QMap<QString, QImage>& icons)
{
    QStringList lines;
    for (auto it = icons.constBegin(); it != icons.constEnd(); ++it)
        lines.append(it.key() + QLatin1String(" -> ") + describe(it.value()));
    return lines;
}

// A square picture of one colour, as PNG bytes.
inline QByteArray png(QColor color, int side = 48)
{
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace vault_maps

namespace vault_build {

inline std::shared_ptr<BKGroup> makeGroup(const QString& uid, const QString& name, const QStringList& members,
                                          const QStringList& subgroups)
{
    auto group = std::make_shared<BKGroup>();
    group->setMGroupUID(uid);
    group->setMGroupName(name);
    group->setMRecordLevelPermissions(3);
    group->setMUserMembersArray(members);
    group->setMSubGroupsUID(subgroups);
    return group;
}

// A type whose ten labels name it and their field.
inline std::shared_ptr<OTVType> makeType(const QString& uid, const QString& name)
{
    auto type = std::make_shared<OTVType>();
    type->setMTypeUID(uid);
    type->setMTypeName(name);
    type->setMTypeIconID(12);
    type->setMTypeMask(5);
    for (int field = 1; field <= kNoOfFields; ++field)
        type->setLabel(field, QStringLiteral("%1 %2").arg(name).arg(field));
    return type;
}

} // namespace vault_build
