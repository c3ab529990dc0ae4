#include "BKController.h"

#include "BKDetailsWindowRules.h"
#include "BKFileDialog.h"
#include "BKMainWindowViews.h"
#include "BKMenuTable.h"

#include "Customization/BKDetailsView.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVPermissionWords.h"
#include "Model/OTVRecord.h"
#include "Platform/BKAttachmentFiles.h"
#include "Platform/BKDesktopEntries.h"
#include "Platform/BKFileManager.h"
#include "Platform/BKLocalization.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QStandardPaths>
#include <QWidget>

namespace {

const QString kDownloadFailedMessage = QStringLiteral("Attachment could not be downloaded");

QString runFileDialog(QWidget* parent, bool save, const QString& directory, const QString& name)
{
    if (!save)
        return BKChooseAttachmentFile(parent);
    QFileDialog dialog(parent);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDirectory(directory);
    dialog.selectFile(name);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

// The attachment's bytes, or nullopt when there is none to read (an empty file is empty bytes).
std::optional<QByteArray> extractAttachment(OTVDataBase& store, const OTVRecord& record)
{
    int code = -1;
    std::optional<QByteArray> bytes = store.extractAttachmentDataForRecord(record, &code);
    if (!bytes && code == kOTVStatusOK)
        return QByteArray();
    return bytes;
}

} // namespace

void BKController::setFileChooser(BKFileChooser chooser)
{
    mFileChooser_ = std::move(chooser);
}

void BKController::attachmentAction()
{
    if (!mViews_)
        return;
    // What is added to or removed from, and whether it has an attachment: one record.
    const QList<std::shared_ptr<OTVRecord>> selected = mViews_->indexSetForExporting(false);
    const std::shared_ptr<OTVRecord> record = selected.isEmpty() ? nullptr : selected.first();
    if (!record || !isCommandPermitted(kBKAttachmentMenuTag))
        return;
    if (!record->mHasAttachment()) {
        const BKFileChooser& choose = mFileChooser_ ? mFileChooser_ : BKFileChooser(runFileDialog);
        const QString path = choose(mainWindow(), false, QString(), QString());
        if (!path.isEmpty())
            addAttachmentFromFile(record, path);
        return;
    }
    if (BKRunAlertPanel(BKLocalizedString(kDefaultAlertTitle),
                        BKLocalizedString("Are you sure you want to delete attachment?"), BKLocalizedString("No"),
                        BKLocalizedString("Yes")) != kBKAlertAlternateReturn)
        return;
    // The store reports its own failure.
    if (store_.removeAttachment(record) == kOTVStatusOK)
        store_.addRecentlyModifiedRecord(record);
    refreshAfterAttachmentChange();
}

void BKController::addAttachmentFromFile(const std::shared_ptr<OTVRecord>& record, const QString& path)
{
    if (!record || !checkForRecordPermissionFor(kPermissionEdit, record->mGroup()))
        return;
    // The file that will be read: a link counts by its target.
    const QString resolved = BKAcceptableAttachmentPath(path);
    if (resolved.isNull() || !QFileInfo(resolved).isReadable()) {
        BKRunAlertPanel(QString(), BKLocalizedString("The attachment size exceeds 1MB limit."));
        return;
    }
    if (!BKAttachmentNameFits(path)) {
        showStoreStatusAlert(kOTVStatusValueTooLong);
        return;
    }
    // The change reaches the shared record only once it is stored.
    auto changed = std::make_shared<OTVRecord>(*record);
    changed->setMHasAttachment(true);
    changed->setMAttachmentName(QFileInfo(path).fileName());
    changed->setMAttachmentPath(resolved);
    changed->setMAttachmentState(kAttachmentStoreFile);
    const int status = store_.replaceRecord(changed);
    if (status != kOTVStatusOK)
        showStoreStatusAlert(status);
    else
        store_.addRecentlyModifiedRecord(changed);
    refreshAfterAttachmentChange();
}

void BKController::refreshAfterAttachmentChange()
{
    if (!mViews_)
        return;
    mViews_->initTypesUIControl();
    mViews_->updateTables();
    emit mViews_->selectedRecordChanged(mViews_->itemPropertiesForTableViewSelectedRow());
    emit mViews_->validateUIControls();
}

void BKController::addExtractAttachmentMenu(QObject* button)
{
    BKDetailsView* pane = detailsView();
    if (!pane)
        return;
    const std::shared_ptr<OTVRecord> record = pane->detailInfo();
    if (!record || !record->mHasAttachment())
        return;
    if (auto* view = qobject_cast<QWidget*>(button))
        pane->setAttachmentMenuOrigin(view->geometry().topLeft());

    const std::optional<QByteArray> bytes = extractAttachment(store_, *record);
    const QString path = bytes ? BKAttachmentFiles::writeIntoPrivateFolder(attachmentFolderPath(),
                                                                           record->mAttachmentName(), *bytes)
                               : QString();
    if (path.isEmpty()) {
        // No menu for a file that is not there.
        BKRunAlertPanel(BKLocalizedString(kDefaultAlertTitle), BKLocalizedString(kDownloadFailedMessage));
        return;
    }
    pane->setAttachmentMenu(attachmentMenuForFile(path, record));
}

QMenu* BKController::attachmentMenuForFile(const QString& path, const std::shared_ptr<OTVRecord>& record)
{
    delete mAttachmentMenu_;
    auto* menu = new QMenu(mainWindow());
    mAttachmentMenu_ = menu;
    // The pull-down's title slot: part of the menu, never shown.
    menu->addAction(QString())->setVisible(false);

    QMenu* openWith = menu->addMenu(BKLocalizedString("Open With"));
    openWith->setToolTipsVisible(true);
    QList<QAction*> items;
    QStringList titles;
    for (const BKDesktopApplication& application : BKDesktopEntries::applicationsForFile(path)) {
        if (titles.contains(application.name))
            continue;
        titles.append(application.name);
        QAction* item = openWith->addAction(application.name);
        item->setData(path);
        item->setToolTip(application.path);
        const QString entry = application.path;
        connect(item, &QAction::triggered, this, [this, entry, path] { launchFile(entry, path); });
        items.append(item);
    }
    if (items.size() > 1) {
        items.first()->setText(items.first()->text() + QStringLiteral(" (default)"));
        openWith->insertSeparator(items[1]);
    }
    openWith->setEnabled(!items.isEmpty());

    QAction* saveAs = menu->addAction(BKLocalizedString("Save As"));
    saveAs->setData(path);
    connect(saveAs, &QAction::triggered, this, [this, record, path] { saveAsAttachment(record, path); });
    return menu;
}

QMenu* BKController::attachmentMenu() const
{
    return mAttachmentMenu_;
}

void BKController::launchFile(const QString& desktopEntryPath, const QString& path)
{
    BKDesktopEntries::launch(BKDesktopEntries::readEntry(desktopEntryPath), path);
}

void BKController::saveAsAttachment(const std::shared_ptr<OTVRecord>& record, const QString& extractedPath)
{
    if (record) {
        const QString name = BKAttachmentFiles::sanitisedName(record->mAttachmentName());
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const BKFileChooser& choose = mFileChooser_ ? mFileChooser_ : BKFileChooser(runFileDialog);
        const QString chosen = choose(mainWindow(), true, documents, name);
        if (!chosen.isEmpty()) {
            const QString target =
                BKAttachmentFiles::saveAsFileName(chosen, BKAttachmentFiles::extension(name), true);
            const std::optional<QByteArray> bytes = extractAttachment(store_, *record);
            if (bytes && BKAttachmentFiles::writeFile(target, *bytes))
                BKFileManager::revealFile(target);
            else
                BKRunAlertPanel(BKLocalizedString(kDefaultAlertTitle), BKLocalizedString(kDownloadFailedMessage));
        }
    }
    if (!extractedPath.isEmpty())
        QFile::remove(extractedPath);
}
