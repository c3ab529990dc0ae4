#include "BKController.h"

#include "BKDetailsWindowController.h"
#include "BKMainWindowViews.h"

std::shared_ptr<OTVRecord> BKController::orderFrontDetailsWindowWithInfo(const std::shared_ptr<OTVRecord>& info,
                                                                         int* operation)
{
    return BKDetailsWindowController::sharedDetailsController().orderFrontDetailsWindowWithInfo(info, operation);
}
