#pragma once

// Shared by the programs of the exchange commands: the sample vault with hostile values and an
// attachment, a controller over it with scripted panels, and what a file or the vault holds.
#include "../ControllerTestSupport.h"
#include "../ExchangeTestSupport.h"
#include "ViewsTestVault.h"

#include "Controller/BKController.h"
#include "Controller/BKMainWindowViews.h"
#include "Customization/BKTableView.h"
#include "Model/vRX/CvRXImporter.h"
#include "Model/vRX/ExchangeDates.h"
#include "Platform/BKMailer.h"
#include "Support/RecordingMailer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <QtTest>

namespace exchange_commands {

// A record as the exchange keeps it, whatever vault holds it.
struct RecordContent {
    QStringList values;   // 1 to 9
    QDate day;            // of value 10
    QString notes;
    QString typeName;
    QString customLook;   // labels, icon and mask of the record's own type
    QString attachmentName;
    QByteArray attachment;

    bool operator==(const RecordContent& o) const
    {
        return values == o.values && day == o.day && notes == o.notes && typeName == o.typeName
               && customLook == o.customLook && attachmentName == o.attachmentName && attachment == o.attachment;
    }
};

char* toString(const RecordContent& r)
{
    return QTest::toString(QStringLiteral("%1 | day %2 | notes %3 | type %4 | custom %5 | attachment %6 %7 bytes")
                               .arg(r.values.join('|'), r.day.toString(Qt::ISODate), r.notes.left(30), r.typeName,
                                    r.customLook, r.attachmentName)
                               .arg(r.attachment.size()));
}

QString lookOf(const OTVType& type)
{
    QStringList look;
    for (int field = 1; field <= kNoOfFields; ++field)
        look << type.label(field);
    return look.join('|') + QStringLiteral(" icon %1 mask %2")
                                .arg(type.mTypeIconID().value_or(-1))
                                .arg(type.mTypeMask().value_or(-1));
}

// Counts what a file holds, as the importer reads it.
class CountingDelegate final : public CvRXImporterDelegate {
public:
    void CreateType(const CStringArray&, unsigned short, unsigned short, unsigned short) override {}
    void AddRecord(EFileType, const CStringArray&, const CStringArray&, const CStringArray&, const CString&,
                   unsigned short, unsigned short, unsigned short) override
    {
        ++records;
    }
    void ImportComplete() override {}
    void ErrorInImport(int code) override { errors.append(code); }
    int records = 0;
    QList<int> errors;
};

struct FileCount {
    int kind = 0;
    bool encrypted = false;
    int records = -1;
};

FileCount countFile(const QString& path, const std::string& password = {})
{
    CountingDelegate counter;
    try {
        CvRXImporter importer(QFile::encodeName(path).toStdString(), &counter);
        importer.ImportFile(importer.FileType(), password);
        return {int(importer.FileType()), importer.IsFileEncrypted(), counter.records};
    } catch (const std::exception&) {
        return {};
    }
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

const QString kMailQuestion = QStringLiteral("Do you want to mail the exported file ?");
const QString kInvalidFile = QStringLiteral("Import failed. Invaild import file name.");
// A file that is there but not a record file of a version this program reads.
const QString kNoRecordsInFile = QStringLiteral("Import failed. The file holds no records that can be imported.");
// Text whose first line is no header, as a spreadsheet saves CSV: what the file must look like.
const QString kNoHeaderLine = QStringLiteral(
    "Import failed. The file does not begin with the line \"Ostrevin Export File\". A CSV file to import begins "
    "with that line, then holds one record a line: the record type, values 1 to 9, the date, the notes and the "
    "group, separated by commas.");
const QString kWrongPassword = QStringLiteral("That is not the correct password for this import file.");
const QString kWeakPassword = QStringLiteral("Password must be atleast 2 characters and have atleast 2 unique characters.");
const QString kMismatch = QStringLiteral("Your new password doesn't match the confirm password.");
const QString kExportFailed = QStringLiteral("Export failed. The file could not be written.");

} // namespace exchange_commands

using namespace exchange_commands;

class ExchangeCommandsFixture {
protected:
    // The sample vault with the records below, the user working in Banking.
    void openSourceVault()
    {
        QVERIFY(ViewsTestVault::startSession(server_, settings_, store_, vault_));
        addHostileRecords();
    }

    void closeAll()
    {
        alerts_.reset();
        controller_.reset();
        vault_.reset();
        store_.reset();
        settings_.reset();
    }

    void clearFiles()
    {
        QDir(files_.path()).removeRecursively();
        QDir().mkpath(files_.path());
    }

    void newController()
    {
        alerts_.reset();
        controller_ = std::make_unique<BKController>(*store_);
        alerts_ = std::make_unique<RecordingAlertPresenter>();
        controller_->applicationWillFinishLaunching();
        controller_->updateApplicationViews();
        auto prompts = std::make_unique<ScriptedExchangePrompts>();
        prompts_ = prompts.get();
        controller_->setExchangePrompts(std::move(prompts));
    }

    void selectGroup(const std::shared_ptr<BKGroup>& group)
    {
        store_->getCurrentUser()->setMCurrentGroup(group->mGroupUID());
        QCOMPARE(store_->saveCurrentGroupForUser(*store_->getCurrentUser()), int(kOTVStatusOK));
    }

