// The attachment commands, the web login, the mail of an export and printing, as the controller
// runs them against a real server, with the desktop's helpers replaced by recording programs.
#include "../ControllerTestSupport.h"
#include "../PrintedListCheck.h"
#include "VaultSessionTest.h"
#include "ViewsTestVault.h"

#include "Controller/BKController.h"
#include "Controller/BKMainWindowViews.h"
#include "Controller/BKRecordViewModels.h"
#include "Customization/BKDetailsView.h"
#include "Customization/BKTableView.h"
#include "Model/OTVStatusMessages.h"
#include "Platform/BKHelperRunner.h"
#include "Support/UrlRecorder.h"
#include "Support/TemporarySettings.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeView>

#include <atomic>
#include <memory>
#include <mutex>
#include <sys/stat.h>

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes, QFileDevice::Permissions permissions = {})
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    if (permissions)
        file.setPermissions(permissions);
}

QString pdfText(const QString& pdf)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

const QFileDevice::Permissions kExecutable = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

} // namespace

class AttachmentCommandsTest : public VaultSessionTest {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(TestServer::fromEnvironment(&server_));
        QVERIFY(xdg_.isValid());
        // Desktop entries and helper programs of the tests' own.
        qputenv("XDG_DATA_HOME", (xdg_.path() + "/data").toUtf8());
        // The MIME database stays the system's; the applications are the tests'.
        QVERIFY(QFile::link(QStringLiteral("/usr/share/mime"), xdg_.path() + "/mime-only/mime") ||
                (QDir().mkpath(xdg_.path() + "/mime-only") &&
                 QFile::link(QStringLiteral("/usr/share/mime"), xdg_.path() + "/mime-only/mime")));
        qputenv("XDG_DATA_DIRS", (xdg_.path() + "/system:" + xdg_.path() + "/mime-only").toUtf8());
        qputenv("XDG_CONFIG_HOME", (xdg_.path() + "/config").toUtf8());
        qputenv("XDG_CONFIG_DIRS", (xdg_.path() + "/system-config").toUtf8());
        qputenv("PATH", (xdg_.path() + "/bin:" + qgetenv("PATH")).toUtf8());
        // Records its arguments, one per line, in <its name>.args beside the test's files.
        const QByteArray recorder = "#!/bin/sh\nout=\"" + xdg_.path().toUtf8() +
                                    "/$(basename \"$0\").args\"\n: > \"$out\"\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$out\"; done\n";
        writeFile(xdg_.path() + "/bin/xdg-email", recorder, kExecutable);
        writeFile(xdg_.path() + "/bin/record-open", recorder, kExecutable);
        for (const auto& [id, name] : {std::pair{"recorder.desktop", "Recorder"}, {"other.desktop", "Other"}}) {
            writeFile(xdg_.path() + "/system/applications/" + id,
                      QByteArray("[Desktop Entry]\nType=Application\nName=") + name + "\nExec=record-open --from " +
                          name + " %f\n");
        }
        writeFile(xdg_.path() + "/system/applications/mimeinfo.cache",
                  "[MIME Cache]\ntext/plain=other.desktop;recorder.desktop;\n");
        writeFile(xdg_.path() + "/config/mimeapps.list", "[Default Applications]\ntext/plain=recorder.desktop;\n");
    }

    void init()
    {
        QVERIFY(startVaultSession());
        store_->getCurrentUser()->setMCurrentGroup(vault_->groups["Banking"]->mGroupUID());
        store_->getCurrentUser()->setMLastView(BKMainWindowViews::kListViewTag);
        newController();
        controller_->applicationWillFinishLaunching();
        controller_->updateApplicationViews();
        QVERIFY(QDir().mkpath(files_.path()));
        urls_.urls.clear();
        QFile::remove(xdg_.path() + "/xdg-email.args");
        QFile::remove(xdg_.path() + "/record-open.args");
    }

    void cleanup()
    {
        QTRY_VERIFY(!BKHelperRunner::isBusy());
        BKHelperRunner::setLauncher(nullptr);
        endVaultSession();
    }

    // --- Adding and removing

    void theSizeLimitCountsTheFileThatIsRead_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("throughLink");
        QTest::addColumn<bool>("stored");
        QTest::newRow("one byte under 1 MB") << qint64(1048575) << false << true;
        QTest::newRow("exactly 1 MB") << qint64(1048576) << false << false;
        QTest::newRow("a link to 2 MB") << qint64(2 * 1048576) << true << false;
        QTest::newRow("a link to a small file") << qint64(10) << true << true;
        QTest::newRow("no file") << qint64(-1) << false << false;
    }
    void theSizeLimitCountsTheFileThatIsRead()
    {
        QFETCH(qint64, size);
        QFETCH(bool, throughLink);
        QFETCH(bool, stored);
        QString path = files_.filePath(QStringLiteral("data.bin"));
        QFile::remove(path);
        QByteArray bytes;
        if (size >= 0) {
            bytes = QByteArray(int(size), 'a');
            for (int i = 0; i < bytes.size(); i += 997)
                bytes[i] = char(i % 251);
            writeFile(path, bytes);
        }
        if (throughLink) {
            const QString link = files_.filePath(QStringLiteral("link.bin"));
            QFile::remove(link);
            QVERIFY(QFile::link(path, link));
            path = link;
        }
        const std::shared_ptr<OTVRecord> visa = selectInList("Visa");
        chooseFiles({path});
        controller_->attachmentAction();

        const std::shared_ptr<OTVRecord> now = store_->getRecordForUID(visa->mRecordUID());
        QCOMPARE(now->mHasAttachment(), stored);
        QCOMPARE(attachmentRows(visa->mRecordUID()), stored ? 1 : 0);
        if (!stored) {
            QCOMPARE(alerts_->messages(), QStringList{"The attachment size exceeds 1MB limit."});
            return;
        }
        QVERIFY(alerts_->alerts.isEmpty());
        QCOMPARE(now->mAttachmentName(), QFileInfo(path).fileName());
        QCOMPARE(now->mAttachmentState(), int(kAttachmentUnchanged));
        QVERIFY(store_->recentlyModifiedTypes().contains(visa->mRecordUID()));
        int code = -1;
        const std::optional<QByteArray> extracted = store_->extractAttachmentDataForRecord(*now, &code);
        QVERIFY(extracted);
        QVERIFY(extracted->startsWith(bytes));
    }

    void aFailedAddLeavesTheRecordAsItWas()
    {
        const std::shared_ptr<OTVRecord> visa = selectInList("Visa");
        writeFile(files_.filePath(QStringLiteral("a.txt")), "text");
        // Another copy deleted the record meanwhile.
        server_.execAsRoot(QStringLiteral("DELETE FROM vivododadi.RECORDTABLE WHERE RECORDID='%1'")
                               .arg(visa->mRecordUID()));
        chooseFiles({files_.filePath(QStringLiteral("a.txt"))});
        controller_->attachmentAction();
        QCOMPARE(alerts_->messages(), QStringList{"Operation failed. Please reload the database first."});
        QVERIFY(!visa->mHasAttachment());
        QCOMPARE(visa->mAttachmentName(), QString());
        QVERIFY(!store_->recentlyModifiedTypes().contains(visa->mRecordUID()));
    }

    void aNameTooLongForTheVaultIsRefused()
    {
        // The stored name holds 240 UTF-8 bytes; a file name may have 255.
        const QString path = files_.filePath(QString(250, QLatin1Char('l')));
        writeFile(path, "x");
        const std::shared_ptr<OTVRecord> visa = selectInList("Visa");
        chooseFiles({path});
        controller_->attachmentAction();
        QCOMPARE(alerts_->messages(), QStringList{OTVStatusMessage(12)});
        QVERIFY(!visa->mHasAttachment());
        QVERIFY(!store_->getRecordForUID(visa->mRecordUID())->mHasAttachment());
        QCOMPARE(attachmentRows(visa->mRecordUID()), 0);
    }

    void removingAsksFirst()
    {
        const std::shared_ptr<OTVRecord> visa = addAttachment("Visa", "notes.txt", "hello");
        alerts_->answers = {kBKAlertDefaultReturn};   // "No"
        controller_->attachmentAction();
        QCOMPARE(alertLines(*alerts_),
                 QStringList{"Ostrevin Darovazivu Alert! | Are you sure you want to delete attachment? | No"});
        QCOMPARE(alerts_->alerts.first().alternateButton, QStringLiteral("Yes"));
        QCOMPARE(attachmentRows(visa->mRecordUID()), 1);

        alerts_->answers = {kBKAlertAlternateReturn};   // "Yes"
        controller_->attachmentAction();
        QCOMPARE(attachmentRows(visa->mRecordUID()), 0);
        QVERIFY(!store_->getRecordForUID(visa->mRecordUID())->mHasAttachment());
        QVERIFY(controller_->detailsView()->detailInfo());
        QVERIFY(!controller_->detailsView()->detailInfo()->mHasAttachment());
    }

    // --- The attachment menu

    void theMenuOpensTheFileWithTheChosenApplication()
    {
        addAttachment("Visa", "notes.txt", "hello attachment");
        controller_->addExtractAttachmentMenu(nullptr);
        QMenu* menu = controller_->attachmentMenu();
        QVERIFY(menu);
        const QList<QAction*> items = menu->actions();
        QCOMPARE(items.size(), 3);
        QVERIFY(items[0]->text().isEmpty() && !items[0]->isVisible());
        QCOMPARE(items[1]->text(), QStringLiteral("Open With"));
        QCOMPARE(items[2]->text(), QStringLiteral("Save As"));
        QStringList titles;
        for (QAction* item : items[1]->menu()->actions())
            titles.append(item->isSeparator() ? QStringLiteral("-") : item->text());
        QCOMPARE(titles, (QStringList{"Recorder (default)", "-", "Other"}));
        QCOMPARE(items[1]->menu()->actions()[0]->toolTip(), xdg_.path() + "/system/applications/recorder.desktop");

        // The extracted file: in the private folder, the owner's only.
        const QString extracted = items[2]->data().toString();
        QCOMPARE(QFileInfo(extracted).absolutePath(), controller_->attachmentFolderPath());
        QCOMPARE(QFileInfo(extracted).fileName(), QStringLiteral("notes.txt"));
        QCOMPARE(QFileInfo(controller_->attachmentFolderPath()).permissions() & 0x7777,
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadUser |
                     QFileDevice::WriteUser | QFileDevice::ExeUser);
        QCOMPARE(QFileInfo(extracted).permissions() & 0x7777,
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser);
        QVERIFY(fileBytes(extracted).startsWith("hello attachment"));

        items[1]->menu()->actions()[2]->trigger();
        QTRY_COMPARE(QString::fromUtf8(fileBytes(xdg_.path() + "/record-open.args")),
                     "--from\nOther\n" + extracted + "\n");
    }

    void hostileNamesNeverLeaveThePrivateFolder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("written");
        QTest::newRow("parent") << "../x" << "x";
        QTest::newRow("sub-folder") << "a/b" << "b";
        QTest::newRow("hidden") << ".hidden" << "hidden";
        QTest::newRow("300 bytes") << QString(300, QLatin1Char('n')) << QString(255, QLatin1Char('n'));
        QTest::newRow("planted link") << "planted" << "planted";
    }
    void hostileNamesNeverLeaveThePrivateFolder()
    {
        QFETCH(QString, name);
        QFETCH(QString, written);
        const std::shared_ptr<OTVRecord> visa = addAttachment("Visa", "plain.txt", "inside");
        const QString folder = controller_->attachmentFolderPath();
        const QString outside = files_.filePath(QStringLiteral("outside"));
        writeFile(outside, "untouched");
        QVERIFY(QFile::link(outside, folder + "/planted"));
        const QStringList besideFolder = QDir(QFileInfo(folder).absolutePath()).entryList(QDir::AllEntries);
        // The name as another copy or an import may have left it.
        visa->setMAttachmentName(name);
        controller_->addExtractAttachmentMenu(nullptr);
        QVERIFY(controller_->attachmentMenu());
        const QString extracted = controller_->attachmentMenu()->actions()[2]->data().toString();
        QCOMPARE(extracted, folder + "/" + written);
        QVERIFY(!QFileInfo(extracted).isSymLink());
        QVERIFY(fileBytes(extracted).startsWith("inside"));
        QCOMPARE(fileBytes(outside), QByteArray("untouched"));
        // The folder's parent is shared with other programs: only an entry of this name would
        // be the attachment's.
        for (const QString& entry : QDir(QFileInfo(folder).absolutePath()).entryList(QDir::AllEntries)) {
            if (!besideFolder.contains(entry))
                QVERIFY2(entry != written && entry != QFileInfo(name).fileName(), qPrintable(entry));
        }
    }

    void noMenuForAnAttachmentThatCannotBeRead()
    {
        const std::shared_ptr<OTVRecord> visa = selectInList("Visa");
        // The pane says there is one; the server has none.
        visa->setMHasAttachment(true);
        visa->setMAttachmentName(QStringLiteral("ghost.txt"));
        controller_->addExtractAttachmentMenu(nullptr);
        QCOMPARE(alertLines(*alerts_),
                 QStringList{"Ostrevin Darovazivu Alert! | Attachment could not be downloaded | OK"});
        QVERIFY(!controller_->attachmentMenu());
    }

    void saveAsKeepsTheExtensionAndShowsTheFile_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("saved");
        QTest::newRow("no extension") << "report" << "report.pdf";
        QTest::newRow("another extension") << "report.txt" << "report.txt.pdf";
        QTest::newRow("its extension") << "report.pdf" << "report.pdf";
    }
    void saveAsKeepsTheExtensionAndShowsTheFile()
    {
        QFETCH(QString, typed);
        QFETCH(QString, saved);
        QList<QStringList> runs;
        std::mutex mutex;
        BKHelperRunner::setLauncher([&](const QString& program, const QStringList& arguments) {
            std::lock_guard<std::mutex> lock(mutex);
            runs.append(QStringList{program} + arguments);
            return 0;
        });
        addAttachment("Visa", "report.pdf", "%PDF-1.4 body");
        controller_->addExtractAttachmentMenu(nullptr);
        const QString extracted = controller_->attachmentMenu()->actions()[2]->data().toString();
        QVERIFY(QFileInfo::exists(extracted));
        QString askedName;
        controller_->setFileChooser([&](QWidget*, bool save, const QString&, const QString& name) {
            askedName = save ? name : QString();
            return files_.filePath(typed);
        });
        controller_->attachmentMenu()->actions()[2]->trigger();
        QCOMPARE(askedName, QStringLiteral("report.pdf"));
        const QString target = files_.filePath(saved);
        QVERIFY(fileBytes(target).startsWith("%PDF-1.4 body"));
        QVERIFY(!QFileInfo::exists(extracted));
        QTRY_VERIFY(!BKHelperRunner::isBusy());
        std::lock_guard<std::mutex> lock(mutex);
        QCOMPARE(runs.size(), 1);
        QCOMPARE(runs[0][0], QStringLiteral("dbus-send"));
        QCOMPARE(runs[0].value(7), "array:string:" + QUrl::fromLocalFile(target).toString(QUrl::FullyEncoded));
        QFile::remove(target);
    }

    // --- Web login

    void webLoginOpensTheAddressAndCopiesThePassword_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("opened");
        QTest::newRow("www. gets http") << "www.x.com" << "http://www.x.com";
        QTest::newRow("https stays") << "https://www.x.com/login" << "https://www.x.com/login";
        QTest::newRow("WWW. is no www.") << "WWW.x.com" << "http://WWW.x.com";
        QTest::newRow("no web address") << "file:///etc/passwd" << "";
        QTest::newRow("nothing") << "" << "";
    }
    void webLoginOpensTheAddressAndCopiesThePassword()
    {
        QFETCH(QString, address);
        QFETCH(QString, opened);
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        const std::shared_ptr<OTVRecord> visa = selectInList("Visa");
        visa->setValue(4, address);
        controller_->webLogin();
        QCOMPARE(urls_.urls, opened.isEmpty() ? QList<QUrl>{} : QList<QUrl>{QUrl(opened)});
        QCOMPARE(QGuiApplication::clipboard()->text(), opened.isEmpty() ? QStringLiteral("before") : QStringLiteral("123"));
    }

    // A desktop where no program takes web addresses: the web login says so, naming the address.
    void webLoginThatNoProgramOpensSaysSo()
    {
        urls_.opens = false;
        selectInList("Visa")->setValue(4, QStringLiteral("www.visa.example"));
        controller_->webLogin();
        urls_.opens = true;
        QCOMPARE(urls_.urls, QList<QUrl>{QUrl(QStringLiteral("http://www.visa.example"))});
        QCOMPARE(alerts_->messages(),
                 QStringList{"No application could open the web address http://www.visa.example."});
    }

    void webLoginTakesTheRecordShownInTheColumnView()
    {
        // Banking holds Login and Card records: the Card table's first row is Visa, the group's
        // first record is not.
        vault_->records["alpha bank"]->setValue(4, QStringLiteral("www.alpha.example"));
        vault_->records["Visa"]->setValue(4, QStringLiteral("www.visa.example"));
        controller_->changeView(BKMainWindowViews::kColumnViewTag);
        BKMainWindowViews* views = controller_->mainWindowViews();
        int cardRow = -1;
        for (int row = 0; row < views->typesModel()->rowCount(); ++row) {
            if (views->typesModel()->type(row) && views->typesModel()->type(row)->mTypeName() == QStringLiteral("Card"))
                cardRow = row;
        }
        QVERIFY(cardRow >= 0);
        views->columnViewTypesTable()->selectRow(cardRow);
        views->columnViewDescriptionTable()->selectRow(0);
        controller_->webLogin();
        QCOMPARE(urls_.urls, QList<QUrl>{QUrl(QStringLiteral("http://www.visa.example"))});

        // A type item of the tree view is no record.
        urls_.urls.clear();
        controller_->changeView(BKMainWindowViews::kTreeViewTag);
        QTreeView* outline = views->treeViewOutlineView();
        outline->setCurrentIndex(outline->model()->index(0, 0));
        controller_->webLogin();
        QVERIFY(urls_.urls.isEmpty());
    }

    // --- Mail

    void mailAttachesTheExportOnlyAfterYes()
    {
        const QString exported = files_.filePath(QStringLiteral("Records.csv"));
        writeFile(exported, "a,b\n");
        const int logged = store_->eventLogWindowList().count();
        alerts_->answers = {kBKAlertDefaultReturn};
        controller_->askForSendingMailWithAttachment(exported);
        QCOMPARE(alertLines(*alerts_), QStringList{"Send Mail | Do you want to mail the exported file ? | No"});
        QCOMPARE(alerts_->alerts.first().alternateButton, QStringLiteral("Yes"));
        QTRY_VERIFY(!BKHelperRunner::isBusy());
        QVERIFY(!QFileInfo::exists(xdg_.path() + "/xdg-email.args"));
        QCOMPARE(store_->eventLogWindowList().count(), logged);

        alerts_->answers = {kBKAlertAlternateReturn};
        controller_->askForSendingMailWithAttachment(exported);
        QTRY_COMPARE(QString::fromUtf8(fileBytes(xdg_.path() + "/xdg-email.args")), "--attach\n" + exported + "\n");
        QTRY_COMPARE(store_->eventLogWindowList().count(), logged + 1);
        QCOMPARE(store_->eventLogWindowList().entries().last().value(kEvent), QStringLiteral("Email Record"));
    }

    // "Email Record" is logged once the mail program has taken the file, and not at all when
    // it could not.
    void mailIsLoggedOnceTheMailProgramTookTheFile_data()
    {
        QTest::addColumn<int>("exitCode");
        QTest::newRow("taken") << 0;
        QTest::newRow("not taken") << 3;
    }
    void mailIsLoggedOnceTheMailProgramTookTheFile()
    {
        QFETCH(int, exitCode);
        const QString exported = files_.filePath(QStringLiteral("Records.csv"));
        writeFile(exported, "a,b\n");
        // The mail program runs until the test lets it end (at the latest when the test ends).
        struct Gate {
            std::atomic<bool> running{false};
            std::atomic<bool> released{false};
        };
        const auto gate = std::make_shared<Gate>();
        const std::unique_ptr<Gate, void (*)(Gate*)> releaseAtEnd(gate.get(), [](Gate* g) { g->released = true; });
        BKHelperRunner::setLauncher([gate, exitCode](const QString&, const QStringList&) {
            gate->running = true;
            while (!gate->released)
                QThread::msleep(5);
            return exitCode;
        });
        const auto mailLogs = [this] {
            int listed = 0;
            for (const EventLogEntry& entry : store_->eventLogWindowList().entries())
                listed += entry.value(kEvent) == QStringLiteral("Email Record") ? 1 : 0;
            return QStringLiteral("%1 listed, %2 stored").arg(listed)
                .arg(rootValue("SELECT COUNT(*) FROM vivododadi.EVENTLOGGERTABLE WHERE NAME='Email Record'"));
        };
        alerts_->answers = {kBKAlertAlternateReturn};
        controller_->askForSendingMailWithAttachment(exported);
        QTRY_VERIFY(gate->running);
        QCOMPARE(mailLogs(), QStringLiteral("0 listed, 0 stored"));

        gate->released = true;
        QTRY_VERIFY(!BKHelperRunner::isBusy());
        if (exitCode == 0) {
            QTRY_COMPARE(mailLogs(), QStringLiteral("1 listed, 1 stored"));
            QCOMPARE(alerts_->alerts.size(), 1);   // the question only
        } else {
            QTRY_COMPARE(alerts_->alerts.size(), 2);
            QVERIFY(alerts_->alerts.last().message.startsWith(QStringLiteral("No mail program could take")));
            QCOMPARE(mailLogs(), QStringLiteral("0 listed, 0 stored"));
        }
    }

    // --- Printing

    void printingTheListNeedsTheListView()
    {
        int shown = 0;
        controller_->setPrintDialogRunner([&](QPrinter&, QWidget*, const std::function<void(QPrinter*)>&) {
            ++shown;
            return true;
        });
        controller_->changeView(BKMainWindowViews::kColumnViewTag);
        controller_->print();
        QCOMPARE(alertLines(*alerts_),
                 QStringList{"Ostrevin Darovazivu Alert! | Printing is available in \"List View\"  | OK"});
        QCOMPARE(shown, 0);
    }

    void theListPrintsUnmaskedWithTheUsersFooter()
    {
        // Every column shown: the list prints the columns the user shows.
        store_->getCurrentUser()->setMColoumInfo(0x3FFF);
        controller_->listViewColumnsVisiblityChanged();
        controller_->setShouldMask(true);
        const QString pdf = files_.filePath(QStringLiteral("list.pdf"));
        bool onWhileShown = false;
        controller_->setPrintDialogRunner(printTo(pdf, &onWhileShown));
        controller_->print();
        QVERIFY(onWhileShown);
        QVERIFY(!controller_->mPrintDialogON());
        const QString text = pdfText(pdf);
        for (const char* value : {"alpha bank", "secret1", "Visa", "4111", "123", "zeta portal", "pin 9",
                                  "March 05,2009", "branch code"})
            QVERIFY2(text.contains(QLatin1String(value)), value);
        QVERIFY(!text.contains(QStringLiteral("******")));
        QCOMPARE(text.count(QStringLiteral("Ostrevin Darovazivu Print Report for: ") + server_.admin.user), 1);
        // Another group's records are not in the list.
        QVERIFY(!text.contains(QStringLiteral("Router")));
        QVERIFY(!QFileInfo::exists(QStringLiteral("/tmp/printData.pdf")));
    }

    void aRecordPrintsItsRows()
    {
        controller_->setShouldMask(true);
        selectInList("alpha bank");
        const QString pdf = files_.filePath(QStringLiteral("record.pdf"));
        bool onWhileShown = false;
        controller_->setPrintDialogRunner(printTo(pdf, &onWhileShown));
        controller_->printRecord();
        QVERIFY(onWhileShown);
        QVERIFY(!controller_->mPrintDialogON());
        const QString text = pdfText(pdf);
        for (const char* value : {"alpha bank", "secret1", "Banking", "branch code"})
            QVERIFY2(text.contains(QLatin1String(value)), value);
        QCOMPARE(text.count(QStringLiteral("Print Report for: ")), 1);

        // Nothing is selected: nothing is printed.
        QFile::remove(pdf);
        controller_->mainWindowViews()->listViewTypesTable()->clearSelection();
        onWhileShown = false;
        controller_->printRecord();
        QVERIFY(!onWhileShown);
        QVERIFY(!QFileInfo::exists(pdf));
    }

    // A list of many rows on A4, portrait and landscape: every row once and whole on one page,
    // the notes' words whole, the footer clear of the rows.
    void theListPrintsEveryRowOnceAndWhole()
    {
        const int rows = 1000;
        for (int row = 0; row < rows; ++row) {
            auto record = OTVRecord::createRecord();
            record->setMGroup(vault_->groups["Banking"]);
            record->setMType(vault_->types["Login"]);
            record->setValue(1, PrintedListCheck::entry(row));
            record->setValue(2, QStringLiteral("pw%1").arg(row));
            record->setValue(10, QStringLiteral("2009-03-05 14:22:10 +0100"));
            record->setMNotes(PrintedListCheck::note(row));
            QCOMPARE(store_->addRecord(record), int(kOTVStatusOK));
        }
        // Every column shown: the notes too.
        store_->getCurrentUser()->setMColoumInfo(0x3FFF);
        controller_->listViewColumnsVisiblityChanged();
        controller_->changeView(BKMainWindowViews::kListViewTag);
        const QString footer = QStringLiteral("Ostrevin Darovazivu Print Report for: ") + server_.admin.user;
        for (const auto orientation : {QPageLayout::Portrait, QPageLayout::Landscape}) {
            const QString pdf = files_.filePath(QStringLiteral("rows-%1.pdf").arg(int(orientation)));
            controller_->setPrintDialogRunner([&](QPrinter& printer, QWidget*, const std::function<void(QPrinter*)>& paint) {
                printer.setPageSize(QPageSize(QPageSize::A4));
                printer.setPageOrientation(orientation);
                printer.setOutputFormat(QPrinter::PdfFormat);
                printer.setOutputFileName(pdf);
                paint(&printer);
                return true;
            });
            controller_->print();
            const QStringList pages = PrintedListCheck::layoutPages(pdf);
            QVERIFY(pages.size() > 1);
            const QString fault = PrintedListCheck::fault(pages, rows, footer);
            QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("%1: %2").arg(int(orientation)).arg(fault)));
        }
    }

    // Printed to a file, the list and a record hold the vault's values in plain text: the file
    // is the owner's alone, also where a wider file stood and whatever the umask.
    void aPrintedFileIsTheOwnersAlone()
    {
        const mode_t umaskBefore = ::umask(022);
        const QString pdf = files_.filePath(QStringLiteral("printed.pdf"));
        bool onWhileShown = false;
        controller_->setPrintDialogRunner(printTo(pdf, &onWhileShown));
        const std::function<void()> prints[] = {[this] { controller_->print(); },
                                                [this] {
                                                    selectInList("alpha bank");
                                                    controller_->printRecord();
                                                }};
        for (const auto& print : prints) {
            writeFile(pdf, "an earlier file", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                                  QFileDevice::ReadOther);
            print();
            struct stat status {};
            QCOMPARE(::stat(QFile::encodeName(pdf).constData(), &status), 0);
            QCOMPARE(int(status.st_mode & 0777), 0600);
            QVERIFY(pdfText(pdf).contains(QStringLiteral("secret1")));
        }
        ::umask(umaskBefore);
    }

