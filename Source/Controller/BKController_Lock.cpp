#include "BKController.h"

#include "BKDialogButtons.h"
#include "BKLockPanel.h"
#include "BKMainWindowViews.h"

#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVUID.h"
#include "Model/OTVUser.h"
#include "Platform/BKLocalization.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>

namespace {

constexpr int kMaximumUnlockAttempts = 10;
constexpr int kUnlockWarningAttempt = 5;
// The attempts line shows once this many attempts failed.
constexpr int kAttemptsLineFrom = 5;

const char kTenthFailureMessage[] =
    "Since you have entered an incorrect password 10 times, your data will now be deleted.\n"
    "Quit Ostrevin, and you can start the app again and start entering data from scratch.";

} // namespace

BKLockPanel* BKController::lockPanel()
{
    if (!mLockPanel_) {
        mLockPanel_ = new BKLockPanel(mainWindow());
        connect(mLockPanel_, &BKLockPanel::okRequested, this, &BKController::lockPanelOK);
        connect(mLockPanel_, &BKLockPanel::quitRequested, this, &BKController::lockPanelQuit);
        connect(mLockPanel_, &BKLockPanel::hintRequested, this, &BKController::lockPanelHint);
    }
    return mLockPanel_;
}

bool BKController::isLocked() const
{
    return mLockPanel_ && mLockPanel_->isVisible();
}

// The tenth failure deletes the vault user, but never an account that administers the server
// (deleting it could cut every client off) nor a vault administrator: the vault must keep one.
bool BKController::isUserKeptAfterFailedUnlocks() const
{
    const std::shared_ptr<OTVUser> user = store_.getCurrentUser();
    return !user || store_.isAdministratorSession() || OTVUID::isWellKnownUID(user->mUserID());
}

void BKController::displayLockPanel()
{
    if (isLocked())
        return;
    const std::shared_ptr<OTVUser> user = store_.getCurrentUser();
    if (!store_.isPasswordEnableForUser(user.get(), nullptr)) {
        BKRunAlertPanel(BKLocalizedString(kDefaultAlertTitle), BKLocalizedString("You need to set password first."));
        return;
    }
    BKLockPanel* panel = lockPanel();
    panel->showAttemptsLeft(-1);
    panel->okButton()->setEnabled(true);
    panel->setUserName(user->mUsername());

    // Nothing of the vault stays on screen while locked: the views go empty and every other
    // window hides until the unlock.
    if (mViews_)
        mViews_->setShouldLockInfoDisplay(true);
    // The toolbars show the current group's name and the search text.
    QList<QPointer<QWidget>> hidden;
    for (QToolBar* toolbar : mainWindow()->findChildren<QToolBar*>(Qt::FindDirectChildrenOnly))
        if (!toolbar->isHidden()) {
            hidden.append(toolbar);
            toolbar->hide();
        }
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window != mainWindow() && window != panel) {
            hidden.append(window);
            window->hide();
        }
    // What stays in sight looks as unusable as it is.
    setVaultControlsEnabled(false);
    store_.addLogEvent(QStringLiteral("Lock Application"));
    mNumberOfAttempts_ = store_.numberofAttemptsLeft(nullptr);

    // A quit asked for meanwhile (a signal, the main window's close box) ends the run too.
    const bool unlocked = showLockPanel() && !mTerminationRequested_;
    if (!unlocked) {
        endLockedSession();
        terminate();
        return;
    }
    if (mViews_)
        mViews_->setShouldLockInfoDisplay(false);
    setVaultControlsEnabled(true);
    for (const QPointer<QWidget>& window : hidden)
        if (window)
            window->show();
    reloadDatabase();
}

// The views with their record buttons and the status bar's mask button; their own states
// come back with them.
void BKController::setVaultControlsEnabled(bool enabled)
{
    if (mViews_)
        mViews_->setEnabled(enabled);
    if (mMaskAction_)
        mMaskAction_->setEnabled(enabled);
}

// The way out of a locked session: nothing is saved and no vault window shows again.
void BKController::endLockedSession()
{
    mIsConnectionCancelled_ = true;
    if (isLocked())
        mLockPanel_->done(kBKModalAbort);
    for (QWidget* window : QApplication::topLevelWidgets())
        window->hide();
}

bool BKController::hasNoUnlockAttemptLeft() const
{
    return store_.numberofAttemptsLeft(nullptr) >= kMaximumUnlockAttempts;
}

bool BKController::showLockPanel()
{
    BKLockPanel* panel = lockPanel();
    panel->passwordField()->clear();
    panel->passwordField()->setFocus();
    showAttemptsOnLockPanel();
    if (mNumberOfAttempts_ >= kMaximumUnlockAttempts) {
        panel->okButton()->setEnabled(false);
        if (!isUserKeptAfterFailedUnlocks())
            QTimer::singleShot(0, panel, [this] { deleteUserAfterFailedUnlocks(); });
    }
    BKCentreOverParent(panel);
    return panel->exec() != kBKModalAbort;
}

void BKController::showAttemptsOnLockPanel()
{
    lockPanel()->showAttemptsLeft(mNumberOfAttempts_ >= kAttemptsLineFrom
                                      ? std::max(0, kMaximumUnlockAttempts - mNumberOfAttempts_)
                                      : -1);
}

