// The group and type panels against the fixture's MariaDB: what the user does in a panel is what
// the server holds afterwards (read back by a second client), a refused write leaves the server,
// the store's objects and the users' group lists as they were and shows the alert, and the
// panels' checks (blank, reserved, duplicate and too long names, the edit question) hold.
#include "Controller/BKCheckListModel.h"
#include "Controller/BKController.h"
#include "Controller/BKGroupSettingsPanel.h"
#include "Controller/BKIconSelectionPanel.h"
#include "Controller/BKTypeSettingsPanel.h"

#include "Customization/BKImageMatrix.h"
#include "Model/BKGroup.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVRecord.h"
#include "Model/OTVStatusMessages.h"
#include "Model/OTVType.h"
#include "Model/OTVUser_Admin.h"
#include "Platform/BKNotificationCenter.h"
#include "Support/RecordingApplicationServices.h"
#include "Support/TemporarySettings.h"

#include "../ControllerTestSupport.h"
#include "ViewsTestVault.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <functional>

namespace {

const QStringList kUserNames = {QStringLiteral("i26ann"), QStringLiteral("i26bob"), QStringLiteral("i26cid")};
const QString kTooLong = QString(121, QChar(0x00E9));   // 242 UTF-8 bytes

void tick(BKCheckListModel* model, const QString& id, bool on)
{
    for (int row = 0; row < model->rowCount(); ++row)
        if (model->rows().at(row).id == id)
            QVERIFY(model->setData(model->index(row, 0), on ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole));
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

void clickOK(QDialog& panel)
{
    panel.findChild<QPushButton*>(QStringLiteral("okButton"))->click();
}

// Presses OK; when the panel refused (it is still open), cancels it.
void okOrCancel(QDialog& panel)
{
    clickOK(panel);
    if (panel.isVisible())
        panel.findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
}

} // namespace

class EntryPanelsStoreTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void groupPanelAddsAGroupWithMembersAndMergedGroup();
    void groupPanelRenamesAndChangesMembers();
    void groupPanelDuplicates();
    void groupNameChecks_data();
    void groupNameChecks();
    void refusedGroupWriteChangesNothing();
    void typePanelAddsAType();
    void typePanelEditsInPlaceAfterTheQuestion();
    void typePanelRenameMakesANewType();
    void refusedTypeEditChangesNothing();
    void typePanelChecks_data();
    void typePanelChecks();
    void typePanelCustomisesARecord();
    void typePanelImportsACustomIcon();

private:
    std::shared_ptr<BKGroup> groupNamed(OTVDataBase& store, const QString& name) const;
    std::shared_ptr<OTVType> typeNamed(OTVDataBase& store, const QString& name) const;
    std::shared_ptr<OTVUser_Admin> user(const QString& name) const;
    // A second client's view of the vault.
    std::unique_ptr<OTVDataBase> reloaded();
    QStringList userGroupLists() const;

    TestServer server;
    RecordingApplicationServices services;
    RecordingAlertPresenter alerts;
    std::unique_ptr<TemporarySettings> settings;
    std::unique_ptr<OTVDataBase> store;
    std::unique_ptr<ViewsTestVault> vault;
    QWidget window;
    std::shared_ptr<BKGroup> sales;   // ann
    std::shared_ptr<BKGroup> ops;     // bob, cid
    QString teamUID;
};

std::shared_ptr<BKGroup> EntryPanelsStoreTest::groupNamed(OTVDataBase& s, const QString& name) const
{
    for (const auto& group : s.mGroups())
        if (group->mGroupName() == name)
            return group;
    return nullptr;
}

std::shared_ptr<OTVType> EntryPanelsStoreTest::typeNamed(OTVDataBase& s, const QString& name) const
{
    for (const auto& type : s.mTypes())
        if (type->mTypeName() == name)
            return type;
    return nullptr;
}

std::shared_ptr<OTVUser_Admin> EntryPanelsStoreTest::user(const QString& name) const
{
    for (const auto& account : store->mUsers())
        if (account->mUsername() == name)
            return account;
    return nullptr;
}

std::unique_ptr<OTVDataBase> EntryPanelsStoreTest::reloaded()
{
    auto second = std::make_unique<OTVDataBase>();
    if (!ViewsTestVault::open(*second, server, false))
        return nullptr;
    return second;
}

