#include "BKController.h"

#include "BKExchangeProgress.h"

#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVPermissionWords.h"
#include "Model/OTVRecord.h"
#include "Model/PasswordStrength.h"
#include "Model/vRX/CExporter.h"
#include "Model/vRX/Vault/CExportDelegate.h"
#include "Platform/BKLocalization.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

// The records of an export and the file kind they are written as.
struct BKController::ExportJob {
    bool all = false;
    QList<std::shared_ptr<OTVRecord>> records;
    EFileType kind = kVRX3File;
};

BKController::ExportJob BKController::exportJobForScope(int scope, int kind, bool attachments) const
{
    ExportJob job;
    job.all = scope == kExportScopeAll;
    if (scope == kExportScopeSelection || scope == kExportScopeView)
        job.records = indexSetForExporting(scope == kExportScopeView);
    if (kind == kVRX1File)   // "vRX": the version follows the attachments box
        job.kind = attachments ? kVRX4File : kVRX3File;
    else
        job.kind = EFileType(kind);
    return job;
}

// A file of the headers alone is no export of what the user meant.
bool BKController::scopeHasRecordsToExport(int scope, const ExportJob& job)
{
    if (job.all || !job.records.isEmpty())
        return true;
    showAlertPanelWithTitle({},
                            BKLocalizedString(scope == kExportScopeSelection
                                                  ? "No record is selected. Nothing was exported."
                                                  : "The current view shows no records. Nothing was exported."),
                            BKLocalizedString("OK"));
    return false;
}

// Writes the job's records on a worker behind the progress panel. A file that could not be
// written whole is reported; the caller then goes no further (no mail, no deletion).
bool BKController::exportToFile(const QString& path, const ExportJob& job, const QString& password)
{
    bool written = false;
    QString failure;
    try {
        CExportDelegate provider(job.all, job.records, store_);
        BKCountingExportProvider counting(provider);
        CExporter exporter(QFile::encodeName(path).toStdString(), &counting, job.kind, password.toStdString());
        const int total = int(job.all ? store_.mRecords().size() : job.records.size());
        runExchangeWorkerAndWait(
            BKLocalizedString("Exporting Data..."), [&] { written = exporter.DoExport(); },
            [&counting, total] { return std::pair{counting.recordsDone(), total}; });
        written = written && provider.ISExportComplete() && !provider.ExportFailed();
        if (written && provider.MissingAttachments() > 0)
            failure = BKLocalizedString("%1 attachments could not be exported.").arg(provider.MissingAttachments());
    } catch (const std::exception&) {
        written = false;
    }
    if (!written) {
        showAlertPanelWithTitle({}, BKLocalizedString("Export failed. The file could not be written."),
                                BKLocalizedString("OK"));
        return false;
    }
    // The file holds every record, but not every attachment: the user must know before relying
    // on it (a backup is still complete in its records).
    if (!failure.isEmpty())
        showAlertPanelWithTitle({}, failure, BKLocalizedString("OK"));
    return true;
}

// The export password sheet, then the export. False when cancelled or when the file could
// not be written.
bool BKController::exportWithPasswordSheet(const QString& path, const ExportJob& job)
{
    const std::optional<QString> password =
        exchangePrompts().runExportPasswordSheet([this](const QString& typed, const QString& confirm) {
            if (typed != confirm) {
                showAlertPanelWithTitle({}, "Your new password doesn't match the confirm password.",
                                        BKLocalizedString("OK"));
                return false;
            }
            if (!PasswordStrength::isValidPassword(typed)) {
                showAlertPanelWithTitle(
                    {}, "Password must be atleast 2 characters and have atleast 2 unique characters.",
                    BKLocalizedString("OK"));
                return false;
            }
            return true;
        });
    if (!password)
        return false;
    return exportToFile(path, job, *password);
}

