#pragma once

// Shared by the exchange programs that run against the fixture's server: a vault store that
// records its event log, a vault to export made through the store's own writes, and the runs
// of an export and an import on a worker thread as the commands run them.

#include "Model/Database_Engine/StoreTestSupport.h"

#include "Model/BKGroup.h"
#include "Model/OTVRecord.h"
#include "Model/OTVType.h"
#include "Model/OTVUser.h"
#include "Model/vRX/CExporter.h"
#include "Model/vRX/CvRXImporter.h"
#include "Model/vRX/Vault/CExportDelegate.h"
#include "Model/vRX/Vault/OTVvRXImportDelegate.h"
#include "Platform/BKWorker.h"

#include <QFile>
#include <QTemporaryDir>

#include <memory>
#include <mutex>

inline const QString kExchangeMasterPassword = QStringLiteral("s3cret");

// The store with its maps opened up and its event log kept ("event|description|action").
class ExchangeStore : public StoreProbe {
public:
    using OTVDataBase::mCurrentUser_;
    using OTVDataBase::mRecords_;

    QStringList log() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return log_;
    }
    int logged(const QString& event, const QString& action) const
    {
        return int(log().filter(event + QLatin1Char('|')).filter(QLatin1Char('|') + action).size());
    }

protected:
    void logStoreEvent(const QString& event, const QString& description, const QString& action,
                       const QString&) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        log_.append(QStringList{event, description, action}.join(QLatin1Char('|')));
    }
    // The server's recent lists are another category's; the exchange does not look at them.
    void addRecordToServerList(OTVServerList, const std::shared_ptr<OTVRecord>&, const QString&) override {}

private:
    mutable std::mutex mutex_;
    QStringList log_;
};

// What an import did, read from its delegate.
struct ImportResult {
    int imported = 0;
    int failed = 0;
    QMap<QString, int> reasons;
    int missingAttachments = 0;
    int damagedAttachments = 0;
    QString refusal;
    QString summary;
};

class ExchangeVaultTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        ASSERT_TRUE(files.isValid());
        ASSERT_TRUE(attachments.isValid());
        openEmptyVault();
    }

    // Drops the vault and opens a new, empty one with a new store.
    void openEmptyVault()
    {
        store.reset();
        root(QStringLiteral("DROP DATABASE IF EXISTS vivododadi"));
        store = std::make_unique<ExchangeStore>();
        ASSERT_EQ(connect(*store, server.admin), kOTVStatusOK);
        store->createEncrypter(kExchangeMasterPassword);
        store->mCurrentUser_->setMUserID(QStringLiteral("00000000AB000001"));
        store->mCurrentUser_->setMUsername(QStringLiteral("admin"));
    }

    std::shared_ptr<BKGroup> addGroup(const QString& name)
    {
        std::shared_ptr<BKGroup> group = BKGroup::newGroup();
        group->setMGroupName(name);
        group->setMUserMembersArray(QStringList{});
        group->setMSubGroupsUID(QStringList{});
        EXPECT_EQ(store->addGroup(group), kOTVStatusOK) << name.toStdString();
        return group;
    }

    std::shared_ptr<OTVType> addType(const QString& name, int icon, int mask, const QStringList& labels = {})
    {
        std::shared_ptr<OTVType> type = OTVType::createType();
        type->setMTypeName(name);
        type->setMTypeIconID(icon);
        type->setMTypeMask(mask);
        for (int field = 1; field <= labels.size(); ++field)
            type->setLabel(field, labels[field - 1]);
        EXPECT_EQ(store->addType(type), kOTVStatusOK) << name.toStdString();
        return type;
    }

    // A record to store; its UID fixes its place in the record map.
    std::shared_ptr<OTVRecord> makeRecord(const QString& uid, const std::shared_ptr<BKGroup>& group,
                                         const std::shared_ptr<OTVType>& type, const QStringList& values,
                                         const QString& notes = {}, const QString& changed = {})
    {
        std::shared_ptr<OTVRecord> record = OTVRecord::createRecord();
        record->setMRecordUID(uid);
        record->setMGroup(group);
        record->setMType(type);
        for (int field = 1; field <= values.size(); ++field)
            record->setValue(field, values[field - 1]);
        if (!changed.isNull())
            record->setValue(kNoOfFields, changed);
        record->setMNotes(notes);
        return record;
    }
    std::shared_ptr<OTVRecord> storeRecord(std::shared_ptr<OTVRecord> record)
    {
        EXPECT_EQ(store->addRecord(record), kOTVStatusOK) << record->value(1).toStdString();
        return record;
    }

    // Gives the record a custom type of its own (stored when the record is).
    static void customise(OTVRecord& record, int icon, int mask, const QStringList& labels)
    {
        OTVType custom = *OTVType::createCopyforType(*record.mType());
        custom.setMTypeIconID(icon);
        custom.setMTypeMask(mask);
        for (int field = 1; field <= labels.size(); ++field) {
            if (!labels[field - 1].isEmpty())
                custom.setLabel(field, labels[field - 1]);
        }
        record.setMRecordCustomType(custom);
        record.setMIsCustomized(true);
    }

    // Attaches a file holding `bytes` (stored when the record is).
    void attach(OTVRecord& record, const QString& name, const QByteArray& bytes)
    {
        const QString path = files.filePath(QStringLiteral("attachment-") + record.mRecordUID());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        record.setMHasAttachment(true);
        record.setMAttachmentName(name);
        record.setMAttachmentPath(path);
        record.setMAttachmentState(kAttachmentStoreFile);
    }

    std::string path(const QString& name) const { return files.filePath(name).toStdString(); }

    // Runs the export on a worker while this thread waits in an event loop.
    bool exportRecords(CExportDelegate& provider, const std::string& target, EFileType kind,
                       const std::string& password)
    {
        CExporter exporter(target, &provider, kind, password);
        bool written = false;
        BKRunWorkerAndWait([&] { written = exporter.DoExport(); }, &OTVDataBase::endDatabaseThread);
        EXPECT_TRUE(provider.ISExportComplete());
        return written;
    }
    bool exportAll(const std::string& target, EFileType kind, const std::string& password = {})
    {
        CExportDelegate provider(true, {}, *store);
        return exportRecords(provider, target, kind, password) && !provider.ExportFailed()
               && provider.MissingAttachments() == 0;
    }

    // Imports the file into the group on a worker, as the import command does.
    ImportResult importInto(const std::shared_ptr<BKGroup>& group, const std::string& file,
                            const std::string& password = {},
                            std::function<QDateTime()> now = &QDateTime::currentDateTime)
    {
        OTVvRXImportDelegate delegate(file, group, attachments.path(), *store, std::move(now));
        CvRXImporter importer(file, &delegate);
        BKRunWorkerAndWait([&] { delegate.Import(importer, password); },
                           &OTVDataBase::endDatabaseThread);
        EXPECT_TRUE(delegate.IsImportComplete());
        return {delegate.ImportedCount(), delegate.FailedCount(), delegate.FailureReasons(),
                delegate.MissingAttachments(), delegate.DamagedAttachments(), delegate.Refusal(),
                delegate.Summary()};
    }

    int rows(const char* table) const
    {
        return rootValue(QStringLiteral("SELECT COUNT(*) FROM vivododadi.%1").arg(QLatin1String(table))).toInt();
    }

    // The record of the map whose value 1 is `value1`.
    std::shared_ptr<OTVRecord> recordWithValue1(const QString& value1) const
    {
        for (const std::shared_ptr<OTVRecord>& record : store->mRecords()) {
            if (record->value(1) == value1)
                return record;
        }
        return nullptr;
    }

    QByteArray storedAttachment(const OTVRecord& record)
    {
        int code = -1;
        return store->extractAttachmentData(record.mRecordUID(), &code).value_or(QByteArray("<none>"));
    }

    std::unique_ptr<ExchangeStore> store;
    QTemporaryDir files;
    QTemporaryDir attachments;   // the application's private folder of deciphered attachments
};

// Writes `bytes` to the file `name` of `folder`; returns its path.
inline std::string writeFile(const QTemporaryDir& folder, const QString& name, const QByteArray& bytes)
{
    const QString path = folder.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
    return path.toStdString();
}

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A kind of file the exporter writes, with or without password, and its file's name.
struct RoundTripCase {
    EFileType kind;
    const char* password;
    const char* fileName;
};

inline std::ostream& operator<<(std::ostream& out, const RoundTripCase& c)
{
    return out << "kind " << c.kind << " password \"" << c.password << "\"";
}

// Every kind of file the exporter writes, with and without password.
inline const RoundTripCase kEveryWrittenKind[] = {
    {kVRX3File, "", "Backup.vrx"}, {kVRX3File, "pw", "Backup.vrx"}, {kVRX4File, "", "Package.vrx"},
    {kVRX4File, "a", "Package.vrx"}, {kPlainCSVFile, "", "Export.csv"},
};

// A type's ten labels, icon and mask.
inline QStringList lookOf(const OTVType& type)
{
    QStringList look;
    for (int field = 1; field <= kNoOfFields; ++field)
        look << type.label(field);
    return look << QString::number(type.mTypeIconID().value_or(-1)) << QString::number(type.mTypeMask().value_or(-1));
}

inline QString fixtureUID(int n)
{
    return QStringLiteral("A0000000000000%1").arg(n, 2, 16, QLatin1Char('0')).toUpper();
}