// "name: group UIDs" of each user, for comparing before and after.
QStringList EntryPanelsStoreTest::userGroupLists() const
{
    QStringList lines;
    for (const QString& name : kUserNames)
        lines.append(name + ": " + sorted(user(name)->mUsersGroupArray()).join(','));
    return lines;
}

void EntryPanelsStoreTest::initTestCase()
{
    QVERIFY(TestServer::fromEnvironment(&server));
    for (const QString& name : kUserNames)
        server.execAsRoot(QStringLiteral("DROP USER IF EXISTS '%1'@'%'").arg(name));
    QVERIFY(ViewsTestVault::startSession(server, settings, store, vault));
    for (const QString& name : kUserNames) {
        auto account = OTVUser_Admin::createUser();
        account->setMUsername(name);
        account->setMPassword(QStringLiteral("Secret-%1").arg(name));
        account->setMDescription(QStringLiteral("made for the panels"));
        QCOMPARE(store->addUser(account), kOTVStatusOK);
    }
    const auto makeGroup = [&](const QString& name, const QStringList& members) {
        auto group = BKGroup::newGroup();
        group->setMGroupName(name);
        group->setMRecordLevelPermissions(1);
        QStringList ids;
        for (const QString& member : members)
            ids.append(user(member)->mUserID());
        group->setMUserMembersArray(ids);
        group->setMSubGroupsUID(QStringList());
        if (store->addGroup(group) != kOTVStatusOK)
            return std::shared_ptr<BKGroup>();
        BKGroupSettingsPanel::updateGroupID(*group, store->mUsers());
        return group;
    };
    sales = makeGroup(QStringLiteral("Sales"), {QStringLiteral("i26ann")});
    ops = makeGroup(QStringLiteral("Ops"), {QStringLiteral("i26bob"), QStringLiteral("i26cid")});
    QVERIFY(sales && ops);
    window.show();
}

void EntryPanelsStoreTest::groupPanelAddsAGroupWithMembersAndMergedGroup()
{
    BKGroupSettingsPanel panel(*store);
    const QString ann = user("i26ann")->mUserID();
    bool openedClean = false;
    whenVisible(&panel, [&] {
        openedClean = panel.nameField()->text().isEmpty() && panel.tabs()->currentIndex() == 0 &&
                      !panel.prevailBox()->isChecked() && panel.usersModel()->rowCount() == 3;
        panel.nameField()->setText(QStringLiteral("Team"));
        panel.permissionBox(BKGroupSettingsPanel::kAddPermission)->setChecked(true);
        panel.permissionBox(BKGroupSettingsPanel::kDeletePermission)->setChecked(true);
        panel.prevailBox()->setChecked(true);
        tick(panel.usersModel(), ann, true);
        tick(panel.mergeModel(), ops->mGroupUID(), true);
        clickOK(panel);
    });
    int status = -1;
    const auto team = BKStoreGroupFromPanel(panel, &window, nullptr, BKGroupSettingsPanel::kAddOperation, &status);
    QVERIFY(openedClean);
    QCOMPARE(status, kOTVStatusOK);
    QVERIFY(team);
    teamUID = team->mGroupUID();
    QVERIFY(teamUID != sales->mGroupUID() && teamUID != ops->mGroupUID());

    const auto second = reloaded();
    QVERIFY(second);
    const auto stored = second->groupWithUID(teamUID);
    QVERIFY(stored);
    QCOMPARE(stored->mGroupName(), QStringLiteral("Team"));
    QCOMPARE(stored->mRecordLevelPermissions(), quint16(5));
    QVERIFY(stored->mPreferencePermissions());
    QStringList everyone;
    for (const QString& name : kUserNames)
        everyone.append(user(name)->mUserID());
    QCOMPARE(sorted(*stored->mUserMembersArray()), sorted(everyone));   // ann, and Ops's bob and cid
    QCOMPARE(*stored->mSubGroupsUID(), QStringList{ops->mGroupUID()});
    // Each member lists the group once, in memory and on the server.
    for (const QString& name : kUserNames) {
        QCOMPARE(user(name)->mUsersGroupArray().count(teamUID), 1);
        for (const auto& account : second->mUsers())
            if (account->mUsername() == name)
                QVERIFY(account->mUsersGroupArray().contains(teamUID));
    }
}

