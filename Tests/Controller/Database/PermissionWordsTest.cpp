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
#include "Controller/BKPasswordSheets.h"
#include "Controller/BKRecordButtons.h"
#include "Controller/BKTypeSettingsPanel.h"
#include "Customization/BKDetailsView.h"
#include "Customization/BKImageView.h"
#include "Customization/BKTableView.h"
#include "Model/OTVPermissionWords.h"
#include "Model/OTVUID.h"
#include "Model/OTVUser_Admin.h"
#include "Platform/BKNotificationCenter.h"
#include "Support/StoreConnectRequest.h"
#include "Support/UrlRecorder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QAction>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <cppconn/connection.h>
#include <cppconn/exception.h>
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

    // The record window's fields (a value, the notes) keep what they show without the Copy right, by
    // every way it could leave: the copy and cut keys, the field's own menu, the X11 selection. With
    // the right the copy works and is the application's own: its clearing is armed.
    void theRecordWindowCopiesOnlyWithTheCopyRight_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("allowed");
        for (const char* path : {"Ctrl+C", "Ctrl+Insert", "Ctrl+X", "Shift+Delete", "menu Copy", "menu Cut",
                                 "notes Ctrl+C", "notes menu Copy", "X11 selection"}) {
            for (bool allowed : {false, true})
                QTest::addRow("%s: %s", path, allowed ? "allowed" : "refused") << QString::fromLatin1(path) << allowed;
        }
    }
    void theRecordWindowCopiesOnlyWithTheCopyRight()
    {
        QFETCH(QString, path);
        QFETCH(bool, allowed);
        const bool selection = path == QLatin1String("X11 selection");
        if (selection && !QGuiApplication::clipboard()->supportsSelection())
            QSKIP("the platform has no X11 selection");
        QVERIFY(openWithClipboardClearing(allowed ? kDataPermissionCopy : kFullDataRights & ~kDataPermissionCopy));
        selectInList(QStringLiteral("alpha bank"));
        const std::shared_ptr<OTVRecord> record = controller_->itemPropertiesForTableViewSelectedRow();
        const bool notes = path.startsWith(QLatin1String("notes"));
        const QString shown = notes ? record->mNotes() : record->value(2);
        QVERIFY(!shown.isEmpty());

        BKDetailsWindowController window(store_.get());
        QString copied;
        QString left;
        bool menuItemOffered = false;
        whenVisible(&window, [&] {
            QWidget* field = notes ? static_cast<QWidget*>(window.notesView()) : window.valueField(2);
            field->setFocus();
            notes ? window.notesView()->selectAll() : window.valueField(2)->selectAll();
            const QString key = path.mid(notes ? 6 : 0);
            if (key == QLatin1String("Ctrl+C"))
                QTest::keyClick(field, Qt::Key_C, Qt::ControlModifier);
            else if (key == QLatin1String("Ctrl+Insert"))
                QTest::keyClick(field, Qt::Key_Insert, Qt::ControlModifier);
            else if (key == QLatin1String("Ctrl+X"))
                QTest::keyClick(field, Qt::Key_X, Qt::ControlModifier);
            else if (key == QLatin1String("Shift+Delete"))
                QTest::keyClick(field, Qt::Key_Delete, Qt::ShiftModifier);
            else if (key.startsWith(QLatin1String("menu")))
                menuItemOffered = runFieldMenuItem(
                    notes ? window.notesView()->viewport() : field,
                    key.endsWith(QLatin1String("Cut")) ? QStringLiteral("edit-cut") : QStringLiteral("edit-copy"));
            else if (selection)
                QTest::mouseRelease(field, Qt::LeftButton, {}, field->rect().center());
            QCoreApplication::processEvents();
            copied = QGuiApplication::clipboard()->text(selection ? QClipboard::Selection : QClipboard::Clipboard);
            left = notes ? window.notesView()->toPlainText() : window.valueField(2)->text();
            window.detailPanelCancel();
        });
        int operation = kDetailsEdit;
        window.orderFrontDetailsWindowWithInfo(record, &operation);

        QCOMPARE(copied, allowed ? shown : QString());
        if (path.contains(QLatin1String("menu")))
            QCOMPARE(menuItemOffered, allowed);
        if (!allowed)
            QCOMPARE(left, shown);   // a refused cut takes nothing away either
        QCOMPARE(controller_->isClipboardClearPending(), allowed && !selection);
    }

    // Edit > Copy, and the copy key, with records selected in a view: what their rows show, under
    // the Copy right, with the clearing armed. Records are never cut.
    void copyFromAViewTakesWhatTheRowsShow_data()
    {
        QTest::addColumn<int>("view");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<bool>("allowed");
        for (bool allowed : {false, true}) {
            const char* right = allowed ? "allowed" : "refused";
            QTest::addRow("list, two rows: %s", right)
                << int(BKMainWindowViews::kListViewTag) << QStringList{"alpha bank", "zeta portal"} << allowed;
            QTest::addRow("column view: %s", right)
                << int(BKMainWindowViews::kColumnViewTag) << QStringList{"alpha bank"} << allowed;
        }
    }
    void copyFromAViewTakesWhatTheRowsShow()
    {
        QFETCH(int, view);
        QFETCH(QStringList, titles);
        QFETCH(bool, allowed);
        QVERIFY(openWithClipboardClearing(allowed ? kFullDataRights : kFullDataRights & ~kDataPermissionCopy));
        controller_->setShouldMask(true);
        BKMainWindowViews* views = controller_->mainWindowViews();
        QAbstractItemView* table = nullptr;
        if (view == BKMainWindowViews::kListViewTag) {
            table = views->listViewTypesTable();
            for (int row = 0; row < table->model()->rowCount(); ++row) {
                if (titles.contains(views->listModel()->record(row)->value(1)))
                    table->selectionModel()->select(table->model()->index(row, 0),
                                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
            }
        } else {
            controller_->changeView(view);
            table = views->columnViewDescriptionTable();
            std::shared_ptr<OTVType> type;
            for (const std::shared_ptr<OTVRecord>& record : store_->mRecords()) {
                if (record->value(1) == titles.first())
                    type = record->mType();
            }
            views->columnViewTypesTable()->selectRow(int(views->typesModel()->types().indexOf(type)));
            for (int row = 0; row < table->model()->rowCount(); ++row) {
                if (table->model()->index(row, 0).data().toString() == titles.first())
                    table->selectionModel()->setCurrentIndex(table->model()->index(row, 0),
                                                             QItemSelectionModel::ClearAndSelect |
                                                                 QItemSelectionModel::Rows);
            }
        }
        QMainWindow* window = controller_->mainWindow();
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        table->setFocus();
        controller_->refreshCommandStates();
        QCOMPARE(controller_->menuAction(kBKCopyMenuTag)->isEnabled(), allowed);
        QVERIFY(!controller_->menuAction(kBKCutMenuTag)->isEnabled());

        QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
        const QString byKey = QGuiApplication::clipboard()->text();
        QGuiApplication::clipboard()->clear();
        controller_->menuAction(kBKCopyMenuTag)->trigger();
        const QString byMenu = QGuiApplication::clipboard()->text();
        QCOMPARE(byMenu, byKey);
        QCOMPARE(controller_->isClipboardClearPending(), allowed);
        if (!allowed) {
            QCOMPARE(byMenu, QString());
            return;
        }
        // A line per row, a cell per column shown.
        const QStringList lines = byMenu.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), titles.size());
        for (const QString& title : titles) {
            QVERIFY2(std::count_if(lines.cbegin(), lines.cend(),
                                   [&](const QString& line) { return line.split(QLatin1Char('\t')).contains(title); }) == 1,
                     qPrintable(byMenu));
        }
        QVERIFY2(!byMenu.contains(QLatin1String("secret1")), "a masked value is copied as it shows");
    }

    // Commands a plain user may not run show disabled: Users..., Master Password..., the filter
    // pop-ups' editor items without the group or type word.
    void refusedCommandsShowDisabled_data()
    {
        QTest::addColumn<bool>("administrator");
        QTest::addColumn<int>("groupWord");
        QTest::addColumn<int>("typeWord");
        QTest::newRow("plain user without group and type rights") << false << 0 << 0;
        QTest::newRow("plain user with them") << false << 7 << 7;
        QTest::newRow("administrator") << true << 0 << 0;
    }
    void refusedCommandsShowDisabled()
    {
        QFETCH(bool, administrator);
        QFETCH(int, groupWord);
        QFETCH(int, typeWord);
        QVERIFY(buildVault(Words{}));
        QVERIFY(administrator ? openAs(server_.admin.user, server_.admin.password) : openAs(kAlice, kAlicePassword));
        if (!administrator) {
            store_->getCurrentUser()->setMGroupPermissionsBit(quint16(groupWord));
            store_->getCurrentUser()->setMTypePermissionsBit(quint16(typeWord));
        }
        controller_->refreshCommandStates();
        QCOMPARE(controller_->menuAction(kBKUsersMenuTag)->isEnabled(), administrator);
        QCOMPARE(controller_->menuAction(kBKMasterPasswordMenuTag)->isEnabled(), administrator);
        const auto editorItemEnabled = [](QComboBox* popup) {
            const int index = popup->findData(BKMainWindowViews::kEditItemTag);
            return index >= 0 && (popup->model()->flags(popup->model()->index(index, 0)) & Qt::ItemIsEnabled);
        };
        BKMainWindowViews* views = controller_->mainWindowViews();
        QCOMPARE(editorItemEnabled(views->categoriesPopup()), administrator || groupWord != 0);
        QCOMPARE(editorItemEnabled(views->typesPopup()), administrator || typeWord != 0);
        // The pop-up is rebuilt after each edit: it is set again as it opens.
        views->initGroupUIControl();
        emit views->categoriesPopup()->aboutToPopup();
        QCOMPARE(editorItemEnabled(views->categoriesPopup()), administrator || groupWord != 0);
    }

    // The context menu's Group sub-menu offers only groups that take the records; the record
    // window's Duplicate follows the group chosen in it.
    void moveAndDuplicateTargetsFollowTheGroupsWord()
    {
        QVERIFY(buildVault(Words{}));
        // Servers prevails and gives only the right to read.
        server_.execAsRoot(QStringLiteral("UPDATE vivododadi.GROUPTABLE SET RECORDPERMISSION=0, "
                                          "GROUPPERMISSIONPREVAILS=1 WHERE UID='%1'")
                               .arg(groupUIDs_.value(QStringLiteral("Servers"))));
        QVERIFY(openAs(kAlice, kAlicePassword));
        selectInList(QStringLiteral("alpha bank"));
        BKTableView* list = controller_->mainWindowViews()->listViewTypesTable();
        const QModelIndex current = list->selectionModel()->currentIndex();
        QMenu* menu = controller_->extendMenuForEvent(list, list->visualRect(current).center());
        QVERIFY(menu);
        QMenu* groups = nullptr;
        for (QAction* action : menu->actions()) {
            if (action->data().toInt() == kBKContextGroupTag)
                groups = action->menu();
        }
        QVERIFY(groups);
        QHash<QString, bool> offered;
        for (QAction* action : groups->actions())
            offered.insert(action->text(), action->isEnabled());
        QCOMPARE(offered.value(QStringLiteral("Servers"), true), false);
        QCOMPARE(offered.value(QStringLiteral("email"), false), true);

        BKDetailsWindowController window(store_.get());
        QList<bool> duplicateOffered;
        whenVisible(&window, [&] {
            for (const char* group : {"Servers", "Banking"}) {
                window.groupPopup()->setCurrentIndex(window.groupPopup()->findText(QString::fromLatin1(group)));
                duplicateOffered.append(window.duplicateButton()->isEnabled());
            }
            window.detailPanelCancel();
        });
        int operation = kDetailsEdit;
        window.orderFrontDetailsWindowWithInfo(controller_->itemPropertiesForTableViewSelectedRow(), &operation);
        QCOMPARE(duplicateOffered, (QList<bool>{false, true}));
    }

    // AutoFill opens web addresses only: a web login with another address does not offer it, in
    // the menus, the record buttons or the record window.
    void autoFillIsOfferedForAWebAddressOnly()
    {
        QVERIFY(buildVault(Words{}));
        QVERIFY(openAs(server_.admin.user, server_.admin.password));
        auto files = OTVRecord::createRecord();
        files->setMGroup(store_->mGroups().value(groupUIDs_.value(QStringLiteral("Banking"))));
        files->setMType(store_->mTypes().value(kWebLoginUID));
        files->setValue(1, QStringLiteral("File share"));
        files->setValue(4, QStringLiteral("ftp://files.example"));
        QCOMPARE(store_->addRecord(files), kOTVStatusOK);
        controller_->updateTables();
        for (const auto& [title, offered] : {std::pair{"Web shop", true}, {"File share", false}}) {
            selectInList(QString::fromLatin1(title));
            QCOMPARE(controller_->menuAction(kBKWebLoginMenuTag)->isEnabled(), offered);
        }

        BKDetailsWindowController window(store_.get());
        window.setWebLogin([](const OTVRecord&) {});
        QList<bool> autoFillOffered;
        whenVisible(&window, [&] {
            autoFillOffered.append(window.autoFillButton()->isEnabled());
            window.valueField(4)->setText(QStringLiteral("www.files.example"));
            autoFillOffered.append(window.autoFillButton()->isEnabled());
            window.valueField(4)->setText(QStringLiteral("javascript:alert(1)"));
            autoFillOffered.append(window.autoFillButton()->isEnabled());
            window.detailPanelCancel();
        });
        int operation = kDetailsEdit;
        window.orderFrontDetailsWindowWithInfo(files, &operation);
        QCOMPARE(autoFillOffered, (QList<bool>{false, true, false}));
    }

    // A group's record word and its prevailing are rights: a user who may edit groups renames one
    // but leaves its words as they are, through the panel, the store and any other client; only
    // merging groups needs the group delete bit.
    void aPlainUserCannotChangeAGroupsWords_data()
    {
        QTest::addColumn<bool>("administrator");
        QTest::newRow("plain user") << false;
        QTest::newRow("administrator") << true;
    }
    void aPlainUserCannotChangeAGroupsWords()
    {
        QFETCH(bool, administrator);
        Words words;
        words.group = kPermissionAdd | kPermissionEdit;
        words.record = kPermissionAdd | kPermissionEdit;
        QVERIFY(buildVault(words));
        const QString banking = groupUIDs_.value(QStringLiteral("Banking"));
        server_.execAsRoot(QStringLiteral("UPDATE vivododadi.GROUPTABLE SET RECORDPERMISSION=1, "
                                          "GROUPPERMISSIONPREVAILS=1 WHERE UID='%1'")
                               .arg(banking));
        QVERIFY(administrator ? openAs(server_.admin.user, server_.admin.password) : openAs(kAlice, kAlicePassword));
        const QString stored =
            QStringLiteral("SELECT CONCAT(RECORDPERMISSION, '/', GROUPPERMISSIONPREVAILS) FROM vivododadi.GROUPTABLE "
                           "WHERE UID='%1'");

        BKGroupSettingsPanel& panel = controller_->groupSettingsPanel();
        bool boxesOffered = true;
        bool mergeOffered = true;
        whenVisible(&panel, [&] {
            boxesOffered = panel.permissionBox(kPermissionDelete)->isEnabled() || panel.prevailBox()->isEnabled();
            mergeOffered = panel.mergeTable()->isEnabled();
            panel.nameField()->setText(QStringLiteral("Bank"));
            panel.permissionBox(kPermissionDelete)->setChecked(true);
            panel.prevailBox()->setChecked(false);
            panel.customGroupSettingsOK();
        });
        editor(true, QStringLiteral("Banking")).editTableEntry();
        QCOMPARE(boxesOffered, administrator);
        QCOMPARE(mergeOffered, administrator);
        QCOMPARE(store_->mGroups().value(banking)->mGroupName(), QStringLiteral("Bank"));
        QCOMPARE(ViewsTestVault::rootValue(server_, stored.arg(banking)),
                 administrator ? QStringLiteral("5/0") : QStringLiteral("1/1"));
        QCOMPARE(controller_->checkForRecordPermissionFor(kPermissionDelete, store_->mGroups().value(banking)),
                 administrator);

        // The store keeps the words of another account's write; a new group of his gives none.
        auto changed = std::make_shared<BKGroup>(*store_->mGroups().value(banking));
        changed->setMRecordLevelPermissions(7);
        changed->setMPreferencePermissions(!changed->mPreferencePermissions());
        QCOMPARE(store_->updateGroup(changed), kOTVStatusOK);
        QCOMPARE(ViewsTestVault::rootValue(server_, stored.arg(banking)),
                 administrator ? QStringLiteral("7/1") : QStringLiteral("1/1"));
        auto added = BKGroup::newGroup();
        added->setMGroupName(QStringLiteral("Travel"));
        added->setMRecordLevelPermissions(7);
        added->setMPreferencePermissions(true);
        QCOMPARE(store_->addGroup(added), kOTVStatusOK);
        QCOMPARE(ViewsTestVault::rootValue(server_, stored.arg(added->mGroupUID())),
                 administrator ? QStringLiteral("7/1") : QStringLiteral("0/0"));

        // Any other client under the account: the server refuses the words.
        std::unique_ptr<sql::Connection> client =
            server_.connect(administrator ? server_.admin : TestAccount{kAlice, kAlicePassword});
        std::unique_ptr<sql::Statement> statement(client->createStatement());
        bool refused = false;
        try {
            statement->execute(QStringLiteral("UPDATE vivododadi.GROUPTABLE SET RECORDPERMISSION=7 WHERE UID='%1'")
                                   .arg(banking)
                                   .toStdString());
        } catch (const sql::SQLException&) {
            refused = true;
        }
        QCOMPARE(refused, !administrator);
    }

    // Merging groups takes the group delete bit.
    void mergingGroupsNeedsTheGroupDeleteBit_data()
    {
        QTest::addColumn<int>("groupWord");
        QTest::newRow("edit only") << int(kPermissionEdit);
        QTest::newRow("edit and delete") << int(kPermissionEdit | kPermissionDelete);
    }
    void mergingGroupsNeedsTheGroupDeleteBit()
    {
        QFETCH(int, groupWord);
        Words words;
        words.group = groupWord;
        QVERIFY(buildVault(words));
        QVERIFY(openAs(kAlice, kAlicePassword));
        const bool mayMerge = groupWord & kPermissionDelete;
        BKGroupSettingsPanel& panel = controller_->groupSettingsPanel();
        bool mergeOffered = !mayMerge;
        whenVisible(&panel, [&] {
            mergeOffered = panel.mergeTable()->isEnabled();
            panel.setSubGroup(groupUIDs_.value(QStringLiteral("email")), true);
            panel.customGroupSettingsOK();
        });
        editor(true, QStringLiteral("Banking")).editTableEntry();
        QCOMPARE(mergeOffered, mayMerge);
        QCOMPARE(ViewsTestVault::rootValue(server_, QStringLiteral("SELECT COUNT(*) FROM vivododadi.GROUPSUBGROUPTABLE "
                                                                   "WHERE GROUPID='%1'")
                                                        .arg(groupUIDs_.value(QStringLiteral("Banking")))),
                 mayMerge ? QStringLiteral("1") : QStringLiteral("0"));
    }

    // The master password is the administrators': a plain user is not offered it, and a write
    // that the server refuses to his account is told as a failure, not as a deleted account;
    // an account that was dropped is still told so.
    void aRefusedWriteIsNoDeletedAccount_data()
    {
        QTest::addColumn<bool>("dropped");
        QTest::newRow("a write refused by the grants") << false;
        QTest::newRow("a dropped account") << true;
    }
    void aRefusedWriteIsNoDeletedAccount()
    {
        QFETCH(bool, dropped);
        QVERIFY(buildVault(Words{}));
        QVERIFY(openAs(kAlice, kAlicePassword));
        QVERIFY(!controller_->isCommandEnabled(kBKMasterPasswordMenuTag));
        controller_->setMasterPassword();   // called all the same: no panel, nothing written
        QVERIFY(!controller_->masterPasswordPanel()->isVisible());
        int deletedNotices = 0;
        BKNotificationCenter::defaultCenter().addObserver(kDBUserDeletedNotification, this,
                                                          [&](const BKNotification&) { ++deletedNotices; });
        if (dropped)
            server_.execAsRoot(QStringLiteral("DROP USER '%1'").arg(kAlice));
        const int status = store_->reEncyptAllDatabaseInformation(QStringLiteral("another master"));
        QCoreApplication::processEvents();
        BKNotificationCenter::defaultCenter().removeObserversOf(this);
        QVERIFY(status != kOTVStatusOK);
        QCOMPARE(deletedNotices, dropped ? 1 : 0);
        QCOMPARE(controller_->isTerminationRequested(), dropped);
    }

    // Pasting into any of the record window's fields with nothing on the clipboard, by the paste
    // keys or Edit > Paste, leaves the field as it was, with or without the Copy right. The
    // clipboard is empty either way a platform shows it: no data at all, or data without any
    // format (X11's clipboard when nobody owns it).
    void pastingAnEmptyClipboardLeavesTheRecordWindowsFields_data()
    {
        QTest::addColumn<int>("field");   // 0: the notes
        QTest::addColumn<bool>("allowed");
        for (int field = 0; field <= kNoOfFields; ++field) {
            for (bool allowed : {false, true})
                QTest::addRow("%s%d, %s", field ? "field " : "notes", field, allowed ? "with Copy" : "without Copy")
                    << field << allowed;
        }
    }
    void pastingAnEmptyClipboardLeavesTheRecordWindowsFields()
    {
        QFETCH(int, field);
        QFETCH(bool, allowed);
        QVERIFY(openWithClipboardClearing(allowed ? kFullDataRights : kFullDataRights & ~kDataPermissionCopy));
        selectInList(QStringLiteral("alpha bank"));
        const std::shared_ptr<OTVRecord> record = controller_->itemPropertiesForTableViewSelectedRow();

        BKDetailsWindowController window(store_.get());
        QStringList before;
        QStringList after;
        whenVisible(&window, [&] {
            QWidget* target = field ? static_cast<QWidget*>(window.valueField(field)) : window.notesView();
            const auto text = [&] {
                return field ? window.valueField(field)->text() : window.notesView()->toPlainText();
            };
            target->setFocus();
            // Nothing selected: an empty paste over a selection rightly takes it away.
            field ? window.valueField(field)->end(false) : window.notesView()->moveCursor(QTextCursor::End);
            const std::vector<std::function<void()>> pastes = {
                [&] { QTest::keyClick(target, Qt::Key_V, Qt::ControlModifier); },
                [&] { QTest::keyClick(target, Qt::Key_Insert, Qt::ShiftModifier); },
                [&] { controller_->paste(); },
            };
            for (bool noData : {true, false}) {
                for (const std::function<void()>& paste : pastes) {
                    if (noData)
                        QGuiApplication::clipboard()->clear();
                    else
                        QGuiApplication::clipboard()->setMimeData(new QMimeData);
                    before.append(text());
                    paste();
                    QCoreApplication::processEvents();
                    after.append(text());
                }
            }
            window.detailPanelCancel();
        });
        int operation = kDetailsEdit;
        window.orderFrontDetailsWindowWithInfo(record, &operation);

        QCOMPARE(after.size(), 6);
        QCOMPARE(after, before);
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

    // A session of alice, whose data word is `data`, with her clipboard clearing armed.
    bool openWithClipboardClearing(int data)
    {
        Words words;
        words.data = data;
        if (!buildVault(words) || !openAs(kAlice, kAlicePassword))
            return false;
        armClipboardClearing();
        return true;
    }

    // The user's clipboard clearing, on with a delay, watched as the main window does.
    void armClipboardClearing()
    {
        const std::shared_ptr<OTVUser> user = store_->getCurrentUser();
        user->setMClearClipboardState(true);
        user->setMClipBoardOnExit(false);
        controller_->applyClipboardClearMinutes(5);
        controller_->startIdleAndClipboardWatch();
    }

    // Opens the text field's own context menu on `target` (the field, or a text view's viewport)
    // and triggers its item named `name`; whether the item was enabled.
    static bool runFieldMenuItem(QWidget* target, const QString& name)
    {
        const QPoint at = target->rect().center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
        QApplication::sendEvent(target, &event);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return false;
        QAction* item = nullptr;
        for (QAction* action : menu->actions()) {
            if (action->objectName() == name)
                item = action;
        }
        const bool enabled = item && item->isEnabled();
        if (item)
            item->trigger();
        menu->close();
        return enabled;
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
        if (tag == kBKNewTypeMenuTag) {
            // The column view's type add button goes with New Type.
            controller_->refreshCommandStates();
            if (controller_->recordButtons()->typeAddButton()->isEnabled() != enabled)
                return !enabled;
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
