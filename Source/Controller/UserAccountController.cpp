#include "UserAccountController.h"

#include "BKDialogButtons.h"
#include "BKPasswordPolicySheet.h"
#include "BKUserAccountSheet.h"
#include "BKUserListModel.h"
#include "Model/BKGroup.h"
#include "Model/BKPasswordPolicyController.h"
#include "Model/OTVPermissionWords.h"
#include "Model/OTVStatusMessages.h"
#include "Model/OTVUser_Admin.h"
#include "Model/Database_Engine/OTVStoreStatus.h"
#include "Platform/BKApplicationServices.h"
#include "Platform/BKLocalization.h"
#include "Platform/BKUserDefaults.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

// The keys are spelt as earlier versions stored them.
const QString kPermissionStoredKey = QStringLiteral("Permisson Stored");
const QString kWordKeys[4] = {QStringLiteral("Group Permisson"), QStringLiteral("Type Permisson"),
                              QStringLiteral("Record Permisson"), QStringLiteral("Data Permisson")};

const QString kNoUserSelected = QStringLiteral("No User is selected");

void alert(const QString& message, const QString& title = kDefaultAlertTitle)
{
    BKRunAlertPanel(BKLocalizedString(title), BKLocalizedString(message), BKLocalizedString("OK"));
}

// The store's refusals in the window's own words, with the server's where it gave some; the
// rest as every store write tells them.
void showAccountStatus(int status, bool adding, const QString& serverMessage)
{
    // A lost connection is told by the reconnection dialog, not by a second alert.
    if (status == kOTVStatusOK || OTVIsLostConnectionStatus(status))
        return;
    if (status == kOTVStatusNothingWritten) {
        alert(QStringLiteral("Operation failed. Please reload the database first."));
    } else if (adding && status != kOTVStatusValueTooLong) {
        const QString message = BKLocalizedString("Unable to create user. Try again later.");
        BKRunAlertPanel(BKLocalizedString("Ostrevin Darovazivu"),
                        serverMessage.isEmpty() ? message : message + QLatin1Char('\n') + serverMessage,
                        BKLocalizedString("OK"));
    } else {
        OTVShowStatusAlert(status, serverMessage);
    }
}

} // namespace

UserAccountController::UserAccountController(OTVDataBase& store, QWidget* parent)
    : QDialog(parent), store_(store)
{
    setObjectName(QStringLiteral("UserManagementController"));
    setWindowTitle(BKLocalizedString("Users"));
    searchField_ = new QLineEdit(this);
    searchField_->setObjectName(QStringLiteral("userSearchField"));
    searchField_->setClearButtonEnabled(true);
    searchField_->setPlaceholderText(BKLocalizedString("Search"));
    connect(searchField_, &QLineEdit::textChanged, this, &UserAccountController::reloadTable);

    model_ = new BKUserListModel(store_, this);
    table_ = new QTableView(this);
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setColumnWidth(0, 160);
    table_->setColumnWidth(1, 240);
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &UserAccountController::updateButtons);
    connect(table_, &QTableView::doubleClicked, this, [this] { editUser(); });

    auto* row = new QHBoxLayout;
    auto* add = new QPushButton(BKLocalizedString("Add"), this);
    add->setObjectName(QStringLiteral("addUserButton"));
    connect(add, &QPushButton::clicked, this, &UserAccountController::newUser);
    row->addWidget(add);
    const std::pair<const char*, void (UserAccountController::*)()> actions[3] = {
        {"Delete", &UserAccountController::deleteUser},
        {"Edit", &UserAccountController::editUser},
        {"Duplicate", &UserAccountController::duplicateUser}};
    for (int i = 0; i < 3; ++i) {
        buttons_[i] = new QPushButton(BKLocalizedString(actions[i].first), this);
        buttons_[i]->setObjectName(QStringLiteral("userActionButton%1").arg(i + 1));
        connect(buttons_[i], &QPushButton::clicked, this, actions[i].second);
        row->addWidget(buttons_[i]);
    }
    row->addStretch();

    auto* layout = new QVBoxLayout(this);
    setupToolbar();
    layout->setMenuBar(toolbar_);
    layout->addWidget(table_);
    layout->addLayout(row);
    resize(620, 420);

    // A name the server could not be asked about counts as taken, unless the connection is gone:
    // the store then refuses the account itself, and the reconnection dialog tells why, instead
    // of an alert that the name is in use.
    auto taken = [this](bool answer) { return answer && !store_.hasLostConnection(); };
    OTVUserFormContext context{[this, taken](const QString& name) { return taken(store_.isUserExistsInOstrevin(name)); },
                               [this, taken](const QString& name) { return taken(store_.isServerAccountName(name)); },
                               [](const QString& password) {
                                   return BKPasswordPolicyController::sharedBKPasswordPolicyController()
                                       .stringConformsPassowrdPolicy(password);
                               }};
    sheet_ = new BKUserAccountSheet(std::move(context), store_, this);
    reloadTable();
}

