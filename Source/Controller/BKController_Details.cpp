#include "BKController.h"

#include "BKDetailsWindowController.h"
#include "BKMainWindowViews.h"

std::shared_ptr<OTVRecord> BKController::orderFrontDetailsWindowWithInfo(const std::shared_ptr<OTVRecord>& info,
                                                                         int* operation,
                                                                         const BKDetailsAnswerWriter& write)
{
    BKDetailsWindowController& window = BKDetailsWindowController::sharedDetailsController();
    window.setWebLogin([this](const OTVRecord& record) { webLoginForRecord(record); });
    return window.orderFrontDetailsWindowWithInfo(info, operation, write);
}
