#include "OTVType.h"

#include <array>

#include "Platform/BKLocalization.h"
#include "BKPropertyList.h"
#include "OTVUID.h"

#include <QRegularExpression>
#include <QSet>

#include <limits>

namespace {

bool isFieldNumber(int field)
{
    return field >= 1 && field <= kNoOfFields;
}

bool isUIDText(const QString& text)
{
    static const QRegularExpression uid(QStringLiteral("^[0-9A-Fa-f]{16}$"));
    return uid.match(text).hasMatch();
}

// The value as an int, when it is an integer that fits.
std::optional<int> integerValue(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        // QVariant::toInt() truncates silently; check the range on the wide value.
        if (value.typeId() == QMetaType::ULongLong && value.toULongLong() > quint64(std::numeric_limits<int>::max()))
            return std::nullopt;
        const qlonglong number = value.toLongLong();
        if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
            return std::nullopt;
        return static_cast<int>(number);
    }
    default:
        return std::nullopt;
    }
}

// Gives type its default icon, mask and labels, as a new type has them.
void setDefaultLook(OTVType& type)
{
    type.setMTypeIconID(kDefaultIconID);
    type.setMTypeMask(0);
    for (int field = 1; field <= kNoOfFields; ++field)
        type.setLabel(field, OTVType::defaultLabel(field));
}

} // namespace

OTVType::OTVType()
{
    for (int field = 1; field <= kNoOfFields; ++field)
        setLabel(field, defaultLabel(field));
}

QString OTVType::defaultLabel(int field)
{
    // Made once: every custom type of a load starts with them.
    static const std::array<QString, kNoOfFields> labels = [] {
        std::array<QString, kNoOfFields> made;
        for (int f = 1; f <= kNoOfFields; ++f)
            made[size_t(f - 1)] = QStringLiteral("Field %1").arg(f);
        return made;
    }();
    if (field >= 1 && field <= kNoOfFields)
        return labels[size_t(field - 1)];
    return QStringLiteral("Field %1").arg(field);
}

std::shared_ptr<OTVType> OTVType::createType()
{
    auto type = std::make_shared<OTVType>();
    type->setMTypeUID(OTVUID::giveMeNewUID());
    type->setMTypeName(QStringLiteral(""));
    setDefaultLook(*type);
    return type;
}

std::shared_ptr<OTVType> OTVType::UnfiledType()
{
    static const std::shared_ptr<OTVType> unfiled = [] {
        auto type = std::make_shared<OTVType>();
        type->setMTypeUID(kUnfilledUID);
        type->setMTypeName(BKLocalizedString("Unfiled"));
        setDefaultLook(*type);
        return type;
    }();
    return unfiled;
}

std::shared_ptr<OTVType> OTVType::createCopyforType(const OTVType& source)
{
    auto type = std::make_shared<OTVType>();
    type->setMTypeUID(source.mTypeUID());
    type->setMTypeName(source.mTypeName());
    type->setMTypeIconID(source.mTypeIconID());
    type->setMTypeMask(source.mTypeMask());
    for (int field = 1; field <= kNoOfFields; ++field)
        type->setLabel(field, source.label(field));
    return type;
}

std::shared_ptr<OTVType> OTVType::createTypeFromDictionary(const QVariantMap& dictionary)
{
    const QVariant uid = dictionary.value(QStringLiteral("UID"));
    const QVariant name = dictionary.value(QStringLiteral("Name"));
    if (uid.typeId() != QMetaType::QString || !isUIDText(uid.toString()))
        return nullptr;
    if (name.typeId() != QMetaType::QString || name.toString().isEmpty())
        return nullptr;

    auto type = std::make_shared<OTVType>();
    type->setMTypeUID(uid.toString().toUpper());
    type->setMTypeName(name.toString());
    setDefaultLook(*type);

    const QVariant icon = dictionary.value(QStringLiteral("IconID"));
    if (icon.isValid()) {
        const std::optional<int> iconID = integerValue(icon);
        if (!iconID)
            return nullptr;
        type->setMTypeIconID(*iconID);
    }

    int mask = 0;
    for (int field = 1; field <= kNoOfFields; ++field) {
        const QVariant entry = dictionary.value(defaultLabel(field));
        if (!entry.isValid())
            continue;  // a field the file leaves out keeps its default label, unmasked
        if (entry.typeId() != QMetaType::QVariantMap)
            return nullptr;
        const QVariantMap fieldEntry = entry.toMap();
        const QVariant label = fieldEntry.value(QStringLiteral("Field_Name"));
        const QVariant masked = fieldEntry.value(QStringLiteral("Mask"));
        if (label.isValid() && label.typeId() != QMetaType::QString)
            return nullptr;
        if (masked.isValid() && masked.typeId() != QMetaType::Bool)
            return nullptr;
        if (label.isValid())
            type->setLabel(field, label.toString());
        if (masked.toBool())
            mask |= 1 << (field - 1);
    }
    type->setMTypeMask(mask);
    return type;
}

QList<std::shared_ptr<OTVType>> OTVType::readtypesFromFile(const QString& path, QString* errorMessage)
{
    auto refuse = [&](const QString& reason) {
        if (errorMessage)
            *errorMessage = reason;
        return QList<std::shared_ptr<OTVType>>();
    };

    QString reason;
    const QVariant root = BKPropertyList::readFile(path, &reason);
    if (!root.isValid())
        return refuse(reason);
    const QVariant types = root.toMap().value(QStringLiteral("Types"));
    if (root.typeId() != QMetaType::QVariantMap || types.typeId() != QMetaType::QVariantList)
        return refuse(QStringLiteral("%1: no \"Types\" array").arg(path));

    QList<std::shared_ptr<OTVType>> result;
    QSet<QString> uids;
    const QVariantList entries = types.toList();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        std::shared_ptr<OTVType> type;
        if (entries.at(i).typeId() == QMetaType::QVariantMap)
            type = createTypeFromDictionary(entries.at(i).toMap());
        if (!type)
            return refuse(QStringLiteral("%1: type %2 is unusable").arg(path).arg(i + 1));
        // The store inserts types keyed by UID: a second entry with the same UID would be lost.
        if (uids.contains(type->mTypeUID()))
            return refuse(QStringLiteral("%1: type %2 repeats the UID %3").arg(path).arg(i + 1).arg(type->mTypeUID()));
        uids.insert(type->mTypeUID());
        result.append(type);
    }
    if (errorMessage)
        errorMessage->clear();
    return result;
}

QString OTVType::label(int field) const
{
    return isFieldNumber(field) ? mFields_[field - 1] : QString();
}

void OTVType::setLabel(int field, const QString& label)
{
    if (isFieldNumber(field))
        mFields_[field - 1] = label;
}

bool OTVType::sameLabelsIconAndMask(const OTVType& other) const
{
    return mTypeIconID_ == other.mTypeIconID_ && mTypeMask_ == other.mTypeMask_ && mFields_ == other.mFields_;
}

bool OTVType::isEqualToType(const OTVType& other) const
{
    return mTypeName_ == other.mTypeName_ && sameLabelsIconAndMask(other);
}

bool OTVType::isNotEqualToCustomType(const OTVType& other) const
{
    return !sameLabelsIconAndMask(other);
}