void EntryPanelsStoreTest::groupPanelRenamesAndChangesMembers()
{
    QVERIFY(!teamUID.isEmpty());
    BKGroupSettingsPanel panel(*store);
    const auto team = store->groupWithUID(teamUID);
    const QString ann = user("i26ann")->mUserID();
    const QString bob = user("i26bob")->mUserID();
    QStringList mergeRows;
    whenVisible(&panel, [&] {
        for (const auto& row : panel.mergeModel()->rows())
            mergeRows.append(row.texts.first());
        panel.nameField()->setText(QStringLiteral("Team Blue"));
        tick(panel.usersModel(), ann, false);
        tick(panel.usersModel(), bob, true);             // ticked one by one, and yet
        tick(panel.mergeModel(), ops->mGroupUID(), false);   // un-ticking Ops takes bob and cid along
        tick(panel.mergeModel(), sales->mGroupUID(), true);  // Sales brings ann back
        clickOK(panel);
    });
    int status = -1;
    const auto edited = BKStoreGroupFromPanel(panel, &window, team, BKGroupSettingsPanel::kEditOperation, &status);
    QCOMPARE(status, kOTVStatusOK);
    QVERIFY(edited);
    QCOMPARE(edited->mGroupUID(), teamUID);
    QVERIFY(!mergeRows.contains(QStringLiteral("Team")));   // never its own sub-group
    QVERIFY(mergeRows.contains(QStringLiteral("Ops")) && mergeRows.contains(QStringLiteral("Sales")));
    QCOMPARE(team->mGroupName(), QStringLiteral("Team"));   // the object handed in is not changed

    const auto second = reloaded();
    const auto stored = second->groupWithUID(teamUID);
    QCOMPARE(stored->mGroupName(), QStringLiteral("Team Blue"));
    QCOMPARE(*stored->mUserMembersArray(), QStringList{ann});
    QCOMPARE(*stored->mSubGroupsUID(), QStringList{sales->mGroupUID()});
    QCOMPARE(store->groupWithUID(teamUID)->mGroupName(), QStringLiteral("Team Blue"));
    QCOMPARE(user("i26ann")->mUsersGroupArray().count(teamUID), 1);
    QVERIFY(!user("i26bob")->mUsersGroupArray().contains(teamUID));
    QVERIFY(!user("i26cid")->mUsersGroupArray().contains(teamUID));
}

void EntryPanelsStoreTest::groupPanelDuplicates()
{
    BKGroupSettingsPanel panel(*store);
    QString shownName;
    bool permissionsShown = false;
    QStringList checkedUsers;
    whenVisible(&panel, [&] {
        shownName = panel.nameField()->text();
        permissionsShown = panel.permissionBox(1)->isChecked() && !panel.permissionBox(2)->isChecked() &&
                           panel.permissionBox(4)->isChecked() && panel.prevailBox()->isChecked();
        checkedUsers = panel.groupUsers();
        panel.nameField()->setText(QStringLiteral("Ops"));   // the source's own name is taken
        clickOK(panel);
        if (!panel.isVisible())
            return;
        panel.nameField()->setText(QStringLiteral("Ops copy"));
        tick(panel.usersModel(), user("i26bob")->mUserID(), false);   // staged: Ops keeps bob
        clickOK(panel);
    });
    alerts.alerts.clear();
    int status = -1;
    ops->setMRecordLevelPermissions(5);
    ops->setMPreferencePermissions(true);
    const auto copy = BKStoreGroupFromPanel(panel, &window, ops, BKGroupSettingsPanel::kDuplicateOperation, &status);
    ops->setMRecordLevelPermissions(1);
    ops->setMPreferencePermissions(false);
    QCOMPARE(shownName, QStringLiteral("Ops copy"));
    QVERIFY(permissionsShown);
    QCOMPARE(sorted(checkedUsers), sorted(*ops->mUserMembersArray()));
    QCOMPARE(alerts.messages(), QStringList{"Group name could not be duplicated"});
    QCOMPARE(status, kOTVStatusOK);
    QVERIFY(copy && copy->mGroupUID() != ops->mGroupUID());
    QCOMPARE(*copy->mUserMembersArray(), QStringList{user("i26cid")->mUserID()});
    // The source group and its members are untouched; only cid lists the copy.
    QCOMPARE(*store->groupWithUID(ops->mGroupUID())->mUserMembersArray(), *ops->mUserMembersArray());
    QVERIFY(user("i26bob")->mUsersGroupArray().contains(ops->mGroupUID()));
    QVERIFY(!user("i26bob")->mUsersGroupArray().contains(copy->mGroupUID()));
    QVERIFY(user("i26cid")->mUsersGroupArray().contains(copy->mGroupUID()));
}