UserAccountController::~UserAccountController() = default;

QPushButton* UserAccountController::actionButton(int tag) const
{
    return tag >= 1 && tag <= 3 ? buttons_[tag - 1] : nullptr;
}

void UserAccountController::reloadTable()
{
    model_->reload(searchField_->text());
    updateButtons();
}

QList<int> UserAccountController::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::shared_ptr<OTVUser_Admin> UserAccountController::selectedUser() const
{
    const QList<int> rows = selectedRows();
    if (rows.size() != 1) {
        alert(kNoUserSelected);
        return nullptr;
    }
    return model_->userAt(rows.first());
}

void UserAccountController::updateButtons()
{
    const qsizetype count = selectedRows().size();
    buttons_[kDeleteTag - 1]->setEnabled(count > 0);
    buttons_[kEditTag - 1]->setEnabled(count == 1);
    buttons_[kDuplicateTag - 1]->setEnabled(count == 1);
}

void UserAccountController::newAccountWords(quint16 words[4])
{
    BKUserDefaults& defaults = BKUserDefaults::standardUserDefaults();
    const bool stored = defaults.boolForKey(kPermissionStoredKey);
    const quint16 full[4] = {kFullGroupRights, kFullTypeRights, kFullRecordRights, kFullDataRights};
    for (int i = 0; i < 4; ++i)
        words[i] = stored ? quint16(defaults.integerForKey(kWordKeys[i]) & full[i]) : full[i];
}

void UserAccountController::storeUserPermissionsToDefaults(const OTVUser_Admin& user)
{
    BKUserDefaults& defaults = BKUserDefaults::standardUserDefaults();
    defaults.setObject(true, kPermissionStoredKey);
    const quint16 words[4] = {user.mGroupPermissionsBit(), user.mTypePermissionsBit(), user.mRecordPermissionsBit(),
                              user.mDataPermissionsBit()};
    for (int i = 0; i < 4; ++i)
        defaults.setObject(int(words[i]), kWordKeys[i]);
    defaults.synchronize();
}

void UserAccountController::runSheet(const OTVUser_Admin& user, int mode, const AccountWriter& write)
{
    quint16 words[4];
    newAccountWords(words);
    sheet_->fill(user, OTVUserFormMode(mode), words);
    // A refusal is told and the sheet comes back as it was: nothing typed is lost.
    BKCentreOverParent(sheet_);
    while (sheet_->exec() == QDialog::Accepted) {
        const int status = write(sheet_->accountFromSheet(user));
        showAccountStatus(status, OTVUserFormMode(mode) != OTVUserFormMode::Edit, store_.lastServerMessage());
        if (status == kOTVStatusOK || OTVIsLostConnectionStatus(status))
            break;
        BKCentreOverParent(sheet_);
    }
    sheet_->forgetPassword();
}

