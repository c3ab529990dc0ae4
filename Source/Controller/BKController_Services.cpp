#include "BKController.h"

#include "UserAccountController.h"

#include "BKConnectionDialog.h"

#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVStatusMessages.h"
#include "Platform/BKLocalization.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMainWindow>

// What the vault store asks of the interface. Every call arrives on the main thread.

void BKController::connectionISComplete()
{
    // The login step tells of a disabled account this way too; the login handles that itself.
    if (mIsLoginStepRunning_)
        return;
    if (mIsConnecting_) {
        mIsConnecting_ = false;
        --mStoreWorkers_;
    }
    BKConnectionDialog* dialog = mConnectionDialog_;
    if (!dialog)
        return;
    dialog->setConnecting(false);
    const int status = store_.connectionErrorCode();
    if (status == kOTVStatusOK) {
        dialog->finish(kBKModalStop);
        return;
    }
    showConnectionAlert(status);
    // The text that was refused is selected, so that typing replaces it.
    QLineEdit* retype = status == kOTVStatusMasterPasswordMismatch ? dialog->masterPasswordField()
                                                                   : dialog->passwordField();
    retype->setFocus();
    retype->selectAll();
}

void BKController::finishReloadingData()
{
    updateApplicationViews();
    store_.reloadLogDatabase();
}

void BKController::reloadFailed(int status)
{
    if (mIsFirstLoadRunning_) {
        // The start-up reports it once the loading panel is gone.
        mFirstLoadFailure_ = status;
        return;
    }
    if (status == kOTVStatusOK)
        return;
    if (OTVIsLostConnectionStatus(status)) {
        // After the reload worker has ended: the reconnection replaces the connection.
        QMetaObject::invokeMethod(this, &BKController::dbCommunicationError, Qt::QueuedConnection);
        return;
    }
    BKRunAlertPanel(BKLocalizedString("Reload Failed!"), BKLocalizedString("Data can't be reloaded."),
                    BKLocalizedString("OK"));
}

void BKController::updateApplicationUIForCurrectPermissions()
{
    // Moving records between types and groups needs the edit permission.
    if (mItemContextualMenu_) {
        const bool movable = canMoveRecords();
        mContextTypeMenu_->menuAction()->setEnabled(movable);
        mContextGroupMenu_->menuAction()->setEnabled(movable);
    }
}

void BKController::dontSavePreference()
{
    mIsConnectionCancelled_ = true;
}

bool BKController::isMainWindowMaximied()
{
    return mMainWindow_ && mMainWindow_->isMaximized();
}

void BKController::terminateApplication()
{
    terminate();
}

QString BKController::mCurrentUserName()
{
    // Null while no user-account window is editing an account.
    return mUserAccountController_ ? mUserAccountController_->mCurrentUserName() : QString();
}

int BKController::showAlertPanelWithTitle(const QString& title, const QString& message, const QString& defaultButton,
                                          const QString& otherButton)
{
    return BKRunAlertPanel(BKLocalizedString(title.isEmpty() ? kDefaultAlertTitle : title),
                           BKLocalizedString(message),
                           defaultButton.isEmpty() ? QString() : BKLocalizedString(defaultButton),
                           otherButton.isEmpty() ? QString() : BKLocalizedString(otherButton));
}

void BKController::showStoreStatusAlert(int status)
{
    OTVShowStatusAlert(status, store_.lastServerMessage());
}
