#include "BKController.h"

#include "BKDetailsWindowController.h"
#include "BKMainWindowViews.h"

bool BKController::checkForRecordPermissionForSelectedGroup(int permission)
{
    return checkForRecordPermissionFor(permission, mViews_ ? mViews_->selectedGroup() : nullptr);
}

std::shared_ptr<OTVRecord> BKController::orderFrontDetailsWindowWithInfo(const std::shared_ptr<OTVRecord>& info,
                                                                         int* operation)
{
    BKDetailsWindowController& window = BKDetailsWindowController::sharedDetailsController();
    window.setWebLogin([this](const OTVRecord& record) { webLoginForRecord(record); });
    return window.orderFrontDetailsWindowWithInfo(info, operation);
}
