#include "BKController.h"

#include "BKMainWindowViews.h"

#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVRecord.h"

// A record the user chose is a record viewed: its count on the server and the event log.
void BKController::recordViewed(const std::shared_ptr<OTVRecord>& record)
{
    if (!record)
        return;
    store_.updateRecordViewCountForRecord(record->mRecordUID());
    store_.addLogEvent(QStringLiteral("View Record"), record->value(1));
}
