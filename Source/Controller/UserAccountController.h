#pragma once

// The user-account window of a vault administrator: the list of vault users with a prefix
// search (never the session's own account, so an administrator cannot disable or delete
// himself here), and the commands that add, edit, duplicate and delete accounts (each account with its
// server account, grants and rows, written by the store) and set the password policy. Its toolbar
// also imports users from a user list file and exports the ordinary users to one; a new or
// changed account's details can be mailed to its user.

#include "Model/Database_Engine/OTVDataBase.h"

#include <QDialog>

#include <functional>
#include <memory>

class BKUserAccountSheet;
class BKUserListModel;
class OEImportUserStatisticsController;
class QLineEdit;
class QPushButton;
class QTableView;
class QToolBar;

class UserAccountController : public QDialog {
    Q_OBJECT
public:
    // Tags of the action buttons.
    static constexpr int kDeleteTag = 1;
    static constexpr int kEditTag = 2;
    static constexpr int kDuplicateTag = 3;

    // Identifiers of the toolbar's items, in the order of their tags.
    static inline const QString kToolbarIdentifier = QStringLiteral("UserToolBar");
    static inline const QString kToolbarSetPasswordPolicy = QStringLiteral("Set Password Policy");
    static inline const QString kToolbarImportUsers = QStringLiteral("Import Users");
    static inline const QString kToolbarExportUsers = QStringLiteral("Export Users");
    static inline const QString kToolbarUserSearch = QStringLiteral("Search bar");

    // Asks for the file of an import (`save` false) or an export; a null string when cancelled.
    using FileChooser = std::function<QString(bool save)>;

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

    // --- Toolbar
    // Runs the command of the item with this identifier; other identifiers do nothing.
    void toolBarItemClicked(const QString& identifier);
    // Asks for a user list file and imports it.
    void showImportPanel();
    // Asks for a file and exports every user that is not an administrator to it.
    void showExportPanel();
    // The import of the file: parsed behind a progress panel, then each row tested and added
    // on a store worker; the result sheet follows, and the list is reloaded after it.
    void importUsersFromFile(const QString& path);
    // The export to the file (mode 0600, replaced whole or not at all) with a new password for
    // every user.
    void exportUsersToFile(const QString& path);
    // Replaces the file dialogs (the tests script them).
    void setFileChooser(FileChooser chooser) { fileChooser_ = std::move(chooser); }

    // --- Account-details mail
    // The message for `user`: the session's server, port and master password and the user's
    // name and password.
    static QString mailBodyForUser(const OTVDataBase& store, const OTVUser_Admin& user, const QString& password);
    // Hands the mail to the sender; nothing for a user without an e-mail address.
    void sendEmailToUser(const OTVUser_Admin& user, const QString& password);

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
    QToolBar* toolbar() const { return toolbar_; }

private:
    // Stores the account the sheet holds; the store's status.
    using AccountWriter = std::function<int(const std::shared_ptr<OTVUser_Admin>& account)>;
    // Runs the sheet for `user` until `write` stored its account or it is cancelled.
    void runSheet(const OTVUser_Admin& user, int mode, const AccountWriter& write);
    // Stores a new account (new or duplicate) and mails it when the sheet says so.
    int storeNewAccount(const std::shared_ptr<OTVUser_Admin>& account);
    // Mails the stored account's details when the sheet says so and a password was typed in it.
    void mailAccountDetails(const OTVUser_Admin& account, const QString& typedPassword);
    void setupToolbar();
    QString chooseFile(bool save);
    // Runs `work` on a worker behind a modal panel showing `text`; `usesStore` counts it as a
    // store worker.
    void runBehindProgressPanel(const QString& text, bool usesStore, std::function<void()> work);
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
    QToolBar* toolbar_ = nullptr;
    FileChooser fileChooser_;
    QString mCurrentUserName_;
};
