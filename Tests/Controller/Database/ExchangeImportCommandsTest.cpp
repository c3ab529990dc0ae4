// The import and restore commands run headless with scripted panels against a real server:
// exports of every kind come back whole in an empty vault, a restore adds a backup's records,
// and files that cannot be read are reported with nothing of them imported.
#include "ExchangeCommandsFixture.h"

class ExchangeImportCommandsTest : public QObject, protected ExchangeCommandsFixture {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(TestServer::fromEnvironment(&server_));
        QVERIFY(files_.isValid());
    }

    void init()
    {
        openSourceVault();
        selectGroup(vault_->groups["Banking"]);
        newController();
    }

    void cleanup()
    {
        closeAll();
        clearFiles();
    }

    // Every kind of export, imported through the commands into an empty vault, gives back what
    // the kind carries of every record: values (hostile ones included), dates, notes and types;
    // vRX also the records' own types; version 4.0 the attachments.
    void exportThenImportIntoAnEmptyVault_data()
    {
        QTest::addColumn<int>("tag");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("box");
        QTest::addColumn<int>("importTag");
        QTest::addColumn<bool>("carriesCustomTypes");
        QTest::addColumn<bool>("carriesAttachments");
        QTest::newRow("CSV") << 1072 << "" << false << 1061 << false << false;
        QTest::newRow("vRX 3.0 without the box") << 1071 << "" << false << 1060 << true << false;
        QTest::newRow("vRX 3.0, box off, password") << 1070 << "p4ss, wörd" << false << 1060 << true << false;
        QTest::newRow("vRX 4.0, box on, password") << 1070 << "p4ss, wörd" << true << 1060 << true << true;
    }
    void exportThenImportIntoAnEmptyVault()
    {
        QFETCH(int, tag);
        QFETCH(QString, password);
        QFETCH(bool, box);
        QFETCH(int, importTag);
        QFETCH(bool, carriesCustomTypes);
        QFETCH(bool, carriesAttachments);
        const QMap<QString, RecordContent> exported = contents(carriesCustomTypes, carriesAttachments);
        QCOMPARE(exported.size(), 10);

        const QString path = files_.filePath(tag == 1072 ? "Export.csv" : "Export.vrx");
        prompts_->exportAnswers = {exportTo(path, 0, box)};
        prompts_->exportPasswords = {{password, password}};
        controller_->exportSelectedFile(tag);
        QCOMPARE(prompts_->exportSheets, tag == 1072 ? 0 : 1);
        QCOMPARE(alerts_->messages(), QStringList{kMailQuestion});
        QCOMPARE(QFileInfo(path).isDir(), carriesAttachments);

        switchToEmptyVault(QStringLiteral("Imported"));
        prompts_->openAnswers = {path};
        prompts_->importPasswords = {password};
        controller_->importSelectedFile(importTag);
        QCOMPARE(prompts_->openTypes, QStringList{importTag == 1061 ? "csv" : "vrx"});
        QCOMPARE(prompts_->importSheets, password.isEmpty() ? 0 : 1);
        QCOMPARE(alerts_->messages(), QStringList());

        sameContents(contents(carriesCustomTypes, carriesAttachments), exported);
        if (QTest::currentTestFailed())
            return;
        for (const auto& record : store_->mRecords())
            QCOMPARE(record->mGroup()->mGroupName(), QStringLiteral("Imported"));
        // The views show what came in.
        QCOMPARE(controller_->indexSetForExporting(true).size(), 10);
    }


    // A restore asks first, then imports the backup into the selected group; it removes nothing.
    void backupThenRestore()
    {
        const OTVRecordList banking = recordsOf("Banking");
        // (The sample vault holds two types named "Login": which one a record comes back under is
        // not the restore's to say, so the looks are left out here.)
        const QMap<QString, RecordContent> before = contents(false, true);
        const QString path = files_.filePath("Backup.vrx");
        prompts_->exportAnswers = {exportTo(path)};
        prompts_->exportPasswords = {{"backup!", "backup!"}};
        QVERIFY(controller_->backupRecords(banking));
        for (const auto& record : banking)
            QCOMPARE(store_->deleteRecord(record), int(kOTVStatusOK));
        const int left = int(store_->mRecords().size());

        // "No" (the default) keeps everything as it is.
        prompts_->openAnswers = {path};
        controller_->importSelectedFile(109);
        QCOMPARE(alerts_->messages(),
                 QStringList{"This operation will destroy the current contents of the database and restore the "
                             "selected database.\n Are you sure you want to do this? "});
        QCOMPARE(alerts_->alerts.first().defaultButton, QStringLiteral("No"));
        QCOMPARE(alerts_->alerts.first().alternateButton, QStringLiteral("Yes"));
        QCOMPARE(int(store_->mRecords().size()), left);

        alerts_->alerts.clear();
        alerts_->answers = {kBKAlertAlternateReturn};
        prompts_->openAnswers = {path};
        prompts_->importPasswords = {"wrong", "backup!"};
        controller_->importSelectedFile(109);
        QCOMPARE(alerts_->messages().mid(1), QStringList{kWrongPassword});
        QCOMPARE(int(store_->mRecords().size()), left + int(banking.size()));
        sameContents(contents(false, true), before);
        if (QTest::currentTestFailed())
            return;
    }

    // Files that cannot be imported say why, and nothing of them comes in.
    void unreadableFilesAreReportedAndImportNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");   // "<missing>": no file; "<locked>": an enciphered export
        QTest::addColumn<QString>("alert");
        QTest::newRow("wrong password") << QByteArray("<locked>") << kWrongPassword;
        QTest::newRow("no such file") << QByteArray("<missing>") << kInvalidFile;
        QTest::newRow("empty file") << QByteArray() << kInvalidFile;
        QTest::newRow("not text") << QByteArray("\x00\x01\x02\xff\xfe binary\x00", 16) << kNoRecordsInFile;
        QTest::newRow("text without a header") << QByteArray("just,some,text\rmore,text\r") << kNoHeaderLine;
        QTest::newRow("another vRX version") << QByteArray("Ostrevin vRX File -v9.0\rF\r") << kNoRecordsInFile;
        QTest::newRow("a user list")
            << QByteArray("Ostrevin User Export File\rUser Name,Password\rbob,secret\r") << kNoHeaderLine;
    }
    void unreadableFilesAreReportedAndImportNothing()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, alert);
        QString path = files_.filePath("Import.vrx");
        if (bytes == "<locked>") {
            prompts_->exportAnswers = {exportTo(path, 0, false)};
            prompts_->exportPasswords = {{"right!", "right!"}};
            controller_->exportSelectedFile(1071);
            alerts_->alerts.clear();
            prompts_->importPasswords = {"wrong"};   // then Cancel
        } else if (bytes != "<missing>") {
            QVERIFY(writeAll(path, bytes));
        }
        const int records = int(store_->mRecords().size());
        const QString rowsBefore = rootValue("SELECT COUNT(*) FROM vivododadi.RECORDTABLE");
        prompts_->openAnswers = {path};
        controller_->importSelectedFile(1060);
        QCOMPARE(alerts_->messages(), QStringList{alert});
        QCOMPARE(int(store_->mRecords().size()), records);
        QCOMPARE(rootValue("SELECT COUNT(*) FROM vivododadi.RECORDTABLE"), rowsBefore);
    }

    // A file whose end is missing: what was read before the damage is imported whole, and the
    // user is told how many records came in.
    void aTruncatedFileIsReported()
    {
        QByteArray text("Ostrevin vRX File -v3.0\rF\rT,31,Login,User,Password,URL,,,,,,,Date,2,\r");
        for (int n = 0; n < 3; ++n)
            text += QStringLiteral("F,31,cut%1,secret%1,,,,,,,,\"January 05,2009\",0,,,,,,,,,,,Work,\"note %1\"\r")
                        .arg(n)
                        .toUtf8();
        text.chop(5);   // inside the last record's quoted notes
        const QString path = files_.filePath("Truncated.vrx");
        QVERIFY(writeAll(path, text));
        prompts_->openAnswers = {path};
        controller_->importSelectedFile(1060);
        QCOMPARE(alerts_->alerts.size(), 1);
        // The records read before the cut, once, and where the file ends.
        QCOMPARE(alerts_->messages().first(), "2 of 2 records imported.\n"
                                              "The file is damaged or cut short: it ends inside the next record.");
        QVERIFY(store_->mRecords().size() == 12);
        for (const auto& record : store_->mRecords()) {
            if (record->value(1).startsWith("cut"))
                QCOMPARE(record->mNotes(), QStringLiteral("note ") + record->value(1).mid(3));
        }
    }

    // A version 4.0 package is picked as its folder or as the file inside it.
    void aPackageImportsFromItsFolderOrItsFile_data()
    {
        QTest::addColumn<bool>("inner");
        QTest::newRow("the folder") << false;
        QTest::newRow("the file inside") << true;
    }
    void aPackageImportsFromItsFolderOrItsFile()
    {
        QFETCH(bool, inner);
        const QString path = files_.filePath("Pack.vrx");
        prompts_->exportAnswers = {exportTo(path, 0)};
        prompts_->exportPasswords = {{QString(), QString()}};
        controller_->exportSelectedFile(1070);
        QVERIFY(QFileInfo(path + "/Files").isDir());
        const QMap<QString, RecordContent> exported = contents(true, true);

        switchToEmptyVault(QStringLiteral("Imported"));
        QVERIFY(controller_->importVRXFile(inner ? path + "/Pack.vrx" : path, false));
        QCOMPARE(alerts_->messages(), QStringList());
        sameContents(contents(true, true), exported);
    }

    // Without a group to import into, every way in says so and asks for no file.
    void withoutAGroupNothingIsImported()
    {
        for (const auto& group : store_->groupsForEditing())
            QCOMPARE(store_->deleteGroup(group), int(kOTVStatusOK));
        controller_->updateApplicationViews();
        const QString path = files_.filePath("Some.vrx");
        QVERIFY(writeAll(path, "Ostrevin vRX File -v3.0\rF\r"));
        controller_->importSelectedFile(1060);
        controller_->importFile(path);
        QVERIFY(!controller_->importVRXFile(path, true));
        QCOMPARE(prompts_->openTypes, QStringList());
        QCOMPARE(alerts_->alerts.size(), 3);
        for (const BKAlert& alert : alerts_->alerts) {
            QCOMPARE(alert.title, QStringLiteral("Ostrevin  Darovazivu Alert"));
            QCOMPARE(alert.message, QStringLiteral(" You should have atleast one Group to import records."));
        }
    }

    // Cancel on the progress panel stops the import between two records: those imported are
    // whole, and the user is told how many. (Records are stored some hundreds at a time: the
    // file holds many batches.)
    void aCancelledImportReportsWhatCameIn()
    {
        constexpr int lines = 5000;
        QByteArray text("Ostrevin vRX File -v3.0\rF\rT,31,Login,User,Password,URL,,,,,,,Date,2,\r");
        for (int n = 0; n < lines; ++n)
            text += QStringLiteral("F,31,many%1,secret%1,,,,,,,,\"January 05,2009\",0,,,,,,,,,,,Work,\r").arg(n).toUtf8();
        const QString path = files_.filePath("Many.vrx");
        QVERIFY(writeAll(path, text));
        const int before = int(store_->mRecords().size());
        bool panelSeen = false;
        QTimer watch;
        watch.setInterval(5);
        connect(&watch, &QTimer::timeout, this, [&] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (widget->objectName() != "mLoadingDataPanel" || !widget->isVisible())
                    continue;
                panelSeen = true;
                if (int(store_->mRecords().size()) > before + 5) {
                    watch.stop();
                    widget->findChild<QAbstractButton*>("CancelButton")->click();
                }
            }
        });
        watch.start();
        QVERIFY(!controller_->importVRXFile(path, false));
        QVERIFY(panelSeen);
        const int imported = int(store_->mRecords().size()) - before;
        QVERIFY2(imported > 5 && imported < lines, qPrintable(QString::number(imported)));
        QCOMPARE(alerts_->messages(),
                 QStringList{QStringLiteral("The import was cancelled. %1 records were imported.").arg(imported)});
        QCOMPARE(rootValue("SELECT COUNT(*) FROM vivododadi.RECORDTABLE").toInt(), before + imported);
        for (const auto& record : store_->mRecords()) {
            if (record->value(1).startsWith("many"))
                QCOMPARE(record->value(2), QStringLiteral("secret") + record->value(1).mid(4));
        }
    }

};

QTEST_MAIN(ExchangeImportCommandsTest)
#include "ExchangeImportCommandsTest.moc"