void EntryPanelsStoreTest::groupNameChecks_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("operation");
    QTest::addColumn<QString>("alert");   // empty: accepted
    QTest::newRow("blanks and tabs") << " \t  " << 0 << "You must specify a name for this Group. ";
    QTest::newRow("reserved") << "Personal-x" << 0
                              << "Group name can't start with 'Personal-'.\nThis keyword is reserved for personal group.";
    QTest::newRow("reserved, other case") << "personal-x" << 0 << "";
    QTest::newRow("existing name when adding") << "Sales" << 0 << "Group name could not be duplicated";
    QTest::newRow("existing name in other case") << "sales" << 0 << "";
    QTest::newRow("unchanged name when editing") << "Sales" << 1 << "";
    QTest::newRow("leading blank kept") << " Sales" << 0 << "";
    QTest::newRow("too long") << kTooLong << 0 << OTVStatusMessage(kOTVStatusValueTooLong);
}

void EntryPanelsStoreTest::groupNameChecks()
{
    QFETCH(QString, name);
    QFETCH(int, operation);
    QFETCH(QString, alert);
    BKGroupSettingsPanel panel(*store);
    whenVisible(&panel, [&] {
        panel.nameField()->setText(name);
        okOrCancel(panel);
    });
    alerts.alerts.clear();
    int op = operation;
    const auto result = panel.runGroupSettingsPanelForWindow(&window, operation == 1 ? sales : nullptr, &op);
    if (alert.isEmpty()) {
        QVERIFY(alerts.alerts.isEmpty());
        QVERIFY(result);
        QCOMPARE(result->mGroupName(), name);
        QCOMPARE(result->mGroupUID() == sales->mGroupUID(), operation == 1);
    } else {
        QCOMPARE(alerts.messages(), QStringList{alert});
        QVERIFY(!result);
    }
}

void EntryPanelsStoreTest::refusedGroupWriteChangesNothing()
{
    // The row is rewritten first, then the member list fails: the whole write is undone.
    server.execAsRoot(QStringLiteral("CREATE TRIGGER vivododadi.refuse_members BEFORE DELETE ON vivododadi.USERGROUPTABLE "
                                     "FOR EACH ROW SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'refused'"));
    const QStringList usersBefore = userGroupLists();
    QCOMPARE(groupNamed(*store, QStringLiteral("Sales")), sales);
    BKGroupSettingsPanel panel(*store);
    whenVisible(&panel, [&] {
        panel.nameField()->setText(QStringLiteral("Sales West"));
        tick(panel.usersModel(), user("i26cid")->mUserID(), true);
        clickOK(panel);
    });
    alerts.alerts.clear();
    int status = -1;
    const auto result = BKStoreGroupFromPanel(panel, &window, sales, BKGroupSettingsPanel::kEditOperation, &status);
    server.execAsRoot(QStringLiteral("DROP TRIGGER vivododadi.refuse_members"));
    QVERIFY(!result);
    QVERIFY(status != kOTVStatusOK);
    QCOMPARE(alerts.alerts.size(), 1);
    QVERIFY(alerts.messages().first().startsWith(QStringLiteral("Operation failed.")));
    QCOMPARE(store->groupWithUID(sales->mGroupUID()), sales);
    QCOMPARE(sales->mGroupName(), QStringLiteral("Sales"));
    QCOMPARE(userGroupLists(), usersBefore);
    const auto second = reloaded();
    QCOMPARE(second->groupWithUID(sales->mGroupUID())->mGroupName(), QStringLiteral("Sales"));
    QCOMPARE(*second->groupWithUID(sales->mGroupUID())->mUserMembersArray(), QStringList{user("i26ann")->mUserID()});
}