void BKController::lockPanelOK()
{
    BKLockPanel* panel = lockPanel();
    const std::shared_ptr<OTVUser> user = store_.getCurrentUser();
    if (!panel->okButton()->isEnabled() || !user)
        return;
    int status = kOTVStatusOK;
    if (store_.validatePasswordForUser(user.get(), panel->password(), &status)) {
        mNumberOfAttempts_ = 0;
        panel->done(kBKModalStop);
        showStoreStatusAlert(store_.setNumberofAttemptsLeft(0, user));
        return;
    }
    panel->passwordField()->clear();
    // A server that cannot be asked has not refused the password: that is no failed attempt.
    if (status != kOTVStatusOK) {
        BKRunAlertPanel(BKLocalizedString(kDefaultAlertTitle),
                        BKLocalizedString("Connection to the server has been lost."));
        return;
    }
    store_.addLogEvent(QStringLiteral("Failed login attempt"));
    BKRunAlertPanel(BKLocalizedString(kDefaultAlertTitle), BKLocalizedString("That is not a correct password."));
    ++mNumberOfAttempts_;
    showStoreStatusAlert(store_.setNumberofAttemptsLeft(mNumberOfAttempts_, user));
    if (mNumberOfAttempts_ == kUnlockWarningAttempt)
        BKRunAlertPanel(BKLocalizedString(kDefaultAlertTitle), BKLocalizedString("Only 5 attempts left !!!"),
                        BKLocalizedString("OK"));
    showAttemptsOnLockPanel();
    if (mNumberOfAttempts_ < kMaximumUnlockAttempts)
        return;
    panel->okButton()->setEnabled(false);
    if (isUserKeptAfterFailedUnlocks())
        return;
    BKRunAlertPanel(BKLocalizedString(kDefaultAlertTitle), BKLocalizedString(kTenthFailureMessage),
                    BKLocalizedString("OK"));
    deleteUserAfterFailedUnlocks();
}

// The stored count stays at ten until the deletion went through: until then every lock and
// start leaves only Quit, and the deletion is tried again.
void BKController::deleteUserAfterFailedUnlocks()
{
    showStoreStatusAlert(store_.deleteOwnVaultUser());
}

void BKController::lockPanelQuit()
{
    lockPanel()->done(kBKModalAbort);
}

void BKController::lockPanelHint()
{
    const std::shared_ptr<OTVUser> user = store_.getCurrentUser();
    if (!user)
        return;
    if (user->mHintQuestionNumber() >= 1) {
        runHintChallenge(*user);
        return;
    }
    int status = kOTVStatusOK;
    const bool exists = store_.isHintExist(user.get(), &status);
    if (!exists) {
        if (status == kOTVStatusOK)
            BKRunInformationalPanel(BKLocalizedString("The Hint"), BKLocalizedString("You have not set any hint."));
        else
            showHintStatusAlert(status);
        return;
    }
    if (status == kOTVStatusOK) {
        const QString hint = store_.passwordHintForUser(user.get(), &status);
        if (status == kOTVStatusOK) {
            BKRunInformationalPanel(BKLocalizedString("The Hint"), hint);
            return;
        }
    }
    showHintStatusAlert(status);
}

// A hint read that failed: a disabled account ends the session, anything else asks to retry.
void BKController::showHintStatusAlert(int status)
{
    if (status == kOTVStatusAccountDisabled) {
        BKRunAlertPanel(BKLocalizedString(kDefaultAlertTitle),
                        BKLocalizedString("Your account has been disabled. Please contact administrator."),
                        BKLocalizedString("Quit"));
        mIsConnectionCancelled_ = true;
        lockPanelQuit();
        terminate();
        return;
    }
    BKRunAlertPanel(BKLocalizedString(kDefaultAlertTitle),
                    BKLocalizedString(status == kOTVStatusNoSuchUser ? "Your account has been deleted"
                                                                     : "Connection to the server has been lost."),
                    BKLocalizedString("Retry"));
}

void BKController::runHintChallenge(const OTVUser& user)
{
    store_.addLogEvent(QStringLiteral("Request Hint"));
    if (!mHintChallengePanel_)
        mHintChallengePanel_ = new BKHintChallengePanel(lockPanel());
    const int number = user.mHintQuestionNumber();
    mHintChallengePanel_->setQuestion(number < OTVDataBase::kHintQuestionCount
                                          ? BKLocalizedString(OTVDataBase::kQuestions().at(number))
                                          : QString());
    if (mHintChallengePanel_->exec() != kBKModalStop)
        return;
    const QString answer = mHintChallengePanel_->answer();
    int status = kOTVStatusOK;
    const bool accepted = store_.validatePasswordHintAnswerForUser(user.mUsername(), answer, number, &status);
    if (status != kOTVStatusOK) {
        showHintStatusAlert(status);
        return;
    }
    if (!accepted) {
        store_.addLogEvent(QStringLiteral("Failed Hint Question Answer"));
        BKRunAlertPanel(BKLocalizedString(kDefaultAlertTitle), BKLocalizedString("Hint Challenge Answer is incorrect."),
                        BKLocalizedString("OK"));
        return;
    }
    const QString hint = store_.passwordHintForUser(store_.getCurrentUser().get(), answer, &status);
    if (status != kOTVStatusOK)
        showHintStatusAlert(status);
    else
        BKRunInformationalPanel(BKLocalizedString("The Hint"), hint);
}
