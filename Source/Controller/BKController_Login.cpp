#include "BKController.h"

#include "BKConnectionDialog.h"
#include "BKFirstMasterPasswordDialog.h"

#include "Model/BKPasswordPolicyController.h"
#include "Model/Ciphers/CPPAddOn.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Platform/BKLocalization.h"
#include "Platform/BKUserDefaults.h"
#include "Platform/BKWorker.h"

#include <QCheckBox>
#include <QDialog>
#include <QGuiApplication>
#include <QHostAddress>
#include <QHostInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

namespace {

constexpr int kMinimumMasterPasswordLength = 4;


void centre(QWidget* window)
{
    window->adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Start-up session: dialog, master password of a new vault, login step and first load

int BKController::startUpSession()
{
    mInStartUpSession_ = true;
    const int status = runStartUpSession();
    mInStartUpSession_ = false;
    return status;
}

int BKController::runStartUpSession()
{
    setUserDefaultValues();
    fillConnectionDialog();
    for (;;) {
        if (runConnectionDialog() != kBKModalStop || mTerminationRequested_)
            return kBKModalAbort;

        int status = kOTVStatusOK;
        const bool newVault = store_.isVirginLaunch(&status);
        if (status != kOTVStatusOK) {
            if (OTVIsLostConnectionStatus(status))
                showAlertPanelWithTitle({}, "Connection to the server has been lost.Please connect again.", "OK");
            else
                showConnectionAlert(status);
            continue;
        }
        if (newVault) {
            runFirstMasterPasswordPanel();
            if (mTerminationRequested_)
                return kBKModalAbort;
        }
        status = loadDataBase(newVault);
        if (status == kOTVStatusOK) {
            BKPasswordPolicyController::sharedBKPasswordPolicyController().refreshPasswordPolicyFrom(store_);
            return status;
        }
        if (mTerminationRequested_)
            return status;
        // The user was told; another attempt starts from the dialog.
    }
}

void BKController::fillConnectionDialog()
{
    BKUserDefaults& defaults = BKUserDefaults::standardUserDefaults();
    auto pick = [&defaults](const QString& given, const QString& key) {
        return given.isEmpty() ? defaults.stringForKey(key) : given;
    };
    mConnectionDialog_->serverField()->setText(pick(mDefaultServer_, kServerHostName));
    mConnectionDialog_->portField()->setText(pick(mDefaultPort_, kPortNumber));
    QString user = pick(mDefaultUser_, kUsername);
    mConnectionDialog_->userField()->setText(user.isEmpty() ? QStringLiteral("root") : user);
    // The master password is never kept between sessions.
    mConnectionDialog_->masterPasswordField()->clear();
    mConnectionDialog_->setUserNameEditable(true);
    mConnectionDialog_->setServerEditable(true);
}

int BKController::runConnectionDialog()
{
    if (mTerminationRequested_)
        return kBKModalAbort;
    BKConnectionDialog* dialog = mConnectionDialog_;
    dialog->setConnecting(false);
    centre(dialog);
    dialog->raise();
    dialog->activateWindow();
    if (mConnectionDialog_->serverField()->text().isEmpty()) {
        dialog->serverField()->setFocus();
    } else {
        // After a refused attempt the password is typed again: its old text goes at the first key.
        dialog->passwordField()->setFocus();
        dialog->passwordField()->selectAll();
    }
    const int result = dialog->exec();
    return mTerminationRequested_ ? kBKModalAbort : result;
}

// ---------------------------------------------------------------------------------------------
// Connect

bool BKController::isStringAnEmptySet(const QString& text)
{
    for (const QChar c : text) {
        if (c != QLatin1Char('\t') && c.category() != QChar::Separator_Space)
            return false;
    }
    return true;
}

void BKController::setHostResolver(HostResolver resolver)
{
    mHostResolver_ = std::move(resolver);
}

namespace {

// The address to connect to among those found: an IPv4 one when there is one (the last), else
// a bracketed IPv6 one; a null string when none was found.
QString chooseAddress(const QStringList& addresses)
{
    // The server often listens on IPv4 only, and an IPv6 address needs brackets in the URL.
    QString lastIPv6;
    for (auto it = addresses.crbegin(); it != addresses.crend(); ++it) {
        if (isvalidIPv4Address(*it))
            return *it;
        if (lastIPv6.isNull() && QHostAddress(*it).protocol() == QAbstractSocket::IPv6Protocol)
            lastIPv6 = *it;
    }
    return lastIPv6.isNull() ? QString() : QStringLiteral("[%1]").arg(lastIPv6);
}

QStringList addressTexts(const QHostInfo& info)
{
    QStringList addresses;
    for (const QHostAddress& address : info.addresses())
        addresses.append(address.toString());
    return addresses;
}

} // namespace

QString BKController::addressForHostName(const QString& hostName) const
{
    return chooseAddress(mHostResolver_ ? mHostResolver_(hostName) : addressTexts(QHostInfo::fromName(hostName)));
}

void BKController::lookUpHostName(const QString& hostName, std::function<void(const QString& address)> found)
{
    if (mHostResolver_) {
        found(addressForHostName(hostName));
        return;
    }
    // The system's resolver may take seconds: the dialog stays live (its spinner turns) meanwhile.
    QHostInfo::lookupHost(hostName, this, [found = std::move(found)](const QHostInfo& info) {
        found(chooseAddress(addressTexts(info)));
    });
}

void BKController::connectToMySqlServer()
{
    BKConnectionDialog* dialog = mConnectionDialog_;
    if (!dialog || mIsConnecting_ || mIsLookingUpHost_)
        return;
    const QString host = dialog->serverField()->text();
    if (isStringAnEmptySet(host)) {
        showAlertPanelWithTitle({}, "Server Host Name cannot be blank.", "OK");
        return;
    }
    if (isvalidIPv4Address(host)) {
        connectToAddress(host);
        return;
    }
    dialog->setConnecting(true);
    mIsLookingUpHost_ = true;
    QPointer<BKController> self(this);
    lookUpHostName(host, [self](const QString& address) {
        if (!self)
            return;
        self->mIsLookingUpHost_ = false;
        if (self->mConnectionDialog_)
            self->mConnectionDialog_->setConnecting(false);
        if (address.isNull()) {
            self->showConnectionAlert(kOTVStatusServerUnreachable);
            return;
        }
        self->connectToAddress(address);
    });
}

bool BKController::isValidPort(const QString& text)
{
    bool number = false;
    const int port = text.trimmed().toInt(&number);
    return number && port >= 1 && port <= 65535;
}

void BKController::connectToAddress(const QString& address)
{
    BKConnectionDialog* dialog = mConnectionDialog_;
    if (!dialog || mTerminationRequested_)
        return;
    const QString host = dialog->serverField()->text();
    const QString user = dialog->userField()->text();
    const QString port = dialog->portField()->text();
    const char* problem = nullptr;
    if (isStringAnEmptySet(user))
        problem = "Username cannot be blank.";
    else if (isStringAnEmptySet(port))
        problem = "Port field cannot be blank.";
    else if (!isValidPort(port))
        problem = "The port must be a number from 1 to 65535.";
    if (problem) {
        showAlertPanelWithTitle({}, problem, "OK");
        return;
    }

    BKUserDefaults& defaults = BKUserDefaults::standardUserDefaults();
    defaults.setObject(host, kServerHostName);
    defaults.setObject(user, kUsername);
    defaults.setObject(port, kPortNumber);
    defaults.synchronize();

    OTVConnectRequest request;
    request.ipAddress = address;
    request.portNumber = port.trimmed();
    request.userName = user;
    request.hostPassword = dialog->passwordField()->text();
    request.masterPassword = dialog->masterPasswordField()->text();
    request.serverAddress = host;

    dialog->setConnecting(true);
    mIsConnecting_ = true;
    ++mStoreWorkers_;
    OTVDataBase* store = &store_;
    BKDetachNewThread([store, request] { store->startConnectionToServer(request); });
}

void BKController::cancelConnection()
{
    if (mIsConnecting_)
        return;   // the attempt's worker reports to the dialog first
    mIsConnectionCancelled_ = true;
    terminate();
}

void BKController::showConnectionAlert(int status)
{
    QString message;
    switch (status) {
    case kOTVStatusMasterPasswordMismatch: message = QStringLiteral("Master Password does not match."); break;
    case kOTVStatusAccountDisabled:
        message = QStringLiteral("Your account has been disabled. Please contact administrator.");
        break;
    case kOTVStatusServerUnreachable: message = QStringLiteral("Invalid server detials."); break;
    case kOTVStatusAccessDenied: message = QStringLiteral("Invalid login credentials."); break;
    case kOTVStatusError100: message = QStringLiteral("Invalid User."); break;
    default: showAlertPanelWithTitle({}, " Connection Failed", "OK"); return;
    }
    showAlertPanelWithTitle("Connection Failed!", message, "OK");
}

// ---------------------------------------------------------------------------------------------
// First master password of a new vault

int BKController::runFirstMasterPasswordPanel()
{
    BKFirstMasterPasswordDialog* panel = mFirstMasterPasswordDialog_;
    panel->clear();
    const QMetaObject::Connection ok =
        connect(panel, &BKFirstMasterPasswordDialog::okRequested, this, &BKController::setMasterPasswordFromPanel);
    const QMetaObject::Connection close = connect(panel, &BKFirstMasterPasswordDialog::closeRequested, this, [this] {
        mIsConnectionCancelled_ = true;   // nothing of the user was read: nothing to save
        terminate();
    });
    centre(panel);
    const int result = panel->exec();
    disconnect(ok);
    disconnect(close);
    return mTerminationRequested_ ? kBKModalAbort : result;
}

void BKController::setMasterPasswordFromPanel()
{
    BKFirstMasterPasswordDialog* panel = mFirstMasterPasswordDialog_;
    const QString password = panel->passwordField()->text();
    const QString title = BKLocalizedString("Ostrevin Darovazivu Alert");
    if (panel->withoutPasswordOption()->isChecked()) {
        if (!password.isEmpty() || !panel->confirmField()->text().isEmpty()) {
            BKRunAlertPanel(title, BKLocalizedString("Either type a master password or go on without one, not both."));
            return;
        }
        // Nothing the vault holds will be enciphered: the user says so once more.
        if (BKRunAlertPanel(title,
                            BKLocalizedString("Without a master password the records are stored unenciphered. Go "
                                              "on without a master password?"),
                            BKLocalizedString("Go On"), BKLocalizedString("Cancel")) == kBKAlertDefaultReturn)
            panel->finish(kBKModalStop);
        return;
    }
    if (password.size() < kMinimumMasterPasswordLength) {
        BKRunAlertPanel(title, BKLocalizedString("Password must be at least 4 characters in length."));
        return;
    }
    if (panel->confirmField()->text() != password) {
        BKRunAlertPanel(title, BKLocalizedString("Your new Master Password doesn't match the confirm password."));
        return;
    }
    const int status = store_.setMasterPassword(password);
    if (status != kOTVStatusOK) {
        // The panel stays: the vault would otherwise start without the password the user chose.
        showStoreStatusAlert(status);
        return;
    }
    panel->finish(kBKModalStop);
}

// ---------------------------------------------------------------------------------------------
// Login step and first load

QString BKController::anonymousAccountsMessage(const QStringList& hosts)
{
    QStringList accounts;
    QStringList drops;
    for (const QString& host : hosts) {
        const QString account = QStringLiteral("''@'%1'").arg(host);
        accounts.append(account);
        drops.append(QStringLiteral("DROP USER %1;").arg(account));
    }
    return BKLocalizedString("The server has anonymous accounts (%1). When a vault user logs in from one of "
                             "their hosts, the server takes the anonymous account instead of the user's, and "
                             "refuses the login. Have them removed as the server's administrator, for example "
                             "with the mariadb client:\n%2")
        .arg(accounts.join(QStringLiteral(", ")), drops.join(QLatin1Char('\n')));
}

int BKController::loginStep()
{
    const QString userName = mConnectionDialog_->userField()->text();
    const QString password = mConnectionDialog_->passwordField()->text();
    bool becomesAdministrator = false;
    int status = kOTVStatusOK;
    QStringList anonymousHosts;
    mIsLoginStepRunning_ = true;
    // Its queries run on a worker behind the loading panel: the interface keeps painting.
    runStoreWorkerAndWait([&] {
        // An administrator's account that is no vault user yet becomes one; when that fails the
        // store has told the user already.
        becomesAdministrator = store_.isAdministratorSession() && !store_.isUserExistsInOstrevin(userName);
        status = store_.initUserDetails(userName, password);
        if (status == kOTVStatusOK)
            anonymousHosts = store_.anonymousAccountHosts();
    });
    mIsLoginStepRunning_ = false;
    if (status == kOTVStatusOK) {
        if (!anonymousHosts.isEmpty())
            BKRunAlertPanel(BKLocalizedString(kDefaultAlertTitle), anonymousAccountsMessage(anonymousHosts),
                            BKLocalizedString("OK"));
        return status;
    }
    if (status == kOTVStatusAccountDisabled || status == kOTVStatusNoSuchUser)
        displayErrCode(status);
    else if (!becomesAdministrator)
        showConnectionAlert(status);
    return status;
}

int BKController::loadDataBase(bool firstLaunch)
{
    int status = loginStep();
    if (status != kOTVStatusOK)
        return status;

    mIsFirstLoadRunning_ = true;
    mFirstLoadFailure_ = kOTVStatusOK;
    runWithWorkerGate([&] {
        store_.startLoadingDataBase(firstLaunch);
        displayLoadingProgress([this] { return store_.isLoadingComplete(); });
    });
    mIsFirstLoadRunning_ = false;
    status = store_.isVaultLoaded() ? kOTVStatusOK : store_.connectionErrorCode();
    // The event-log window starts from the entries the load read; later ones are appended.
    if (status == kOTVStatusOK)
        store_.reloadLogDatabase();
    if (status == kOTVStatusOK || mTerminationRequested_)
        return status;
    if (mFirstLoadFailure_ != kOTVStatusOK)
        status = mFirstLoadFailure_;
    if (status == kOTVStatusOK)
        status = kOTVStatusDatabaseError;
    if (OTVIsLostConnectionStatus(status))
        showAlertPanelWithTitle({}, "Connection to the server has been lost.Please connect again.", "OK");
    else
        BKRunAlertPanel(BKLocalizedString("Reload Failed!"), BKLocalizedString("Data can't be reloaded."),
                        BKLocalizedString("OK"));
    return status;
}

void BKController::displayLoadingProgress(const std::function<bool()>& done)
{
    if (!mLoadingPanel_) {
        auto* panel = new QDialog(mMainWindow_.get(), Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        panel->setWindowTitle(BKLocalizedString("Loading"));
        panel->setWindowModality(Qt::ApplicationModal);
        auto* layout = new QVBoxLayout(panel);
        layout->addWidget(new QLabel(BKLocalizedString("Loading Data..."), panel));
        auto* bar = new QProgressBar(panel);
        bar->setRange(0, 0);
        bar->setTextVisible(false);
        layout->addWidget(bar);
        mLoadingPanel_ = panel;
    }
    centre(mLoadingPanel_);
    mLoadingPanel_->show();
    BKRunModalUntil(done);
    if (mLoadingPanel_)
        mLoadingPanel_->hide();
}

void BKController::displayErrCode(int status)
{
    const QString title = BKLocalizedString(kDefaultAlertTitle);
    switch (status) {
    case kOTVStatusOK:
        return;
    case kOTVStatusAccountDisabled:
    case kOTVStatusNoSuchUser:
        // A deleted account ends the session like a disabled one: nothing it could do would
        // reach the vault.
        BKRunAlertPanel(title,
                        BKLocalizedString(status == kOTVStatusAccountDisabled
                                              ? "Your account has been disabled. Please contact administrator."
                                              : "Your account has been deleted"),
                        BKLocalizedString("Quit"));
        mIsConnectionCancelled_ = true;
        terminate();
        return;
    default:
        BKRunAlertPanel(title, BKLocalizedString("Connection to the server has been lost."), BKLocalizedString("Retry"));
        return;
    }
}