int UserAccountController::storeNewAccount(const std::shared_ptr<OTVUser_Admin>& account)
{
    // The store keeps no password on the account once the server has it: the mail's copy.
    const QString typedPassword = account->mPassword();
    const int status = store_.addUser(account);
    if (status == kOTVStatusOK) {
        // The groups list their new member only once the account is stored, under its own ID.
        updateGroupMembers(account->mUserID(), account->mUsersGroupArray());
        mailAccountDetails(*account, typedPassword);
        storeUserPermissionsToDefaults(*account);
    }
    return status;
}

void UserAccountController::mailAccountDetails(const OTVUser_Admin& account, const QString& typedPassword)
{
    if (sheet_->sendMailBox()->isChecked() && !typedPassword.isEmpty())
        sendEmailToUser(account, typedPassword);
}

void UserAccountController::newUser()
{
    const std::shared_ptr<OTVUser_Admin> user = OTVUser_Admin::createUser();
    runSheet(*user, int(OTVUserFormMode::New), [this](const auto& account) { return storeNewAccount(account); });
    reloadTable();
}

void UserAccountController::duplicateUser()
{
    const std::shared_ptr<OTVUser_Admin> original = selectedUser();
    if (!original)
        return;
    // The copy is an account of its own: a new ID, and no password until one is typed.
    const std::shared_ptr<OTVUser_Admin> copy = OTVUser_Admin::createUser();
    const QString newID = copy->mUserID();
    *copy = *original;
    copy->setMUserID(newID);
    copy->setMPassword(QString());
    copy->setAdministrator(false);
    runSheet(*copy, int(OTVUserFormMode::Duplicate), [this](const auto& account) { return storeNewAccount(account); });
    reloadTable();
}

void UserAccountController::editUser()
{
    const std::shared_ptr<OTVUser_Admin> user = selectedUser();
    if (!user)
        return;
    mCurrentUserName_ = user->mUsername();
    runSheet(*user, int(OTVUserFormMode::Edit), [this](const std::shared_ptr<OTVUser_Admin>& account) {
        const QString typedPassword = account->mPassword();
        const int status = store_.replaceUser(account);
        if (status == kOTVStatusOK) {
            updateGroupMembers(account->mUserID(), account->mUsersGroupArray());
            // Only details the server holds now are mailed.
            mailAccountDetails(*account, typedPassword);
        }
        return status;
    });
    mCurrentUserName_ = QString();
    reloadTable();
}

void UserAccountController::deleteUser()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty()) {
        alert(kNoUserSelected);
        return;
    }
    const int answer = BKRunAlertPanel(BKLocalizedString(kDefaultAlertTitle),
                                       BKLocalizedString(" Are you sure,you want to delete selected users?"),
                                       BKLocalizedString("No"), BKLocalizedString("Yes"));
    if (answer != kBKAlertAlternateReturn)
        return;
    const OTVUserList users = model_->users();
    for (const int row : rows) {
        const std::shared_ptr<OTVUser_Admin> user = users.value(row);
        if (!user)
            continue;
        const int status = store_.deleteUser(user);
        if (status == kOTVStatusOK)
            updateGroupMembers(user->mUserID(), {});
        showAccountStatus(status, false, store_.lastServerMessage());
    }
    reloadTable();
}

void UserAccountController::updateGroupMembers(const QString& userID, const QStringList& groupUIDs)
{
    for (const std::shared_ptr<BKGroup>& group : store_.mGroups()) {
        QStringList members = group->mUserMembersArray().value_or(QStringList());
        const bool member = groupUIDs.contains(group->mGroupUID());
        if (member == members.contains(userID))
            continue;
        members.removeAll(userID);
        if (member)
            members.append(userID);
        group->setMUserMembersArray(members);
    }
}

void UserAccountController::showSetPasswordPanel()
{
    BKPasswordPolicySheet::runForStore(store_, BKPasswordPolicyController::sharedBKPasswordPolicyController(), this);
}
