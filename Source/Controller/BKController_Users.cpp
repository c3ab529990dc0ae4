// User administration: the user-account window.
#include "BKController.h"
#include "BKDialogButtons.h"

#include "UserAccountController.h"
#include "Platform/BKApplicationServices.h"
#include "Platform/BKLocalization.h"

#include <QMainWindow>

void BKController::displayUserList()
{
    // Only an administrator's session may create and drop server accounts.
    if (!store_.isAdministratorSession()) {
        BKRunAlertPanel(BKLocalizedString(kDefaultAlertTitle),
                        BKLocalizedString("Only a vault administrator can manage users."), BKLocalizedString("OK"));
        return;
    }
    if (!mUserAccountController_)
        mUserAccountController_ = new UserAccountController(store_, mMainWindow_.get());
    mUserAccountController_->reloadTable();
    BKCentreOverParent(mUserAccountController_);
    mUserAccountController_->exec();
}

UserAccountController* BKController::userAccountController() const
{
    return mUserAccountController_;
}
