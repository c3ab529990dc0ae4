#include "BKCategoryEditWindowController.h"

#include "BKController.h"
#include "BKDialogButtons.h"
#include "BKGroupSettingsPanel.h"
#include "BKTypeSettingsPanel.h"

#include "Model/BKGroup.h"
#include "Model/OTVPermissionWords.h"
#include "Model/OTVRecord.h"
#include "Model/OTVStatusMessages.h"
#include "Model/OTVType.h"
#include "Model/OTVUserRights.h"
#include "Platform/BKApplicationServices.h"
#include "Platform/BKLocalization.h"

#include <QAbstractListModel>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QSet>
#include <QVBoxLayout>

namespace {

const QString kNoRowSelected = QStringLiteral(" No row is selected");
const char* const kTypeUsedElsewhere =
    "This type can not be deleted: records of it are in groups you can not see.";

} // namespace

// The names of the groups or types as the store lists them now.
class BKCategoryEditWindowController::ListModel : public QAbstractListModel {
public:
    explicit ListModel(BKCategoryEditWindowController& owner) : QAbstractListModel(&owner), owner_(owner) {}
    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : owner_.rowCount();
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        if (owner_.tableViewType() == kGroupsTable) {
            const OTVGroupList groups = owner_.groupsList();
            return index.row() < groups.size() ? QVariant(groups[index.row()]->mGroupName()) : QVariant();
        }
        const OTVTypeList types = owner_.typesList();
        return index.row() < types.size() ? QVariant(types[index.row()]->mTypeName()) : QVariant();
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }
    void reset()
    {
        beginResetModel();
        endResetModel();
    }

private:
    BKCategoryEditWindowController& owner_;
};

