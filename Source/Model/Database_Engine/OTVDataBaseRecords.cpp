// Record storage: adding, replacing and deleting a record's RECORDTABLE row together with its
// custom type and attachment, and the stored view count.
#include "OTVDataBase.h"

#include "OTVDataBaseQueries.h"

#include "Model/OTVRecord.h"
#include "Model/OTVUser.h"

namespace {

const QString kEventAddRecord = QStringLiteral("Add Record");
const QString kEventReplaceRecord = QStringLiteral("Replace Record");
const QString kEventDeleteRecord = QStringLiteral("Delete Record");
const QString kActionSuccess = QStringLiteral("Success");
const QString kActionFailed = QStringLiteral("Failed");

// RECORDID, GROUPUID and TYPEUID are VARCHAR(16).
constexpr int kUIDCharacters = 16;

// The insert and the update bind the same columns from GROUPUID on; only their first
// position differs (the insert has RECORDID before it).
constexpr unsigned kInsertGroupPosition = 2;
constexpr unsigned kUpdateGroupPosition = 1;

// Binds GROUPUID, TYPEUID, FIELD1 to FIELD10, NOTE, HASATTACHMENT and HASCUSTOMFIELD from
// `groupPosition` on. Every value is enciphered and checked against its column here, before
// the statement runs.
// A UID, checked against its column first: the insert would cut a longer one short and so
// name another record.
void bindUID(OTVStatement& statement, unsigned position, const QString& uid)
{
    OTVCheckVarcharFits(uid, kUIDCharacters);
    statement.setString(position, uid);
}

template <class Encipher>
void bindRecordColumns(OTVStatement& statement, unsigned groupPosition, const OTVRecord& record, Encipher encipher)
{
    bindUID(statement, groupPosition, record.mGroup()->mGroupUID());
    bindUID(statement, groupPosition + 1, record.mType()->mTypeUID());
    for (int field = 1; field <= kNoOfFields; ++field)
        statement.setBlob(groupPosition + 1 + unsigned(field), encipher(record.value(field), kTinyBlobBytes));
    statement.setBlob(groupPosition + 2 + kNoOfFields, encipher(record.mNotes(), kLongBlobBytes));
    statement.setBoolean(groupPosition + 3 + kNoOfFields, record.mHasAttachment());
    statement.setBoolean(groupPosition + 4 + kNoOfFields, record.mIsCustomized());
}

// Other users' personal records have no group in this session; nothing may write their rows.
bool canBeStored(const OTVRecord& record)
{
    return record.mGroup() && record.mType() && !record.mRecordUID().isEmpty();
}

// A customised record carries its own custom type; one without is stored as not customised.
void dropCustomisationWithoutCustomType(OTVRecord& record)
{
    if (record.mIsCustomized() && !record.mRecordCustomType())
        record.setMIsCustomized(false);
}

// A failure before the row statement ran has written nothing, and the status says so.
int statusOfRecordWrite(int status, bool rowStatementRan)
{
    const bool failedBeforeRow = !rowStatementRan && (status == kOTVStatusDatabaseError ||
                                                      status == kOTVStatusOtherFailure);
    return failedBeforeRow ? int(kOTVStatusNothingWritten) : status;
}

} // namespace

int OTVDataBase::writeRecordRow(OTVRecord& record, const char* sql, unsigned groupPosition,
                                const std::function<void(OTVStatement&)>& bindOwn,
                                const std::function<int(int changedRows)>& afterRow, bool& rowStatementRan)
{
    rowStatementRan = false;
    // A new attachment's pass key is the record's only once the whole write has committed.
    const QString passKeyBefore = record.mAttachmentPassKey();
    const int status = runGuarded([&] {
        if (!canBeStored(record))
            return int(kOTVStatusNothingWritten);
        dropCustomisationWithoutCustomType(record);
        OTVStatement statement = prepare(sql);
        bindRecordColumns(statement, groupPosition, record,
                          [this](const QString& text, qint64 columnBytes) { return encryptedValue(text, columnBytes); });
        bindOwn(statement);
        return runInTransaction([&] {
            if (const int key = checkVaultKeyUnchanged())
                return key;
            const int changed = statement.executeUpdate();
            rowStatementRan = true;
            return afterRow(changed);
        });
    });
    if (status != kOTVStatusOK)
        record.setMAttachmentPassKey(passKeyBefore);
    return status;
}

