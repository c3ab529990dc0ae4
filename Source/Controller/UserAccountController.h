#pragma once

// The user-account window of a vault administrator: the list of vault users with a prefix
// search (never the session's own account, so an administrator cannot disable or delete
// himself here), and the commands that add, edit, duplicate and delete accounts (each account with its
// server account, grants and rows, written by the store) and set the password policy.

#include "Model/Database_Engine/OTVDataBase.h"

#include <QDialog>

#include <memory>

class BKUserAccountSheet;
class BKUserListModel;
class QLineEdit;
class QPushButton;
class QTableView;

class UserAccountController : public QDialog {
    Q_OBJECT
public:
    // Tags of the action buttons.
    static constexpr int kDeleteTag = 1;
    static constexpr int kEditTag = 2;
    static constexpr int kDuplicateTag = 3;

    explicit UserAccountController(OTVDataBase& store, QWidget* parent = nullptr);
    ~UserAccountController() override;

    // The name the edited account had when the sheet opened it; null when no account is edited.
    QString mCurrentUserName() const { return mCurrentUserName_; }

    // --- Commands
    void newUser();
    void editUser();
    void duplicateUser();
    void deleteUser();
    void showSetPasswordPanel();
    // The list again from the store, filtered by the search field.
    void reloadTable();

    // The words a new account starts with: the ones stored after the last new account, or
    // full rights (group, type, record, data).
    static void newAccountWords(quint16 words[4]);
    static void storeUserPermissionsToDefaults(const OTVUser_Admin& user);

    // --- Controls (the tests drive these)
    QLineEdit* searchField() const { return searchField_; }
    QTableView* userTable() const { return table_; }
    BKUserListModel* userModel() const { return model_; }
    QPushButton* actionButton(int tag) const;
    BKUserAccountSheet* accountSheet() const { return sheet_; }

private:
    // Runs the sheet for `user`; the account to store, or nullptr when cancelled.
    std::shared_ptr<OTVUser_Admin> runSheet(const OTVUser_Admin& user, int mode);
    // Stores a new account (new or duplicate) and tells the user of a failure.
    void storeNewAccount(const std::shared_ptr<OTVUser_Admin>& account);
    QList<int> selectedRows() const;
    // The one selected user; none (after an alert) when no or several rows are selected.
    std::shared_ptr<OTVUser_Admin> selectedUser() const;
    void updateButtons();
    // After a stored change: the groups' member lists in memory say exactly which of them
    // list the user.
    void updateGroupMembers(const QString& userID, const QStringList& groupUIDs);

    OTVDataBase& store_;
    QLineEdit* searchField_ = nullptr;
    QTableView* table_ = nullptr;
    BKUserListModel* model_ = nullptr;
    QPushButton* buttons_[3] = {};
    BKUserAccountSheet* sheet_ = nullptr;
    QString mCurrentUserName_;
};
