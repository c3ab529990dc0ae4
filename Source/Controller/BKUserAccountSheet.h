#pragma once

// The add/edit sheet of the user-account window: the account's identity, password, contact
// details, flags and the four permission words. It checks what was typed when OK is pressed and
// returns a new account object; it writes nothing.

#include "Model/OTVUserAccountChecks.h"

#include <QDialog>

#include <memory>
#include <utility>

class BKCheckListModel;
class BKPermissionGrid;
class OTVDataBase;
class QComboBox;
class OTVUser_Admin;
class QCheckBox;
class QLineEdit;
class QTabWidget;

class BKUserAccountSheet : public QDialog {
    Q_OBJECT
public:
    // The pop-up's entry that opens the group-membership sheet.
    static inline const QString kAddMoreGroups = QStringLiteral("<Add more Groups>");

    // `store` lists the groups of the pop-up and the membership sheet.
    BKUserAccountSheet(OTVUserFormContext context, const OTVDataBase& store, QWidget* parent = nullptr);

    // Fills the sheet from `user` for `mode`. A new account shows `newAccountWords` (group,
    // type, record, data) in the grids; the password fields always start empty (no stored
    // password is ever shown).
    void fill(const OTVUser_Admin& user, OTVUserFormMode mode, const quint16 newAccountWords[4]);
    // The account as the sheet holds it, with the trimmed name and `user`'s ID and groups.
    std::shared_ptr<OTVUser_Admin> accountFromSheet(const OTVUser_Admin& user) const;
    // Empties the password fields once the account has been read from them.
    void forgetPassword();

    // --- Actions
    void accountOK();
    void selectAllPermissions(bool on);
    void generatePassword();
    // The group-membership sheet: the account's groups are what it is ticked there when OK is
    // pressed. Only the sheet's working copy changes; nothing is stored.
    void editUserGroup();
    void reject() override;

    // --- Controls (the tests drive these)
    QLineEdit* nameField() const { return nameField_; }
    QLineEdit* descriptionField() const { return descriptionField_; }
    QLineEdit* passwordField() const { return passwordField_; }
    QLineEdit* confirmationField() const { return confirmationField_; }
    QLineEdit* fullNameField() const { return fullNameField_; }
    QLineEdit* emailField() const { return emailField_; }
    QLineEdit* phoneField() const { return phoneField_; }
    QCheckBox* disabledBox() const { return disabledBox_; }
    QCheckBox* notAllowedToChangePasswordBox() const { return notAllowedBox_; }
    QCheckBox* selectAllBox() const { return selectAllBox_; }
    // Mail the account's details once the store accepted it. Enabled (and turned on) only while
    // a password is typed in the sheet and a mail service is configured; otherwise off, with a
    // tool tip that says why.
    QCheckBox* sendMailBox() const { return sendMailBox_; }
    // 0 group, 1 type, 2 record, 3 data.
    BKPermissionGrid* grid(int index) const { return grids_[index]; }
    QTabWidget* tabs() const { return tabs_; }
    QComboBox* groupsPopup() const { return groupsPopup_; }
    // The group-membership sheet while it runs (the tests tick its rows).
    QDialog* groupSheet() const { return groupSheet_; }
    BKCheckListModel* groupModel() const { return groupModel_; }
    QStringList selectedGroups() const { return selectedGroups_; }

private:
    void updateSelectAll();
    // The label and the field of an account detail.
    std::pair<const char*, QLineEdit*> detailRow(OTVAccountDetail detail) const;
    void updateSendMailBox();
    void fillGroupsPopup();

    OTVUserFormContext context_;
    const OTVDataBase& store_;
    QStringList selectedGroups_;
    QComboBox* groupsPopup_ = nullptr;
    QDialog* groupSheet_ = nullptr;
    BKCheckListModel* groupModel_ = nullptr;
    OTVUserFormMode mode_ = OTVUserFormMode::New;
    QString originalName_;
    QTabWidget* tabs_ = nullptr;
    QLineEdit* nameField_ = nullptr;
    QLineEdit* descriptionField_ = nullptr;
    QLineEdit* passwordField_ = nullptr;
    QLineEdit* confirmationField_ = nullptr;
    QLineEdit* fullNameField_ = nullptr;
    QLineEdit* emailField_ = nullptr;
    QLineEdit* phoneField_ = nullptr;
    QCheckBox* disabledBox_ = nullptr;
    QCheckBox* notAllowedBox_ = nullptr;
    QCheckBox* selectAllBox_ = nullptr;
    QCheckBox* sendMailBox_ = nullptr;
    BKPermissionGrid* grids_[4] = {};
};
