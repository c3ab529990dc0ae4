#include "BKFileDialog.h"

#include "Platform/BKLocalization.h"
#include "Platform/BKUserDefaults.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString kLastFileFolderKey = QStringLiteral("Last File Folder");

} // namespace

QString BKLastFileFolder()
{
    const QString kept = BKUserDefaults::standardUserDefaults().stringForKey(kLastFileFolderKey);
    if (!kept.isEmpty() && QFileInfo(kept).isDir())
        return kept;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

void BKPrepareFileDialog(QFileDialog& dialog, const BKFileDialogSetup& setup)
{
    if (!setup.title.isEmpty())
        dialog.setWindowTitle(setup.title);
    if (!setup.objectName.isEmpty())
        dialog.setObjectName(setup.objectName);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setAcceptMode(setup.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(setup.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!setup.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(setup.defaultSuffix);
    if (!setup.nameFilter.isEmpty())
        dialog.setNameFilter(setup.nameFilter);
    if (!setup.acceptLabel.isEmpty())
        dialog.setLabelText(QFileDialog::Accept, setup.acceptLabel);
    dialog.setDirectory(BKLastFileFolder());
}

QString BKRunFileDialog(QFileDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    const QString path = dialog.selectedFiles().constFirst();
    BKUserDefaults::standardUserDefaults().setObject(QFileInfo(path).absolutePath(), kLastFileFolderKey);
    return path;
}

QString BKChooseFile(QWidget* parent, const BKFileDialogSetup& setup)
{
    QFileDialog dialog(parent);
    BKPrepareFileDialog(dialog, setup);
    return BKRunFileDialog(dialog);
}

QString BKChooseAttachmentFile(QWidget* parent)
{
    BKFileDialogSetup setup;
    setup.objectName = QStringLiteral("AttachmentPanel");
    setup.acceptLabel = BKLocalizedString("Add");
    return BKChooseFile(parent, setup);
}
