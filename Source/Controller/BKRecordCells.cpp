#include "BKRecordCells.h"

#include "BKViewImages.h"

#include "Model/BKGroup.h"
#include "Model/Database_Engine/OTVPreferenceCodecs.h"
#include "Model/OTVRecord.h"
#include "Model/OTVType.h"

const OTVType* BKDisplayType(const OTVRecord& record)
{
    if (const OTVType* own = record.mRecordCustomType())
        return own;
    return record.mType().get();
}

bool BKIsFieldMasked(const OTVRecord& record, int field)
{
    const OTVType* type = BKDisplayType(record);
    if (!type || field < 1 || field > kNoOfFields)
        return false;
    return (type->mTypeMask().value_or(0) >> (field - 1)) & 1;
}

QString BKFieldText(const OTVRecord& record, int field, bool shouldMask)
{
    const QString value = record.value(field);
    if (value.isNull())
        return value;
    if (shouldMask && BKIsFieldMasked(record, field))
        return value.isEmpty() ? QStringLiteral("") : kMaskedFieldText;
    if (field == kNoOfFields)
        return OTVRecord::modificationDateDisplayText(value);
    return value;
}

QString BKListCellText(const OTVRecord& record, int column, bool shouldMask, const OTVGroupMap& groups)
{
    switch (column) {
    case kTypeColumnID:
        return record.mType() ? record.mType()->mTypeName() : QStringLiteral("");
    case kCategoryColumnID: {
        if (!record.mGroup())
            return QStringLiteral("");
        const std::shared_ptr<BKGroup> group = groups.value(record.mGroup()->mGroupUID());
        return group ? group->mGroupName() : QStringLiteral("");
    }
    default:
        if (column >= kField1ColumnID && column <= kField10ColumnID)
            return BKFieldText(record, column - kField1ColumnID + 1, shouldMask);
        return QString();
    }
}

QImage BKListCellImage(const OTVRecord& record, int column, const OTVDataBase& store)
{
    switch (column) {
    case kIconColumnID:
        return BKViewImages::typeIcon(store, BKDisplayType(record));
    case kNotesColumnID:
        return record.mNotes().isEmpty() ? QImage() : BKViewImages::namedImage(kNotesImageName);
    case kAttachmentColumnID:
        return record.mHasAttachment() ? BKViewImages::namedImage(kAttachmentImageName) : QImage();
    default:
        return QImage();
    }
}

QVariant BKPrintCellValue(const OTVRecord& record, int column, const OTVDataBase& store)
{
    switch (column) {
    case kIconColumnID:
        return BKViewImages::typeIcon(store, BKDisplayType(record));
    case kTypeColumnID:
        return record.mType() ? record.mType()->mTypeName() : QStringLiteral("");
    case kCategoryColumnID:
        return record.mGroup() ? record.mGroup()->mGroupName() : QStringLiteral("");
    case kNotesColumnID:
        return record.mNotes();
    default:
        if (column >= kField1ColumnID && column <= kField10ColumnID)
            return BKFieldText(record, column - kField1ColumnID + 1, false);
        return QVariant();
    }
}

QColor BKBlendedRowColor(const QColor& rowColor)
{
    const auto blend = [](float c) { return c + (1.0f - c) * 0.65f; };
    const QColor rgb = rowColor.toRgb();
    return QColor::fromRgbF(blend(rgb.redF()), blend(rgb.greenF()), blend(rgb.blueF()), rgb.alphaF());
}

QString BKDefaultColumnTitle(int column)
{
    switch (column) {
    case kTypeColumnID:
        return QStringLiteral("Type");
    case kCategoryColumnID:
        return QStringLiteral("Group");
    case kNotesColumnID:
        return QStringLiteral("Notes");
    default:
        if (column >= kField1ColumnID && column <= kField10ColumnID)
            return OTVType::defaultLabel(column - kField1ColumnID + 1);
        return QString();
    }
}

QStringList BKTypeNamesOfTypes(const OTVTypeList& types)
{
    QStringList names;
    for (const std::shared_ptr<OTVType>& type : types) {
        if (!type || type->mTypeName().isNull())
            break;
        names.append(type->mTypeName());
    }
    return names;
}

int BKColumnCompare(const QString& identifier, const QString& otherIdentifier)
{
    const qint64 a = OTVLeadingInteger(identifier);
    const qint64 b = OTVLeadingInteger(otherIdentifier);
    return a < b ? -1 : (a > b ? 1 : 0);
}

QString BKAboutVersionText(const QString& format, const QString& version)
{
    QString text = format;
    return text.replace(QStringLiteral("%@"), version);
}
