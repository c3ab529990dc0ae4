#include "BKRecordWrites.h"

#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVRecord.h"
#include "Model/OTVStatusMessages.h"

BKAddAsNewResult BKAddRecordAsNew(OTVDataBase& store, const OTVRecord& source,
                                  const std::shared_ptr<OTVRecord>& record)
{
    BKAddAsNewResult result;
    const int state = record->mAttachmentState();
    result.copiesRow = record->mHasAttachment() && state != kAttachmentStoreFile && state != kAttachmentRemoved;
    if (result.copiesRow)
        record->setMAttachmentState(kAttachmentCopyRow);
    result.addStatus = result.copiesRow ? store.addRecordCopyingAttachment(source, record) : store.addRecord(record);
    return result;
}

std::shared_ptr<OTVRecord> BKRunDetailsWindowWriting(
    OTVDataBase& store, const std::function<std::shared_ptr<OTVRecord>(const BKDetailsAnswerWriter&)>& run,
    const BKDetailsAnswerWriter& write, const int* operation)
{
    // The window closes with an answer only after its last write went through.
    bool written = false;
    const std::shared_ptr<OTVRecord> answer = run([&](const std::shared_ptr<OTVRecord>& record, int op) {
        written = true;
        return write(record, op);
    });
    if (answer && !written)
        OTVShowStatusAlert(write(answer, *operation), store.lastServerMessage());
    return answer;
}
