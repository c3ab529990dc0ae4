#include "BKController.h"

#include "Model/Database_Engine/OTVDataBase.h"
#include "Platform/BKLocalization.h"
#include "Platform/BKMailer.h"

#include <QFileInfo>
#include <QPointer>

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
    // Logged once the mail program has taken the file: a hand-over that failed mailed nothing.
    const QPointer<BKController> self(this);
    const bool started = BKMailer::current().mailFileAsAttachment(file, [self] {
        if (self)
            self->store_.addLogEvent(QStringLiteral("Email Record"));
    });
    if (!started)
        showAlertPanelWithTitle({}, BKLocalizedString("The mail program could not be started."),
                                BKLocalizedString("OK"));
}
