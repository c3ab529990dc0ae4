#include "Model/vRX/CEventLoggerBackupCreator.h"

#include "IndependentCSVReader.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

using Entry = QMap<QString, QString>;

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class EventLoggerBackup : public ::testing::Test {
protected:
    QString pathOf(const QString& name) const { return folder_.filePath(name); }

    QTemporaryDir folder_{QDir::tempPath() + QStringLiteral("/eventlog-XXXXXX")};
};

const QList<Entry> kTwoEntries = {
    {{"Date", "2026-11-03 09:15:00"},
     {"Event", "Add Record"},
     {"Description", "Added \"Bank, main\""},
     {"Action", "Success"},
     {"User", "alice"},
     {"Computer", "alice-pc"}},
    // No description: the field stays empty.
    {{"Date", "2026-11-04 18:00:01"}, {"Event", "Lock Application"}, {"User", "bob"}, {"Computer", "Bob's Laptop"}},
};

} // namespace

TEST_F(EventLoggerBackup, WritesTheGoldenFile)
{
    ASSERT_TRUE(folder_.isValid());
    CEventLoggerBackupCreator creator(kTwoEntries, 2);
    ASSERT_TRUE(creator.doBackupToPath(pathOf("Nov-2026 (Created_On_01-12-2026).csv")));
    EXPECT_EQ(ReadFile(pathOf("Nov-2026 (Created_On_01-12-2026).csv")),
              ReadFile(QStringLiteral(OSTREVIN_EXCHANGE_TEST_DATA "/EventLogBackup.csv")));
}

TEST_F(EventLoggerBackup, EmptyLogGivesTheTitleLineAloneAndReplacesAnOldFile)
{
    const QString path = pathOf("log.csv");
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old contents that are longer than the new file\r");
    old.close();

    CEventLoggerBackupCreator creator({}, 2);
    ASSERT_TRUE(creator.doBackupToPath(path));
    EXPECT_EQ(ReadFile(path), QByteArray("Date,Event,Description,User,Computer,\r"));
}

TEST_F(EventLoggerBackup, CreatesAMissingFolder)
{
    const QString path = pathOf("Documents/Ostrevin/log.csv");
    CEventLoggerBackupCreator creator(kTwoEntries, 2);
    EXPECT_TRUE(creator.doBackupToPath(path));
    EXPECT_TRUE(QFile::exists(path));
}

TEST_F(EventLoggerBackup, ReportsAFileThatCannotBeWritten)
{
    // A regular file where the folder should be: neither root nor anyone else can write there.
    QFile blocker(pathOf("not-a-folder"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    CEventLoggerBackupCreator creator(kTwoEntries, 2);
    EXPECT_FALSE(creator.doBackupToPath(pathOf("not-a-folder/log.csv")));
    EXPECT_FALSE(creator.errorString().isEmpty());
    EXPECT_FALSE(CEventLoggerBackupCreator(kTwoEntries, 2).doBackupToPath(folder_.path()));   // a folder
}

TEST_F(EventLoggerBackup, AnIndependentCSVReaderGetsEveryFieldBack)
{
    QList<Entry> entries = kTwoEntries;
    entries.append({{"Date", "2026-11-05 00:00:00"},
                    {"Event", "Edit Record"},
                    {"Description", QStringLiteral("Notes: \"quoted\", commas,\rcarriage return, Grüße €, ")
                                        + QString(5000, QChar(0x00E9))},
                    {"User", "\"chef\""},
                    {"Computer", "Ünïcode, Host"}});
    const QString path = pathOf("log.csv");
    ASSERT_TRUE(CEventLoggerBackupCreator(entries, 2).doBackupToPath(path));

    const auto rows = ReadWithIndependentCSVReader(path);
    ASSERT_TRUE(rows.has_value()) << "python3 could not read the file";
    ASSERT_EQ(rows->size(), entries.size() + 1);
    const QStringList titles = {"Date", "Event", "Description", "User", "Computer"};
    EXPECT_EQ(rows->at(0), titles + QStringList{""});   // every field is followed by a comma
    for (int i = 0; i < entries.size(); ++i) {
        QStringList expected;
        for (const QString& title : titles)
            expected << entries[i].value(title);
        EXPECT_EQ(rows->at(i + 1), expected + QStringList{""}) << "entry " << i;
    }
}