void EntryPanelsStoreTest::typePanelAddsAType()
{
    BKTypeSettingsPanel panel(*store);
    QStringList shownLabels;
    bool resetHidden = false;
    whenVisible(&panel, [&] {
        for (int field = 1; field <= kNoOfFields; ++field)
            shownLabels.append(panel.labelField(field)->text());
        resetHidden = !panel.resetButton()->isVisible() && panel.nameField()->isVisible() &&
                      panel.groupPopup()->isVisible();
        panel.nameField()->setText(QStringLiteral("Router"));
        panel.labelField(1)->setText(QStringLiteral("Address"));
        panel.labelField(2)->setText(QStringLiteral("Admin password"));
        panel.labelField(5)->clear();
        panel.labelField(10)->setText(QStringLiteral("Changed"));   // read-only in the panel; never taken
        panel.maskBox(2)->setChecked(true);
        panel.maskBox(7)->setChecked(true);
        panel.setIconNumber(12);
        panel.groupPopup()->setCurrentIndex(panel.groupPopup()->findText(QStringLiteral("Sales")));
        clickOK(panel);
    });
    int status = -1;
    const auto router = BKStoreTypeFromPanel(panel, nullptr, nullptr, BKTypeSettingsPanel::kAddOperation, &status);
    QCOMPARE(status, kOTVStatusOK);
    QVERIFY(router);
    QVERIFY(resetHidden);
    QCOMPARE(shownLabels.first(), QStringLiteral("Field 1"));
    QCOMPARE(shownLabels.last(), QStringLiteral("Date Mod"));
    QCOMPARE(router->mSelectedGroupUID(), sales->mGroupUID());

    const auto second = reloaded();
    const auto stored = typeNamed(*second, QStringLiteral("Router"));
    QVERIFY(stored);
    QCOMPARE(stored->mTypeUID(), router->mTypeUID());
    QCOMPARE(stored->label(1), QStringLiteral("Address"));
    QCOMPARE(stored->label(2), QStringLiteral("Admin password"));
    QCOMPARE(stored->label(5), QStringLiteral("Field 5"));
    QCOMPARE(stored->label(10), QStringLiteral("Date Mod"));
    QCOMPARE(stored->mTypeMask().value_or(-1), 2 | 64);
    QCOMPARE(stored->mTypeIconID().value_or(-1), 12);

    // A new type's pop-up offers every group, the first chosen; the group left as it is goes
    // with the type, and none at all stands for every group.
    QStringList groupNames;
    for (const auto& group : store->groupsForEditing())
        groupNames.append(group->mGroupName());
    for (const bool unchosen : {false, true}) {
        BKTypeSettingsPanel other(*store);
        QStringList offered;
        QString shown;
        whenVisible(&other, [&] {
            for (int item = 0; item < other.groupPopup()->count(); ++item)
                offered.append(other.groupPopup()->itemText(item));
            shown = other.groupPopup()->currentText();
            if (unchosen)
                other.groupPopup()->setCurrentIndex(-1);
            other.nameField()->setText(unchosen ? QStringLiteral("Loose") : QStringLiteral("Filed"));
            clickOK(other);
        });
        int op = BKTypeSettingsPanel::kAddOperation;
        const auto made = other.runCustomSettingsPanelForWindow(&window, nullptr, &op);
        QVERIFY(made);
        QCOMPARE(offered, groupNames);
        QCOMPARE(shown, groupNames.first());
        QCOMPARE(made->mSelectedGroupUID(), unchosen ? QStringLiteral("000000000000FFFF")
                                                     : store->groupsForEditing().first()->mGroupUID());
        QCOMPARE(made->mTypeIconID().value_or(-1), kDefaultIconID);
        QVERIFY(other.isCustomizing());
    }
}

