#include "BKGroupSettingsPanel.h"

#include "BKCheckListModel.h"
#include "BKController.h"
#include "BKDialogButtons.h"

#include "Model/BKGroup.h"
#include "Model/Database_Engine/OTVTextFits.h"
#include "Model/OTVPermissionWords.h"
#include "Model/OTVStatusMessages.h"
#include "Model/OTVUserRights.h"
#include "Model/OTVUser_Admin.h"
#include "Platform/BKApplicationServices.h"
#include "Platform/BKLocalization.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// Not localised: the reserved beginning of personal groups' names as stored.
const QString kPersonalGroupPrefix = QStringLiteral("Personal-");
const QString kDuplicateSuffix = QStringLiteral(" copy");

QTableView* makeCheckTable(QWidget* parent, const QString& name, BKCheckListModel* model)
{
    auto* table = new QTableView(parent);
    table->setObjectName(name);
    table->setModel(model);
    table->verticalHeader()->hide();
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setShowGrid(false);
    table->setAlternatingRowColors(true);
    return table;
}

void appendMissing(QStringList& list, const QString& item)
{
    if (!list.contains(item))
        list.append(item);
}

} // namespace

BKGroupSettingsPanel::BKGroupSettingsPanel(OTVDataBase& store, QWidget* parent)
    : QDialog(parent), store_(store)
{
    setObjectName(QStringLiteral("mGroupSettingsPanel"));
    setWindowTitle(BKLocalizedString("Group Settings"));

    mGroupNameField_ = new QLineEdit(this);
    mGroupNameField_->setObjectName(QStringLiteral("mGroupNameField"));

    mGroupSettingsTab_ = new QTabWidget(this);
    mGroupSettingsTab_->setObjectName(QStringLiteral("mGroupSettingsTab"));

    auto* permissions = new QWidget(mGroupSettingsTab_);
    auto* grid = new QGridLayout(permissions);
    grid->addWidget(new QLabel(BKLocalizedString("Members of this group may:"), permissions), 0, 0, 1, 2);
    mAddBox_ = new QCheckBox(BKLocalizedString("Add records"), permissions);
    mEditBox_ = new QCheckBox(BKLocalizedString("Edit records"), permissions);
    mDeleteBox_ = new QCheckBox(BKLocalizedString("Delete records"), permissions);
    mAddBox_->setObjectName(QStringLiteral("mRecordPermissionAdd"));
    mEditBox_->setObjectName(QStringLiteral("mRecordPermissionEdit"));
    mDeleteBox_->setObjectName(QStringLiteral("mRecordPermissionDelete"));
    grid->addWidget(mAddBox_, 1, 0);
    grid->addWidget(mEditBox_, 1, 1);
    grid->addWidget(mDeleteBox_, 2, 0);
    mGroupPriorityPermission_ = new QCheckBox(BKLocalizedString("Group permissions prevail over user permissions"),
                                              permissions);
    mGroupPriorityPermission_->setObjectName(QStringLiteral("mGroupPriorityPermission"));
    grid->addWidget(mGroupPriorityPermission_, 3, 0, 1, 2);
    grid->setRowStretch(4, 1);
    mGroupSettingsTab_->addTab(permissions, BKLocalizedString("Permissions"));

    usersModel_ = new BKCheckListModel(
        {BKLocalizedString("Member"), BKLocalizedString("Name"), BKLocalizedString("Description")}, this);
    usersModel_->setToggled([this](const QString& id, bool checked) { setUserMember(id, checked); });
    mGroupPermissionsTable_ = makeCheckTable(mGroupSettingsTab_, QStringLiteral("mGroupPermissionsTable"), usersModel_);
    mGroupSettingsTab_->addTab(mGroupPermissionsTable_, BKLocalizedString("Users"));

    mergeModel_ = new BKCheckListModel({BKLocalizedString("Merge"), BKLocalizedString("Name")}, this);
    mergeModel_->setToggled([this](const QString& id, bool checked) { setSubGroup(id, checked); });
    mGroupMergeTable_ = makeCheckTable(mGroupSettingsTab_, QStringLiteral("mGroupMergeTable"), mergeModel_);
    mGroupSettingsTab_->addTab(mGroupMergeTable_, BKLocalizedString("Merge Groups"));

    QDialogButtonBox* buttons = BKMakeOkCancelButtons(this, [this] { customGroupSettingsOK(); }, [this] { customSettingsCancel(); });

    auto* form = new QFormLayout;
    form->addRow(BKLocalizedString("Group Name:"), mGroupNameField_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(mGroupSettingsTab_, 1);
    layout->addWidget(buttons);
    resize(460, 380);
}

QCheckBox* BKGroupSettingsPanel::permissionBox(quint16 bit) const
{
    switch (bit) {
    case kAddPermission: return mAddBox_;
    case kEditPermission: return mEditBox_;
    case kDeletePermission: return mDeleteBox_;
    default: return nullptr;
    }
}

std::shared_ptr<BKGroup> BKGroupSettingsPanel::runGroupSettingsPanelForWindow(QWidget* window,
                                                                              const std::shared_ptr<BKGroup>& group,
                                                                              int* operation)
{
    const int op = operation ? *operation : kAddOperation;
    mShouldEditGroup_ = group && op == kEditOperation;
    mGroupUsersArray_ = group ? group->mUserMembersArray().value_or(QStringList()) : QStringList();
    mGroupSubGroupsArray_ = group ? group->mSubGroupsUID().value_or(QStringList()) : QStringList();
    mDeletedSubGroupArray_.clear();
    mSelectedGroupUID_ = group ? group->mGroupUID() : QString();
    mOldGroupName_ = group ? group->mGroupName() : QString();
    mGroupSettingsTab_->setCurrentIndex(0);
    if (group)
        updateEditGroupSheet(*group, op == kDuplicateOperation);
    else
        resetAllFieldsInEditGroupSheet();
    // A group's record word and its prevailing are rights that only an administrator gives;
    // merging groups needs the right to delete groups.
    const bool administrator = store_.isAdministratorSession();
    for (QCheckBox* box : {mAddBox_, mEditBox_, mDeleteBox_, mGroupPriorityPermission_})
        box->setEnabled(administrator);
    mGroupMergeTable_->setEnabled(
        OTVUserRights(store_.mCurrentUser().get(), administrator).mayChangeGroups(kPermissionDelete));

    if (window != parentWidget())
        setParent(window, windowFlags());
    setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    BKCentreOverParent(this);
    std::shared_ptr<BKGroup> result;
    if (exec() == kBKModalStop) {
        result = updateGroupPropertiesFromUI();
        if (mShouldEditGroup_)
            result->setMGroupUID(mSelectedGroupUID_);
    }
    mGroupUsersArray_.clear();
    mGroupSubGroupsArray_.clear();
    mDeletedSubGroupArray_.clear();
    mSelectedGroupUID_.clear();
    mShouldEditGroup_ = false;
    return result;
}

void BKGroupSettingsPanel::updateEditGroupSheet(const BKGroup& group, bool duplicate)
{
    mGroupNameField_->setText(duplicate ? group.mGroupName() + kDuplicateSuffix : group.mGroupName());
    // Another account's new group gives no rights (the store writes none): the boxes say so.
    const bool givesNone = duplicate && !store_.isAdministratorSession();
    const quint16 word = givesNone ? 0 : group.mRecordLevelPermissions();
    mAddBox_->setChecked(word & kAddPermission);
    mEditBox_->setChecked(word & kEditPermission);
    mDeleteBox_->setChecked(word & kDeletePermission);
    mGroupPriorityPermission_->setChecked(!givesNone && group.mPreferencePermissions());
    reloadTables();
}

void BKGroupSettingsPanel::resetAllFieldsInEditGroupSheet()
{
    mGroupNameField_->clear();
    mGroupPriorityPermission_->setChecked(false);
    for (QCheckBox* box : {mAddBox_, mEditBox_, mDeleteBox_})
        box->setChecked(false);
    reloadTables();
}

void BKGroupSettingsPanel::reloadTables()
{
    QList<BKCheckListModel::Row> users;
    for (const std::shared_ptr<OTVUser_Admin>& user : store_.sortedUsersContainsString(QString()))
        users.append({user->mUserID(), {user->mUsername(), user->mDescription()}});
    usersModel_->setRows(users);
    usersModel_->setChecked(mGroupUsersArray_);

    QList<BKCheckListModel::Row> groups;
    for (const std::shared_ptr<BKGroup>& candidate : store_.subGroupsForGroupWithID(mSelectedGroupUID_))
        groups.append({candidate->mGroupUID(), {candidate->mGroupName()}});
    mergeModel_->setRows(groups);
    mergeModel_->setChecked(mGroupSubGroupsArray_);
}

void BKGroupSettingsPanel::setUserMember(const QString& userID, bool member)
{
    // Staged only: the users' own lists change once the group is stored.
    if (member)
        appendMissing(mGroupUsersArray_, userID);
    else
        mGroupUsersArray_.removeAll(userID);
    usersModel_->setChecked(mGroupUsersArray_);
}

void BKGroupSettingsPanel::setSubGroup(const QString& groupUID, bool merged)
{
    if (!mGroupMergeTable_->isEnabled())
        return;
    if (merged) {
        appendMissing(mGroupSubGroupsArray_, groupUID);
        mDeletedSubGroupArray_.removeAll(groupUID);
    } else {
        mGroupSubGroupsArray_.removeAll(groupUID);
        mDeletedSubGroupArray_.append(groupUID);
    }
    mergeModel_->setChecked(mGroupSubGroupsArray_);
}

bool BKGroupSettingsPanel::nameIsAccepted()
{
    const QString name = mGroupNameField_->text();
    if (BKController::isStringAnEmptySet(name)) {
        BKRunAlertPanel(QString(), QStringLiteral("You must specify a name for this Group. "), QStringLiteral("OK"));
        return false;
    }
    if (name.startsWith(kPersonalGroupPrefix)) {
        BKRunAlertPanel(
            BKLocalizedString(kDefaultAlertTitle),
            BKLocalizedString("Group name can't start with 'Personal-'.\nThis keyword is reserved for personal group."),
            BKLocalizedString("OK"));
        return false;
    }
    if (mShouldEditGroup_ && name == mOldGroupName_)
        return true;
    // A name the group table cannot hold is refused here, before anything is written.
    if (!OTVFitsEncipheredTinyBlob(name)) {
        BKRunAlertPanel(BKLocalizedString(kDefaultAlertTitle), OTVStatusMessage(kOTVStatusValueTooLong),
                        BKLocalizedString("OK"));
        return false;
    }
    int status = kOTVStatusOK;
    const bool duplicate = store_.checkForGroupDuplicate(name, &status);
    if (status != kOTVStatusOK) {
        // An unchecked name could be a duplicate: the panel stays open.
        BKRunAlertPanel(BKLocalizedString(kDefaultAlertTitle), OTVStatusMessage(status), BKLocalizedString("OK"));
        return false;
    }
    if (duplicate) {
        BKRunAlertPanel(BKLocalizedString(kDefaultAlertTitle), BKLocalizedString("Group name could not be duplicated"),
                        BKLocalizedString("OK"));
        return false;
    }
    return true;
}

void BKGroupSettingsPanel::customGroupSettingsOK()
{
    if (nameIsAccepted())
        done(kBKModalStop);
}

void BKGroupSettingsPanel::customSettingsCancel()
{
    done(kBKModalAbort);
}

void BKGroupSettingsPanel::reject()
{
    customSettingsCancel();
}

std::shared_ptr<BKGroup> BKGroupSettingsPanel::updateGroupPropertiesFromUI() const
{
    std::shared_ptr<BKGroup> group = BKGroup::newGroup();
    group->setMGroupName(mGroupNameField_->text());
    quint16 word = 0;
    if (mAddBox_->isChecked())
        word |= kAddPermission;
    if (mEditBox_->isChecked())
        word |= kEditPermission;
    if (mDeleteBox_->isChecked())
        word |= kDeletePermission;
    group->setMRecordLevelPermissions(word);
    group->setMPreferencePermissions(mGroupPriorityPermission_->isChecked());
    group->setMUserMembersArray(mGroupUsersArray_);
    group->setMSubGroupsUID(mGroupSubGroupsArray_);
    checkUsersDependenciesForGroup(*group);
    return group;
}

void BKGroupSettingsPanel::checkUsersDependenciesForGroup(BKGroup& group) const
{
    QStringList members = group.mUserMembersArray().value_or(QStringList());
    for (const QString& uid : group.mSubGroupsUID().value_or(QStringList()))
        if (const std::shared_ptr<BKGroup> sub = store_.groupWithUID(uid))
            for (const QString& userID : sub->mUserMembersArray().value_or(QStringList()))
                appendMissing(members, userID);
    // Un-ticked sub-groups take their members along, also those ticked one by one.
    for (const QString& uid : mDeletedSubGroupArray_)
        if (const std::shared_ptr<BKGroup> sub = store_.groupWithUID(uid))
            for (const QString& userID : sub->mUserMembersArray().value_or(QStringList()))
                members.removeAll(userID);
    group.setMUserMembersArray(members);
}

void BKGroupSettingsPanel::updateGroupID(const BKGroup& saved, const OTVUserMap& users)
{
    const QString uid = saved.mGroupUID();
    const QStringList members = saved.mUserMembersArray().value_or(QStringList());
    for (const std::shared_ptr<OTVUser_Admin>& user : users) {
        QStringList groups = user->mUsersGroupArray();
        const bool listed = groups.contains(uid);
        const bool member = members.contains(user->mUserID());
        if (member == listed && groups.count(uid) <= 1)
            continue;
        groups.removeAll(uid);
        if (member)
            groups.append(uid);
        user->setMUsersGroupArray(groups);
    }
}

std::shared_ptr<BKGroup> BKStoreGroupFromPanel(BKGroupSettingsPanel& panel, QWidget* window,
                                               const std::shared_ptr<BKGroup>& group, int operation, int* status)
{
    if (status)
        *status = kOTVStatusOK;
    int op = operation;
    std::shared_ptr<BKGroup> result = panel.runGroupSettingsPanelForWindow(window, group, &op);
    if (!result)
        return nullptr;
    OTVDataBase& store = panel.store();
    const int written = (group && op == BKGroupSettingsPanel::kEditOperation) ? store.updateGroup(result)
                                                                               : store.addGroup(result);
    if (status)
        *status = written;
    if (written != kOTVStatusOK) {
        const QString message = OTVStatusMessage(written);
        BKRunAlertPanel(BKLocalizedString(kDefaultAlertTitle), message, BKLocalizedString("OK"));
        return nullptr;
    }
    BKGroupSettingsPanel::updateGroupID(*result, store.mUsers());
    return result;
}