private:
    BKPrintDialogRunner printTo(const QString& pdf, bool* onWhileShown)
    {
        return [this, pdf, onWhileShown](QPrinter& printer, QWidget*, const std::function<void(QPrinter*)>& paint) {
            *onWhileShown = controller_->mPrintDialogON();
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            paint(&printer);
            return true;
        };
    }

    void chooseFiles(const QStringList& paths)
    {
        auto queue = std::make_shared<QStringList>(paths);
        controller_->setFileChooser([queue](QWidget*, bool, const QString&, const QString&) {
            return queue->isEmpty() ? QString() : queue->takeFirst();
        });
    }

    std::shared_ptr<OTVRecord> selectInList(const char* title)
    {
        controller_->changeView(BKMainWindowViews::kListViewTag);
        BKMainWindowViews* views = controller_->mainWindowViews();
        for (int row = 0; row < views->listModel()->rowCount(); ++row) {
            if (views->listModel()->record(row)->value(1) == QLatin1String(title)) {
                views->listViewTypesTable()->selectRow(row);
                return views->listModel()->record(row);
            }
        }
        return nullptr;
    }

    // Adds a file of that name and content to the record, selected in the list.
    std::shared_ptr<OTVRecord> addAttachment(const char* title, const QString& name, const QByteArray& content)
    {
        const QString path = files_.filePath(name);
        writeFile(path, content);
        std::shared_ptr<OTVRecord> record = selectInList(title);
        controller_->addAttachmentFromFile(record, path);
        alerts_->alerts.clear();
        return selectInList(title);
    }

    int attachmentRows(const QString& recordUID) const
    {
        std::unique_ptr<sql::Connection> connection = server_.connect(server_.root);
        std::unique_ptr<sql::Statement> statement(connection->createStatement());
        std::unique_ptr<sql::ResultSet> result(statement->executeQuery(
            QStringLiteral("SELECT COUNT(*) FROM vivododadi.ATTACHMENTTABLE WHERE RECORDID='%1'")
                .arg(recordUID)
                .toStdString()));
        return result->next() ? result->getInt(1) : -1;
    }

    QTemporaryDir xdg_;
    QTemporaryDir files_;
    UrlRecorder urls_;
};

QTEST_MAIN(AttachmentCommandsTest)
#include "AttachmentCommandsTest.moc"
