// Rows of the vault's tables made into objects: groups, types, records, their custom types and
// attachment names. The load of the vault and the reading of personal records share them.
#include "OTVDataBase.h"

#include "OTVDataBaseQueries.h"
#include "OTVRecordReferences.h"

#include "Model/BKGroup.h"
#include "Model/OTVRecord.h"
#include "Model/OTVType.h"

#include <algorithm>

namespace {

// Column positions, in the order of the tables' CREATE statements.
enum GroupColumn : uint32_t {
    kGroupUIDColumn = 1,
    kGroupNameColumn = 2,
    kGroupRecordPermissionColumn = 3,
    kGroupPermissionPrevailsColumn = 4,
};

enum TypeColumn : uint32_t {
    kTypeUIDColumn = 1,
    kTypeNameColumn = 2,
    kTypeIconColumn = 3,
    kTypeMaskColumn = 4,
    kTypeFirstLabelColumn = 5,
};

enum CustomTypeColumn : uint32_t {
    kCustomTypeIconColumn = 2,
    kCustomTypeMaskColumn = 3,
    kCustomTypeFirstLabelColumn = 4,
};

enum RecordColumn : uint32_t {
    kRecordUIDColumn = 1,
    kRecordTypeColumn = 2,
    kRecordGroupColumn = 3,
    kRecordFirstValueColumn = 4,   // FIELD1 .. FIELD10
    kRecordNoteColumn = 14,
    kRecordHasAttachmentColumn = 15,
    kRecordHasCustomFieldColumn = 16,
    kRecordViewCountColumn = 17,
};

enum AttachmentColumn : uint32_t {
    kAttachmentNameColumn = 2,
    kAttachmentPassKeyColumn = 3,
};

// Whether an icon number has an image to show: the application ships its own icons 1 to
// kStandardIcons; a custom icon needs its image among those read.
bool hasIconImage(int iconID, const QMap<QString, QImage>& customIcons)
{
    if (iconID >= 1 && iconID <= OTVDataBase::kStandardIcons)
        return true;
    if (iconID <= OTVDataBase::kCustomIcons)
        return false;
    return !customIcons.value(QStringLiteral("Icon%1").arg(iconID)).isNull();
}

} // namespace

std::shared_ptr<BKGroup> OTVDataBase::groupFromRow(const OTVResultSet& row)
{
    auto group = std::make_shared<BKGroup>();
    group->setMGroupUID(row.getString(kGroupUIDColumn));
    group->setMGroupName(decryptedColumn(row, kGroupNameColumn));
    group->setMRecordLevelPermissions(quint16(row.getUInt(kGroupRecordPermissionColumn) & 0xFFFF));
    group->setMPreferencePermissions(row.getBoolean(kGroupPermissionPrevailsColumn));
    return group;
}

std::shared_ptr<OTVType> OTVDataBase::typeFromRow(const OTVResultSet& row)
{
    auto type = std::make_shared<OTVType>();
    type->setMTypeUID(row.getString(kTypeUIDColumn));
    type->setMTypeName(decryptedColumn(row, kTypeNameColumn));
    type->setMTypeIconID(row.getInt(kTypeIconColumn));
    type->setMTypeMask(row.getInt(kTypeMaskColumn));
    for (int field = 1; field <= kNoOfFields; ++field)
        type->setLabel(field, decryptedColumn(row, kTypeFirstLabelColumn + uint32_t(field - 1)));
    return type;
}

OTVType OTVDataBase::customTypeFromRow(const OTVResultSet& row, const QMap<QString, QImage>& customIcons)
{
    OTVType type;
    const int iconID = row.getInt(kCustomTypeIconColumn);
    type.setMTypeIconID(hasIconImage(iconID, customIcons) ? iconID : kDefaultIconID);
    type.setMTypeMask(row.getInt(kCustomTypeMaskColumn));
    for (int field = 1; field <= kNoOfFields; ++field)
        type.setLabel(field, decryptedColumn(row, kCustomTypeFirstLabelColumn + uint32_t(field - 1)));
    return type;
}

