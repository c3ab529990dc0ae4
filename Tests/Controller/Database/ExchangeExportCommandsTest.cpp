// The export, backup and mail commands run headless with scripted panels against a real server:
// what each command writes for its tag, scope, box and password, that a backup is complete or
// says so, and what reaches the mail program. The commands change nothing in the vault, so it
// is built once.
#include "ExchangeCommandsFixture.h"

#include "Platform/BKHelperRunner.h"

#include <sys/stat.h>

class ExchangeExportCommandsTest : public QObject, protected ExchangeCommandsFixture {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(TestServer::fromEnvironment(&server_));
        QVERIFY(files_.isValid());
        openSourceVault();
    }
    void cleanupTestCase() { closeAll(); }

    void init()
    {
        selectGroup(vault_->groups["Banking"]);
        newController();
    }

    void cleanup()
    {
        alerts_.reset();
        controller_.reset();
        clearFiles();
    }

    // The tag, the scope row and the attachments box decide what is written.
    void exportWritesWhatTagScopeAndBoxSay_data()
    {
        QTest::addColumn<int>("tag");
        QTest::addColumn<int>("scopeRow");
        QTest::addColumn<bool>("box");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("records");   // -1: the records of the current view
        QTest::newRow("1070, all, box on: a package") << 1070 << 0 << true << 5 << 10;
        QTest::newRow("1070, all, box off") << 1070 << 0 << false << 4 << 10;
        QTest::newRow("1070, current view without attachments") << 1070 << 1 << true << 4 << -1;
        QTest::newRow("1071, all: always 3.0") << 1071 << 0 << true << 4 << 10;
        QTest::newRow("1072, all: plain CSV") << 1072 << 0 << true << 1 << 10;
        QTest::newRow("a row outside the scopes exports nothing") << 1070 << 3 << true << 0 << 0;
    }
    void exportWritesWhatTagScopeAndBoxSay()
    {
        QFETCH(int, tag);
        QFETCH(int, scopeRow);
        QFETCH(bool, box);
        QFETCH(int, kind);
        QFETCH(int, records);
        if (records < 0) {
            records = int(controller_->indexSetForExporting(true).size());
            QVERIFY(records > 0 && records < 10);
        }
        const QString path = files_.filePath(tag == 1072 ? "Export.csv" : "Export.vrx");
        prompts_->exportAnswers = {exportTo(path, scopeRow, box)};
        prompts_->exportPasswords = {{QString(), QString()}};
        controller_->exportSelectedFile(tag);

        const BKExportPanelSetup& setup = prompts_->exportSetups.constLast();
        QCOMPARE(setup.fileType, QString(tag == 1072 ? "csv" : "vrx"));
        QCOMPARE(setup.attachmentsBoxShown, tag != 1071);
        QCOMPARE(setup.attachmentsBoxFixedOff, tag == 1072);
        if (kind == 0) {
            QVERIFY(!QFileInfo::exists(path));
            QCOMPARE(alerts_->messages(), QStringList());
            return;
        }
        const QString file = kind == 5 ? path + "/Export.vrx" : path;
        QCOMPARE(QFileInfo(path).isDir(), kind == 5);
        const FileCount count = countFile(file);
        QCOMPARE(count.kind, kind);
        QCOMPARE(count.records, records);
        QCOMPARE(alerts_->messages(), QStringList{kMailQuestion});
    }

    // The panel opens on the selection when there is one, else on the current view's records.
    void exportPanelPresetsAScopeThatHoldsRecords()
    {
        QVERIFY(controller_->indexSetForExporting(false).isEmpty());
        controller_->exportSelectedFile(1072);
        controller_->mailSelectedFile();
        controller_->mainWindowViews()->listViewTypesTable()->selectRow(0);
        QCOMPARE(controller_->indexSetForExporting(false).size(), 1);
        controller_->exportSelectedFile(1070);
        QCOMPARE(prompts_->exportSetups.size(), 3);
        QCOMPARE(prompts_->exportSetups[0].scopeRow, kExportRowView);
        QCOMPARE(prompts_->exportSetups[1].scopeRow, kExportRowView);
        QCOMPARE(prompts_->exportSetups[2].scopeRow, kExportRowSelection);
    }

    // "Selected records" with nothing selected says so and writes nothing: no file of headers
    // alone, no mail question.
    void selectionOfNothingIsSaidAndWritesNothing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("export vRX") << "1070";
        QTest::newRow("export CSV") << "1072";
        QTest::newRow("mail") << "mail";
    }
    void selectionOfNothingIsSaidAndWritesNothing()
    {
        QFETCH(QString, how);
        QVERIFY(controller_->indexSetForExporting(false).isEmpty());
        const QString path = files_.filePath("Nothing.vrx");
        prompts_->exportAnswers = {exportTo(path, kExportRowSelection)};
        prompts_->exportPasswords = {{QString(), QString()}};
        if (how == "mail")
            controller_->mailSelectedFile();
        else
            controller_->exportSelectedFile(how.toInt());
        QCOMPARE(alerts_->messages(), QStringList{"No record is selected. Nothing was exported."});
        QCOMPARE(prompts_->exportSheets, 0);
        QVERIFY(!QFileInfo::exists(path));
    }

    // The export password follows the password rule; the sheet stays until it is met.
    void exportPasswordSheetKeepsTheRule_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("confirm");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("empty: no encipherment") << "" << "" << "";
        QTest::newRow("two different characters") << "ab" << "ab" << "";
        QTest::newRow("one character") << "a" << "a" << kWeakPassword;
        QTest::newRow("the same character twice") << "aa" << "aa" << kWeakPassword;
        QTest::newRow("the same accented character twice") << "éé" << "éé" << kWeakPassword;
        QTest::newRow("the same emoji twice") << "🙂🙂" << "🙂🙂" << kWeakPassword;
        QTest::newRow("two emoji") << "🙂🙃" << "🙂🙃" << "";
        QTest::newRow("confirmation differs") << "ab" << "ba" << kMismatch;
    }
    void exportPasswordSheetKeepsTheRule()
    {
        QFETCH(QString, password);
        QFETCH(QString, confirm);
        QFETCH(QString, refusal);
        const QString path = files_.filePath("Export.vrx");
        prompts_->exportAnswers = {exportTo(path, 0)};
        prompts_->exportPasswords = {{password, confirm}};   // then Cancel
        controller_->exportSelectedFile(1071);
        if (!refusal.isEmpty()) {
            QCOMPARE(alerts_->messages(), QStringList{refusal});
            QCOMPARE(alerts_->alerts.first().title, QStringLiteral("Ostrevin Darovazivu Alert!"));
            QVERIFY(!QFileInfo::exists(path));
            return;
        }
        QCOMPARE(alerts_->messages(), QStringList{kMailQuestion});
        QCOMPARE(countFile(path).encrypted, !password.isEmpty());
        QCOMPARE(countFile(path, password.toStdString()).records, 10);
    }

    // A backup writes its records completely or says it did not: the commands that delete
    // go on only on true.
    void backupIsCompleteOrFalse_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("fileName");   // empty: the save panel is cancelled
        QTest::addColumn<bool>("passwordGiven");
        QTest::addColumn<bool>("written");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("alert");
        QTest::newRow("no attachment: 3.0") << "Banking" << "Backup.vrx" << true << true << 4 << "";
        QTest::newRow("an attachment: 4.0") << "Servers" << "Backup.vrx" << true << true << 5 << "";
        QTest::newRow("save panel cancelled") << "Banking" << "" << true << false << 0 << "";
        QTest::newRow("password sheet cancelled") << "Banking" << "Backup.vrx" << false << false << 0 << "";
        QTest::newRow("folder cannot be written")
            << "Banking" << "missing/folder/Backup.vrx" << true << false << 0 << kExportFailed;
    }
    void backupIsCompleteOrFalse()
    {
        QFETCH(QString, group);
        QFETCH(QString, fileName);
        QFETCH(bool, passwordGiven);
        QFETCH(bool, written);
        QFETCH(int, kind);
        QFETCH(QString, alert);
        const OTVRecordList records = recordsOf(group);
        const QString path = files_.filePath(fileName);
        if (!fileName.isEmpty())
            prompts_->exportAnswers = {exportTo(path)};
        if (passwordGiven)
            prompts_->exportPasswords = {{"backup!", "backup!"}};
        QCOMPARE(controller_->backupRecords(records), written);
        QCOMPARE(prompts_->exportSetups.constFirst().showsScope, false);
        QCOMPARE(alerts_->messages(), alert.isEmpty() ? QStringList() : QStringList{alert});   // no mail question
        if (!written) {
            QVERIFY(fileName.isEmpty() || !QFileInfo::exists(path));
            return;
        }
        const FileCount count = countFile(kind == 5 ? path + "/Backup.vrx" : path, "backup!");
        QCOMPARE(count.kind, kind);
        QVERIFY(count.encrypted);
        QCOMPARE(count.records, int(records.size()));
    }
    // The mail question; on Yes the mail program gets the exported file, a package packed first.
    void mailHandsTheFileOrItsArchiveToTheMailProgram_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("attached");   // relative to the export; empty: no mail
        QTest::newRow("mail items: the package as .tar.gz") << "mailItems" << kBKAlertAlternateReturn
                                                            << "Attached_Records.vrx.tar.gz";
        QTest::newRow("export CSV, then Yes") << "csv" << kBKAlertAlternateReturn << "Export.csv";
        QTest::newRow("mail a vRX 4.0 export") << "mailSelected" << kBKAlertAlternateReturn << "Mail.vrx.tar.gz";
        QTest::newRow("No") << "csv" << kBKAlertDefaultReturn << "";
    }
    void mailHandsTheFileOrItsArchiveToTheMailProgram()
    {
        QFETCH(QString, how);
        QFETCH(int, answer);
        QFETCH(QString, attached);
        QTemporaryDir bin;
        const QString argsFile = bin.filePath("args");
        QVERIFY(writeAll(bin.filePath("xdg-email"),
                         QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1.part'\nmv '%1.part' '%1'\n")
                             .arg(argsFile)
                             .toUtf8()));
        QFile::setPermissions(bin.filePath("xdg-email"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin.path()) + ":" + path);

        // The selection: the Servers group, whose router has an attachment.
        controller_->mainWindowViews()->selectGroupWithUID(vault_->groups["Servers"]->mGroupUID());
        controller_->changeView(1);
        controller_->mainWindowViews()->listViewTypesTable()->selectAll();
        QCOMPARE(controller_->indexSetForExporting(false).size(), 2);
        alerts_->answers = {answer};
        QString folder = files_.path();
        if (how == "mailItems") {
            controller_->mailItems();
            folder = controller_->mailExportFolderPath();
            QVERIFY(folder.startsWith(controller_->attachmentFolderPath() + "/"));
        } else if (how == "csv") {
            prompts_->exportAnswers = {exportTo(files_.filePath("Export.csv"), 2)};
            controller_->exportSelectedFile(1072);
        } else {
            prompts_->exportAnswers = {exportTo(files_.filePath("Mail.vrx"), 2)};
            prompts_->exportPasswords = {{"mail!", "mail!"}};
            controller_->mailSelectedFile();
        }
        QCOMPARE(alerts_->alerts.size(), 1);
        QCOMPARE(alerts_->alerts.first().title, QStringLiteral("Send Mail"));
        QCOMPARE(alerts_->alerts.first().message, kMailQuestion);
        QCOMPARE(alerts_->alerts.first().defaultButton, QStringLiteral("No"));
        if (attached.isEmpty()) {
            QTest::qWait(200);
            QVERIFY(!QFileInfo::exists(argsFile));
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(argsFile), 5000);
            const QString file = folder + "/" + attached;
            QCOMPARE(QString::fromUtf8(readAll(argsFile)), "--attach\n" + file + "\n");
            if (attached.endsWith(".tar.gz")) {
                QProcess tar;
                tar.start("tar", {"-tzf", file});
                QVERIFY(tar.waitForFinished());
                const QString package = attached.chopped(7);
                const QStringList members = QString::fromUtf8(tar.readAllStandardOutput()).split('\n');
                QVERIFY(members.contains(package + "/" + package));
                QVERIFY(members.filter(QRegularExpression("/Files/.+\\.ofa$")).size() == 1);
            }
        }
        qputenv("PATH", path);
    }

    // A mail program that starts but cannot take the file (xdg-email finds no mail program and
    // ends with 3) is reported in plain words, with the file to attach by hand; a file of Mail
    // Items lies in the private folder that is removed at quit, which the user is told.
    void aMailProgramThatFailsIsReported_data()
    {
        QTest::addColumn<bool>("mailItems");
        QTest::newRow("an export where the user saved it") << false;
        QTest::newRow("mail items, from the private folder") << true;
    }
    void aMailProgramThatFailsIsReported()
    {
        QFETCH(bool, mailItems);
        QTemporaryDir bin;
        QVERIFY(writeAll(bin.filePath("xdg-email"), "#!/bin/sh\nexit 3\n"));
        QFile::setPermissions(bin.filePath("xdg-email"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin.path()) + ":" + path);
        alerts_->answers = {kBKAlertAlternateReturn};
        QString file = files_.filePath("Export.csv");
        QString note;
        if (mailItems) {
            controller_->mainWindowViews()->selectGroupWithUID(vault_->groups["Servers"]->mGroupUID());
            controller_->changeView(1);
            controller_->mainWindowViews()->listViewTypesTable()->selectAll();
            controller_->mailItems();
            file = controller_->mailExportFolderPath() + "/Attached_Records.vrx.tar.gz";
            note = "\nThe file is in a private folder that is removed when Ostrevin Darovazivu quits: attach it, or "
                   "copy it elsewhere, before you quit.";
        } else {
            prompts_->exportAnswers = {exportTo(file, 0)};
            controller_->exportSelectedFile(1072);
        }
        QTRY_COMPARE_WITH_TIMEOUT(alerts_->messages().size(), 2, 5000);
        QCOMPARE(alerts_->messages().last(),
                 "No mail program could take the exported file. You can attach it to a mail yourself:\n" + file + note);
        QTRY_VERIFY(!BKHelperRunner::isBusy());
        qputenv("PATH", path);
    }

    // Every file that carries vault values out (exports of each kind, a package's attachment
    // files, backups, the archive that is mailed) is its owner's only, from the first byte:
    // whatever the umask, and also over an existing file that others could read.
    void everyFileThatLeavesTheVaultIsTheOwnersOnly_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain vRX export") << "1070" << "Plain.vrx";
        QTest::newRow("vRX 3.0 export") << "1071" << "Three.vrx";
        QTest::newRow("CSV export of every password") << "1072" << "Every.csv";
        QTest::newRow("package with attachments") << "package" << "Package.vrx";
        QTest::newRow("backup") << "backup" << "Backup.vrx";
        QTest::newRow("archive for mail") << "mail" << "Mail.vrx";
    }
    void everyFileThatLeavesTheVaultIsTheOwnersOnly()
    {
        QFETCH(QString, how);
        QFETCH(QString, name);
        const mode_t umaskBefore = ::umask(022);
        const QString path = files_.filePath(name);
        if (how != "package" && how != "mail") {
            QVERIFY(writeAll(path, "readable by all"));
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                                    QFile::ReadOther));
        }
        QTemporaryDir bin;
        QVERIFY(writeAll(bin.filePath("xdg-email"), "#!/bin/sh\nexit 0\n"));
        QFile::setPermissions(bin.filePath("xdg-email"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QByteArray pathVariable = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin.path()) + ":" + pathVariable);

        QStringList written;
        if (how == "backup") {
            prompts_->exportAnswers = {exportTo(path)};
            prompts_->exportPasswords = {{"backup!", "backup!"}};
            QVERIFY(controller_->backupRecords(recordsOf("Banking")));
            written = {path};
        } else if (how == "mail") {
            controller_->mainWindowViews()->selectGroupWithUID(vault_->groups["Servers"]->mGroupUID());
            controller_->changeView(1);
            controller_->mainWindowViews()->listViewTypesTable()->selectAll();
            alerts_->answers = {kBKAlertAlternateReturn};
            prompts_->exportAnswers = {exportTo(path, 2)};
            prompts_->exportPasswords = {{"mail!", "mail!"}};
            controller_->mailSelectedFile();
            QTRY_VERIFY(!BKHelperRunner::isBusy());
            written = {path + ".tar.gz", path + "/" + name};
        } else {
            const bool package = how == "package";
            prompts_->exportAnswers = {exportTo(path, 0, package)};
            prompts_->exportPasswords = {{QString(), QString()}};
            controller_->exportSelectedFile(package ? 1070 : how.toInt());
            written = {package ? path + "/" + name : path};
        }
        if (how == "package" || how == "mail") {
            const QStringList sideFiles = QDir(path + "/Files").entryList(QDir::Files);
            QVERIFY(!sideFiles.isEmpty());
            for (const QString& side : sideFiles)
                written.append(path + "/Files/" + side);
        }
        ::umask(umaskBefore);
        qputenv("PATH", pathVariable);
        for (const QString& file : written) {
            struct stat info = {};
            QCOMPARE(::stat(QFile::encodeName(file).constData(), &info), 0);
            QCOMPARE(QString::number(info.st_mode & 0777, 8) + " " + file, "600 " + file);
        }
    }

    // A mail program that cannot be started is reported.
    void aMailProgramThatDoesNotStartIsReported()
    {
        RecordingMailer mailer;
        mailer.succeeds = false;
        alerts_->answers = {kBKAlertAlternateReturn};
        prompts_->exportAnswers = {exportTo(files_.filePath("Export.csv"), 0)};
        controller_->exportSelectedFile(1072);
        QCOMPARE(mailer.mailed, QStringList{files_.filePath("Export.csv")});
        QCOMPARE(alerts_->messages(), (QStringList{kMailQuestion, "The mail program could not be started."}));
    }
};

QTEST_MAIN(ExchangeExportCommandsTest)
#include "ExchangeExportCommandsTest.moc"