namespace {

BKExportPanelSetup exportPanelSetup(int tag, OTVDataBase& store, const BKController& controller)
{
    BKExportPanelSetup setup;
    setup.tag = tag;
    setup.fileType = QString::fromLatin1(tag == kExportCSVTag ? "csv" : "vrx");
    setup.attachmentsBoxShown = tag != kExportVRXPlainTag;
    setup.attachmentsBoxFixedOff = tag == kExportCSVTag;
    // The selection comes preselected when there is one, else a scope that holds records.
    if (!controller.indexSetForExporting(false).isEmpty())
        setup.scopeRow = kExportRowSelection;
    else if (!controller.indexSetForExporting(true).isEmpty())
        setup.scopeRow = kExportRowView;
    else
        setup.scopeRow = kExportRowAll;
    setup.scopeHasAttachment = [&store, &controller](int scope) {
        if (scope == kExportScopeAll)
            return store.anyRecordHasAtachementinArray(nullptr);
        const OTVRecordList records = controller.indexSetForExporting(scope == kExportScopeView);
        return store.anyRecordHasAtachementinArray(&records);
    };
    return setup;
}

} // namespace

void BKController::exportSelectedFile(int tag)
{
    if ((tag != kExportVRXTag && tag != kExportVRXPlainTag && tag != kExportCSVTag) ||
        !checkForDataPermissionFor(kDataPermissionExport))
        return;
    const std::optional<BKExportPanelAnswer> answer = exchangePrompts().runExportPanel(exportPanelSetup(tag, store_, *this));
    if (!answer)
        return;
    const int scope = BKExportScopeForRow(answer->scopeRow);
    if (scope < 0)
        return;
    const ExportJob job = tag == kExportCSVTag
                              ? exportJobForScope(scope, kPlainCSVFile, false)
                              : exportJobForScope(scope, kVRX1File, tag == kExportVRXTag && answer->attachments);
    if (!scopeHasRecordsToExport(scope, job))
        return;
    const bool written =
        tag == kExportCSVTag ? exportToFile(answer->path, job, QString()) : exportWithPasswordSheet(answer->path, job);
    if (written)
        askForSendingMailWithAttachment(answer->path);
}

void BKController::exportItemsToVRX()
{
    exportSelectedFile(kExportVRXTag);
}

bool BKController::backupRecords(const QList<std::shared_ptr<OTVRecord>>& records)
{
    if (!checkForDataPermissionFor(kDataPermissionBackup))
        return false;
    BKExportPanelSetup setup;
    setup.tag = kBackupTag;
    setup.fileType = QStringLiteral("vrx");
    setup.attachmentsBoxShown = false;
    setup.showsScope = false;
    const std::optional<BKExportPanelAnswer> answer = exchangePrompts().runExportPanel(setup);
    if (!answer)
        return false;
    ExportJob job;
    job.records = records;
    job.kind = store_.anyRecordHasAtachementinArray(&records) ? kVRX4File : kVRX3File;
    return exportWithPasswordSheet(answer->path, job);
}

void BKController::mailSelectedFile()
{
    if (!checkForDataPermissionFor(kDataPermissionExport))
        return;
    const std::optional<BKExportPanelAnswer> answer =
        exchangePrompts().runExportPanel(exportPanelSetup(kExportVRXTag, store_, *this));
    if (!answer)
        return;
    const int scope = BKExportScopeForRow(answer->scopeRow);
    if (scope < 0)
        return;
    const ExportJob job = exportJobForScope(scope, kVRX1File, answer->attachments);
    if (scopeHasRecordsToExport(scope, job) && exportWithPasswordSheet(answer->path, job))
        askForSendingMailWithAttachment(answer->path);
}

QString BKController::mailExportFolderPath() const
{
    const QString folder = attachmentFolderPath();
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/Mail");
}

void BKController::mailItems()
{
    if (!checkForDataPermissionFor(kDataPermissionExport))
        return;
    // Inside the private folder (mode 0700): no other user can swap or read the file, and what
    // an earlier mail left there is never sent again.
    const QString folder = mailExportFolderPath();
    if (folder.isEmpty() || !(QDir(folder).removeRecursively() && QDir().mkpath(folder))) {
        showAlertPanelWithTitle({}, BKLocalizedString("Export failed. The file could not be written."),
                                BKLocalizedString("OK"));
        return;
    }
    ExportJob job;
    job.records = indexSetForExporting(false);
    job.kind = kVRX4File;
    const QString path = folder + QStringLiteral("/Attached_Records.vrx");
    if (exportToFile(path, job, QString()))
        askForSendingMailWithAttachment(path);
}
