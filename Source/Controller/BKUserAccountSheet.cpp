#include "BKUserAccountSheet.h"

#include "AccountMailSender.h"
#include "BKCheckListModel.h"
#include "BKDialogButtons.h"
#include "Model/BKGroup.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Customization/BKPermissionGrid.h"
#include "Model/BKPasswordPolicyController.h"
#include "Model/OTVAccountName.h"
#include "Model/OTVPermissionWords.h"
#include "Model/OTVUser_Admin.h"
#include "Platform/BKApplicationServices.h"
#include "Platform/BKLocalization.h"
#include "Platform/BKUserDefaults.h"

#include <QCheckBox>
#include <QSignalBlocker>
#include <QDialogButtonBox>
#include <QComboBox>
#include <QHeaderView>
#include <QTableView>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const quint16 kFullWords[4] = {kFullGroupRights, kFullTypeRights, kFullRecordRights, kFullDataRights};

QLineEdit* field(int maxLength, const char* objectName, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setMaxLength(maxLength);
    edit->setObjectName(QString::fromLatin1(objectName));
    return edit;
}

} // namespace

BKUserAccountSheet::BKUserAccountSheet(OTVUserFormContext context, const OTVDataBase& store, QWidget* parent)
    : QDialog(parent), context_(std::move(context)), store_(store)
{
    setObjectName(QStringLiteral("UserAccountSheet"));
    setWindowTitle(BKLocalizedString("User Account"));
    tabs_ = new QTabWidget(this);

    auto* account = new QWidget;
    auto* form = new QFormLayout(account);
    nameField_ = field(kMaxUserNameLength, "userNameField", account);
    descriptionField_ = field(kMaxAccountDescriptionLength, "descriptionField", account);
    passwordField_ = field(kMaxAccountPasswordLength + 1, "passwordField", account);
    confirmationField_ = field(kMaxAccountPasswordLength + 1, "confirmationField", account);
    fullNameField_ = field(kMaxAccountFullNameLength, "fullNameField", account);
    emailField_ = field(kMaxAccountEmailLength, "emailField", account);
    phoneField_ = field(kMaxAccountPhoneLength, "phoneField", account);
    auto* generate = new QPushButton(BKLocalizedString("Generate"), account);
    generate->setObjectName(QStringLiteral("generatePasswordButton"));
    connect(generate, &QPushButton::clicked, this, &BKUserAccountSheet::generatePassword);
    form->addRow(BKLocalizedString("User Name:"), nameField_);
    form->addRow(BKLocalizedString("Description:"), descriptionField_);
    form->addRow(BKLocalizedString("Password:"), passwordField_);
    form->addRow(BKLocalizedString("Confirm Password:"), confirmationField_);
    form->addRow(QString(), generate);
    form->addRow(BKLocalizedString("Full Name:"), fullNameField_);
    form->addRow(BKLocalizedString("E-mail:"), emailField_);
    form->addRow(BKLocalizedString("Phone:"), phoneField_);
    disabledBox_ = new QCheckBox(BKLocalizedString("Account is disabled"), account);
    notAllowedBox_ = new QCheckBox(BKLocalizedString("User may NOT change password"), account);
    form->addRow(QString(), disabledBox_);
    form->addRow(QString(), notAllowedBox_);
    sendMailBox_ = new QCheckBox(BKLocalizedString("Send the account details by e-mail"), account);
    sendMailBox_->setObjectName(QStringLiteral("mSendEmailToUserButton"));
    form->addRow(QString(), sendMailBox_);
    connect(passwordField_, &QLineEdit::textChanged, this, &BKUserAccountSheet::updateSendMailBox);
    tabs_->addTab(account, BKLocalizedString("Account"));

    auto* permissions = new QWidget;
    auto* column = new QVBoxLayout(permissions);
    const QStringList addEditDelete = {BKLocalizedString("Add"), BKLocalizedString("Edit"), BKLocalizedString("Delete")};
    const char* const titles[4] = {"Groups", "Types", "Records", "Data"};
    for (int i = 0; i < 4; ++i) {
        const bool data = i == 3;
        const QStringList labels =
            data ? QStringList{BKLocalizedString("Copy"), BKLocalizedString("Print"), BKLocalizedString("Export"),
                               BKLocalizedString("Import"), BKLocalizedString("Backup"), BKLocalizedString("Restore")}
                 : addEditDelete;
        grids_[i] = new BKPermissionGrid(data ? 2 : 1, 3, labels);
        connect(grids_[i], &BKPermissionGrid::cellClicked, this, [this] { selectAllBox_->setChecked(false); });
        auto* box = new QGroupBox(BKLocalizedString(titles[i]), permissions);
        (new QVBoxLayout(box))->addWidget(grids_[i]);
        column->addWidget(box);
    }
    selectAllBox_ = new QCheckBox(BKLocalizedString("Select All"), permissions);
    connect(selectAllBox_, &QCheckBox::clicked, this, &BKUserAccountSheet::selectAllPermissions);
    column->addWidget(selectAllBox_);
    groupsPopup_ = new QComboBox(permissions);
    groupsPopup_->setObjectName(QStringLiteral("UserGroupPopUp"));
    connect(groupsPopup_, &QComboBox::activated, this, [this](int index) {
        if (groupsPopup_->itemText(index) == kAddMoreGroups)
            editUserGroup();
    });
    auto* groupsRow = new QFormLayout;
    groupsRow->addRow(BKLocalizedString("Groups:"), groupsPopup_);
    column->addLayout(groupsRow);
    tabs_->addTab(permissions, BKLocalizedString("Permissions"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(BKMakeOkCancelButtons(this, [this] { accountOK(); }, [this] { reject(); }));
}

void BKUserAccountSheet::fill(const OTVUser_Admin& user, OTVUserFormMode mode, const quint16 newAccountWords[4])
{
    mode_ = mode;
    originalName_ = user.mUsername();
    tabs_->setCurrentIndex(0);
    // Every opening starts at the name, wherever the last one left the focus.
    nameField_->setFocus();
    const bool editing = mode == OTVUserFormMode::Edit;
    const QString name =
        mode == OTVUserFormMode::Duplicate ? user.mUsername() + QStringLiteral("copy") : user.mUsername();
    // The limit holds for typing; an offered name over it stays whole, for the OK check to name.
    nameField_->setMaxLength(std::max<int>(kMaxUserNameLength, int(name.length())));
    nameField_->setText(name);
    descriptionField_->setText(user.mDescription());
    // Typed in the clear for a new account (the administrator hands it on); hidden when editing.
    for (QLineEdit* edit : {passwordField_, confirmationField_}) {
        edit->clear();
        edit->setEchoMode(editing ? QLineEdit::Password : QLineEdit::Normal);
    }
    fullNameField_->setText(user.mFullName());
    emailField_->setText(user.mEmail());
    // The address the details were mailed to stays as it was.
    emailField_->setReadOnly(editing);
    phoneField_->setText(user.mPhoneNo());
    disabledBox_->setChecked(user.mIsAccountDisabled());
    notAllowedBox_->setChecked(user.mIsNotAllowedToChangePassword());
    sendMailBox_->setEnabled(false);
    updateSendMailBox();
    const quint16 userWords[4] = {user.mGroupPermissionsBit(), user.mTypePermissionsBit(),
                                  user.mRecordPermissionsBit(), user.mDataPermissionsBit()};
    selectedGroups_ = user.mUsersGroupArray();
    fillGroupsPopup();
    const quint16* words = mode == OTVUserFormMode::New ? newAccountWords : userWords;
    for (int i = 0; i < 4; ++i)
        grids_[i]->setWord(words[i]);
    updateSelectAll();
}

void BKUserAccountSheet::updateSendMailBox()
{
    // The mail tells the user a password: only one typed here is known (the server keeps the
    // others, as their hash).
    const bool configured = AccountMailSender::isConfigured();
    const bool typed = !passwordField_->text().isEmpty();
    const bool wasEnabled = sendMailBox_->isEnabled();
    sendMailBox_->setEnabled(configured && typed);
    if (!sendMailBox_->isEnabled())
        sendMailBox_->setChecked(false);
    else if (!wasEnabled)
        sendMailBox_->setChecked(true);
    if (!configured)
        sendMailBox_->setToolTip(
            BKLocalizedString("Account mail is not configured. Set AccountMailEndpoint (the https address of the "
                              "form-to-mail service), AccountMailSender (the sender's mailbox) and "
                              "AccountMailReferer (the page the service expects requests from) in %1.")
                .arg(BKUserDefaults::standardUserDefaults().settingsFilePath()));
    else if (!typed)
        sendMailBox_->setToolTip(BKLocalizedString(
            "The account details are mailed only with a password typed here: the vault keeps no password to send."));
    else
        sendMailBox_->setToolTip(QString());
}

void BKUserAccountSheet::updateSelectAll()
{
    bool all = true;
    for (int i = 0; i < 4; ++i)
        all = all && grids_[i]->word() == kFullWords[i];
    selectAllBox_->setChecked(all);
}

void BKUserAccountSheet::selectAllPermissions(bool on)
{
    selectAllBox_->setChecked(on);
    for (int i = 0; i < 4; ++i)
        grids_[i]->setWord(on ? kFullWords[i] : 0);
}

void BKUserAccountSheet::generatePassword()
{
    const QString password = BKPasswordPolicyController::sharedBKPasswordPolicyController().generatePassword();
    passwordField_->setText(password);
    confirmationField_->setText(password);
}

std::shared_ptr<OTVUser_Admin> BKUserAccountSheet::accountFromSheet(const OTVUser_Admin& user) const
{
    auto account = std::make_shared<OTVUser_Admin>(user);
    account->setMUsername(OTVTrimmedUserName(nameField_->text()));
    account->setMDescription(descriptionField_->text());
    account->setMPassword(passwordField_->text());
    account->setMFullName(fullNameField_->text());
    account->setMEmail(emailField_->text());
    account->setMPhoneNo(phoneField_->text());
    account->setMIsAccountDisabled(disabledBox_->isChecked());
    account->setMIsNotAllowedToChangePassword(notAllowedBox_->isChecked());
    account->setMGroupPermissionsBit(grids_[0]->word());
    account->setMTypePermissionsBit(grids_[1]->word());
    account->setMRecordPermissionsBit(grids_[2]->word());
    account->setMDataPermissionsBit(grids_[3]->word());
    account->setMUsersGroupArray(selectedGroups_);
    return account;
}

void BKUserAccountSheet::forgetPassword()
{
    // The send box keeps its state for the mail that may follow.
    const QSignalBlocker blocker(passwordField_);
    passwordField_->clear();
    confirmationField_->clear();
}

void BKUserAccountSheet::accountOK()
{
    const OTVUserFormInput input{mode_,
                                 nameField_->text(),
                                 passwordField_->text(),
                                 confirmationField_->text(),
                                 emailField_->text(),
                                 descriptionField_->text(),
                                 originalName_};
    if (const auto problem = OTVFirstUserFormProblem(input, context_)) {
        BKRunAlertPanel(BKLocalizedString(problem->title), BKLocalizedString(problem->message),
                        BKLocalizedString("OK"));
        return;
    }
    // What the server's account columns cannot hold is named before the sheet closes.
    const OTVAccountDetail refused = OTVFirstUnstorableAccountDetail(*accountFromSheet(OTVUser_Admin()));
    if (refused != OTVAccountDetail::None) {
        tabs_->setCurrentIndex(0);
        const auto [label, edit] = detailRow(refused);
        BKShowUnstorableValue(BKLocalizedString(label), edit);
        return;
    }
    accept();
}

std::pair<const char*, QLineEdit*> BKUserAccountSheet::detailRow(OTVAccountDetail detail) const
{
    switch (detail) {
    case OTVAccountDetail::Name:
        return {"User Name", nameField_};
    case OTVAccountDetail::Description:
        return {"Description", descriptionField_};
    case OTVAccountDetail::FullName:
        return {"Full Name", fullNameField_};
    case OTVAccountDetail::Email:
        return {"E-mail", emailField_};
    case OTVAccountDetail::Phone:
    case OTVAccountDetail::None:
        break;
    }
    return {"Phone", phoneField_};
}

void BKUserAccountSheet::reject()
{
    QDialog::reject();
}

void BKUserAccountSheet::fillGroupsPopup()
{
    groupsPopup_->clear();
    for (const std::shared_ptr<BKGroup>& group : store_.groups(false)) {
        if (selectedGroups_.contains(group->mGroupUID()))
            groupsPopup_->addItem(group->mGroupName(), group->mGroupUID());
    }
    groupsPopup_->addItem(BKLocalizedString(kAddMoreGroups));
    groupsPopup_->setCurrentIndex(0);
}

void BKUserAccountSheet::editUserGroup()
{
    QDialog sheet(this);
    sheet.setObjectName(QStringLiteral("GroupMembershipSheet"));
    sheet.setWindowTitle(BKLocalizedString("Groups"));
    BKCheckListModel model({BKLocalizedString("Permissions"), BKLocalizedString("Name")});
    QList<BKCheckListModel::Row> rows;
    for (const std::shared_ptr<BKGroup>& group : store_.groups(false))
        rows.append({group->mGroupUID(), {group->mGroupName()}});
    model.setRows(rows);
    QStringList working = selectedGroups_;
    model.setChecked(working);
    model.setToggled([&](const QString& id, bool checked) {
        working.removeAll(id);
        if (checked)
            working.append(id);
        model.setChecked(working);
    });
    auto* table = new QTableView(&sheet);
    table->setModel(&model);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    auto* layout = new QVBoxLayout(&sheet);
    layout->addWidget(table);
    layout->addWidget(BKMakeOkCancelButtons(&sheet, [&] { sheet.accept(); }, [&] { sheet.reject(); }));
    groupSheet_ = &sheet;
    groupModel_ = &model;
    if (sheet.exec() == QDialog::Accepted)
        selectedGroups_ = working;
    groupSheet_ = nullptr;
    groupModel_ = nullptr;
    fillGroupsPopup();
}
