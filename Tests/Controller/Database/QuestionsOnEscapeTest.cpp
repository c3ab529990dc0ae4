// Every question that deletes, overwrites or sends, shown on the application's own message box
// and answered with Esc or the window's close button: the answer is the question's cancel, and
// the fixture's server holds exactly what it held before.
#include "../ControllerTestSupport.h"
#include "../ExchangeTestSupport.h"
#include "ViewsTestVault.h"

#include "Controller/BKCategoryEditWindowController.h"
#include "Controller/BKController.h"
#include "Controller/BKDetailsWindowController.h"
#include "Controller/BKMainWindowViews.h"
#include "Controller/BKOptionsWindowController.h"
#include "Controller/BKRecordViewModels.h"
#include "Controller/BKTypeSettingsPanel.h"
#include "Controller/BKUserListModel.h"
#include "Controller/UserAccountController.h"
#include "Customization/BKTableView.h"
#include "Model/OTVUser_Admin.h"
#include "Platform/BKHelperRunner.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <vector>

class QuestionsOnEscapeTest : public QObject {
    Q_OBJECT

    enum class Press { Escape, Close };

    struct Question {
        const char* name;
        // Makes what the question is about (before the server is read) ...
        std::function<void(QuestionsOnEscapeTest&)> prepare;
        // ... and runs the command that asks.
        std::function<void(QuestionsOnEscapeTest&)> ask;
        QString text;
        // Tables whose rows the command may write whatever the answer (the options' own values).
        QStringList written = {};
    };

private slots:
    void initTestCase()
    {
        QVERIFY(TestServer::fromEnvironment(&server_));
        QVERIFY(bin_.isValid());
        // An xdg-email that leaves a mark when it runs.
        QFile mailer(bin_.filePath(QStringLiteral("xdg-email")));
        QVERIFY(mailer.open(QIODevice::WriteOnly));
        mailer.write("#!/bin/sh\n: > \"$(dirname \"$0\")/mailed\"\n");
        mailer.close();
        mailer.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("PATH", (bin_.path() + ":" + qgetenv("PATH")).toUtf8());
        // Every box that shows is answered as the row says, and its text kept.
        connect(&answerer_, &QTimer::timeout, this, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            asked_.append(box->text());
            if (press_ == Press::Escape)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                box->close();
        });
        answerer_.start(5);
    }

    void init()
    {
        QVERIFY(ViewsTestVault::startSession(server_, settings_, store_, vault_));
        store_->getCurrentUser()->setMCurrentGroup(vault_->groups["Banking"]->mGroupUID());
        store_->getCurrentUser()->setMLastView(BKMainWindowViews::kListViewTag);
        // The controller puts up its own message boxes.
        controller_ = std::make_unique<BKController>(*store_);
        auto prompts = std::make_unique<ScriptedExchangePrompts>();
        prompts_ = prompts.get();
        controller_->setExchangePrompts(std::move(prompts));
        controller_->applicationWillFinishLaunching();
        controller_->updateApplicationViews();
        asked_.clear();
        QFile::remove(bin_.filePath(QStringLiteral("mailed")));
    }

    void cleanup()
    {
        QTRY_VERIFY(!BKHelperRunner::isBusy());
        controller_.reset();
        vault_.reset();
        store_.reset();
        settings_.reset();
        server_.execAsRoot(QStringLiteral("DROP USER IF EXISTS 'esc41user'@'%'"));
    }

    void escapeAndCloseGiveTheCancelAnswer_data()
    {
        QTest::addColumn<int>("question");
        QTest::addColumn<int>("press");
        const std::vector<Question>& all = questions();
        for (int i = 0; i < int(all.size()); ++i) {
            QTest::addRow("%s, Esc", all[size_t(i)].name) << i << int(Press::Escape);
            QTest::addRow("%s, close button", all[size_t(i)].name) << i << int(Press::Close);
        }
    }

    void escapeAndCloseGiveTheCancelAnswer()
    {
        QFETCH(int, question);
        QFETCH(int, press);
        const Question& asked = questions()[size_t(question)];
        press_ = Press(press);
        asked.prepare(*this);
        asked_.clear();
        const QString before = serverContents(asked.written);

        asked.ask(*this);

        QCOMPARE(asked_, QStringList{asked.text});
        QCOMPARE(serverContents(asked.written), before);
        QTRY_VERIFY(!BKHelperRunner::isBusy());
        QVERIFY(!QFileInfo::exists(bin_.filePath(QStringLiteral("mailed"))));
    }

