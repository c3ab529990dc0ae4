#include "BKController.h"

#include "BKGroupSettingsPanel.h"
#include "BKMenuTable.h"
#include "BKMainWindowViews.h"
#include "BKTypeSettingsPanel.h"

#include "Model/BKGroup.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVType.h"

#include <QMainWindow>

// The group and type panels; the pop-ups' editor items open the groups and types editor.

BKGroupSettingsPanel& BKController::groupSettingsPanel()
{
    if (!mGroupSettingsPanel_)
        mGroupSettingsPanel_ = new BKGroupSettingsPanel(store_, mainWindow());
    return *mGroupSettingsPanel_;
}

BKTypeSettingsPanel& BKController::typeSettingsPanel()
{
    if (!mTypeSettingsPanel_)
        mTypeSettingsPanel_ = new BKTypeSettingsPanel(store_, mainWindow());
    return *mTypeSettingsPanel_;
}

void BKController::connectEntryPanels()
{
    connect(mViews_, &BKMainWindowViews::editGroupsRequested, this, [this] { displayEditGroupPanel(); });
    connect(mViews_, &BKMainWindowViews::editTypesRequested, this, [this] { displayEditTypesPanel(); });
}

void BKController::addGroups()
{
    if (!isCommandPermitted(kBKNewGroupMenuTag))
        return;
    const std::shared_ptr<BKGroup> group =
        BKStoreGroupFromPanel(groupSettingsPanel(), mainWindow(), nullptr, BKGroupSettingsPanel::kAddOperation);
    if (group && mViews_)
        mViews_->initGroupUIControl();
}

void BKController::addTypes()
{
    if (!isCommandPermitted(kBKNewTypeMenuTag))
        return;
    BKTypeSettingsPanel& panel = typeSettingsPanel();
    panel.setCustomizing(false);
    panel.setShouldHideControls(false);
    int status = 0;
    BKStoreTypeFromPanel(panel, nullptr, nullptr, BKTypeSettingsPanel::kAddOperation, &status);
    panel.setCustomizing(false);
    // Also after a cancel, as the views expect; a refused write leaves them as they are.
    if (status == 0 && mViews_) {
        mViews_->initTypesUIControl();
        mViews_->updateTables();
    }
}