void OTVDataBase::setAttachmentFromRow(OTVRecord& record, const OTVResultSet& row)
{
    record.setMAttachmentName(decryptedColumn(row, kAttachmentNameColumn));
    // The stored text may carry the file's length after the key.
    record.setMAttachmentPassKey(passKeyOfKeyText(decryptedColumn(row, kAttachmentPassKeyColumn)));
}

std::shared_ptr<OTVRecord> OTVDataBase::recordFromRow(const OTVResultSet& row, const OTVRecordReferences& references)
{
    auto record = std::make_shared<OTVRecord>();
    record->setMRecordUID(row.getString(kRecordUIDColumn));
    record->setMType(references.types.find(row, kRecordTypeColumn));
    record->setMGroup(references.groups.find(row, kRecordGroupColumn));
    // The values and the notes are deciphered side by side into one buffer; ASCII texts (most
    // are) go into the record as they are, others are decoded from UTF-8 first.
    static_assert(kRecordNoteColumn == kRecordFirstValueColumn + kNoOfFields, "the notes follow the values");
    constexpr int kTexts = kNoOfFields + 1;
    thread_local QByteArray plain;
    qsizetype ends[kTexts];
    decryptedColumnsPlain(row, kRecordFirstValueColumn, kTexts, plain, ends);
    const auto text = [&](int i) {
        const qsizetype start = i == 0 ? 0 : ends[i - 1];
        return QByteArrayView(plain.constData() + start, ends[i] - start);
    };
    const bool ascii = std::all_of(plain.cbegin(), plain.cend(), [](char c) { return uchar(c) < 0x80; });
    if (ascii) {
        std::array<QLatin1StringView, kNoOfFields> values;
        for (int field = 1; field <= kNoOfFields; ++field)
            values[size_t(field - 1)] = QLatin1StringView(text(field - 1));
        record->setValuesAndNotes(values, QLatin1StringView(text(kNoOfFields)));
    } else {
        std::array<QString, kNoOfFields> values;
        for (int field = 1; field <= kNoOfFields; ++field)
            values[size_t(field - 1)] = textOfPlainBytes(text(field - 1));
        record->setValuesAndNotes(values, textOfPlainBytes(text(kNoOfFields)));
    }
    record->setMHasAttachment(row.getBoolean(kRecordHasAttachmentColumn));
    record->setMIsCustomized(row.getBoolean(kRecordHasCustomFieldColumn));
    record->setMViewCounter(int(row.getInt64(kRecordViewCountColumn)));
    record->setMAttachmentState(kAttachmentUnchanged);
    return record;
}

void OTVDataBase::readCustomTypeForRecord(OTVRecord& record, int* returnCode)
{
    const int status = runGuarded(
        [&] {
            OTVStatement statement = prepare(kQueryCustomType);
            statement.setString(1, record.mRecordUID());
            OTVResultSet rows = statement.executeQuery();
            while (rows.next())
                record.setMRecordCustomType(customTypeFromRow(rows, mCustomIcons_));
            return kOTVStatusOK;
        },
        kOTVStatusDatabaseError, kOTVStatusDatabaseError);
    if (returnCode)
        *returnCode = status;
}

void OTVDataBase::readAttachmentForRecord(OTVRecord& record, int* returnCode)
{
    const int status = runGuarded(
        [&] {
            OTVStatement statement = prepare(kQueryAttachments);
            statement.setString(1, record.mRecordUID());
            OTVResultSet rows = statement.executeQuery();
            while (rows.next())
                setAttachmentFromRow(record, rows);
            return kOTVStatusOK;
        },
        kOTVStatusDatabaseError, kOTVStatusDatabaseError);
    if (returnCode)
        *returnCode = status;
}

std::shared_ptr<BKGroup> OTVDataBase::readPersonalGroup(const QString& userID)
{
    StoreLock lock(*this);
    OTVStatement statement = prepare(kQueryPersonalGroup);
    statement.setString(1, userID);
    OTVResultSet rows = statement.executeQuery();
    std::shared_ptr<BKGroup> group;
    while (rows.next())
        group = groupFromRow(rows);
    return group;
}
