#include "BKController.h"

#include "Model/Database_Engine/OTVDataBase.h"
#include "Platform/BKLocalization.h"
#include "Platform/BKMailer.h"

#include <QFileInfo>

void BKController::askForSendingMailWithAttachment(const QString& path)
{
    if (BKRunAlertPanel(BKLocalizedString("Send Mail"), BKLocalizedString("Do you want to mail the exported file ?"),
                        BKLocalizedString("No"), BKLocalizedString("Yes"))
        != kBKAlertAlternateReturn)
        return;
    QString file = path;
    if (QFileInfo(path).isDir()) {
        // A version 4.0 package is a folder; a mail carries files.
        QString why;
        file = BKPackFolderAsTarGz(path, &why);
        if (file.isEmpty()) {
            qWarning() << "cannot pack" << path << "for mail:" << why;
            showAlertPanelWithTitle({}, BKLocalizedString("The exported records could not be packed for mail."),
                                    BKLocalizedString("OK"));
            return;
        }
    }
    if (!BKMailer::current().mailFileAsAttachment(file)) {
        showAlertPanelWithTitle({}, BKLocalizedString("The mail program could not be started."),
                                BKLocalizedString("OK"));
        return;
    }
    store_.addLogEvent(QStringLiteral("Email Record"));
}