private:
    static const std::vector<Question>& questions()
    {
        static const QString recordQuestion =
            QStringLiteral("Are you realy sure you want to delete the selected item(s)?");
        static const QString attachmentQuestion = QStringLiteral("Are you sure you want to delete attachment?");
        static const std::vector<Question> all{
            {"record", [](QuestionsOnEscapeTest& t) { t.selectInList(QStringLiteral("Visa")); },
             [](QuestionsOnEscapeTest& t) { t.controller_->deleteSelected(); }, recordQuestion},
            {"record in the record window", [](QuestionsOnEscapeTest&) {},
             [](QuestionsOnEscapeTest& t) { t.deleteInRecordWindow(QStringLiteral("Visa")); }, recordQuestion},
            {"attachment in the main window", [](QuestionsOnEscapeTest& t) { t.attachTo(QStringLiteral("Visa")); },
             [](QuestionsOnEscapeTest& t) { t.controller_->attachmentAction(); }, attachmentQuestion},
            {"attachment in the record window", [](QuestionsOnEscapeTest& t) { t.attachTo(QStringLiteral("Visa")); },
             [](QuestionsOnEscapeTest& t) { t.detachInRecordWindow(QStringLiteral("Visa")); }, attachmentQuestion},
            {"group with records (Backup, Yes, No)", [](QuestionsOnEscapeTest&) {},
             [](QuestionsOnEscapeTest& t) { t.deleteInEditor(true, QStringLiteral("Servers")); },
             QStringLiteral("All Types and Records inside this Group will be deleted.\nAre you Sure?\n"
                            "Note \u2013 You can Backup this group before Deleting it.")},
            {"group without records",
             [](QuestionsOnEscapeTest& t) {
                 auto group = BKGroup::newGroup();
                 group->setMGroupName(QStringLiteral("Empty"));
                 group->setMRecordLevelPermissions(7);
                 group->setMUserMembersArray(QStringList{t.store_->getCurrentUser()->mUserID()});
                 group->setMSubGroupsUID(QStringList{});
                 QCOMPARE(t.store_->addGroup(group), int(kOTVStatusOK));
             },
             [](QuestionsOnEscapeTest& t) { t.deleteInEditor(true, QStringLiteral("Empty")); },
             QStringLiteral("Please confirm. Deleting Group?\nNote \u2013 This action cannot be reversed.")},
            {"type with records (Backup, Yes, No)", [](QuestionsOnEscapeTest&) {},
             [](QuestionsOnEscapeTest& t) { t.deleteInEditor(false, QStringLiteral("Server")); },
             QStringLiteral("All  Records inside this Type will be deleted.\nAre you Sure?\n"
                            "Note \u2013 You can Backup this group before Deleting it.")},
            {"type without records",
             [](QuestionsOnEscapeTest& t) {
                 auto type = OTVType::createType();
                 type->setMTypeName(QStringLiteral("Unused"));
                 type->setMTypeIconID(5);
                 QCOMPARE(t.store_->addType(type), int(kOTVStatusOK));
             },
             [](QuestionsOnEscapeTest& t) { t.deleteInEditor(false, QStringLiteral("Unused")); },
             QStringLiteral("Please confirm. Deleting Types?\nNote \u2013 This action cannot be reversed.")},
            {"type in use changed (No, Cancel, Yes)", [](QuestionsOnEscapeTest&) {},
             [](QuestionsOnEscapeTest& t) { t.changeTypeInUse(QStringLiteral("Login")); },
             QStringLiteral("Changing existing type will reflect on all the records under this type. Would you "
                            "like to create a new Type instead?")},
            {"user",
             [](QuestionsOnEscapeTest& t) {
                 auto account = OTVUser_Admin::createUser();
                 account->setMUsername(QStringLiteral("esc41user"));
                 account->setMPassword(QStringLiteral("Esc-pw-41"));
                 QCOMPARE(t.store_->addUser(account), int(kOTVStatusOK));
             },
             [](QuestionsOnEscapeTest& t) { t.deleteUserInWindow(QStringLiteral("esc41user")); },
             QStringLiteral(" Are you sure,you want to delete selected users?")},
            {"restore", [](QuestionsOnEscapeTest& t) { t.makeBackup(); },
             [](QuestionsOnEscapeTest& t) {
                 t.prompts_->openAnswers = {t.backupPath()};
                 t.prompts_->importPasswords = {QStringLiteral("backup!")};
                 t.controller_->importSelectedFile(109);
             },
             QStringLiteral("This operation will destroy the current contents of the database and restore the "
                            "selected database.\n Are you sure you want to do this? ")},
            {"column settings for every type", [](QuestionsOnEscapeTest&) {},
             [](QuestionsOnEscapeTest& t) { t.changeColumnsInOptions(); },
             QStringLiteral("Do you want the current column settings to be applied to all Types?"),
             // OK saves the options and the columns of all records, whatever the answer.
             QStringList{"APPPREFTABLE", "EVENTLOGGERTABLE", "COLUMNINFOTABLE:all"}},
            {"mail", [](QuestionsOnEscapeTest& t) { t.makeBackup(); },
             [](QuestionsOnEscapeTest& t) { t.controller_->askForSendingMailWithAttachment(t.backupPath()); },
             QStringLiteral("Do you want to mail the exported file ?")},
        };
        return all;
    }

    // Each table's checksum and the server's accounts, read as root. A table named in `written`
    // is left out; "TABLE:all" keeps only its rows of the vault's own types (not those of all
    // types together).
    QString serverContents(const QStringList& written) const
    {
        std::unique_ptr<sql::Connection> connection = server_.connect(server_.root);
        std::unique_ptr<sql::Statement> statement(connection->createStatement());
        QStringList tables;
        {
            std::unique_ptr<sql::ResultSet> rows(statement->executeQuery(
                "SELECT TABLE_NAME FROM information_schema.TABLES WHERE TABLE_SCHEMA='vivododadi' ORDER BY 1"));
            while (rows->next())
                tables.append(QString::fromStdString(rows->getString(1)));
        }
        QStringList contents;
        auto read = [&](const QString& query) {
            std::unique_ptr<sql::ResultSet> rows(statement->executeQuery(query.toStdString()));
            QStringList values;
            while (rows->next())
                values.append(QString::fromStdString(rows->getString(rows->getMetaData()->getColumnCount())));
            contents.append(query + QStringLiteral(" = ") + values.join(QLatin1Char(',')));
        };
        for (const QString& table : tables) {
            if (written.contains(table))
                continue;
            if (written.contains(table + QStringLiteral(":all")))
                read(QStringLiteral("SELECT COUNT(*), MD5(GROUP_CONCAT(CONCAT_WS('|', t.USERID, t.TYPEID, t.COLUMN1, "
                                    "t.COLUMN14) ORDER BY t.USERID, t.TYPEID)) FROM vivododadi.%1 t WHERE t.TYPEID IN "
                                    "(SELECT UID FROM vivododadi.TYPETABLE)")
                         .arg(table));
            else
                read(QStringLiteral("CHECKSUM TABLE vivododadi.%1").arg(table));
        }
        read(QStringLiteral("SELECT GROUP_CONCAT(User ORDER BY User) FROM mysql.user"));
        return contents.join(QLatin1Char('\n'));
    }

    int rowInList(const QString& title)
    {
        BKMainWindowViews* views = controller_->mainWindowViews();
        for (int row = 0; row < views->listModel()->rowCount(); ++row)
            if (views->listModel()->record(row)->value(1) == title)
                return row;
        return -1;
    }

    std::shared_ptr<OTVRecord> selectInList(const QString& title)
    {
        BKMainWindowViews* views = controller_->mainWindowViews();
        BKTableView* table = views->listViewTypesTable();
        table->clearSelection();
        const int row = rowInList(title);
        if (row < 0)
            return nullptr;
        table->selectionModel()->setCurrentIndex(table->model()->index(row, 0),
                                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        return views->listModel()->record(row);
    }

    void attachTo(const QString& title)
    {
        const QString path = files_.filePath(QStringLiteral("notes.txt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("hello");
        file.close();
        controller_->addAttachmentFromFile(selectInList(title), path);
        QVERIFY(selectInList(title)->mHasAttachment());
    }

    void detachInRecordWindow(const QString& title)
    {
        BKDetailsWindowController window(store_.get());
        bool keptInWindow = false;
        whenVisible(&window, [&] {
            window.attachdetachFile();
            keptInWindow = window.hasAttachment();
            window.detailPanelOK();
        });
        int operation = kDetailsEdit;
        const std::shared_ptr<OTVRecord> answer =
            // Choosing the record again would count a view, a write of its own: the record stays selected.
            window.orderFrontDetailsWindowWithInfo(controller_->mainWindowViews()->listModel()->record(rowInList(title)),
                                                   &operation);
        QVERIFY(keptInWindow);
        QVERIFY(answer && answer->mHasAttachment());
        QCOMPARE(answer->mAttachmentState(), int(kAttachmentUnchanged));
    }

    // The window's Delete asks; the cancel answer goes back to the window with what was typed.
    void deleteInRecordWindow(const QString& title)
    {
        BKDetailsWindowController window(store_.get());
        bool keptInWindow = false;
        whenVisible(&window, [&] {
            window.valueField(2)->setText(QStringLiteral("typed before Delete"));
            window.deleteItem();
            keptInWindow = window.isVisible() && window.valueField(2)->text() == QStringLiteral("typed before Delete");
            window.detailPanelCancel();
        });
        int operation = kDetailsEdit;
        const std::shared_ptr<OTVRecord> answer = window.orderFrontDetailsWindowWithInfo(
            controller_->mainWindowViews()->listModel()->record(rowInList(title)), &operation);
        QVERIFY(keptInWindow);
        QVERIFY(!answer);
        QCOMPARE(operation, int(kDetailsEdit));
    }

    void deleteInEditor(bool groups, const QString& name)
    {
        BKCategoryEditWindowController& editor = controller_->categoryEditWindowController();
        editor.setModeForSender(groups ? QStringLiteral("Edit Groups...") : QStringLiteral("Edit Types..."), 0);
        int row = -1;
        if (groups) {
            row = int(store_->groupsForEditing().indexOf(store_->getGroupFromGroupName(name)));
        } else {
            const OTVTypeList types = store_->typesForEditing();
            for (int i = 0; i < types.size(); ++i)
                if (types[i]->mTypeName() == name)
                    row = i;
        }
        QVERIFY(row >= 0);
        editor.selectRow(row);
        editor.deleteSelectedTableEntry();
    }

    void changeTypeInUse(const QString& name)
    {
        BKCategoryEditWindowController& editor = controller_->categoryEditWindowController();
        editor.setModeForSender(QStringLiteral("Edit Types..."), 0);
        const OTVTypeList types = store_->typesForEditing();
        for (int i = 0; i < types.size(); ++i)
            if (types[i]->mTypeName() == name)
                editor.selectRow(i);
        BKTypeSettingsPanel& panel = controller_->typeSettingsPanel();
        bool stillOpen = false;
        whenVisible(&panel, [&] {
            panel.labelField(1)->setText(QStringLiteral("Changed label"));
            panel.customSettingsOK();
            stillOpen = panel.isVisible();
            panel.customSettingsCancel();
        });
        editor.editTableEntry();
        QVERIFY(stillOpen);
    }

    void deleteUserInWindow(const QString& name)
    {
        UserAccountController window(*store_);
        window.show();
        for (int row = 0; row < window.userModel()->rowCount(); ++row)
            if (window.userModel()->userAt(row)->mUsername() == name)
                window.userTable()->selectRow(row);
        QVERIFY(!window.userTable()->selectionModel()->selectedRows().isEmpty());
        window.deleteUser();
    }

    void changeColumnsInOptions()
    {
        BKOptionsWindowController& window = controller_->optionsWindowController();
        whenVisible(&window, [&] {
            window.columnButton(2, 2)->setChecked(!window.columnButton(2, 2)->isChecked());
            window.ok();
        });
        QCOMPARE(window.orderFrontOptionsPanel(), kBKModalStop);
    }

    QString backupPath() const { return files_.filePath(QStringLiteral("Backup.vrx")); }

    void makeBackup()
    {
        QFile::remove(backupPath());
        prompts_->exportAnswers = {exportTo(backupPath())};
        prompts_->exportPasswords = {{QStringLiteral("backup!"), QStringLiteral("backup!")}};
        QVERIFY(controller_->backupRecords(store_->itemsOfGroup(vault_->groups["Banking"], QString())));
        // The records the restore would add again.
        for (const auto& record : store_->itemsOfGroup(vault_->groups["Banking"], QString()))
            QCOMPARE(store_->deleteRecord(record), int(kOTVStatusOK));
        QVERIFY(QFileInfo::exists(backupPath()));
    }

    TestServer server_;
    QTemporaryDir bin_;
    QTemporaryDir files_;
    std::unique_ptr<TemporarySettings> settings_;
    std::unique_ptr<OTVDataBase> store_;
    std::unique_ptr<ViewsTestVault> vault_;
    std::unique_ptr<BKController> controller_;
    ScriptedExchangePrompts* prompts_ = nullptr;
    QTimer answerer_;
    Press press_ = Press::Escape;
    QStringList asked_;
};

QTEST_MAIN(QuestionsOnEscapeTest)
#include "QuestionsOnEscapeTest.moc"
