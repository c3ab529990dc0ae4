#pragma once

// The groups and types editor: one window with two modes, a list of the groups (or types) the
// user may edit and the buttons that add, edit, duplicate (groups only) and delete them through
// the group and type panels. The list asks the store on every read; nothing is cached.

#include "Model/Database_Engine/OTVDataBase.h"

#include <QDialog>

#include <functional>
#include <memory>

class BKController;
class QLabel;
class QListView;
class QPushButton;

class BKCategoryEditWindowController : public QDialog {
    Q_OBJECT
public:
    enum TableViewType { kGroupsTable = 0, kTypesTable = 1 };
    static constexpr int kEditTypesMenuItemTag = 101;
    static constexpr int kEditCategoriesMenuItemTag = 102;

    BKCategoryEditWindowController(BKController& controller, QWidget* parent = nullptr);

    // Chooses the mode from the sender ("Edit Groups..." or tag 102: groups; "Edit Types..." or
    // tag 101: types; anything else keeps the mode), then runs the window application-modal.
    // Returns how it ended (kBKModalStop: Done or closed, kBKModalAbort: Cancel or Esc).
    int displayGroupEditWindow(const QString& senderTitle, int senderTag);
    // Only sets up the mode, as displayGroupEditWindow does before it runs.
    void setModeForSender(const QString& senderTitle, int senderTag);
    int tableViewType() const { return mTableViewType_; }

    // The editor's one permission hook: `kind` kGroupPermissions or kTypePermissions, `bit` 1 add,
    // 2 edit, 4 delete. A command it refuses is disabled and does nothing.
    enum PermissionKind { kGroupPermissions = 1, kTypePermissions = 2 };
    bool checkForPermissionsOf(int kind, int bit) const;

    std::shared_ptr<BKGroup> selectedGroup() const;
    std::shared_ptr<OTVType> selectedType() const;
    // What a backup before deleting the selected entry holds: the group's records, or the type's
    // records in every group the user sees.
    OTVRecordList recordsToExportForBackUP() const;
    // Deletes the selected group or type (nothing without a selection) and selects its
    // neighbour.
    void deleteSelectedGroup();

    // --- Actions (the buttons; the tests press them)
    void addNewEntry();
    // `fromDoubleClick`: without a selection nothing is said.
    void editTableEntry(bool fromDoubleClick = false);
    void duplicateGroup();
    void deleteSelectedTableEntry();
    void reloadData();

    QListView* tableView() const { return mTableView_; }
    QPushButton* duplicateButton() const { return mDuplicateButton_; }
    QPushButton* editButton() const { return mEditButton_; }
    QPushButton* deleteButton() const { return mDeleteButton_; }
    QLabel* headerLabel() const { return mHeader_; }
    void selectRow(int row);
    int selectedRow() const;

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    OTVGroupList groupsList() const;
    OTVTypeList typesList() const;
    int rowCount() const;
    bool isPersonalGroup(const BKGroup& group) const;
    void validateButtons();
    void selectAfterDelete(int deletedRow, int rowsBefore);
    bool typeRecordsAreAllVisible(const OTVRecordList& visible);
    // The hook for the list's current mode.
    bool mayChangeEntries(int bit) const;

    BKController& controller_;
    OTVDataBase& store_;
    class ListModel;
    ListModel* mModel_ = nullptr;
    QListView* mTableView_ = nullptr;
    QLabel* mHeader_ = nullptr;
    QPushButton* mAddButton_ = nullptr;
    QPushButton* mEditButton_ = nullptr;
    QPushButton* mDuplicateButton_ = nullptr;
    QPushButton* mDeleteButton_ = nullptr;
    int mTableViewType_ = kGroupsTable;
};
