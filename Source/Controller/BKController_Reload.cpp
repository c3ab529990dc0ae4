#include "BKController.h"

#include "BKConnectionDialog.h"

#include "Model/BKPasswordPolicyController.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Platform/BKLocalization.h"

#include <QLineEdit>
#include <QTimer>

namespace {

constexpr int kReconnectionPollMs = 50;

} // namespace

void BKController::reloadDatabase()
{
    if (isStoreWorkerRunning() || mReconnecting_)
        return;
    runWithWorkerGate([this] {
        store_.startReloadingDatabase();
        displayLoadingProgress([this] { return !store_.isDataReloading(); });
    });
    if (store_.connectionErrorCode() == kOTVStatusOK)
        BKPasswordPolicyController::sharedBKPasswordPolicyController().refreshPasswordPolicyFrom(store_);
}

void BKController::dbCommunicationError()
{
    // The notification and a failed reload may both report the same loss; during the start-up
    // the connection dialog comes back by the start-up's own steps.
    if (mReconnecting_ || mTerminationRequested_ || mInStartUpSession_ || mConnectionDialog_->isVisible())
        return;
    // A worker still using the old connection ends first (it may report the same loss again
    // meanwhile): a new connection must never meet it. One deferred call stands for them all.
    if (isStoreWorkerRunning()) {
        if (!mReconnectionDeferred_) {
            mReconnectionDeferred_ = true;
            QTimer::singleShot(kReconnectionPollMs, this, [this] {
                mReconnectionDeferred_ = false;
                dbCommunicationError();
            });
        }
        return;
    }
    mReconnecting_ = true;
    showAlertPanelWithTitle({}, "Connection to the server has been lost.Please connect again.", "OK");
    // The same account on the same server must log in again: the vault in memory is theirs.
    mConnectionDialog_->setUserNameEditable(false);
    mConnectionDialog_->setServerEditable(false);
    mConnectionDialog_->passwordField()->clear();
    runConnectionDialog();
    mReconnecting_ = false;
}

void BKController::dbUserDeletedError()
{
    if (mTerminationRequested_)
        return;
    showAlertPanelWithTitle({}, "This User may be deleted. Please contact Administrator for more information.",
                            "Quit");
    mIsConnectionCancelled_ = true;
    terminate();
}
