// Record storage: adding, replacing and deleting a record's RECORDTABLE row together with its
// custom type and attachment, and the stored view count.
#include "OTVDataBase.h"

#include "OTVDataBaseQueries.h"
#include "OTVRowsStatement.h"

#include "Model/OTVRecord.h"
#include "Model/OTVUser.h"

#include <QDebug>

#include <map>
#include <set>

namespace {

const QString kEventAddRecord = QStringLiteral("Add Record");
const QString kEventReplaceRecord = QStringLiteral("Replace Record");
const QString kEventDeleteRecord = QStringLiteral("Delete Record");
const QString kActionSuccess = QStringLiteral("Success");

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

// Values 1 to 10 and the notes as they are stored.
using StoredValues = std::array<QByteArray, kNoOfFields + 1>;

template <class Encipher>
StoredValues storedValues(const OTVRecord& record, Encipher encipher)
{
    StoredValues stored;
    for (int field = 1; field <= kNoOfFields; ++field)
        stored[size_t(field - 1)] = encipher(record.value(field), kTinyBlobBytes);
    stored[kNoOfFields] = encipher(record.mNotes(), kLongBlobBytes);
    return stored;
}

// `asBlob` binds the values as streams of their own (sent apart from the statement, each up to
// the server's packet limit); otherwise they go inside the statement's packet.
void bindRecordColumns(OTVStatement& statement, unsigned groupPosition, const OTVRecord& record,
                       const StoredValues& stored, bool asBlob = true)
{
    bindUID(statement, groupPosition, record.mGroup()->mGroupUID());
    bindUID(statement, groupPosition + 1, record.mType()->mTypeUID());
    for (size_t value = 0; value < stored.size(); ++value) {
        const unsigned position = groupPosition + 2 + unsigned(value);
        if (asBlob)
            statement.setBlob(position, stored[value]);
        else
            statement.setBytes(position, stored[value]);
    }
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
        bindRecordColumns(statement, groupPosition, record, storedValues(record, [this](const QString& text, qint64 bytes) {
                              return encryptedValue(text, bytes);
                          }));
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
        return addRecordDependents(*record, attachmentSource);
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
        logStoreEvent(kEventAddRecord, description, kLogActionFailed, mCurrentUser()->mUsername());
    }
    return statusOfRecordWrite(status, rowStatementRan);
}

int OTVDataBase::addRecordDependents(OTVRecord& record, const OTVRecord* attachmentSource)
{
    if (record.mIsCustomized()) {
        if (const int written = updateCustomType(record, *record.mRecordCustomType()))
            return written;
    }
    return addRecordAttachment(record, attachmentSource);
}

