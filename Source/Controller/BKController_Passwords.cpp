#include "BKController.h"

#include "BKDialogButtons.h"
#include "BKMenuTable.h"
#include "BKPasswordSheets.h"

#include "Model/BKPasswordPolicyController.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVUser.h"
#include "Model/PasswordStrength.h"
#include "Platform/BKLocalization.h"

#include <QLabel>
#include <QMainWindow>
#include <QLineEdit>
#include <QTimer>

namespace {

const char kPasswordMismatchTitle[] = " Password Mismatch!";
const char kOldPasswordIncorrect[] = "Your old password is incorrect.";
const char kPolicyMismatch[] = "Your new password doesn't match with password policy.";
const char kConfirmMismatch[] = "Your new password doesn't match the confirm password.";

bool conformsToPolicy(const QString& password)
{
    return password.isEmpty()
           || BKPasswordPolicyController::sharedBKPasswordPolicyController().stringConformsPassowrdPolicy(password);
}

void alert(const char* title, const char* message)
{
    BKRunAlertPanel(BKLocalizedString(title), BKLocalizedString(message));
}

} // namespace

BKUserPasswordSheet* BKController::userPasswordSheet()
{
    if (!mUserPasswordSheet_) {
        mUserPasswordSheet_ = new BKUserPasswordSheet(mainWindow());
        connect(mUserPasswordSheet_, &BKUserPasswordSheet::okRequested, this, &BKController::passwordPanelOK);
    }
    return mUserPasswordSheet_;
}

void BKController::setPassword()
{
    const std::shared_ptr<OTVUser> user = store_.getCurrentUser();
    if (!user)
        return;
    BKUserPasswordSheet* sheet = userPasswordSheet();
    sheet->prepare(store_.isPasswordEnableForUser(user.get(), nullptr));
    BKCentreOverParent(sheet);
    sheet->exec();
}

// Each failed check leaves the sheet open; the password is stored only when all passed.
void BKController::passwordPanelOK()
{
    BKUserPasswordSheet* sheet = userPasswordSheet();
    const std::shared_ptr<OTVUser> user = store_.getCurrentUser();
    if (!user)
        return;
    const QString fresh = sheet->newField()->text();
    if (store_.isPasswordEnableForUser(user.get(), nullptr)) {
        int status = kOTVStatusOK;
        if (!store_.validatePasswordForUser(user.get(), sheet->oldField()->text(), &status)) {
            alert("",
                  status == kOTVStatusOK ? kOldPasswordIncorrect : "Connection to the server has been lost.");
            return;
        }
    }
    if (!conformsToPolicy(fresh))
        return alert("", kPolicyMismatch);
    if (fresh != sheet->confirmField()->text())
        return alert("", kConfirmMismatch);
    if (!PasswordStrength::isValidPassword(fresh))
        return alert("", "Password must be atleast 2 characters and have atleast 2 unique characters.");

    const QString hint = sheet->hintField()->text();
    const QString answer = sheet->answerField()->text();
    int status = kOTVStatusOK;
    // An empty password removes the lock password; a question's answer would have nothing to
    // keep it, so the hint is kept as free text.
    if (hint.isEmpty() || answer.isEmpty() || sheet->questionNumber() < 1 || fresh.isEmpty()) {
        status = store_.setPassword(fresh, hint);
    } else {
        OTVDataBase::PasswordHint withQuestion;
        withQuestion.questionNumber = sheet->questionNumber();
        withQuestion.answer = answer;
        withQuestion.hint = hint;
        status = store_.setPassword(fresh, withQuestion);
    }
    if (status != kOTVStatusOK) {
        showStoreStatusAlert(status);
        return;
    }
    if (!hint.isEmpty())
        store_.addLogEvent(QStringLiteral("Set Password"));
    sheet->done(kBKModalStop);
}

BKMasterPasswordPanel* BKController::masterPasswordPanel()
{
    if (!mMasterPasswordPanel_) {
        mMasterPasswordPanel_ = new BKMasterPasswordPanel(mainWindow());
        connect(mMasterPasswordPanel_, &BKMasterPasswordPanel::okRequested, this, &BKController::masterPasswordPanelOK);
    }
    return mMasterPasswordPanel_;
}

void BKController::setMasterPassword()
{
    // The vault's key is the administrators' (the server lets no other account write it).
    if (!isCommandPermitted(kBKMasterPasswordMenuTag))
        return;
    // No stored password reads as none: the set panel, whose store call keeps a password that
    // another client stored meanwhile.
    mStoredMasterPassword_ = store_.checkForMasterPasswordMatch().value_or(QString());
    BKMasterPasswordPanel* panel = masterPasswordPanel();
    const bool change = !mStoredMasterPassword_.isEmpty();
    panel->prepare(change);
    BKCentreOverParent(panel);
    const int result = panel->exec();
    const QString fresh = panel->newField()->text();
    panel->newField()->clear();
    panel->confirmField()->clear();
    panel->oldField()->clear();
    mStoredMasterPassword_.clear();
    if (result != kBKModalStop || fresh.isEmpty())
        return;

    // The vault is rewritten under the new password in one transaction on a worker; the
    // session keeps the old one unless it committed.
    int status = kOTVStatusOK;
    QTimer::singleShot(0, this, [this] {
        if (mLoadingPanel_)
            if (auto* label = mLoadingPanel_->findChild<QLabel*>())
                label->setText(BKLocalizedString("Reencrypting Database..."));
    });
    runStoreWorkerAndWait([this, &status, change, fresh] {
        status = change ? store_.reEncyptAllDatabaseInformation(fresh) : store_.setMasterPassword(fresh);
    });
    if (mLoadingPanel_)
        if (auto* label = mLoadingPanel_->findChild<QLabel*>())
            label->setText(BKLocalizedString("Loading Data..."));
    showStoreStatusAlert(status);
}

void BKController::masterPasswordPanelOK()
{
    BKMasterPasswordPanel* panel = masterPasswordPanel();
    const QString fresh = panel->newField()->text();
    const bool change = panel->isChangePanel();
    if (change && panel->oldField()->text() != mStoredMasterPassword_)
        return alert(kPasswordMismatchTitle, kOldPasswordIncorrect);
    if (change && fresh.isEmpty())
        return alert("", "Master password can not be empty.");
    if (!conformsToPolicy(fresh))
        return alert("", kPolicyMismatch);
    if (fresh != panel->confirmField()->text())
        return alert(kPasswordMismatchTitle, kConfirmMismatch);
    panel->done(kBKModalStop);
}
