#include "BKController.h"

#include "BKMainWindowViews.h"

#include "Model/Database_Engine/OTVDataBase.h"
#include "Platform/BKUserDefaults.h"

// Steps of the life cycle that later parts of the interface fill in.

// The views write their layout (split views, list columns, selected view and group) to the
// logged-in user before his preferences are saved at quit.
void BKController::saveApplicationViewsLayout()
{
    if (!mViews_ || !mSubviewsReady_)
        return;
    BKSaveLayoutPreferenceWithName(*mViews_->mainSplitView(), kMainSplitViewAutosaveKey, store_);
    BKSaveLayoutPreferenceWithName(*mViews_->subSplitView(), kSubSplitViewAutosaveKey, store_);
    BKSaveLayoutPreferenceWithName(*mViews_->smartTypeSplitView(), kSmartTypeSplitViewAutosaveKey, store_);
    if (mViews_->currentView() == BKMainWindowViews::kListViewTag)
        saveTableColumnWidthToPreference();
}
