// The permission words against the fixture's server, run as a plain vault user: every command the
// words govern is refused without its bit (disabled, and inert when called all the same: nothing
// is written, exported, copied or printed, and nothing is said) and allowed with it.
#include "../ControllerTestSupport.h"
#include "../ExchangeTestSupport.h"
#include "ViewsTestVault.h"

#include "Controller/BKCategoryEditWindowController.h"
#include "Controller/BKController.h"
#include "Controller/BKDetailsWindowController.h"
#include "Controller/BKGroupSettingsPanel.h"
#include "Controller/BKMainWindowViews.h"
#include "Controller/BKMenuTable.h"
#include "Controller/BKTypeSettingsPanel.h"
#include "Customization/BKDetailsView.h"
#include "Customization/BKImageView.h"
#include "Customization/BKTableView.h"
#include "Model/OTVPermissionWords.h"
#include "Model/OTVUID.h"
#include "Model/OTVUser_Admin.h"
#include "Support/StoreConnectRequest.h"
#include "Support/UrlRecorder.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QAction>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>

#include <cppconn/connection.h>
#include <cppconn/resultset.h>
#include <cppconn/statement.h>

namespace {

const QString kAlice = QStringLiteral("i43alice");
const QString kAlicePassword = QStringLiteral("Alice-pw-43");

struct Words {
    int group = kFullGroupRights;
    int type = kFullTypeRights;
    int record = kFullRecordRights;
    int data = kFullDataRights;
};

// What an allowed command leaves behind (flags).
enum Effect { kWritesTheVault = 1, kWritesAFile = 2, kCopies = 4, kPrints = 8 };

} // namespace

class PermissionWordsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(TestServer::fromEnvironment(&server_));
        QVERIFY(files_.isValid());
        // A file to import: the sample vault's records as plain CSV, exported by an administrator.
        QVERIFY(buildVault(Words{}));
        QVERIFY(openAs(server_.admin.user, server_.admin.password));
        seedFile_ = files_.filePath(QStringLiteral("seed.csv"));
        prompts_->exportAnswers = {exportTo(seedFile_, 0)};
        controller_->exportSelectedFile(kExportCSVTag);
        QVERIFY(QFile::exists(seedFile_));
    }

    void cleanup()
    {
        alerts_.reset();
        controller_.reset();
        store_.reset();
        settings_.reset();
        QGuiApplication::clipboard()->clear();
        for (const QString& name : QDir(files_.path()).entryList({QStringLiteral("out*")}, QDir::Files))
            QFile::remove(files_.filePath(name));
    }

    // (word, bit, command) -> allowed or refused. Refused: the user holds every right but that
    // bit; allowed: that bit alone of the word (every other word full).
    void eachCommandFollowsItsWord_data()
    {
        QTest::addColumn<char>("word");
        QTest::addColumn<int>("bit");
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("effect");
        QTest::addColumn<bool>("allowed");
        struct Row {
            char word;
            int bit;
            const char* command;
            int effect;
        };
        const Row rows[] = {
            {'r', kPermissionAdd, "add record", kWritesTheVault},
            {'r', kPermissionEdit, "edit record", kWritesTheVault},
            {'r', kPermissionDelete, "delete record", kWritesTheVault},
            {'r', kPermissionAdd, "duplicate record", kWritesTheVault},
            {'r', kPermissionEdit, "customise record", kWritesTheVault},
            {'r', kPermissionEdit, "add attachment", kWritesTheVault},
            {'r', kPermissionEdit, "move to group", kWritesTheVault},
            {'r', kPermissionEdit, "move to type", kWritesTheVault},
            {'r', kPermissionDelete, "find duplicates", kWritesTheVault},
            {'g', kPermissionAdd, "new group", kWritesTheVault},
            {'g', kPermissionEdit, "edit group", kWritesTheVault},
            {'g', kPermissionDelete, "delete group", kWritesTheVault},
            {'t', kPermissionAdd, "new type", kWritesTheVault},
            {'t', kPermissionEdit, "edit type", kWritesTheVault},
            {'t', kPermissionDelete, "delete type", kWritesTheVault},
            {'d', kDataPermissionCopy, "copy field", kCopies},
            {'d', kDataPermissionCopy, "web login copies the password", kCopies},
            {'d', kDataPermissionPrint, "print record", kPrints},
            {'d', kDataPermissionPrint, "print list", kPrints},
            {'d', kDataPermissionExport, "export", kWritesAFile},
            {'d', kDataPermissionImport, "import", kWritesTheVault},
            // The group goes once its backup is written.
            {'d', kDataPermissionBackup, "backup before deleting a group", kWritesAFile | kWritesTheVault},
            {'d', kDataPermissionRestore, "restore", kWritesTheVault},
        };
        for (const Row& row : rows) {
            for (bool allowed : {false, true})
                QTest::addRow("%c%d %s: %s", row.word, row.bit, row.command, allowed ? "allowed" : "refused")
                    << row.word << row.bit << QString::fromLatin1(row.command) << row.effect << allowed;
        }
    }
    void eachCommandFollowsItsWord()
    {
        QFETCH(char, word);
        QFETCH(int, bit);
        QFETCH(QString, command);
        QFETCH(int, effect);
        QFETCH(bool, allowed);
        Words words;
        int& changed = word == 'g' ? words.group : word == 't' ? words.type : word == 'r' ? words.record : words.data;
        changed = allowed ? bit : changed & ~bit;
        const bool webLogin = command.startsWith(QLatin1String("web login"));
        const QString title = webLogin ? QStringLiteral("Web shop") : QStringLiteral("alpha bank");
        QVERIFY(buildVault(words));
        QVERIFY(openAs(kAlice, kAlicePassword));
        QVERIFY(!store_->isAdministratorSession());
        selectInList(title);

        const QString before = vaultState();
        bool printed = false;
        controller_->setPrintDialogRunner([&](QPrinter&, QWidget*, const std::function<void(QPrinter*)>&) {
            printed = true;
            return false;
        });
        urls_.urls.clear();
        // The web login itself is every user's: only its copy of the password is governed.
        QVERIFY2(offered(command) == (allowed || webLogin), "the command's item or button");
        if (command == QLatin1String("copy field") && !allowed) {
            // The list would copy its current cell on the copy key by itself.
            QTest::keyClick(controller_->mainWindowViews()->listViewTypesTable(), Qt::Key_C, Qt::ControlModifier);
            QCOMPARE(QGuiApplication::clipboard()->text(), QString());
        }
        run(command);
        if (webLogin)
            QCOMPARE(urls_.urls.size(), 1);

        const bool wrote = vaultState() != before;
        const bool filed = !QDir(files_.path()).entryList({QStringLiteral("out*")}, QDir::Files | QDir::Dirs).isEmpty();
        const bool copied = !QGuiApplication::clipboard()->text().isEmpty();
        QCOMPARE(wrote, allowed && (effect & kWritesTheVault));
        QCOMPARE(filed, allowed && (effect & kWritesAFile));
        QCOMPARE(copied, allowed && (effect & kCopies));
        QCOMPARE(printed, allowed && (effect & kPrints));
        if (!allowed && command.startsWith(QLatin1String("backup"))) {
            // The delete's question is asked, but offers no backup.
            QCOMPARE(alerts_->alerts.size(), 1);
            QVERIFY(!alertButtons(alerts_->alerts.first()).contains(QStringLiteral("Backup")));
        } else if (!allowed) {
            QCOMPARE(alertLines(*alerts_), QStringList());
        }
    }

    // The group-prevails rule, both ways: the word of the record's group decides while it
    // prevails, the user's own otherwise.
    void theGroupsWordDecidesWhileItPrevails_data()
    {
        QTest::addColumn<int>("userWord");
        QTest::addColumn<int>("bankingWord");
        QTest::addColumn<bool>("prevails");
        QTest::addColumn<QString>("title");   // of Banking, or of email ("Mail account")
        QTest::addColumn<bool>("deleted");
        QTest::newRow("a group without delete keeps its records") << 7 << 3 << true << "alpha bank" << false;
        QTest::newRow("a group with delete gives it to a user without") << 3 << 4 << true << "alpha bank" << true;
        QTest::newRow("a group's word that does not prevail counts for nothing") << 3 << 4 << false << "alpha bank"
                                                                                 << false;
        QTest::newRow("another group's records keep the user's word") << 3 << 4 << true << "Mail account" << false;
    }
    void theGroupsWordDecidesWhileItPrevails()
    {
        QFETCH(int, userWord);
        QFETCH(int, bankingWord);
        QFETCH(bool, prevails);
        QFETCH(QString, title);
        QFETCH(bool, deleted);
        Words words;
        words.record = userWord;
        QVERIFY(buildVault(words));
        server_.execAsRoot(QStringLiteral("UPDATE vivododadi.GROUPTABLE SET RECORDPERMISSION=%1, "
                                          "GROUPPERMISSIONPREVAILS=%2 WHERE UID='%3'")
                               .arg(bankingWord)
                               .arg(prevails ? 1 : 0)
                               .arg(groupUIDs_.value(QStringLiteral("Banking"))));
        QVERIFY(openAs(kAlice, kAlicePassword,
                       title == QLatin1String("Mail account") ? QStringLiteral("email") : QStringLiteral("Banking")));
        selectInList(title);
        QCOMPARE(controller_->isCommandEnabled(kBKDeleteRecordMenuTag), deleted);
        QMenu* menu = controller_->itemContextualMenu();
        controller_->refreshCommandStates();
        for (QAction* action : menu->actions()) {
            if (action->data().toInt() == kBKContextDeleteTag)
                QCOMPARE(action->isEnabled(), deleted);
        }
        alerts_->answers = {kBKAlertAlternateReturn};
        controller_->deleteSelected();
        QCOMPARE(ViewsTestVault::rootValue(server_, QStringLiteral("SELECT COUNT(*) FROM vivododadi.RECORDTABLE "
                                                                   "WHERE RECORDID='%1'")
                                                        .arg(recordUIDs_.value(title))),
                 deleted ? QStringLiteral("0") : QStringLiteral("1"));
    }

    // A record typed into the record window for a group that takes none is refused at OK, with the
    // window still open and nothing typed lost; in a group that takes it, it is stored.
    void aGroupThatTakesNoRecordsIsRefusedBeforeTheWindowCloses()
    {
        QVERIFY(buildVault(Words{}));
        server_.execAsRoot(QStringLiteral("UPDATE vivododadi.GROUPTABLE SET RECORDPERMISSION=2, "
                                          "GROUPPERMISSIONPREVAILS=1 WHERE UID='%1'")
                               .arg(groupUIDs_.value(QStringLiteral("Banking"))));
        QVERIFY(openAs(kAlice, kAlicePassword, QStringLiteral("email")));
        const QString stored = QStringLiteral("SELECT COUNT(*) FROM vivododadi.RECORDTABLE");
        const QString before = ViewsTestVault::rootValue(server_, stored);
        BKDetailsWindowController window(store_.get());
        controller_->setDetailsWindowRunner(
            [&window](const std::shared_ptr<OTVRecord>& info, int* operation, const BKDetailsAnswerWriter& write) {
                return window.orderFrontDetailsWindowWithInfo(info, operation, write);
            });
        bool refusedAndOpen = false;
        whenVisible(&window, [&] {
            window.valueField(1)->setText(QStringLiteral("typed by alice"));
            window.groupPopup()->setCurrentIndex(window.groupPopup()->findText(QStringLiteral("Banking")));
            window.detailPanelOK();
            refusedAndOpen = window.isVisible() && window.valueField(1)->text() == QLatin1String("typed by alice");
            window.groupPopup()->setCurrentIndex(window.groupPopup()->findText(QStringLiteral("email")));
            window.detailPanelOK();
            if (window.isVisible())   // refused again: shown by the checks below
                window.detailPanelCancel();
        });
        controller_->addItemsToDetail();
        QVERIFY(refusedAndOpen);
        QCOMPARE(alerts_->messages(),
                 QStringList{QStringLiteral("You may not add records to this group. Please choose another group.")});
        QCOMPARE(ViewsTestVault::rootValue(server_, stored), QString::number(before.toInt() + 1));
        std::shared_ptr<OTVRecord> added;
        for (const std::shared_ptr<OTVRecord>& record : store_->mRecords()) {
            if (record->value(1) == QLatin1String("typed by alice"))
                added = record;
        }
        QVERIFY(added);
        QCOMPARE(added->mGroup()->mGroupUID(), groupUIDs_.value(QStringLiteral("email")));
    }

    // Administrators keep every right, whatever their words say.
    void anAdministratorKeepsEveryRight()
    {
        QVERIFY(buildVault(Words{}));
        QVERIFY(openAs(server_.admin.user, server_.admin.password));
        const std::shared_ptr<OTVUser> user = store_->getCurrentUser();
        user->setMGroupPermissionsBit(0);
        user->setMTypePermissionsBit(0);
        user->setMRecordPermissionsBit(0);
        user->setMDataPermissionsBit(0);
        selectInList(QStringLiteral("alpha bank"));
        for (int tag : {kBKDeleteRecordMenuTag, kBKEditRecordMenuTag, kBKNewGroupMenuTag, kBKNewTypeMenuTag,
                        kBKExportCSVMenuTag, kBKRestoreMenuTag, kBKCopyField1MenuTag, kBKPrintRecordMenuTag})
            QVERIFY2(controller_->isCommandEnabled(tag), qPrintable(QString::number(tag)));
    }

