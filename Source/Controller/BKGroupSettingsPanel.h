#pragma once

// The group settings panel: a group's name, record permissions, whether the group's permissions
// prevail over the user's, its member users and its merged sub-groups. It validates what the
// user typed and returns a new group; it writes nothing. Membership changes stay staged in the
// panel until the caller's write of the group succeeded (storeGroupFromPanel does both), so a
// cancelled or refused change leaves every user as it was.

#include "Model/Database_Engine/OTVDataBase.h"

#include <QDialog>
#include <QStringList>

#include <memory>

class BKCheckListModel;
class BKGroup;
class QCheckBox;
class QLineEdit;
class QTabWidget;
class QTableView;

class BKGroupSettingsPanel : public QDialog {
    Q_OBJECT
public:
    // Operations: what the caller asks for.
    static constexpr int kAddOperation = 0;
    static constexpr int kEditOperation = 1;
    static constexpr int kDuplicateOperation = 2;
    // Record permission bits of a group.
    static constexpr quint16 kAddPermission = 1;
    static constexpr quint16 kEditPermission = 2;
    static constexpr quint16 kDeletePermission = 4;

    explicit BKGroupSettingsPanel(OTVDataBase& store, QWidget* parent = nullptr);
    OTVDataBase& store() const { return store_; }

    // Runs the panel as a sheet on `window` for `group` (none: a new group). With a group and
    // kEditOperation the result keeps the group's UID; otherwise it has a new one (a duplicate
    // opens as "<name> copy"). nullptr when cancelled. The given group is not changed.
    std::shared_ptr<BKGroup> runGroupSettingsPanelForWindow(QWidget* window, const std::shared_ptr<BKGroup>& group,
                                                            int* operation);

    // After `saved` was written: each user of `users` lists the group's UID exactly when he is
    // one of its members (added once, never twice; removed when he is no member any more).
    static void updateGroupID(const BKGroup& saved, const OTVUserMap& users);

    // --- Actions (the buttons and the tables' check boxes)
    void customGroupSettingsOK();
    void customSettingsCancel();
    void setUserMember(const QString& userID, bool member);
    void setSubGroup(const QString& groupUID, bool merged);
    // Esc and the close button cancel.
    void reject() override;

    // --- Controls and staged state (the tests drive these)
    QTabWidget* tabs() const { return mGroupSettingsTab_; }
    QLineEdit* nameField() const { return mGroupNameField_; }
    QCheckBox* permissionBox(quint16 bit) const;
    QCheckBox* prevailBox() const { return mGroupPriorityPermission_; }
    QTableView* usersTable() const { return mGroupPermissionsTable_; }
    QTableView* mergeTable() const { return mGroupMergeTable_; }
    BKCheckListModel* usersModel() const { return usersModel_; }
    BKCheckListModel* mergeModel() const { return mergeModel_; }
    QStringList groupUsers() const { return mGroupUsersArray_; }
    QStringList subGroups() const { return mGroupSubGroupsArray_; }

private:
    void updateEditGroupSheet(const BKGroup& group, bool duplicate);
    void resetAllFieldsInEditGroupSheet();
    void reloadTables();
    std::shared_ptr<BKGroup> updateGroupPropertiesFromUI() const;
    void checkUsersDependenciesForGroup(BKGroup& group) const;
    bool nameIsAccepted();

    OTVDataBase& store_;
    QTabWidget* mGroupSettingsTab_ = nullptr;
    QLineEdit* mGroupNameField_ = nullptr;
    QCheckBox* mAddBox_ = nullptr;
    QCheckBox* mEditBox_ = nullptr;
    QCheckBox* mDeleteBox_ = nullptr;
    QCheckBox* mGroupPriorityPermission_ = nullptr;
    QTableView* mGroupPermissionsTable_ = nullptr;
    QTableView* mGroupMergeTable_ = nullptr;
    BKCheckListModel* usersModel_ = nullptr;
    BKCheckListModel* mergeModel_ = nullptr;

    // One run's state, set afresh each time the panel opens.
    QStringList mGroupUsersArray_;
    QStringList mGroupSubGroupsArray_;
    QStringList mDeletedSubGroupArray_;
    QString mSelectedGroupUID_;
    QString mOldGroupName_;
    bool mShouldEditGroup_ = false;
};

// The group panel and the write of its result: runs the panel, then adds the group (add,
// duplicate) or rewrites it (edit), its row, member and sub-group lists in one transaction. Only
// when the store accepted it do the users' in-memory group lists follow; otherwise the store's
// status is shown and nothing changes. Returns the stored group (nullptr when cancelled or
// refused); *status (may be null) gets the store's status, 0 when cancelled.
std::shared_ptr<BKGroup> BKStoreGroupFromPanel(BKGroupSettingsPanel& panel, QWidget* window,
                                               const std::shared_ptr<BKGroup>& group, int operation,
                                               int* status = nullptr);
