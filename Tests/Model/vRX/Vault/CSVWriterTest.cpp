#include "Model/vRX/Vault/OECSVCreatorDelegate.h"
#include "Model/vRX/Vault/OECSVWriter.h"
#include "Model/vRX/Vault/OTVUserParserDelegate.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <array>
#include <stdexcept>

namespace {

const QString kWriteFailedMessage =
    QStringLiteral("Export incomplete. Unable to create export file, please try again.");

OEUserRecord someUser()
{
    OEUserRecord record;
    record.setMUsername(QStringLiteral("jana"));
    record.setMPassword(QStringLiteral("Xy7#pq"));
    record.setMConfirmPassword(QStringLiteral("Xy7#pq"));
    return record;
}

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

mode_t modeOf(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

struct ExportOutcome {
    bool complete;
    std::optional<QString> errorString;
};

class CSVWriterFile : public ::testing::Test {
protected:
    // Runs an export to path and returns what the creator delegate learnt.
    ExportOutcome exportTo(const QString& path, const std::vector<OEUserRecord>& records)
    {
        OECSVCreatorDelegate delegate;
        OECSVWriter writer(path);
        writer.setDelegate(&delegate);
        writer.exportRecords(records);
        return {delegate.isProcessingComplete(), delegate.getErrorString()};
    }

    QTemporaryDir dir_;
};

TEST_F(CSVWriterFile, WritesTheUsersToAFileOnlyItsOwnerCanRead)
{
    const QString path = dir_.filePath("users.csv");
    const std::vector<OEUserRecord> records{someUser()};
    const ExportOutcome outcome = exportTo(path, records);

    EXPECT_TRUE(outcome.complete);
    EXPECT_FALSE(outcome.errorString.has_value());
    EXPECT_EQ(contentsOf(path), OECSVWriter::userCSVData(records));
    EXPECT_EQ(modeOf(path), 0600u);
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"users.csv"})
        << "no temporary file is left beside the export";
}

TEST_F(CSVWriterFile, ReplacesAnExistingFileWholeAndMakesItPrivate)
{
    const QString path = dir_.filePath("users.csv");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(100000, 'x'));
    }
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                | QFileDevice::ReadGroup | QFileDevice::ReadOther));

    const std::vector<OEUserRecord> records{someUser()};
    EXPECT_FALSE(exportTo(path, records).errorString.has_value());
    EXPECT_EQ(contentsOf(path), OECSVWriter::userCSVData(records));
    EXPECT_EQ(modeOf(path), 0600u);
}

TEST_F(CSVWriterFile, AHomeRelativePathIsWrittenUnderTheHomeFolder)
{
    const QByteArray savedHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(dir_.path()));
    const ExportOutcome outcome = exportTo(QStringLiteral("~/users.csv"), {someUser()});
    qputenv("HOME", savedHome);

    EXPECT_FALSE(outcome.errorString.has_value());
    EXPECT_TRUE(QFile::exists(dir_.filePath("users.csv")));
}

TEST_F(CSVWriterFile, AnUnwritablePathIsReportedAndTheExportStillCompletes)
{
    const QString cases[] = {
        dir_.filePath("missing-folder/users.csv"),
        dir_.path(),  // a folder, not a file
        QStringLiteral(""),
    };
    for (const QString& path : cases) {
        const ExportOutcome outcome = exportTo(path, {someUser()});
        EXPECT_TRUE(outcome.complete) << path.toStdString();
        EXPECT_EQ(outcome.errorString, kWriteFailedMessage) << path.toStdString();
    }
    EXPECT_FALSE(QFile::exists(dir_.filePath("missing-folder")));
}

TEST(CSVWriter, RefusesANullPath)
{
    try {
        OECSVWriter writer{QString()};
        FAIL() << "a null path was accepted";
    } catch (const std::invalid_argument& error) {
        EXPECT_STREQ(error.what(), "Invalid parameter not satisfying: filePath!=nil");
    }
}

TEST(CSVCreatorDelegate, HasAMessageOnlyForAFailedWrite)
{
    OECSVCreatorDelegate delegate;
    EXPECT_FALSE(delegate.isProcessingComplete());
    EXPECT_FALSE(delegate.getErrorString().has_value());
    delegate.userCSVExportError(2);
    EXPECT_FALSE(delegate.getErrorString().has_value());
    delegate.userCSVExportError(kUserCSVExportWriteFailed);
    EXPECT_EQ(delegate.getErrorString(), kWriteFailedMessage);
}

OEUserRecord userWith(const QString& name, const QString& password, const QString& fullName,
                      const QString& description, const QString& email, const QString& phone,
                      std::array<quint16, 4> words)
{
    OEUserRecord record;
    record.setMUsername(name);
    record.setMPassword(password);
    record.setMConfirmPassword(password);
    record.setMFullName(fullName);
    record.setMDescription(description);
    record.setMEmail(email);
    record.setMPhoneNo(phone);
    record.setMGroupPermissionsBit(words[0]);
    record.setMTypePermissionsBit(words[1]);
    record.setMRecordPermissionsBit(words[2]);
    record.setMDataPermissionsBit(words[3]);
    return record;
}

TEST(UserList, AnExportOfNoUsersIsTheHeaderLineAlone)
{
    EXPECT_EQ(OECSVWriter::userCSVData({}),
              QByteArray("Username, Password, Confirm Password, Full Name, Description, Email, Phone, "
                         "Group-Permission, Type-Permission, Record-Permission, Data-Permission\r"));
}

TEST(UserList, WritesOneLinePerUserWithItsPermissionStrings)
{
    const QByteArray data = OECSVWriter::userCSVData(
        {userWith("jana", "pw", "Jana N.", "", "j@example.org", "777", {7, 5, 0, 9})});
    EXPECT_TRUE(data.endsWith("\rjana,pw,pw,Jana N.,,j@example.org,777,1,101,0,001001,\r")) << data.constData();
}

TEST(UserList, WhatIsWrittenIsReadBackAsTheSameUsers)
{
    const std::vector<OEUserRecord> records{
        userWith("jana", "p,w\"1", "Nováková, Jana", "says \"hi\"", "jana@example.org", "+420 777",
                 {7, 7, 7, 63}),
        userWith("petr", "", "", "", "", "", {0, 0, 0, 0}),
        userWith("ëmil", " leading blank", "trailing blank ", "first\rsecond", "ë@example.org", "1,2",
                 {1, 2, 4, 42}),
        userWith("zoe", QString(5000, 'z'), "Zoë", QString(70000, QChar(0x00E9)), "z@example.org", "9",
                 {6, 3, 5, 1}),
    };
    QTemporaryDir dir;
    const QString path = dir.filePath("users.csv");
    OECSVCreatorDelegate creator;
    OECSVWriter writer(path);
    writer.setDelegate(&creator);
    writer.exportRecords(records);
    ASSERT_FALSE(creator.getErrorString().has_value());

    OTVUserParserDelegate reader;
    CBKUserParser(path.toStdString(), &reader).StartParsing();
    ASSERT_TRUE(reader.IsParsingComplete());
    ASSERT_FALSE(reader.IsInvalidInputFile());
    ASSERT_EQ(reader.ImportedUsers().size(), records.size());
    for (size_t i = 0; i < records.size(); ++i)
        EXPECT_TRUE(reader.ImportedUsers()[i] == records[i]) << "user " << i;
}

} // namespace
