#include "BKController.h"

#include "BKDetailsWindowController.h"
#include "BKIdleWatcher.h"
#include "BKLockPanel.h"

#include "Customization/BKOwnClipboard.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVUser.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QTimer>

namespace {

// Closed windows finish their own work before the lock sheet comes.
constexpr int kLockAfterClosingMs = 100;

} // namespace

// Once the main window shows: every change of the clipboard is counted and looked at as it
// happens (the clipboard has no count of its own), and the automatic lock waits for the user's
// minutes.
void BKController::startIdleAndClipboardWatch()
{
    if (!mClipboardWatch_) {
        mClipboardWatch_ = connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
            ++mClipboardChangeCount_;
            checkClipBoard();
        });
    }
    const std::shared_ptr<OTVUser> user = store_.getCurrentUser();
    if (user && !user->mPassword().isEmpty() && user->mAutoLOck())
        installInactiveTimerWithTime(user->mLockTime());
}

// A copy the application made, whatever window has focus (a web login's password goes to the
// clipboard while the browser comes to the front), is cleared after the user's delay; anything
// another program copies is not ours to clear and cancels the pending clear.
void BKController::checkClipBoard()
{
    if (mClipboardChangeCount_ <= mLastPasteBoardChangeCount_)
        return;
    if (BKClipboardHoldsOwnCopy() && !QGuiApplication::clipboard()->text().isEmpty()) {
        mLastPasteBoardChangeCount_ = mClipboardChangeCount_;
        installClearClipBoardTimer(false);
    } else if (mClearClipboardTimer_) {
        mClearClipboardTimer_->stop();
        mClearClipboardTimer_->deleteLater();
    }
}

void BKController::installClearClipBoardTimer(bool atExit)
{
    const std::shared_ptr<OTVUser> user = store_.getCurrentUser();
    if (!user || !user->mClearClipboardState())
        return;
    if (atExit) {
        clearClipBoard();
        return;
    }
    if (mClearClipboardTimer_) {
        mClearClipboardTimer_->stop();
        mClearClipboardTimer_->deleteLater();
    }
    // No delay means no timed clearing: a clear at once would make every copy useless.
    const int minutes = user->mClearClipBoardTimer();
    if (user->mClipBoardOnExit() || minutes <= 0)
        return;
    mClearClipboardTimer_ = new QTimer(this);
    mClearClipboardTimer_->setSingleShot(true);
    connect(mClearClipboardTimer_, &QTimer::timeout, this, &BKController::clearClipBoard);
    mClearClipboardTimer_->start(minutes * mMinuteMs_);
}

// Only the application's own copy is cleared: a copy made in another program since then stays.
void BKController::clearClipBoard()
{
    if (mClearClipboardTimer_) {
        mClearClipboardTimer_->stop();
        mClearClipboardTimer_->deleteLater();
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (BKClipboardHoldsOwnCopy() && !clipboard->text().isEmpty())
        clipboard->clear(QClipboard::Clipboard);
}

bool BKController::isClipboardClearPending() const
{
    return mClearClipboardTimer_ && mClearClipboardTimer_->isActive();
}

void BKController::applyClipboardClearMinutes(int minutes)
{
    const std::shared_ptr<OTVUser> user = store_.getCurrentUser();
    if (!user)
        return;
    user->setMClearClipBoardTimer(qint16(minutes));
    if (isClipboardClearPending())
        installClearClipBoardTimer(false);
}

void BKController::installInactiveTimerWithTime(int minutes)
{
    if (!mIdleWatcher_) {
        mIdleWatcher_ = new BKIdleWatcher(this);
        connect(mIdleWatcher_, &BKIdleWatcher::idle, this, &BKController::doIdle);
    }
    if (minutes <= 0)
        mIdleWatcher_->stop();
    else
        mIdleWatcher_->start(minutes * mMinuteMs_);
}

void BKController::applyAutoLockMinutes(int minutes)
{
    const std::shared_ptr<OTVUser> user = store_.getCurrentUser();
    if (!user)
        return;
    user->setMLockTime(qint16(minutes));
    installInactiveTimerWithTime(user->mAutoLOck() ? minutes : 0);
}

void BKController::doIdle()
{
    if (!mAlertIsOn_ || isLocked() || mTerminationRequested_)
        return;
    // A worker holds the connection: the lock, which reads the store, waits for another turn.
    if (isStoreWorkerRunning()) {
        mIdleWatcher_->restart();
        return;
    }
    mAlertIsOn_ = false;
    bool closed = false;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(window);
        // A record window is not cancelled: its OK runs once its own panels are closed.
        if (dialog && dialog->isVisible() && dialog != mLockPanel_ && dialog->isModal()) {
            if (!qobject_cast<BKDetailsWindowController*>(dialog))
                dialog->reject();
            closed = true;
        }
    }
    if (closed)
        QTimer::singleShot(kLockAfterClosingMs, this, &BKController::lockAfterIdle);
    else
        lockAfterIdle();
}

void BKController::lockAfterIdle()
{
    // A record window stores what was typed and closes, and the lock follows it; one whose OK
    // refuses stays behind the lock, as it is, and comes back at the unlock.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* details = qobject_cast<BKDetailsWindowController*>(window);
        if (details && details->isVisible() && details->commitBeforeLock()) {
            QTimer::singleShot(kLockAfterClosingMs, this, &BKController::lockAfterIdle);
            return;
        }
    }
    const std::shared_ptr<OTVUser> user = store_.getCurrentUser();
    if (!mTerminationRequested_ && user && !user->mPassword().isEmpty() && user->mAutoLOck()
        && user->mLockTime() > 0)
        displayLockPanel();
    mAlertIsOn_ = true;
    if (mIdleWatcher_ && !mTerminationRequested_)
        mIdleWatcher_->restart();
}
