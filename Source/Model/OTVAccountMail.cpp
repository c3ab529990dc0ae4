#include "OTVAccountMail.h"

QString OTVAccountMailMessage(const QString& serverAddress, const QString& port, const QString& userName,
                              const QString& password, const QString& masterPassword)
{
    // Joined piece by piece: a value holding "%1" must come out as it is.
    return QStringLiteral("Your Ostrevin Darovazivu account has been created or modified.\n\nHere are the details:\n")
           + QStringLiteral("IP Address - ") + serverAddress + QStringLiteral("\nMySQL Port - ") + port
           + QStringLiteral("\nUsername - ") + userName + QStringLiteral("\nPassword - ") + password
           + QStringLiteral("\nMaster Password - ") + masterPassword
           + QStringLiteral("\n\nPlease contact me if you have any questions.\n");
}

QByteArray OTVFormMailBody(const QString& sender, const QString& recipient, const QString& subject,
                           const QString& message, const std::optional<OTVFormMailFile>& file)
{
    const QByteArray& b = kFormMailBoundary;
    const QByteArray separator = "\r\n--" + b + "\r\n";
    QByteArray body;
    body += separator;
    body += "Content-Disposition: form-data; name=\"name\"\n\n" + sender.toUtf8();
    body += "\n--" + b + "\r\n";
    body += "Content-Disposition: form-data; name=\"email\"\n\n\n\r\r\n" + recipient.toUtf8() + "\n";
    body += separator;
    body += "Content-Disposition: form-data; name=\"comments\"\n\n\r\r\n" + message.toUtf8() + "\n";
    body += separator;
    body += "Content-Disposition: form-data; name=\"subject\"\n\n\r\r\n" + subject.toUtf8() + "\n";
    body += separator;
    if (file) {
        body += "Content-Disposition: form-data; name=\"datafile\"; filename=\"" + file->fileName.toUtf8() + "\"\r\n\n";
        body += file->bytes;
        body += "\n\nContent-Type: text/plain\n\n\n\n";
    } else {
        body += "Content-Disposition: form-data; name=\"datafile\"; filename=\"\"\r\n\n\n";
    }
    body += "\r\n--" + b + "--\r\n";
    return body;
}

OTVFormMailAnswer OTVFindFormMailAnswer(const QByteArray& reply)
{
    if (reply.contains(kFormMailGibberishAnswer))
        return OTVFormMailAnswer::Gibberish;
    if (reply.contains(kFormMailInvalidAddressAnswer))
        return OTVFormMailAnswer::InvalidAddress;
    if (reply.contains(kFormMailSentAnswer))
        return OTVFormMailAnswer::Sent;
    return OTVFormMailAnswer::None;
}
