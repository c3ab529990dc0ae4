#include "BKController.h"

#include "BKCategoryEditWindowController.h"
#include "BKMainWindowViews.h"
#include "BKMenuTable.h"

#include "Platform/BKLocalization.h"

#include <QMainWindow>

// The groups and types editor, opened from the main window.

BKCategoryEditWindowController& BKController::categoryEditWindowController()
{
    if (!mCategoryEditWindowController_)
        mCategoryEditWindowController_ = new BKCategoryEditWindowController(*this, mainWindow());
    return *mCategoryEditWindowController_;
}

void BKController::displayEditGroupPanel()
{
    if (!isCommandPermitted(kBKEditGroupsMenuTag))
        return;
    buildMainWindowViews();
    categoryEditWindowController().displayGroupEditWindow(BKLocalizedString("Edit Groups..."),
                                                          BKCategoryEditWindowController::kEditCategoriesMenuItemTag);
    // The chosen group stays chosen when it still exists, else the first one is.
    groupsAndTypesChanged();
}

void BKController::displayEditTypesPanel(int senderTag)
{
    Q_UNUSED(senderTag);   // the pop-up goes back to its previous type by itself
    if (!isCommandPermitted(kBKEditTypesMenuTag))
        return;
    buildMainWindowViews();
    categoryEditWindowController().displayGroupEditWindow(BKLocalizedString("Edit Types..."),
                                                          BKCategoryEditWindowController::kEditTypesMenuItemTag);
    mViews_->initTypesUIControl();
    groupsAndTypesChanged();
}

void BKController::groupsAndTypesChanged()
{
    if (!mViews_)
        return;
    mViews_->initGroupUIControl();
    updateTables();
    updateDetailInfoViewWithRecord(itemPropertiesForTableViewSelectedRow());
}
