#include "BKController.h"

#include "BKConnectionDialog.h"
#include "BKFirstMasterPasswordDialog.h"
#include "BKLockPanel.h"
#include "BKMainWindowViews.h"
#include "BKMessageBoxAlertPresenter.h"

#include "Customization/BKWindow.h"

#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVUID.h"
#include "Model/OTVUser.h"
#include "Platform/BKLocalization.h"
#include "Platform/BKMailer.h"
#include "Platform/BKNotificationCenter.h"
#include "Platform/BKUserDefaults.h"
#include "Platform/BKWorker.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QScreen>
#include <QTimer>

#include <cstdlib>

namespace {

BKController* sharedController = nullptr;

// The attachment folder is removed even when the process ends without returning from the
// event loop (a lost display connection ends it through exit()).
QString folderToRemoveAtExit;

void removeFolderAtExit()
{
    if (!folderToRemoveAtExit.isEmpty())
        QDir(folderToRemoveAtExit).removeRecursively();
}

// The main window's close box asks the controller to quit, so that the layout is saved the
// same way as through the Quit command.
class MainWindowCloseFilter final : public QObject {
public:
    explicit MainWindowCloseFilter(BKController& controller)
        : QObject(&controller), controller_(controller)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close && !controller_.isTerminationRequested()) {
            event->ignore();
            controller_.terminate();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    BKController& controller_;
};

// Once the application quits, every window's close is accepted: Qt abandons a quit that a
// window refuses (the lock sheet, the options window and other panels refuse their close box),
// and the process would then stay without any way out.
class CloseAcceptingFilter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close && watched->isWidgetType()) {
            event->accept();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

BKController::BKController(OTVDataBase& store, QObject* parent)
    : QObject(parent), store_(store), mAlertPresenter_(std::make_unique<BKMessageBoxAlertPresenter>())
{
    sharedController = this;
    BKApplicationServices::install(this);
    BKAlertPresenter::install(mAlertPresenter_.get());
    registerObservers();
    buildMainWindow();
    mConnectionDialog_ = new BKConnectionDialog(mMainWindow_.get());
    mConnectionDialog_->setWindowFlag(Qt::Window);
    connect(mConnectionDialog_, &BKConnectionDialog::connectRequested, this, &BKController::connectToMySqlServer);
    connect(mConnectionDialog_, &BKConnectionDialog::cancelRequested, this, &BKController::cancelConnection);
    mFirstMasterPasswordDialog_ = new BKFirstMasterPasswordDialog(mMainWindow_.get());
    mFirstMasterPasswordDialog_->setWindowFlag(Qt::Window);
    if (qApp)
        connect(qApp, &QCoreApplication::aboutToQuit, this, &BKController::applicationWillTerminate);
}

BKController::~BKController()
{
    // The windows go below: their focus changes must not reach menu actions already gone.
    if (qApp)
        disconnect(qApp, nullptr, this, nullptr);
    BKNotificationCenter::defaultCenter().removeObserversOf(this);
    if (sharedController == this)
        sharedController = nullptr;
    if (&BKApplicationServices::current() == this)
        BKApplicationServices::install(nullptr);
    BKAlertPresenter::install(nullptr);
    removeAttachmentFolder();
}

BKController* BKController::sharedApplicationController()
{
    return sharedController;
}

// ---------------------------------------------------------------------------------------------
// Start-up

void BKController::setConnectionDefaults(const QString& server, const QString& port, const QString& user)
{
    mDefaultServer_ = server;
    mDefaultPort_ = port;
    mDefaultUser_ = user;
}

void BKController::openFilesAtLaunch(const QStringList& paths)
{
    mFilesToImport_ += paths;
}

void BKController::buildMainWindow()
{
    auto window = std::make_unique<BKWindow>();
    // Ctrl+F: the search field, its text selected for typing over.
    window->setFocusSearchField([this] {
        if (!mViews_)
            return;
        QLineEdit* search = mViews_->searchField();
        search->setFocus(Qt::ShortcutFocusReason);
        search->selectAll();
    });
    mMainWindow_ = std::move(window);
    mMainWindow_->setObjectName(QStringLiteral("MainWindow"));
    mMainWindow_->setWindowTitle(QStringLiteral("Ostrevin Darovazivu"));
    // The main window's views replace this placeholder.
    auto* placeholder = new QLabel(mMainWindow_.get());
    placeholder->setAlignment(Qt::AlignCenter);
    mMainWindow_->setCentralWidget(placeholder);
    mMainWindow_->resize(900, 600);
    mMainWindow_->installEventFilter(new MainWindowCloseFilter(*this));
}

QMainWindow* BKController::mainWindow() const
{
    return mMainWindow_.get();
}

BKConnectionDialog* BKController::connectionDialog() const
{
    return mConnectionDialog_;
}

BKFirstMasterPasswordDialog* BKController::firstMasterPasswordDialog() const
{
    return mFirstMasterPasswordDialog_;
}

void BKController::applicationWillFinishLaunching()
{
    BKUserDefaults& defaults = BKUserDefaults::standardUserDefaults();
    // Older versions kept the master password in the settings file in clear.
    if (defaults.hasKey(kMasterPasswordDefaultsKey)) {
        defaults.removeObjectForKey(kMasterPasswordDefaultsKey);
        defaults.synchronize();
    }
    if (!mAttachmentFolder_) {
        mAttachmentFolder_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/ostrevin-XXXXXX"));
        if (!mAttachmentFolder_->isValid()) {
            qWarning() << "cannot create the attachment folder:" << mAttachmentFolder_->errorString();
        } else {
            static const bool registered = std::atexit(removeFolderAtExit) == 0;
            Q_UNUSED(registered);
            folderToRemoveAtExit = mAttachmentFolder_->path();
            BKMailer::setFolderRemovedAtQuit(folderToRemoveAtExit);
        }
    }
}

QString BKController::attachmentFolderPath() const
{
    return mAttachmentFolder_ && mAttachmentFolder_->isValid() ? mAttachmentFolder_->path() : QString();
}

void BKController::removeAttachmentFolder()
{
    if (mAttachmentFolder_) {
        if (mAttachmentFolder_->path() == folderToRemoveAtExit) {
            folderToRemoveAtExit.clear();
            BKMailer::setFolderRemovedAtQuit(QString());
        }
        mAttachmentFolder_->remove();
    }
    mAttachmentFolder_.reset();
}

void BKController::setUserDefaultValues()
{
    BKUserDefaults& defaults = BKUserDefaults::standardUserDefaults();
    if (!defaults.boolForKey(kIsApplicationFirstLaunch))
        defaults.setObject(true, kIsApplicationFirstLaunch);
    if (!defaults.hasKey(kEventLoggerDatabaseLocation))
        defaults.setObject(QDir::homePath() + QStringLiteral("/Documents/Ostrevin/"), kEventLoggerDatabaseLocation);
    defaults.synchronize();
}

bool BKController::applicationDidFinishLaunching()
{
    if (startUpSession() != kOTVStatusOK || mTerminationRequested_)
        return false;

    if (store_.isVaultLoaded() && store_.mCurrentUser()) {
        const QRectF frame = store_.mCurrentUser()->mWindowPosition();
        if (frame.isValid())
            mMainWindow_->setGeometry(frame.toRect());
    }
    mShouldCreateDatabase_ = true;
    updateApplicationViews();
    // The tenth failed unlock still stands: the lock's Quit is all there is, and the vault
    // never shows.
    if (hasNoUnlockAttemptLeft()) {
        displayLockPanel();
        return false;
    }
    showMainWindow();
    mStartUpFinished_ = true;
    offerFilesForImport();
    store_.checkForMonthChangeInEventLoggerTable();
    startIdleAndClipboardWatch();
    return !mTerminationRequested_;
}

void BKController::showMainWindow()
{
    mMainWindow_->show();
    mMainWindow_->raise();
    mMainWindow_->activateWindow();
}

void BKController::offerFilesForImport()
{
    const QStringList files = std::exchange(mFilesToImport_, {});
    for (const QString& path : files) {
        if (mTerminationRequested_)
            return;
        const QString message =
            QStringLiteral("%1 %2?").arg(BKLocalizedString("Do you want to import the file"), path);
        if (BKRunAlertPanel(BKLocalizedString(kDefaultAlertTitle), message, BKLocalizedString("Yes"),
                            BKLocalizedString("No")) == kBKAlertDefaultReturn)
            importFile(path);
    }
}

// ---------------------------------------------------------------------------------------------
// Observers and the worker gate

void BKController::registerObservers()
{
    // Both are posted while a store call is unwinding; the dialog must run after it.
    QPointer<BKController> self(this);
    BKNotificationCenter& center = BKNotificationCenter::defaultCenter();
    center.addObserver(kDBCommunicationLostNotification, this, [self](const BKNotification&) {
        if (self)
            QMetaObject::invokeMethod(self, [self] { if (self) self->dbCommunicationError(); }, Qt::QueuedConnection);
    });
    center.addObserver(kDBUserDeletedNotification, this, [self](const BKNotification&) {
        if (self)
            QMetaObject::invokeMethod(self, [self] { if (self) self->dbUserDeletedError(); }, Qt::QueuedConnection);
    });
    // The details pane's attachment button, on the main thread.
    center.addObserver(kAddExtractAttachmentMenuNotification, this, [self](const BKNotification& notification) {
        if (self)
            self->addExtractAttachmentMenu(notification.object.value<QObject*>());
    });
    center.addObserver(kPreferenceChangedNotification, this, [self](const BKNotification&) {
        if (self)
            self->optionsDidChange();
    });
}

void BKController::runWithWorkerGate(const std::function<void()>& work)
{
    ++mStoreWorkers_;
    work();
    --mStoreWorkers_;
}

void BKController::runStoreWorkerAndWait(std::function<void()> work, std::function<void()> atThreadEnd)
{
    runStoreWorker(
        std::move(work), [this](const std::function<bool()>& done) { displayLoadingProgress(done); },
        std::move(atThreadEnd));
}

void BKController::runStoreWorkerBehindPanel(std::function<void()> work, std::function<void()> atThreadEnd)
{
    runStoreWorker(std::move(work), &BKRunModalUntil, std::move(atThreadEnd));
}

void BKController::runStoreWorker(std::function<void()> work,
                                  const std::function<void(const std::function<bool()>& done)>& wait,
                                  std::function<void()> atThreadEnd)
{
    auto finished = std::make_shared<std::atomic<bool>>(false);
    runWithWorkerGate([&] {
        BKDetachNewThread(std::move(work), [finished, atThreadEnd = std::move(atThreadEnd)] {
            if (atThreadEnd)
                atThreadEnd();
            OTVDataBase::endDatabaseThread();
            finished->store(true);
        });
        wait([finished] { return finished->load(); });
    });
}

QString BKController::getSelectedTypeUID() const
{
    return kAllCategoriesUID;
}

QTimer* BKController::createStoreTimer(int intervalMs, std::function<void()> tick)
{
    auto* timer = new QTimer(this);
    timer->setInterval(intervalMs);
    connect(timer, &QTimer::timeout, this, [this, tick = std::move(tick)] {
        if (!isStoreWorkerRunning())
            tick();
    });
    return timer;
}

// ---------------------------------------------------------------------------------------------
// Termination

void BKController::terminate()
{
    // A quit while locked ends the lock's run as its Quit does.
    if (isLocked())
        endLockedSession();
    if (mTerminationRequested_)
        return;
    mTerminationRequested_ = true;
    // Also on a quit from the lock: a secret copied before must not outlive the session.
    installClearClipBoardTimer(true);
    disconnect(mClipboardWatch_);
    // Leave every modal dialog first; the quit itself runs once control is back in the loop.
    for (QDialog* dialog : {static_cast<QDialog*>(mConnectionDialog_.data()),
                            static_cast<QDialog*>(mFirstMasterPasswordDialog_.data())}) {
        if (dialog && dialog->isVisible())
            dialog->done(kBKModalAbort);
    }
    if (qApp) {
        qApp->installEventFilter(new CloseAcceptingFilter(this));
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    }
}

void BKController::applicationWillTerminate()
{
    if (mTerminated_)
        return;
    mTerminated_ = true;
    // A worker still inside the connector must end before the application object goes; it may
    // call back meanwhile.
    BKRunModalUntil([this] { return !isStoreWorkerRunning(); });
    // Decrypted attachments never outlive the session, whatever the way out.
    removeAttachmentFolder();
    if (!mIsConnectionCancelled_)
        saveUserLayoutAndPreferences();
}

void BKController::saveUserLayoutAndPreferences()
{
    // Before the main window showed the user's session, saving would only overwrite his
    // stored preferences with defaults.
    if (!mStartUpFinished_ || !store_.isVaultLoaded())
        return;
    const std::shared_ptr<OTVUser> user = store_.getCurrentUser();
    if (!user)
        return;
    saveApplicationViewsLayout();
    if (store_.groupsForEditing().isEmpty())
        user->setMCurrentGroup(kAllCategoriesUID);
    user->setMCurrentType(kAllCategoriesUID);
    user->setMWindowPosition(QRectF(mMainWindow_->normalGeometry()));
    store_.saveLastViewForUser(*user);
    store_.saveCurrentGroupForUser(*user);
    store_.saveToggleInfoForUser(*user);
    int status = kOTVStatusOK;
    store_.saveBasicPreferencesForUser(*user, &status);
    if (status != kOTVStatusOK)
        qWarning() << "the preferences could not be saved at quit, status" << status;
}