int OTVDataBase::addRecord(std::shared_ptr<OTVRecord> record)
{
    return addRecordAfter(std::move(record), nullptr);
}

int OTVDataBase::addRecordWithItsType(std::shared_ptr<OTVRecord> record, bool* typeFailed)
{
    const std::shared_ptr<OTVType> type = record ? record->mType() : nullptr;
    if (!type)
        return kOTVStatusNothingWritten;
    int typeStatus = kOTVStatusOK;
    const int status = addRecordAfter(record, [&] {
        // Guarded here so that a refused type is told apart from a refused record.
        typeStatus = runGuarded([&] { return insertTypeRow(*type); }, kOTVStatusNothingWritten,
                                kOTVStatusNothingWritten);
        return typeStatus;
    });
    if (status == kOTVStatusOK)
        changeMapsOnMainThread([this, type] { mTypes_.insert(type->mTypeUID(), type); });
    // The type's row went with the record's when the record failed.
    logWrite(QStringLiteral("Add Type"), type->mTypeName(), status, QStringLiteral("Type Added Successfully"));
    if (typeFailed)
        *typeFailed = typeStatus != kOTVStatusOK;
    return status;
}

int OTVDataBase::addRecordCopyingAttachment(const OTVRecord& source, std::shared_ptr<OTVRecord> record)
{
    return addRecordAfter(std::move(record), nullptr, &source);
}

int OTVDataBase::addRecordAfter(std::shared_ptr<OTVRecord> record, const std::function<int()>& beforeRow,
                                const OTVRecord* attachmentSource)
{
    if (!record)
        return kOTVStatusNothingWritten;
    const auto bindOwn = [&](OTVStatement& statement) {
        bindUID(statement, 1, record->mRecordUID());
        statement.setInt64(kInsertGroupPosition + 5 + kNoOfFields, record->mViewCounter());
    };
    const auto afterRow = [&](int inserted) {
        // The insert ignores a UID that is already stored (and a group or type that another
        // client deleted): that record, its custom type and its attachment stay as they are.
        if (inserted == 0)
            return int(kOTVStatusNothingWritten);
        if (record->mIsCustomized()) {
            if (const int written = updateCustomType(*record, *record->mRecordCustomType()))
                return written;
        }
        if (!record->mHasAttachment())
            return int(kOTVStatusOK);
        if (record->mAttachmentState() != kAttachmentCopyRow)
            return insertAttachmentforRecordID(*record);
        // A duplicate's attachment is its source's stored row; without a source the caller
        // copies it after the add (copyAttachmentRow).
        if (attachmentSource && insertAttachmentRowCopy(*attachmentSource, *record) == 0)
            return int(kOTVStatusNothingWritten);   // the source's row is gone
        return int(kOTVStatusOK);
    };
    bool rowStatementRan = false;
    const auto writeRow = [&] {
        return writeRecordRow(*record, kQueryRecordInsert, kInsertGroupPosition, bindOwn, afterRow, rowStatementRan);
    };
    // What must be stored before the row is stored with it, or neither is.
    const int status = !beforeRow ? writeRow() : runGuarded([&] {
        return runInTransaction([&] {
            const int before = beforeRow();
            return before != kOTVStatusOK ? before : writeRow();
        });
    });

    const QString description = record->value(1);
    if (status == kOTVStatusOK) {
        record->setMAttachmentState(kAttachmentUnchanged);
        changeMapsOnMainThread([this, record] { mRecords_.insert(record->mRecordUID(), record); });
        addRecentlyAddedRecord(record);
        logStoreEvent(kEventAddRecord, description, kActionSuccess, mCurrentUser()->mUsername());
    } else if (status != kOTVStatusDatabaseError && !OTVIsLostConnectionStatus(status)) {
        // A database error is reported already, and the log would meet the same server.
        logStoreEvent(kEventAddRecord, description, kActionFailed, mCurrentUser()->mUsername());
    }
    return statusOfRecordWrite(status, rowStatementRan);
}