int OTVDataBase::addRecordAttachment(OTVRecord& record, const OTVRecord* attachmentSource)
{
    if (!record.mHasAttachment())
        return kOTVStatusOK;
    if (record.mAttachmentState() != kAttachmentCopyRow)
        return insertAttachmentforRecordID(record);
    // A duplicate's attachment is its source's stored row; without a source the caller
    // copies it after the add (copyAttachmentRow).
    if (attachmentSource && insertAttachmentRowCopy(*attachmentSource, record) == 0)
        return kOTVStatusNothingWritten;   // the source's row is gone
    return kOTVStatusOK;
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
        const QString action = status == kOTVStatusOK ? kActionSuccess : kLogActionFailed;
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

// ---------------------------------------------------------------------------------------------
// Many records at once

namespace {

// Records per insert statement of a batch: one round trip carries this many.
constexpr int kRecordsPerInsert = 50;
// A record whose stored values are larger is inserted alone, its values sent as streams of
// their own: a statement of many such rows could exceed the server's packet limit.
constexpr qint64 kLargestRecordOfSharedInsert = 16 * 1024;

// kQueryRecordInsert for `rows` records, the values in the statement's packet.
std::string recordInsertOfRows(int rows)
{
    std::string row = "(?,?,?";
    for (int value = 0; value <= kNoOfFields; ++value)
        row += ",CAST(? AS BINARY)";
    row += ",?,?,?)";
    return OTVRowsStatement("INSERT IGNORE INTO RECORDTABLE (RECORDID, GROUPUID, TYPEUID, FIELD1, FIELD2, FIELD3, "
                            "FIELD4, FIELD5, FIELD6, FIELD7, FIELD8, FIELD9, FIELD10, NOTE, HASATTACHMENT, "
                            "HASCUSTOMFIELD, VIEWCOUNT) VALUES ",
                            row, rows);
}

// Parameters per record of the insert: RECORDID, GROUPUID, TYPEUID, the values, the notes,
// HASATTACHMENT, HASCUSTOMFIELD, VIEWCOUNT.
constexpr unsigned kRecordInsertParameters = 3 + kNoOfFields + 1 + 3;

} // namespace

void OTVDataBase::addRecords(std::vector<RecordToAdd>& batch)
{
    struct Ready {
        RecordToAdd* entry;
        StoredValues stored;
        qint64 bytes;
        QString passKeyBefore;
    };
    ReusedStatements reused(*this);
    std::vector<Ready> ready;
    std::vector<RecordToAdd*> refusedBefore;   // refused before anything was sent
    ready.reserve(batch.size());
    for (RecordToAdd& entry : batch) {
        entry.status = kOTVStatusNothingWritten;
        entry.typeFailed = false;
        OTVRecord* record = entry.record.get();
        if (!record)
            continue;
        try {
            if (!canBeStored(*record)) {
                refusedBefore.push_back(&entry);
                continue;
            }
            dropCustomisationWithoutCustomType(*record);
            OTVCheckVarcharFits(record->mRecordUID(), kUIDCharacters);
            OTVCheckVarcharFits(record->mGroup()->mGroupUID(), kUIDCharacters);
            OTVCheckVarcharFits(record->mType()->mTypeUID(), kUIDCharacters);
            Ready one{&entry, storedValues(*record, [this](const QString& text, qint64 bytes) {
                          return encryptedValue(text, bytes);
                      }), 0, record->mAttachmentPassKey()};
            for (const QByteArray& value : one.stored)
                one.bytes += value.size();
            ready.push_back(std::move(one));
        } catch (const OTVValueTooLong&) {
            entry.status = kOTVStatusValueTooLong;
            refusedBefore.push_back(&entry);
        } catch (const std::exception& e) {
            qWarning() << "store operation failed:" << e.what();
            refusedBefore.push_back(&entry);
        }
    }

    // All of them in one transaction: the types that are new, the rows, their custom types and
    // attachments, their entries of the recently-added list and of the event log.
    std::set<const OTVType*> typesStored;
    std::vector<EventLogEntry> heldLogEntries;
    bool keyChanged = false;
    bool oneRefused = false;
    const int status = ready.empty() ? int(kOTVStatusOK) : runGuarded([&] {
        typesStored.clear();
        heldLogEntries.clear();
        keyChanged = oneRefused = false;
        return runInTransaction([&] {
            if (const int key = checkVaultKeyUnchanged()) {
                keyChanged = true;
                return key;
            }
            for (size_t first = 0; first < ready.size();) {
                // A run of small records in one statement, or a large one alone.
                size_t end = first + 1;
                if (ready[first].bytes <= kLargestRecordOfSharedInsert) {
                    while (end < ready.size() && end - first < size_t(kRecordsPerInsert)
                           && ready[end].bytes <= kLargestRecordOfSharedInsert)
                        ++end;
                }
                for (size_t i = first; i < end; ++i) {
                    const RecordToAdd& entry = *ready[i].entry;
                    const OTVType& type = *entry.record->mType();
                    if (entry.typeIsNew && typesStored.insert(&type).second) {
                        if (const int typeStatus = insertTypeRow(type)) {
                            oneRefused = true;
                            return typeStatus;
                        }
                    }
                }
                const bool alone = end == first + 1 && ready[first].bytes > kLargestRecordOfSharedInsert;
                const std::string sql = alone ? std::string(kQueryRecordInsert) : recordInsertOfRows(int(end - first));
                OTVStatement insert = prepare(sql.c_str());
                for (size_t i = first; i < end; ++i) {
                    const OTVRecord& record = *ready[i].entry->record;
                    const unsigned base = unsigned(i - first) * kRecordInsertParameters;
                    bindUID(insert, base + 1, record.mRecordUID());
                    bindRecordColumns(insert, base + kInsertGroupPosition, record, ready[i].stored, alone);
                    insert.setInt64(base + kInsertGroupPosition + 5 + kNoOfFields, record.mViewCounter());
                }
                // A row that the server ignored (a UID already stored, a group or type gone)
                // is told apart by adding the records one by one.
                if (insert.executeUpdate() != int(end - first)) {
                    oneRefused = true;
                    return int(kOTVStatusNothingWritten);
                }
                // Their custom types in one statement too (the vault's key is checked above).
                std::vector<const OTVRecord*> customised;
                for (size_t i = first; i < end; ++i) {
                    if (ready[i].entry->record->mIsCustomized())
                        customised.push_back(ready[i].entry->record.get());
                }
                if (const int written = insertCustomTypeRows(customised)) {
                    oneRefused = true;
                    return written;
                }
                for (size_t i = first; i < end; ++i) {
                    if (const int written = addRecordAttachment(*ready[i].entry->record)) {
                        oneRefused = true;
                        return written;
                    }
                }
                first = end;
            }
            // The entries of the event-log window wait for the commit; the recently-added and
            // event-log rows go to the server together.
            const HeldLogEntries held(*this, heldLogEntries);
            GatheredRows gathered(*this);
            const QString userName = mCurrentUser()->mUsername();
            std::set<const OTVType*> typesLogged;
            for (const Ready& one : ready) {
                const std::shared_ptr<OTVRecord>& record = one.entry->record;
                addRecentlyAddedRecord(record);
                logStoreEvent(kEventAddRecord, record->value(1), kActionSuccess, userName);
                if (one.entry->typeIsNew && typesLogged.insert(record->mType().get()).second)
                    logWrite(QStringLiteral("Add Type"), record->mType()->mTypeName(), kOTVStatusOK,
                             QStringLiteral("Type Added Successfully"));
            }
            return gathered.write();
        });
    });

    if (status == kOTVStatusOK) {
        OTVRecordList added;
        OTVTypeList newTypes;
        std::set<const OTVType*> typesListed;
        for (const Ready& one : ready) {
            one.entry->status = kOTVStatusOK;
            one.entry->record->setMAttachmentState(kAttachmentUnchanged);
            added.append(one.entry->record);
            if (one.entry->typeIsNew && typesListed.insert(one.entry->record->mType().get()).second)
                newTypes.append(one.entry->record->mType());
        }
        changeMapsOnMainThread([this, added, newTypes] {
            for (const std::shared_ptr<OTVType>& type : newTypes)
                mTypes_.insert(type->mTypeUID(), type);
            for (const std::shared_ptr<OTVRecord>& record : added)
                mRecords_.insert(record->mRecordUID(), record);
        });
        mEventLogWindowList_.append(QList<EventLogEntry>(heldLogEntries.begin(), heldLogEntries.end()));
    } else {
        for (Ready& one : ready)
            one.entry->record->setMAttachmentPassKey(one.passKeyBefore);
        typesStored.clear();
        if (keyChanged || OTVIsLostConnectionStatus(status)) {
            // Every record would meet the same: none is tried again.
            for (Ready& one : ready) {
                one.entry->status = status;
                one.entry->typeFailed = one.entry->typeIsNew;
                if (keyChanged)
                    refusedBefore.push_back(one.entry);
            }
        } else {
            std::vector<RecordToAdd*> entries;
            for (const Ready& one : ready)
                entries.push_back(one.entry);
            typesStored = addRecordsOneByOne(entries);
        }
    }

    // As the adds one by one log them.
    for (RecordToAdd* entry : refusedBefore) {
        logStoreEvent(kEventAddRecord, entry->record->value(1), kLogActionFailed, mCurrentUser()->mUsername());
        if (entry->typeIsNew && !typesStored.count(entry->record->mType().get()))
            logWrite(QStringLiteral("Add Type"), entry->record->mType()->mTypeName(), kOTVStatusNothingWritten, {});
    }
}

std::set<const OTVType*> OTVDataBase::addRecordsOneByOne(const std::vector<RecordToAdd*>& entries)
{
    std::set<const OTVType*> typesStored;
    std::map<const OTVType*, int> typesRefused;
    for (RecordToAdd* entry : entries) {
        const OTVType* type = entry->record->mType().get();
        if (!entry->typeIsNew || typesStored.count(type)) {
            entry->status = addRecord(entry->record);
        } else if (const auto refused = typesRefused.find(type); refused != typesRefused.end()) {
            entry->status = refused->second;
            entry->typeFailed = true;
        } else {
            entry->status = addRecordWithItsType(entry->record, &entry->typeFailed);
            if (entry->status == kOTVStatusOK)
                typesStored.insert(type);
            else if (entry->typeFailed)
                typesRefused.emplace(type, entry->status);
        }
    }
    return typesStored;
}
