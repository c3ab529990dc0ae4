#include "BKRecordWrites.h"

#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVRecord.h"

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