int OTVDataBase::replaceRecord(const std::shared_ptr<OTVRecord>& record)
{
    if (!record)
        return kOTVStatusNothingWritten;
    const auto bindOwn = [&](OTVStatement& statement) {
        bindUID(statement, kUpdateGroupPosition + 5 + kNoOfFields, record->mRecordUID());
    };
    const auto afterRow = [&](int changed) {
        if (changed == 0) {
            OTVStatement exists = prepare(kQueryRecordExists);
            exists.setString(1, record->mRecordUID());
            if (!exists.executeQuery().next())
                return int(kOTVStatusNothingWritten);   // another client deleted it
        }
        // A record that is no longer customised keeps its custom-type row, which
        // HASCUSTOMFIELD 0 tells the loader to ignore; so does HASATTACHMENT 0 with an
        // attachment row (state 2).
        if (record->mIsCustomized()) {
            if (const int written = updateCustomType(*record, *record->mRecordCustomType()))
                return written;
        }
        if (record->mHasAttachment() && record->mAttachmentState() == kAttachmentStoreFile) {
            if (const int written = insertAttachmentforRecordID(*record))
                return written;
        }
        // A missing attachment row (or pass key) has nothing to re-encipher; the rest is saved.
        if (record->mHasAttachment() && record->mAttachmentState() == kAttachmentReencipher)
            reEncryptAttachmentforRecord(*record);
        return int(kOTVStatusOK);
    };
    bool rowStatementRan = false;
    const int status = writeRecordRow(*record, kQueryUpdateRecord, kUpdateGroupPosition, bindOwn, afterRow,
                                      rowStatementRan);

    if (status == kOTVStatusOK) {
        addRecentlyModifiedRecord(record);
        record->setMAttachmentState(kAttachmentUnchanged);
        changeMapsOnMainThread([this, record] { mRecords_.insert(record->mRecordUID(), record); });
        logStoreEvent(kEventReplaceRecord, record->value(1), kActionSuccess, mCurrentUser()->mUsername());
    }
    return statusOfRecordWrite(status, rowStatementRan);
}

int OTVDataBase::deleteRecord(const std::shared_ptr<OTVRecord>& record)
{
    if (!record)
        return kOTVStatusNothingWritten;
    bool rowStatementRan = false;
    const int status = runGuarded([&] {
        OTVStatement statement = prepare(kQueryDeleteRecord);
        statement.setString(1, record->mRecordUID());
        const int deleted = statement.executeUpdate();
        rowStatementRan = true;
        return deleted > 0 ? int(kOTVStatusOK) : int(kOTVStatusNothingWritten);
    });
    if (rowStatementRan) {
        // The row is not on the server now, whoever deleted it; neither is the record here.
        const QString uid = record->mRecordUID();
        changeMapsOnMainThread([this, uid] { mRecords_.remove(uid); });
        const QString action = status == kOTVStatusOK ? kActionSuccess : kActionFailed;
        logStoreEvent(kEventDeleteRecord, record->value(1), action, mCurrentUser()->mUsername());
    }
    return statusOfRecordWrite(status, rowStatementRan);
}

void OTVDataBase::updateRecordViewCountForRecord(const QString& recordUID)
{
    runGuarded([&] {
        OTVStatement statement = prepare(kQueryUpdateRecordViewCount);
        statement.setString(1, recordUID);
        statement.executeUpdate();
        return int(kOTVStatusOK);
    });
}

// ---------------------------------------------------------------------------------------------
// The per-user lists on the server

void OTVDataBase::addRecordToServerList(OTVServerList list, const std::shared_ptr<OTVRecord>& record,
                                        const QString& userID)
{
    switch (list) {
    case OTVServerList::MostViewed:
        addMostViewedRecordID(record->mRecordUID(), userID);
        break;
    case OTVServerList::RecentlyViewed:
        addRecentlyViewedRecordID(record->mRecordUID(), userID);
        break;
    case OTVServerList::RecentlyModified:
        addRecentlyModifiedRecordID(*record, userID);
        break;
    case OTVServerList::RecentlyAdded:
        addRecentlyAddedID(record->mRecordUID(), userID);
        break;
    }
}

void OTVDataBase::removeRecordFromMostViewedList(const QString& recordUID)
{
    removeMostViewedRecordID(recordUID);
}
