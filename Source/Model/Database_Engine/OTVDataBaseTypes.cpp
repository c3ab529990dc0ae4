// Record types (TYPETABLE) and the records' own custom types (CUSTOMTYPETABLE), the duplicate-
// name check, and the bookkeeping of mTypes and mRecords. Type writes answer every failure with
// 8 (nothing written), except a value that does not fit (12).
#include "OTVDataBase.h"

#include "OTVDataBaseQueries.h"
#include "OTVRowsStatement.h"

#include "Model/OTVRecord.h"
#include "Model/OTVType.h"

namespace {

using StoredForm = std::function<QByteArray(const QString&)>;

// The icon at parameter `first`, the mask after it, then the ten labels in their stored form
// (inside the statement's packet with `inPacket`, for CAST(? AS BINARY)). Signed binding: a
// negative number (an imported one) is stored as it is.
void bindIconMaskAndLabels(OTVStatement& statement, unsigned first, const OTVType& type, bool customType,
                           const StoredForm& stored, bool inPacket = false)
{
    statement.setInt(first, type.mTypeIconID().value_or(0));
    statement.setInt(first + 1, type.mTypeMask().value_or(0));
    for (int field = 1; field <= kNoOfFields; ++field) {
        QString label = type.label(field);
        // A custom type's missing label is stored under the name that other copies expect.
        if (customType && label.isNull())
            label = QStringLiteral("Field%1").arg(field);
        if (inPacket)
            statement.setBytes(first + 1 + unsigned(field), stored(label));
        else
            statement.setBlob(first + 1 + unsigned(field), stored(label));
    }
}

} // namespace

int OTVDataBase::addType(std::shared_ptr<OTVType> type)
{
    const QString name = type->mTypeName();
    const int status =
        runGuarded([&] { return insertTypeRow(*type); }, kOTVStatusNothingWritten, kOTVStatusNothingWritten);
    if (status == kOTVStatusOK)
        changeMapsOnMainThread([this, type] { mTypes_.insert(type->mTypeUID(), type); });
    logWrite(QStringLiteral("Add Type"), name, status, QStringLiteral("Type Added Successfully"));
    return status;
}

int OTVDataBase::insertTypeRow(const OTVType& type)
{
    const StoredForm stored = [this](const QString& text) { return encryptedValue(text, kTinyBlobBytes); };
    OTVStatement statement = prepare(kQueryTypeInsert);
    statement.setString(1, type.mTypeUID());
    statement.setBlob(2, encryptedValue(type.mTypeName(), kTinyBlobBytes));
    bindIconMaskAndLabels(statement, 3, type, false, stored);
    return runInTransaction([&] {
        if (const int key = checkVaultKeyUnchanged())
            return key;
        return statement.executeUpdate() > 0 ? int(kOTVStatusOK) : int(kOTVStatusNothingWritten);
    });
}

int OTVDataBase::updateType(const std::shared_ptr<OTVType>& type)
{
    const QString name = type->mTypeName();
    const StoredForm stored = [this](const QString& text) { return encryptedValue(text, kTinyBlobBytes); };
    const int status = runGuarded(
        [&] {
            OTVStatement statement = prepare(kQueryUpdateType);
            statement.setBlob(1, encryptedValue(name, kTinyBlobBytes));
            bindIconMaskAndLabels(statement, 2, *type, false, stored);
            statement.setString(14, type->mTypeUID());
            return runInTransaction([&] {
                if (const int key = checkVaultKeyUnchanged())
                    return key;
                return statement.executeUpdate() > 0 ? int(kOTVStatusOK) : int(kOTVStatusNothingWritten);
            });
        },
        kOTVStatusNothingWritten, kOTVStatusNothingWritten);
    // Records keep the type object they hold; only the map's entry is replaced.
    if (status == kOTVStatusOK)
        changeMapsOnMainThread([this, type] { mTypes_.insert(type->mTypeUID(), type); });
    logWrite(QStringLiteral("Edit Type"), name, status, QStringLiteral("Type Edited Successfully"));
    return status;
}

