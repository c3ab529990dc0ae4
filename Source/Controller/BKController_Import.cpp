#include "BKController.h"

#include "BKExchangeProgress.h"
#include "BKMainWindowViews.h"

#include "Model/BKGroup.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVPermissionWords.h"
#include "Model/vRX/CvRXImporter.h"
#include "Model/vRX/Vault/OTVvRXImportDelegate.h"
#include "Platform/BKLocalization.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const char* const kInvalidImportFile = "Import failed. Invaild import file name.";

// About how many lines the file holds: the bar's end. Quoted line breaks make it a little
// long, which the panel allows for.
int estimatedLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    int lines = 0;
    while (!file.atEnd()) {
        const QByteArray chunk = file.read(1 << 20);
        lines += int(chunk.count('\r'));
    }
    return lines;
}

} // namespace

bool BKController::hasGroupToImportInto()
{
    if (mViews_ && mViews_->selectedGroup())
        return true;
    BKRunAlertPanel(BKLocalizedString("Ostrevin  Darovazivu Alert"),
                    BKLocalizedString(" You should have atleast one Group to import records."), BKLocalizedString("OK"));
    return false;
}

void BKController::refreshViewsAfterImport()
{
    if (!mViews_)
        return;
    mViews_->updateGroupUIControl();
    mViews_->initTypesUIControl();
    mViews_->updateTables();
    emit mViews_->selectedRecordChanged(mViews_->itemPropertiesForTableViewSelectedRow());
}

void BKController::importSelectedFile(int tag)
{
    if ((tag != kImportVRXTag && tag != kImportCSVTag && tag != kRestoreTag) ||
        !checkForDataPermissionFor(tag == kRestoreTag ? kDataPermissionRestore : kDataPermissionImport))
        return;
    if (!hasGroupToImportInto())
        return;
    const QString path = exchangePrompts().runOpenPanel(QString::fromLatin1(tag == kImportCSVTag ? "csv" : "vrx"));
    if (path.isEmpty())
        return;
    if (tag == kImportVRXTag) {
        importVRXFile(path, false);
    } else if (tag == kImportCSVTag) {
        importExchangeFile(path);
    } else {
        // A restore adds the file's records to the selected group; it removes nothing.
        const QString message =
            BKLocalizedString("This operation will destroy the current contents of the database and restore the "
                              "selected database.")
            + QLatin1Char('\n') + BKLocalizedString(" Are you sure you want to do this? ");
        if (BKRunAlertPanel({}, message, BKLocalizedString("No"), BKLocalizedString("Yes")) != kBKAlertAlternateReturn)
            return;
        importVRXFile(path, true);
    }
    refreshViewsAfterImport();
}

bool BKController::importVRXFile(const QString& path, bool forRestore)
{
    if (!checkForDataPermissionFor(forRestore ? kDataPermissionRestore : kDataPermissionImport))
        return false;
    if (!hasGroupToImportInto())
        return false;
    const QFileInfo info(path);
    // A version 4.0 package is a folder holding the file of its own name.
    const QString file = info.isDir() ? QDir(path).filePath(info.fileName()) : path;
    if (!QFileInfo(file).isFile()) {
        showAlertPanelWithTitle({}, kInvalidImportFile, BKLocalizedString("OK"));
        return false;
    }
    return importExchangeFile(file);
}

// Any record file: the importer reads it by its own kind, so a CSV command given an
// enciphered vRX file still asks for the password instead of importing cipher text.
bool BKController::importExchangeFile(const QString& filePath)
{
    if (!hasGroupToImportInto())
        return false;
    const std::string file = QFile::encodeName(filePath).toStdString();
    OTVvRXImportDelegate delegate(file, mViews_->selectedGroup(), attachmentFolderPath(), store_);
    BKCancellableImportDelegate cancellable(delegate);
    std::unique_ptr<CvRXImporter> importer;
    try {
        importer = std::make_unique<CvRXImporter>(file, &cancellable);
    } catch (const std::exception&) {
        // Empty or unreadable: nothing to read records from.
        showAlertPanelWithTitle({}, kInvalidImportFile, BKLocalizedString("OK"));
        return false;
    }
    if (!delegate.Refusal().isEmpty()) {
        showAlertPanelWithTitle({}, delegate.Refusal(), BKLocalizedString("OK"));
        return false;
    }
    std::string password;
    if (importer->IsFileEncrypted()) {
        const std::optional<QString> typed = exchangePrompts().runImportPasswordSheet([this, &file](const QString& text) {
            bool matches = false;
            try {
                matches = CvRXImporter::DoesPasswordMatch(file, text.toStdString());
            } catch (const std::exception&) {
            }
            if (!matches)
                showAlertPanelWithTitle({}, "That is not the correct password for this import file.",
                                        BKLocalizedString("OK"));
            return matches;
        });
        if (!typed)
            return false;
        password = typed->toStdString();
    }
    const int lines = estimatedLines(filePath);
    runExchangeWorkerAndWait(
        BKLocalizedString("Importing Data..."),
        [this, &importer, &delegate, &password] {
            // The batches of records share their prepared statements.
            const OTVDataBase::KeptStatements kept(store_);
            delegate.Import(*importer, password);
        },
        [&cancellable, lines] { return std::pair{cancellable.linesDone(), lines}; },
        [&cancellable] { cancellable.cancel(); });

    if (cancellable.isCancelled()) {
        showAlertPanelWithTitle({},
                                BKLocalizedString("The import was cancelled. %1 records were imported.")
                                    .arg(delegate.ImportedCount()),
                                BKLocalizedString("OK"));
        return false;
    }
    const bool whole = delegate.Refusal().isEmpty() && delegate.FailedCount() == 0 &&
                       delegate.MissingAttachments() == 0 && !delegate.Interrupted();
    if (!whole)
        showAlertPanelWithTitle({}, delegate.Summary(), BKLocalizedString("OK"));
    return whole;
}

// An exchange file handed to the application (at launch, once the user agreed).
void BKController::importFile(const QString& path)
{
    if (!checkForDataPermissionFor(kDataPermissionImport))
        return;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("vrx"))
        importVRXFile(path, false);
    else if (suffix == QLatin1String("csv"))
        importExchangeFile(path);
    else
        showAlertPanelWithTitle({}, kInvalidImportFile, BKLocalizedString("OK"));
    refreshViewsAfterImport();
}