void EntryPanelsStoreTest::typePanelEditsInPlaceAfterTheQuestion()
{
    const auto router = typeNamed(*store, QStringLiteral("Router"));
    QVERIFY(router);
    BKTypeSettingsPanel panel(*store);

    // Unchanged: no question, an equal copy, nothing written.
    whenVisible(&panel, [&] { clickOK(panel); });
    alerts.alerts.clear();
    int status = -1;
    auto same = BKStoreTypeFromPanel(panel, &window, router, BKTypeSettingsPanel::kEditOperation, &status);
    QCOMPARE(status, kOTVStatusOK);
    QCOMPARE(same, router);
    QVERIFY(alerts.alerts.isEmpty());

    // Changed with the same name: Cancel goes back to the panel, Yes clears it, No edits.
    QStringList afterAnswers;
    whenVisible(&panel, [&] {
        panel.labelField(3)->setText(QStringLiteral("Firmware"));
        clickOK(panel);   // Cancel
        afterAnswers.append(panel.isVisible() ? panel.labelField(3)->text() : QStringLiteral("closed"));
        clickOK(panel);   // Yes
        afterAnswers.append(panel.isVisible() ? panel.nameField()->text() + "|" + panel.labelField(1)->text()
                                              : QStringLiteral("closed"));
        panel.nameField()->setText(QStringLiteral("Router"));
        panel.labelField(1)->setText(QStringLiteral("Address"));
        panel.labelField(2)->setText(QStringLiteral("Admin password"));
        panel.labelField(3)->setText(QStringLiteral("Firmware"));
        panel.maskBox(2)->setChecked(true);
        panel.maskBox(7)->setChecked(true);
        panel.setIconNumber(12);
        clickOK(panel);   // No: edit the type
    });
    alerts.answers = {kBKAlertAlternateReturn, kBKAlertOtherReturn, kBKAlertDefaultReturn};
    const auto edited = BKStoreTypeFromPanel(panel, &window, router, BKTypeSettingsPanel::kEditOperation, &status);
    QCOMPARE(afterAnswers, (QStringList{"Firmware", "|Field 1"}));
    QCOMPARE(alerts.alerts.size(), 3);
    QCOMPARE(alerts.alerts.first().message,
             QStringLiteral("Changing existing type will reflect on all the records under this type. Would you like "
                            "to create a new Type instead?"));
    QCOMPARE(alerts.alerts.first().defaultButton, QStringLiteral("No"));
    QCOMPARE(alerts.alerts.first().alternateButton, QStringLiteral("Cancel"));
    QCOMPARE(alerts.alerts.first().otherButton, QStringLiteral("Yes"));
    QCOMPARE(status, kOTVStatusOK);
    QCOMPARE(edited, router);   // the store's own object, changed in place
    QCOMPARE(store->mTypes().value(router->mTypeUID()), router);
    QCOMPARE(router->label(3), QStringLiteral("Firmware"));
    const auto second = reloaded();
    QCOMPARE(second->mTypes().value(router->mTypeUID())->label(3), QStringLiteral("Firmware"));
}

void EntryPanelsStoreTest::typePanelRenameMakesANewType()
{
    const auto router = typeNamed(*store, QStringLiteral("Router"));
    BKTypeSettingsPanel panel(*store);
    whenVisible(&panel, [&] {
        panel.nameField()->setText(QStringLiteral("Switch"));
        panel.labelField(3)->setText(QStringLiteral("Ports"));
        clickOK(panel);
    });
    alerts.alerts.clear();
    int op = BKTypeSettingsPanel::kEditOperation;
    const auto result = panel.runCustomSettingsPanelForWindow(&window, router, &op);
    QVERIFY(alerts.alerts.isEmpty());
    QCOMPARE(op, BKTypeSettingsPanel::kAddOperation);
    QVERIFY(result->mTypeUID() != router->mTypeUID());
    QCOMPARE(router->mTypeName(), QStringLiteral("Router"));
    QCOMPARE(router->label(3), QStringLiteral("Firmware"));

    int status = -1;
    whenVisible(&panel, [&] {
        panel.nameField()->setText(QStringLiteral("Switch"));
        clickOK(panel);
    });
    QVERIFY(BKStoreTypeFromPanel(panel, &window, router, BKTypeSettingsPanel::kEditOperation, &status));
    QCOMPARE(status, kOTVStatusOK);
    const auto second = reloaded();
    QVERIFY(typeNamed(*second, QStringLiteral("Router")));
    QVERIFY(typeNamed(*second, QStringLiteral("Switch")));
}