private:
    // A new vault (ViewsTestVault's records, a second copy of "Router", and a new account alice
    // with `words`, member of the three groups), made by the administrator.
    bool buildVault(const Words& words)
    {
        server_.execAsRoot(QStringLiteral("DROP USER IF EXISTS '%1'@'%'").arg(kAlice));
        std::unique_ptr<TemporarySettings> settings;
        std::unique_ptr<OTVDataBase> admin;
        std::unique_ptr<ViewsTestVault> vault;
        if (!ViewsTestVault::startSession(server_, settings, admin, vault))
            return false;
        if (admin->addRecord(OTVRecord::copyRecord(*vault->records["Router"])) != kOTVStatusOK)
            return false;
        // A web login with an address and a password.
        auto shop = OTVRecord::createRecord();
        shop->setMGroup(vault->groups["Banking"]);
        shop->setMType(admin->mTypes().value(kWebLoginUID));
        shop->setValue(1, QStringLiteral("Web shop"));
        shop->setValue(3, QStringLiteral("shop secret"));
        shop->setValue(4, QStringLiteral("www.shop.example"));
        if (!shop->mType() || admin->addRecord(shop) != kOTVStatusOK)
            return false;
        auto alice = OTVUser_Admin::createUser();
        alice->setMUsername(kAlice);
        alice->setMPassword(kAlicePassword);
        alice->setMGroupPermissionsBit(quint16(words.group));
        alice->setMTypePermissionsBit(quint16(words.type));
        alice->setMRecordPermissionsBit(quint16(words.record));
        alice->setMDataPermissionsBit(quint16(words.data));
        QStringList groups;
        groupUIDs_.clear();
        for (const auto& [name, group] : vault->groups) {
            groups.append(group->mGroupUID());
            groupUIDs_.insert(QString::fromStdString(name), group->mGroupUID());
        }
        alice->setMUsersGroupArray(groups);
        if (admin->addUser(alice) != kOTVStatusOK)
            return false;
        recordUIDs_.clear();
        for (const auto& [title, record] : vault->records)
            recordUIDs_.insert(QString::fromStdString(title), record->mRecordUID());
        typeUIDs_.clear();
        for (const auto& [name, type] : vault->types)
            typeUIDs_.insert(QString::fromStdString(name), type->mTypeUID());
        return true;
    }

    // A session of `user` over the vault, in the list view of `group`, with scripted panels.
    bool openAs(const QString& user, const QString& password, const QString& group = QStringLiteral("Banking"))
    {
        settings_ = std::make_unique<TemporarySettings>();
        store_ = std::make_unique<OTVDataBase>();
        if (store_->startConnectionToServer(StoreConnectRequest(server_, TestAccount{user, password})) != kOTVStatusOK
            || store_->initUserDetails(user, password) != kOTVStatusOK || store_->loadDataBase(false) != kOTVStatusOK)
            return false;
        store_->getCurrentUser()->setMCurrentGroup(groupUIDs_.value(group));
        controller_ = std::make_unique<BKController>(*store_);
        alerts_ = std::make_unique<RecordingAlertPresenter>();
        auto prompts = std::make_unique<ScriptedExchangePrompts>();
        prompts_ = prompts.get();
        controller_->setExchangePrompts(std::move(prompts));
        controller_->applicationWillFinishLaunching();
        controller_->updateApplicationViews();
        controller_->mainWindow()->show();
        controller_->changeView(BKMainWindowViews::kListViewTag);
        return true;
    }

    void selectInList(const QString& title)
    {
        BKMainWindowViews* views = controller_->mainWindowViews();
        BKTableView* table = views->listViewTypesTable();
        for (int row = 0; row < table->model()->rowCount(); ++row) {
            if (views->listModel()->record(row)->value(1) == title)
                table->selectionModel()->setCurrentIndex(table->model()->index(row, 0),
                                                         QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
        const std::shared_ptr<OTVRecord> selected = controller_->itemPropertiesForTableViewSelectedRow();
        QVERIFY(selected);
        QCOMPARE(selected->value(1), title);
        controller_->refreshCommandStates();
    }

    BKCategoryEditWindowController& editor(bool groups, const QString& entry)
    {
        BKCategoryEditWindowController& editor = controller_->categoryEditWindowController();
        editor.setModeForSender(groups ? QStringLiteral("Edit Groups...") : QStringLiteral("Edit Types..."), 0);
        for (int row = 0; row < editor.tableView()->model()->rowCount(); ++row) {
            if (editor.tableView()->model()->index(row, 0).data().toString() == entry)
                editor.selectRow(row);
        }
        return editor;
    }

    // Whether the command's menu item, context-menu item or button is enabled.
    bool offered(const QString& command)
    {
        const QHash<QString, int> tags = {
            {"add record", kBKAddRecordMenuTag},       {"edit record", kBKEditRecordMenuTag},
            {"delete record", kBKDeleteRecordMenuTag}, {"duplicate record", kBKDuplicateRecordMenuTag},
            {"customise record", kBKCustomizeMenuTag}, {"add attachment", kBKAttachmentMenuTag},
            {"move to group", kBKContextGroupTag},     {"move to type", kBKContextTypeTag},
            {"find duplicates", kBKFindDuplicatesMenuTag}, {"new group", kBKNewGroupMenuTag},
            {"new type", kBKNewTypeMenuTag},           {"copy field", kBKCopyField1MenuTag},
            {"print record", kBKPrintRecordMenuTag},   {"print list", kBKPrintListMenuTag},
            {"export", kBKExportCSVMenuTag},           {"import", kBKImportCSVMenuTag},
            {"restore", kBKRestoreMenuTag},
        };
        if (command == QLatin1String("export")) {
            // Its sub-menu goes with it.
            const QMenu* sub = controller_->mainWindow()->findChild<QMenu*>(QStringLiteral("&File/Export"));
            if (!sub || sub->menuAction()->isEnabled() != controller_->isCommandEnabled(kBKExportCSVMenuTag))
                return !controller_->isCommandEnabled(kBKExportCSVMenuTag);
        }
        if (command == QLatin1String("edit group"))
            return editor(true, QStringLiteral("Banking")).editButton()->isEnabled();
        if (command == QLatin1String("delete group"))
            return editor(true, QStringLiteral("email")).deleteButton()->isEnabled();
        if (command == QLatin1String("edit type"))
            return editor(false, QStringLiteral("Card")).editButton()->isEnabled();
        if (command == QLatin1String("delete type"))
            return editor(false, QStringLiteral("Server")).deleteButton()->isEnabled();
        if (command.startsWith(QLatin1String("web login")))
            return controller_->isCommandEnabled(kBKWebLoginMenuTag);
        if (command.startsWith(QLatin1String("backup")))
            return controller_->checkForDataPermissionFor(kDataPermissionBackup);
        const int tag = tags.value(command);
        bool enabled = controller_->isCommandEnabled(tag);
        // The same command in the record context menu.
        const QHash<int, int> contextTags = {{kBKEditRecordMenuTag, kBKContextEditTag},
                                             {kBKDeleteRecordMenuTag, kBKContextDeleteTag},
                                             {kBKDuplicateRecordMenuTag, kBKContextDuplicateTag},
                                             {kBKCustomizeMenuTag, kBKContextCustomizeTag},
                                             {kBKAttachmentMenuTag, kBKContextAttachmentTag},
                                             {kBKPrintRecordMenuTag, kBKContextPrintTag}};
        if (contextTags.contains(tag)) {
            QMenu* menu = controller_->itemContextualMenu();
            controller_->refreshCommandStates();
            for (QAction* action : menu->actions()) {
                if (action->data().toInt() == contextTags.value(tag) && action->isEnabled() != enabled)
                    return !enabled;   // the two disagree: fails whichever way is expected
            }
        }
        if (tag == kBKCopyField1MenuTag) {
            // The details pane's copy buttons go with the Copy items.
            BKImageView* button = controller_->detailsView()->copyImageButton();
            if (button->isEnabled() != enabled)
                return !enabled;
        }
        return enabled;
    }

    void run(const QString& command)
    {
        OTVDataBase& store = *store_;
        const auto window = [this](int op, std::function<std::shared_ptr<OTVRecord>(const std::shared_ptr<OTVRecord>&)> answer) {
            controller_->setDetailsWindowRunner([op, answer](const std::shared_ptr<OTVRecord>& info, int* operation,
                                                             const BKDetailsAnswerWriter&) {
                *operation = op;
                return answer(info);
            });
        };
        if (command == QLatin1String("add record")) {
            window(0, [&store, this](const std::shared_ptr<OTVRecord>& info) {
                info->setMType(store.mTypes().value(typeUIDs_.value(QStringLiteral("Login"))));
                info->setValue(1, QStringLiteral("new one"));
                return info;
            });
            controller_->addItemsToDetail();
        } else if (command == QLatin1String("edit record")) {
            window(1, [](const std::shared_ptr<OTVRecord>& info) {
                auto edited = std::make_shared<OTVRecord>(*info);
                edited->setValue(2, QStringLiteral("changed"));
                return edited;
            });
            controller_->editItemDoubleAction();
        } else if (command == QLatin1String("delete record")) {
            alerts_->answers = {kBKAlertAlternateReturn};
            controller_->deleteSelected();
        } else if (command == QLatin1String("duplicate record")) {
            window(2, [](const std::shared_ptr<OTVRecord>& info) { return info; });
            controller_->duplicateItem();
        } else if (command == QLatin1String("customise record")) {
            BKTypeSettingsPanel& panel = controller_->typeSettingsPanel();
            whenVisible(&panel, [&panel] {
                panel.labelField(3)->setText(QStringLiteral("PIN"));
                panel.customSettingsOK();
            });
            controller_->displayFieldCustomizePanel();
        } else if (command == QLatin1String("add attachment")) {
            const QString path = files_.filePath(QStringLiteral("note.txt"));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("inside") == 6);
            file.close();
            controller_->setFileChooser([path](QWidget*, bool, const QString&, const QString&) { return path; });
            controller_->attachmentAction();
        } else if (command == QLatin1String("move to group")) {
            controller_->contextCategoryMenuChanged(groupUIDs_.value(QStringLiteral("Servers")));
        } else if (command == QLatin1String("move to type")) {
            controller_->contextTypeMenuChanged(typeUIDs_.value(QStringLiteral("Server")));
        } else if (command == QLatin1String("find duplicates")) {
            QDialog* sheet = controller_->dedupeSheet();
            whenVisible(sheet, [sheet] { sheet->findChild<QAbstractButton*>(QStringLiteral("yesButton"))->click(); });
            controller_->deDupe();
        } else if (command == QLatin1String("new group")) {
            BKGroupSettingsPanel& panel = controller_->groupSettingsPanel();
            whenVisible(&panel, [&panel] {
                panel.nameField()->setText(QStringLiteral("Travel"));
                panel.customGroupSettingsOK();
            });
            controller_->addGroups();
        } else if (command == QLatin1String("edit group")) {
            BKGroupSettingsPanel& panel = controller_->groupSettingsPanel();
            whenVisible(&panel, [&panel] {
                panel.nameField()->setText(QStringLiteral("Bank"));
                panel.customGroupSettingsOK();
            });
            editor(true, QStringLiteral("Banking")).editTableEntry();
        } else if (command == QLatin1String("delete group")) {
            alerts_->answers = {kBKAlertAlternateReturn, kBKAlertAlternateReturn};
            editor(true, QStringLiteral("email")).deleteSelectedTableEntry();
        } else if (command == QLatin1String("new type")) {
            BKTypeSettingsPanel& panel = controller_->typeSettingsPanel();
            whenVisible(&panel, [&panel] {
                panel.nameField()->setText(QStringLiteral("Wifi"));
                panel.customSettingsOK();
            });
            controller_->addTypes();
        } else if (command == QLatin1String("edit type")) {
            BKTypeSettingsPanel& panel = controller_->typeSettingsPanel();
            whenVisible(&panel, [&panel] {
                panel.labelField(2)->setText(QStringLiteral("Number"));
                panel.customSettingsOK();
            });
            // The panel asks whether to change a type in use: its default button does.
            editor(false, QStringLiteral("Card")).editTableEntry();
        } else if (command == QLatin1String("delete type")) {
            alerts_->answers = {kBKAlertAlternateReturn, kBKAlertAlternateReturn};
            editor(false, QStringLiteral("Server")).deleteSelectedTableEntry();
        } else if (command == QLatin1String("copy field")) {
            controller_->copyFieldValue(kBKCopyField1MenuTag);
        } else if (command.startsWith(QLatin1String("web login"))) {
            controller_->webLogin();
        } else if (command == QLatin1String("print record")) {
            controller_->printRecord();
        } else if (command == QLatin1String("print list")) {
            controller_->print();
        } else if (command == QLatin1String("export")) {
            prompts_->exportAnswers = {exportTo(files_.filePath(QStringLiteral("out.csv")), 0)};
            controller_->exportSelectedFile(kExportCSVTag);
        } else if (command == QLatin1String("import")) {
            prompts_->openAnswers = {seedFile_};
            controller_->importSelectedFile(kImportCSVTag);
        } else if (command == QLatin1String("restore")) {
            prompts_->openAnswers = {seedFile_};
            alerts_->answers = {kBKAlertAlternateReturn};
            controller_->importSelectedFile(kRestoreTag);
        } else if (command.startsWith(QLatin1String("backup"))) {
            prompts_->exportAnswers = {exportTo(files_.filePath(QStringLiteral("out.vrx")))};
            prompts_->exportPasswords = {{QStringLiteral("backup pw"), QStringLiteral("backup pw")}};
            alerts_->answers = {kBKAlertDefaultReturn};   // Backup, where it is offered
            editor(true, QStringLiteral("email")).deleteSelectedTableEntry();
        } else {
            QFAIL(qPrintable(command));
        }
    }

    static QStringList alertButtons(const BKAlert& alert)
    {
        return {alert.defaultButton, alert.alternateButton, alert.otherButton};
    }

    // What the server holds of the vault's content (not the view counts, which selecting a
    // record raises), read as root.
    QString vaultState() const
    {
        std::unique_ptr<sql::Connection> root = server_.connect(server_.root);
        std::unique_ptr<sql::Statement> statement(root->createStatement());
        QStringList state;
        const char* const queries[] = {
            "SELECT COUNT(*), BIT_XOR(CRC32(CONCAT_WS('|', RECORDID, TYPEUID, GROUPUID, MD5(CONCAT_WS('|', FIELD1, "
            "FIELD2, FIELD3, FIELD4, FIELD5, FIELD6, FIELD7, FIELD8, FIELD9, FIELD10, NOTE)), HASATTACHMENT, "
            "HASCUSTOMFIELD))) FROM vivododadi.RECORDTABLE",
            "CHECKSUM TABLE vivododadi.GROUPTABLE, vivododadi.TYPETABLE, vivododadi.CUSTOMTYPETABLE, "
            "vivododadi.ATTACHMENTTABLE, vivododadi.USERGROUPTABLE, vivododadi.GROUPSUBGROUPTABLE",
        };
        for (const char* query : queries) {
            std::unique_ptr<sql::ResultSet> rows(statement->executeQuery(query));
            while (rows->next())
                state.append(QString::fromStdString(rows->getString(1)) + QLatin1Char('=')
                             + QString::fromStdString(rows->getString(2)));
        }
        return state.join(QLatin1Char(';'));
    }

    TestServer server_;
    QTemporaryDir files_;
    QString seedFile_;
    QHash<QString, QString> groupUIDs_;
    QHash<QString, QString> typeUIDs_;
    QHash<QString, QString> recordUIDs_;
    std::unique_ptr<TemporarySettings> settings_;
    std::unique_ptr<OTVDataBase> store_;
    std::unique_ptr<BKController> controller_;
    std::unique_ptr<RecordingAlertPresenter> alerts_;
    ScriptedExchangePrompts* prompts_ = nullptr;
    UrlRecorder urls_;
};

QTEST_MAIN(PermissionWordsTest)
#include "PermissionWordsTest.moc"
