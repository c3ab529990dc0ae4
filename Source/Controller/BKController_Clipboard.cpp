#include "BKController.h"

#include "BKIdleWatcher.h"
#include "BKLockPanel.h"

#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVUser.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QTimer>

namespace {

constexpr int kClipboardWatchMs = 1000;
// Closed windows finish their own work before the lock sheet comes.
constexpr int kLockAfterClosingMs = 100;

} // namespace

// Once the main window shows: the clipboard's changes are counted (the clipboard has no count
// of its own), the watch polls them, and the automatic lock waits for the user's minutes.
void BKController::startIdleAndClipboardWatch()
{
    if (!mIsApplicationActive_)
        mIsApplicationActive_ = [] { return QGuiApplication::applicationState() == Qt::ApplicationActive; };
    if (!mClipboardWatchTimer_) {
        connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] { ++mClipboardChangeCount_; });
        // Whatever the clipboard holds now is taken as new at the first check.
        mClipboardChangeCount_ = 1;
        mLastPasteBoardChangeCount_ = 0;
        mClipboardWatchTimer_ = createStoreTimer(kClipboardWatchMs, [this] { checkClipBoard(); });
        mClipboardWatchTimer_->start();
    }
    const std::shared_ptr<OTVUser> user = store_.getCurrentUser();
    if (user && !user->mPassword().isEmpty() && user->mAutoLOck())
        installInactiveTimerWithTime(user->mLockTime());
}

// Values that the application copies while it is active are cleared after the user's delay;
// a copy made elsewhere cancels the pending clear.
void BKController::checkClipBoard()
{
    if (mClipboardChangeCount_ <= mLastPasteBoardChangeCount_)
        return;
    const bool ours = mIsApplicationActive_ && mIsApplicationActive_()
                      && !QGuiApplication::clipboard()->text().isEmpty();
    if (ours) {
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
    if (mClipboardChangeCount_ == mLastPasteBoardChangeCount_ && !clipboard->text().isEmpty())
        clipboard->setText(QString());
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
        if (dialog && dialog->isVisible() && dialog != mLockPanel_ && dialog->isModal()) {
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
    const std::shared_ptr<OTVUser> user = store_.getCurrentUser();
    if (!mTerminationRequested_ && user && !user->mPassword().isEmpty() && user->mAutoLOck()
        && user->mLockTime() > 0)
        displayLockPanel();
    mAlertIsOn_ = true;
    if (mIdleWatcher_ && !mTerminationRequested_)
        mIdleWatcher_->restart();
}
