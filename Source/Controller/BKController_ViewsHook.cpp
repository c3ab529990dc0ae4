#include "BKController.h"

#include "BKMainWindowViews.h"

#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVUser.h"
#include "Platform/BKUserDefaults.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLayout>
#include <QMainWindow>

// The views are built on the first call, set up for the user once the vault is loaded, and
// rebuilt from the store's maps on every later call (after each reload).
void BKController::updateApplicationViews()
{
    buildMainWindowViews();
    const std::shared_ptr<OTVUser> user = store_.mCurrentUser();
    if (!store_.isVaultLoaded() || !user) {
        mViews_->setShouldCreateDatabase(false);
        return;
    }
    if (!mSubviewsReady_) {
        mSubviewsReady_ = true;
        setupToolbarForWindow(mainWindow());
        buildMainMenu();
        mViews_->selectGroupWithUID(user->mCurrentGroup());
        mViews_->initTypesUIControl();
        mViews_->setShouldCreateDatabase(true);
        initSubviews();
        // The stored layouts are sizes within the window as it is now: lay it out first.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        if (QLayout* layout = mainWindow()->layout())
            layout->activate();
        BKRestoreLayoutPreferenceFromName(*mViews_->mainSplitView(), kMainSplitViewAutosaveKey);
        BKRestoreLayoutPreferenceFromName(*mViews_->smartTypeSplitView(), kSmartTypeSplitViewAutosaveKey);
        BKRestoreLayoutPreferenceFromName(*mViews_->subSplitView(), kSubSplitViewAutosaveKey);
        correctTabNextKeyViews();
        return;
    }
    // A reload may have added or removed groups: the pop-up is built again, keeping its group.
    mViews_->initGroupUIControl();
    mViews_->setShouldCreateDatabase(true);
    // A reload may have brought other types and groups.
    initContextualTypeSubMenu();
    initContextualCategorySubMenu();
    refreshCommandStates();
}