BKCategoryEditWindowController::BKCategoryEditWindowController(BKController& controller, QWidget* parent)
    : QDialog(parent), controller_(controller), store_(controller.store())
{
    setObjectName(QStringLiteral("CategoryEditWindowController"));
    setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(this);
    mHeader_ = new QLabel(this);
    mHeader_->setObjectName(QStringLiteral("mTableHeader"));
    layout->addWidget(mHeader_);
    mModel_ = new ListModel(*this);
    mTableView_ = new QListView(this);
    mTableView_->setObjectName(QStringLiteral("mGroupTableView"));
    mTableView_->setModel(mModel_);
    mTableView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mTableView_->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(mTableView_);
    connect(mTableView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { validateButtons(); });
    // A double click on an empty part of the list is no edit.
    connect(mTableView_, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            editTableEntry(true);
    });

    auto* row = new QHBoxLayout;
    const auto button = [this, row](const char* name, const char* text, void (BKCategoryEditWindowController::*action)()) {
        auto* b = new QPushButton(BKLocalizedString(text), this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, action);
        row->addWidget(b);
        return b;
    };
    mAddButton_ = button("addButton", "Add", &BKCategoryEditWindowController::addNewEntry);
    mEditButton_ = new QPushButton(BKLocalizedString("Edit"), this);
    mEditButton_->setObjectName(QStringLiteral("editButton"));
    mEditButton_->setAutoDefault(false);
    connect(mEditButton_, &QPushButton::clicked, this, [this] { editTableEntry(false); });
    row->addWidget(mEditButton_);
    mDuplicateButton_ = button("duplicateButton", "Duplicate", &BKCategoryEditWindowController::duplicateGroup);
    mDeleteButton_ = button("deleteButton", "Delete", &BKCategoryEditWindowController::deleteSelectedTableEntry);
    row->addStretch();
    auto* cancel = new QPushButton(BKLocalizedString("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, [this] { done(kBKModalAbort); });
    row->addWidget(cancel);
    auto* doneButton = new QPushButton(BKLocalizedString("Done"), this);
    doneButton->setObjectName(QStringLiteral("doneButton"));
    doneButton->setDefault(true);
    connect(doneButton, &QPushButton::clicked, this, [this] {
        reloadData();
        done(kBKModalStop);
    });
    row->addWidget(doneButton);
    layout->addLayout(row);
    resize(420, 360);
}

// ---------------------------------------------------------------------------------------------
// Opening

void BKCategoryEditWindowController::setModeForSender(const QString& senderTitle, int senderTag)
{
    if (senderTitle == BKLocalizedString("Edit Groups...") || senderTag == kEditCategoriesMenuItemTag)
        mTableViewType_ = kGroupsTable;
    else if (senderTitle == BKLocalizedString("Edit Types...") || senderTag == kEditTypesMenuItemTag)
        mTableViewType_ = kTypesTable;
    const bool groups = mTableViewType_ == kGroupsTable;
    mDuplicateButton_->setVisible(groups);
    mHeader_->setText(groups ? BKLocalizedString("Groups") : BKLocalizedString("Types"));
    setWindowTitle(groups ? BKLocalizedString("Edit Groups") : BKLocalizedString("Edit Types"));
    mTableView_->clearSelection();
    reloadData();
}

int BKCategoryEditWindowController::displayGroupEditWindow(const QString& senderTitle, int senderTag)
{
    setModeForSender(senderTitle, senderTag);
    BKCentreOverParent(this);
    const int result = exec();
    if (result == kBKModalStop)
        reloadData();
    return result;
}

void BKCategoryEditWindowController::reject()
{
    done(kBKModalAbort);
}

void BKCategoryEditWindowController::closeEvent(QCloseEvent* event)
{
    // Closing only ends the run: every change was stored as it was made.
    event->ignore();
    done(kBKModalStop);
}

// ---------------------------------------------------------------------------------------------
// The list

OTVGroupList BKCategoryEditWindowController::groupsList() const
{
    return store_.groupsForEditing();
}

OTVTypeList BKCategoryEditWindowController::typesList() const
{
    return store_.typesForEditing();
}

int BKCategoryEditWindowController::rowCount() const
{
    return int(mTableViewType_ == kGroupsTable ? groupsList().size() : typesList().size());
}

void BKCategoryEditWindowController::reloadData()
{
    const int row = selectedRow();
    mModel_->reset();
    if (row >= 0 && row < rowCount())
        selectRow(row);
    if (row >= 0)
        mTableView_->scrollTo(mModel_->index(std::min(row, rowCount() - 1), 0));
    validateButtons();
}

int BKCategoryEditWindowController::selectedRow() const
{
    const QModelIndexList rows = mTableView_->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void BKCategoryEditWindowController::selectRow(int row)
{
    if (row < 0) {
        mTableView_->clearSelection();
        return;
    }
    mTableView_->selectionModel()->setCurrentIndex(mModel_->index(row, 0), QItemSelectionModel::ClearAndSelect);
}

void BKCategoryEditWindowController::validateButtons()
{
    const bool selected = selectedRow() >= 0;
    mAddButton_->setEnabled(mayChangeEntries(kPermissionAdd));
    mEditButton_->setEnabled(selected && mayChangeEntries(kPermissionEdit));
    mDeleteButton_->setEnabled(selected && mayChangeEntries(kPermissionDelete));
    mDuplicateButton_->setEnabled(selected && mTableViewType_ == kGroupsTable && mayChangeEntries(kPermissionAdd));
}

bool BKCategoryEditWindowController::checkForPermissionsOf(int kind, int bit) const
{
    const OTVUserRights rights = controller_.userRights();
    return kind == kGroupPermissions ? rights.mayChangeGroups(quint16(bit)) : rights.mayChangeTypes(quint16(bit));
}

bool BKCategoryEditWindowController::mayChangeEntries(int bit) const
{
    return checkForPermissionsOf(mTableViewType_ == kGroupsTable ? kGroupPermissions : kTypePermissions, bit);
}

std::shared_ptr<BKGroup> BKCategoryEditWindowController::selectedGroup() const
{
    const int row = selectedRow();
    const OTVGroupList groups = groupsList();
    return mTableViewType_ == kGroupsTable && row >= 0 && row < groups.size() ? groups[row] : nullptr;
}

std::shared_ptr<OTVType> BKCategoryEditWindowController::selectedType() const
{
    const int row = selectedRow();
    const OTVTypeList types = typesList();
    return mTableViewType_ == kTypesTable && row >= 0 && row < types.size() ? types[row] : nullptr;
}

bool BKCategoryEditWindowController::isPersonalGroup(const BKGroup& group) const
{
    return group.mGroupName() == store_.currentUserPersnaolGroupName();
}

// ---------------------------------------------------------------------------------------------
// Add, edit, duplicate

void BKCategoryEditWindowController::addNewEntry()
{
    if (!mayChangeEntries(kPermissionAdd))
        return;
    if (mTableViewType_ == kGroupsTable) {
        mTableView_->clearSelection();
        BKStoreGroupFromPanel(controller_.groupSettingsPanel(), this, nullptr, BKGroupSettingsPanel::kAddOperation);
    } else {
        BKTypeSettingsPanel& panel = controller_.typeSettingsPanel();
        panel.setCustomizing(false);
        panel.setShouldHideControls(false);
        BKStoreTypeFromPanel(panel, this, nullptr, BKTypeSettingsPanel::kAddOperation);
        panel.setCustomizing(false);
    }
    reloadData();
}

void BKCategoryEditWindowController::editTableEntry(bool fromDoubleClick)
{
    if (selectedRow() < 0) {
        if (!fromDoubleClick)
            BKRunAlertPanel(kDefaultAlertTitle, kNoRowSelected);
        return;
    }
    if (!mayChangeEntries(kPermissionEdit))
        return;
    if (mTableViewType_ == kGroupsTable) {
        const std::shared_ptr<BKGroup> group = selectedGroup();
        if (isPersonalGroup(*group)) {
            BKRunAlertPanel(QString(), BKLocalizedString("You can not edit your personal group."));
            return;
        }
        BKStoreGroupFromPanel(controller_.groupSettingsPanel(), this, group, BKGroupSettingsPanel::kEditOperation);
    } else {
        // An unchanged type writes nothing; a renamed one (or "create new") is added beside it.
        BKTypeSettingsPanel& panel = controller_.typeSettingsPanel();
        panel.setCustomizing(false);
        panel.setShouldHideControls(false);
        BKStoreTypeFromPanel(panel, this, selectedType(), BKTypeSettingsPanel::kEditOperation, nullptr,
                             mayChangeEntries(kPermissionAdd));
    }
    reloadData();
}

void BKCategoryEditWindowController::duplicateGroup()
{
    if (selectedRow() < 0) {
        BKRunAlertPanel(kDefaultAlertTitle, kNoRowSelected);
        return;
    }
    if (mTableViewType_ == kTypesTable || !mayChangeEntries(kPermissionAdd)) {
        reloadData();
        return;
    }
    // The panel opens on "<name> copy" and refuses a reserved, taken or empty name.
    BKStoreGroupFromPanel(controller_.groupSettingsPanel(), this, selectedGroup(),
                          BKGroupSettingsPanel::kDuplicateOperation);
    reloadData();
}

// ---------------------------------------------------------------------------------------------
// Delete

OTVRecordList BKCategoryEditWindowController::recordsToExportForBackUP() const
{
    if (mTableViewType_ == kGroupsTable) {
        const std::shared_ptr<BKGroup> group = selectedGroup();
        return group ? store_.itemsOfGroup(group, QString()) : OTVRecordList();
    }
    const std::shared_ptr<OTVType> type = selectedType();
    if (!type)
        return {};
    return store_.itemsOfGroup(store_.groupWithUID(type->mSelectedGroupUID()), type, QString());
}

void BKCategoryEditWindowController::deleteSelectedTableEntry()
{
    const int row = selectedRow();
    if (row < 0) {
        BKRunAlertPanel(kDefaultAlertTitle, kNoRowSelected);
        return;
    }
    const bool groups = mTableViewType_ == kGroupsTable;
    if (!mayChangeEntries(kPermissionDelete))
        return;
    if (groups && isPersonalGroup(*selectedGroup())) {
        BKRunAlertPanel(QString(), BKLocalizedString("You can not delete your personal group."));
        return;
    }
    const OTVRecordList records = recordsToExportForBackUP();
    if (!groups && !typeRecordsAreAllVisible(records))
        return;
    if (!records.isEmpty()) {
        const QString title = groups ? BKLocalizedString("OstrelEnterprise Delete Group.")
                                     : BKLocalizedString("OstrelEnterprise Delete Types.");
        const QString warning =
            QStringLiteral("%1\n%2").arg(groups ? BKLocalizedString("All Types and Records inside this Group will be deleted.")
                                                : BKLocalizedString("All  Records inside this Type will be deleted."),
                                         BKLocalizedString("Are you Sure?"));
        // Without the backup right the question offers no backup (and "No" is its default).
        const bool mayBackUp = controller_.checkForDataPermissionFor(kDataPermissionBackup);
        const QString note = BKLocalizedString("Note \u2013 You can Backup this group before Deleting it.");
        // The default, Backup, goes on to delete: there Esc and close answer No.
        const int answer = mayBackUp ? BKRunAlertPanelCancelledBy(kBKAlertOtherReturn, title,
                                                                  QStringLiteral("%1\n%2").arg(warning, note),
                                                                  BKLocalizedString("Backup"), BKLocalizedString("Yes"),
                                                                  BKLocalizedString("No"))
                                     : BKRunAlertPanel(title, warning, BKLocalizedString("No"), BKLocalizedString("Yes"));
        if (answer != kBKAlertAlternateReturn && !(mayBackUp && answer == kBKAlertDefaultReturn))
            return;
        if (answer == kBKAlertDefaultReturn) {
            // Deleted only once the backup file is complete; a cancelled or failed backup (which
            // was reported) deletes nothing.
            if (controller_.backupRecords(records))
                deleteSelectedGroup();
            return;
        }
    }
    if (groups) {
        raise();
        activateWindow();
    }
    const QString message =
        QStringLiteral("%1\n%2").arg(groups ? BKLocalizedString("Please confirm. Deleting Group?")
                                            : BKLocalizedString("Please confirm. Deleting Types?"),
                                     BKLocalizedString("Note \u2013 This action cannot be reversed."));
    const int answer = BKRunAlertPanel(groups ? BKLocalizedString("Ostrevin Darovazivu Delete Group.")
                                              : BKLocalizedString("OstrelEnterprise Delete Types."),
                                       message, BKLocalizedString("No"), BKLocalizedString("Yes"));
    if (answer == kBKAlertAlternateReturn)
        deleteSelectedGroup();
}

// The server deletes every record of a type with it, also in groups the user cannot see, which
// no backup of his could hold: such a type is not deleted.
bool BKCategoryEditWindowController::typeRecordsAreAllVisible(const OTVRecordList& visible)
{
    int status = kOTVStatusOK;
    const QStringList stored = store_.recordUIDsOfType(selectedType()->mTypeUID(), &status);
    if (status != kOTVStatusOK) {
        OTVShowStatusAlert(status);
        return false;
    }
    QSet<QString> seen;
    for (const auto& record : visible)
        seen.insert(record->mRecordUID());
    for (const QString& uid : stored) {
        if (!seen.contains(uid)) {
            BKRunAlertPanel(QString(), BKLocalizedString(kTypeUsedElsewhere));
            return false;
        }
    }
    return true;
}

void BKCategoryEditWindowController::deleteSelectedGroup()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    const int rowsBefore = rowCount();
    int status = kOTVStatusOK;
    if (mTableViewType_ == kGroupsTable)
        status = store_.deleteGroup(selectedGroup());
    else
        status = store_.deleteType(selectedType());
    OTVShowStatusAlert(status);
    controller_.groupsAndTypesChanged();
    selectAfterDelete(row, rowsBefore);
}

void BKCategoryEditWindowController::selectAfterDelete(int deletedRow, int rowsBefore)
{
    mTableView_->clearSelection();
    mModel_->reset();
    const int rows = rowCount();
    if (rowsBefore > 1 && rows > 0)
        selectRow(std::min(deletedRow, rows - 1));
    validateButtons();
}