int OTVDataBase::deleteType(const std::shared_ptr<OTVType>& type)
{
    const QString uid = type->mTypeUID();
    // Customised records go too: they keep their base type.
    const int status = deleteCascadingToRecords(
        kQueryDeleteType, uid,
        [uid](const OTVRecord& record) { return record.mType() && record.mType()->mTypeUID() == uid; },
        [this, uid] { mTypes_.remove(uid); });
    logWrite(QStringLiteral("Delete Type"), type->mTypeName(), status, QStringLiteral("Type Deleted Successfully"));
    return status;
}

QStringList OTVDataBase::recordUIDsOfType(const QString& typeUID, int* returnCode)
{
    QStringList uids;
    const int status = runGuarded([&] {
        OTVStatement statement = prepare(kQueryRecordsOfType);
        statement.setString(1, typeUID);
        OTVResultSet rows = statement.executeQuery();
        while (rows.next())
            uids.append(rows.getString(1));
        return int(kOTVStatusOK);
    });
    if (returnCode)
        *returnCode = status;
    return status == kOTVStatusOK ? uids : QStringList();
}

int OTVDataBase::addtypes(const QList<std::shared_ptr<OTVType>>& types)
{
    for (const std::shared_ptr<OTVType>& type : types) {
        const int status = addType(type);
        if (status != kOTVStatusOK)
            return status;
    }
    return kOTVStatusOK;
}

int OTVDataBase::updateCustomType(const OTVRecord& record, const OTVType& withCustomType)
{
    const StoredForm stored = [this](const QString& text) { return encryptedValue(text, kTinyBlobBytes); };
    return runGuarded(
        [&] {
            OTVStatement statement = prepare(kQueryReplaceCustomType);
            statement.setString(1, record.mRecordUID());
            bindIconMaskAndLabels(statement, 2, withCustomType, true, stored);
            return runInTransaction([&] {
                if (const int key = checkVaultKeyUnchanged())
                    return key;
                // A new row counts 1, a replaced one 2.
                return statement.executeUpdate() > 0 ? int(kOTVStatusOK) : int(kOTVStatusNothingWritten);
            });
        },
        kOTVStatusNothingWritten, kOTVStatusNothingWritten);
}

int OTVDataBase::insertCustomTypeRows(const std::vector<const OTVRecord*>& records)
{
    if (records.empty())
        return kOTVStatusOK;
    const StoredForm stored = [this](const QString& text) { return encryptedValue(text, kTinyBlobBytes); };
    std::string row = "(?,?,?";
    for (int field = 1; field <= kNoOfFields; ++field)
        row += ",CAST(? AS BINARY)";
    row += ')';
    const std::string sql = OTVRowsStatement("REPLACE INTO CUSTOMTYPETABLE VALUES", row, int(records.size()));
    OTVStatement statement = prepare(sql.c_str());
    constexpr unsigned kParameters = 3 + kNoOfFields;
    for (size_t r = 0; r < records.size(); ++r) {
        const unsigned base = unsigned(r) * kParameters;
        statement.setString(base + 1, records[r]->mRecordUID());
        bindIconMaskAndLabels(statement, base + 2, *records[r]->mRecordCustomType(), true, stored, true);
    }
    // A new row counts 1, a replaced one 2.
    return statement.executeUpdate() >= int(records.size()) ? int(kOTVStatusOK) : int(kOTVStatusNothingWritten);
}

bool OTVDataBase::checkForTypeDuplicate(const QString& name)
{
    return isNameStored(kQueryTypeNameLike, name);
}

bool OTVDataBase::checkForTypeDuplicate(const QString& name, int* returnCode)
{
    return isNameStored(kQueryTypeNameLike, name, returnCode);
}