void EntryPanelsStoreTest::refusedTypeEditChangesNothing()
{
    const auto router = typeNamed(*store, QStringLiteral("Router"));
    const OTVType before = *router;
    server.execAsRoot(QStringLiteral("CREATE TRIGGER vivododadi.refuse_types BEFORE UPDATE ON vivododadi.TYPETABLE "
                                     "FOR EACH ROW SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'refused'"));
    BKTypeSettingsPanel panel(*store);
    whenVisible(&panel, [&] {
        panel.labelField(4)->setText(QStringLiteral("Serial"));
        clickOK(panel);   // the question: No, edit the type
    });
    alerts.alerts.clear();
    int status = -1;
    const auto result = BKStoreTypeFromPanel(panel, &window, router, BKTypeSettingsPanel::kEditOperation, &status);
    server.execAsRoot(QStringLiteral("DROP TRIGGER vivododadi.refuse_types"));
    QVERIFY(!result);
    QVERIFY(status != kOTVStatusOK);
    QCOMPARE(alerts.alerts.size(), 2);
    QVERIFY(alerts.messages().last().startsWith(QStringLiteral("Operation failed.")));
    QVERIFY(router->isEqualToType(before));
    QCOMPARE(router->label(4), before.label(4));
    QCOMPARE(store->mTypes().value(router->mTypeUID()), router);
    const auto second = reloaded();
    QCOMPARE(second->mTypes().value(router->mTypeUID())->label(4), before.label(4));
}

void EntryPanelsStoreTest::typePanelChecks_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("longLabel");   // field with a too-long label, 0 none
    QTest::addColumn<QString>("alert");
    QTest::newRow("blank") << "\t " << 0 << "You must specify a name for this type.";
    QTest::newRow("duplicate") << "Router" << 0 << "Type name could not be duplicated";
    QTest::newRow("other case") << "router" << 0 << "";
    QTest::newRow("name too long") << kTooLong << 0 << OTVStatusMessage(kOTVStatusValueTooLong);
    QTest::newRow("label too long") << "Long label" << 6 << OTVStatusMessage(kOTVStatusValueTooLong);
}

void EntryPanelsStoreTest::typePanelChecks()
{
    QFETCH(QString, name);
    QFETCH(int, longLabel);
    QFETCH(QString, alert);
    BKTypeSettingsPanel panel(*store);
    whenVisible(&panel, [&] {
        panel.nameField()->setText(name);
        if (longLabel)
            panel.labelField(longLabel)->setText(kTooLong);
        okOrCancel(panel);
    });
    alerts.alerts.clear();
    int op = BKTypeSettingsPanel::kAddOperation;
    const auto result = panel.runCustomSettingsPanelForWindow(&window, nullptr, &op);
    if (alert.isEmpty()) {
        QVERIFY(alerts.alerts.isEmpty());
        QVERIFY(result);
    } else {
        QCOMPARE(alerts.messages(), QStringList{alert});
        QVERIFY(!result);
    }
}