    // A new vault with one group and no records or types, selected, and a controller over it.
    void switchToEmptyVault(const QString& groupName)
    {
        alerts_.reset();
        controller_.reset();
        store_.reset();
        server_.execAsRoot(QStringLiteral("DROP DATABASE IF EXISTS vivododadi"));
        store_ = std::make_unique<OTVDataBase>();
        QVERIFY(ViewsTestVault::open(*store_, server_));
        // Without the template types of a new vault: every type comes from the file.
        for (const auto& type : store_->typesForEditing())
            QCOMPARE(store_->deleteType(type), int(kOTVStatusOK));
        auto group = BKGroup::newGroup();
        group->setMGroupName(groupName);
        group->setMRecordLevelPermissions(7);
        group->setMUserMembersArray(QStringList{store_->getCurrentUser()->mUserID()});
        group->setMSubGroupsUID(QStringList{});
        QCOMPARE(store_->addGroup(group), int(kOTVStatusOK));
        selectGroup(group);
        newController();
    }

    // Values the formats must quote, escape or keep byte for byte, a record of its own type and an
    // attachment with zero bytes in it.
    void addHostileRecords()
    {
        auto odd = OTVType::createType();
        odd->setMTypeName(QStringLiteral("Odd, \"type\""));
        odd->setMTypeIconID(12);
        odd->setMTypeMask(0x6);
        odd->setLabel(1, QStringLiteral("Name, first"));
        odd->setLabel(2, QStringLiteral("Pass\"word\""));
        QCOMPARE(store_->addType(odd), int(kOTVStatusOK));
        const QStringList hostile[] = {
            {"quotes \"and\", commas", "a,b,\"c\"", "\"", ",", "'; DROP TABLE RECORDTABLE; --"},
            {"line breaks", "one\rtwo", "one\r\rtwo\r", "\t tab and trailing blank "},
            {"unicode Ünïcødé ✓ 🙂", "=cmd|' /C calc'!A0", "../../etc/passwd", "%s%n%x", "\\backslash\\"},
            {"long", QString(200, QLatin1Char('x')), QString(80, QChar(0x00e9)), " leading blank", ""},
        };
        for (const QStringList& values : hostile) {
            auto record = OTVRecord::createRecord();
            record->setMGroup(vault_->groups["Banking"]);
            record->setMType(odd);
            for (int field = 1; field <= values.size(); ++field)
                record->setValue(field, values[field - 1]);
            record->setValue(kNoOfFields, QStringLiteral("2012-02-29 23:59:59 -0800"));
            record->setMNotes(QStringLiteral("notes of %1\nsecond line, \"quoted\"\n").arg(values.first())
                              + QString(6000, QLatin1Char('n')));
            QCOMPARE(store_->addRecord(record), int(kOTVStatusOK));
        }
        std::shared_ptr<OTVRecord> router = vault_->records["Router"];
        const QString attachment = files_.filePath("router.conf");
        QVERIFY(writeAll(attachment, QByteArray("conf\0\0\x01\xff, \"quoted\"\r\n", 20).repeated(50)));
        router->setMHasAttachment(true);
        router->setMAttachmentName(QStringLiteral("router, \"main\".conf"));
        router->setMAttachmentPath(attachment);
        router->setMAttachmentState(kAttachmentStoreFile);
        QCOMPARE(store_->replaceRecord(router), int(kOTVStatusOK));
    }

    OTVRecordList recordsOf(const QString& groupName) const
    {
        OTVRecordList records;
        for (const auto& record : store_->mRecords()) {
            if (record->mGroup() && record->mGroup()->mGroupName() == groupName)
                records.append(record);
        }
        return records;
    }

    QMap<QString, RecordContent> contents(bool customTypes, bool attachments) const
    {
        QMap<QString, RecordContent> result;
        for (const auto& record : store_->mRecords()) {
            RecordContent c;
            for (int field = 1; field < kNoOfFields; ++field)
                c.values << record->value(field);
            c.day = StoredModificationDay(record->value(kNoOfFields)).value_or(QDate());
            c.notes = record->mNotes();
            c.typeName = record->mType()->mTypeName();
            // How the record shows: its own type's labels, icon and mask, or its type's.
            if (customTypes)
                c.customLook = lookOf(record->mIsCustomized() ? *record->mRecordCustomType() : *record->mType());
            if (attachments && record->mHasAttachment()) {
                c.attachmentName = record->mAttachmentName();
                int code = -1;
                c.attachment = store_->extractAttachmentData(record->mRecordUID(), &code).value_or("<none>");
            }
            result.insert(record->value(1), c);
        }
        return result;
    }

    static void sameContents(const QMap<QString, RecordContent>& actual, const QMap<QString, RecordContent>& expected)
    {
        QCOMPARE(actual.keys(), expected.keys());
        for (const QString& key : expected.keys())
            QCOMPARE(actual[key], expected[key]);
    }

    QString rootValue(const QString& query) const { return ViewsTestVault::rootValue(server_, query); }

    TestServer server_;
    QTemporaryDir files_;
    std::unique_ptr<TemporarySettings> settings_;
    std::unique_ptr<OTVDataBase> store_;
    std::unique_ptr<ViewsTestVault> vault_;
    std::unique_ptr<BKController> controller_;
    std::unique_ptr<RecordingAlertPresenter> alerts_;
    ScriptedExchangePrompts* prompts_ = nullptr;
};