void EntryPanelsStoreTest::typePanelCustomisesARecord()
{
    const auto router = typeNamed(*store, QStringLiteral("Router"));
    auto record = OTVRecord::createRecord();
    record->setMGroup(sales);
    record->setMType(router);
    record->setValue(1, QStringLiteral("Gateway"));
    QCOMPARE(store->addRecord(record), kOTVStatusOK);

    BKTypeSettingsPanel panel(*store);
    panel.setResetInfo(router);
    panel.setCustomizing(true);
    panel.setShouldHideControls(true);
    bool controlsHidden = false;
    QString afterReset;
    whenVisible(&panel, [&] {
        controlsHidden = !panel.nameField()->isVisible() && !panel.iconButton()->isVisible() &&
                         !panel.groupPopup()->isVisible() && panel.resetButton()->isVisible();
        panel.labelField(1)->setText(QStringLiteral("Wrong"));
        panel.resetButton()->click();
        afterReset = panel.labelField(1)->text();
        panel.labelField(2)->setText(QStringLiteral("Root password"));
        panel.maskBox(2)->setChecked(true);
        panel.maskBox(3)->setChecked(true);
        clickOK(panel);   // no name needed
    });
    int op = BKTypeSettingsPanel::kCustomiseOperation;
    const auto own = panel.runCustomSettingsPanelForWindow(&window, router, &op);
    QVERIFY(controlsHidden);
    QCOMPARE(afterReset, QStringLiteral("Address"));
    QVERIFY(own);
    QCOMPARE(op, BKTypeSettingsPanel::kAddOperation);
    QVERIFY(!panel.shouldHideControls());   // closing the panel shows the controls again
    QCOMPARE(own->mTypeIconID().value_or(-1), router->mTypeIconID().value_or(-2));   // the record keeps its icon
    QCOMPARE(own->mTypeName(), router->mTypeName());
    QCOMPARE(own->label(1), QStringLiteral("Address"));
    QCOMPARE(own->label(2), QStringLiteral("Root password"));
    QCOMPARE(own->mTypeMask().value_or(-1), 2 | 4 | 64);   // field 7 masked by the type already

    // The record's owner stores it: a copy with the custom type replaces the record.
    auto customised = std::make_shared<OTVRecord>(*record);
    customised->setMRecordCustomType(*own);
    customised->setMIsCustomized(true);
    QCOMPARE(store->replaceRecord(customised), kOTVStatusOK);
    const auto second = reloaded();
    const auto stored = second->getRecordForUID(record->mRecordUID());
    QVERIFY(stored && stored->mRecordCustomType());
    QCOMPARE(stored->mRecordCustomType()->label(2), QStringLiteral("Root password"));
    QCOMPARE(stored->mRecordCustomType()->mTypeMask().value_or(-1), 2 | 4 | 64);
    QCOMPARE(stored->mRecordCustomType()->mTypeIconID().value_or(-1), 12);
}

// The icon button opens the icon chooser; its import stores the picture as a custom icon on a
// worker counted by the controller's store-worker gate, the grid selects it, and the new type
// keeps it: a second client reads the type with that icon.
void EntryPanelsStoreTest::typePanelImportsACustomIcon()
{
    QTemporaryDir files;
    const QString picture = files.filePath(QStringLiteral("badge.png"));
    QImage image(64, 64, QImage::Format_ARGB32);
    image.fill(QColor(20, 140, 90));
    QVERIFY(image.save(picture));

    BKController controller(*store);
    BKAlertPresenter::install(&alerts);
    BKTypeSettingsPanel panel(*store);
    BKIconSelectionPanel& chooser = panel.iconSelectionPanel();
    chooser.setFilePicker([&](QWidget*) { return QStringList{picture, files.filePath(QStringLiteral("none.png"))}; });
    QStringList gateSeen;
    BKNotificationCenter::defaultCenter().addObserver(kExternalIconCreatedNotification, this,
                                                      [&](const BKNotification&) {
                                                          gateSeen.append(controller.isStoreWorkerRunning() ? "gate"
                                                                                                            : "none");
                                                      });
    int chosen = 0;
    whenVisible(&panel, [&] {
        panel.nameField()->setText(QStringLiteral("Badge"));
        whenVisible(&chooser, [&] {
            chooser.findChild<QPushButton*>(QStringLiteral("addCustomIconsButton"))->click();
            chosen = chooser.imageMatrix()->selectedIconNumber();
            chooser.findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        });
        panel.iconButton()->click();
        clickOK(panel);
    });
    int status = -1;
    const auto badge = BKStoreTypeFromPanel(panel, nullptr, nullptr, BKTypeSettingsPanel::kAddOperation, &status);
    BKNotificationCenter::defaultCenter().removeObserversOf(this);
    QCOMPARE(status, kOTVStatusOK);
    QVERIFY(badge);
    QCOMPARE(gateSeen, QStringList{"gate"});
    QVERIFY(chosen > OTVDataBase::kCustomIcons);
    QCOMPARE(badge->mTypeIconID().value_or(-1), chosen);

    const auto second = reloaded();
    QVERIFY(second);
    const auto stored = typeNamed(*second, QStringLiteral("Badge"));
    QVERIFY(stored);
    QCOMPARE(stored->mTypeIconID().value_or(-1), chosen);
    const QImage shown = second->getImageFromIconIndex(chosen);
    QVERIFY(!shown.isNull());
    QCOMPARE(shown.pixelColor(shown.width() / 2, shown.height() / 2).rgb(), QColor(20, 140, 90).rgb());
}

QTEST_MAIN(EntryPanelsStoreTest)
#include "EntryPanelsStoreTest.moc"
