#pragma once

// The account-details mail as bytes: the message a user receives after an administrator made
// or changed the account, and the multipart form that a form-to-mail service takes it in.
// Pure functions; the sending is the desktop's.

#include <QByteArray>
#include <QString>

#include <optional>

inline const QString kUserModEMailSubject = QStringLiteral("Ostrevin Darovazivu account details");

// The form's part separator: 31 "-" and "7d8b32060180". The service's parser relies on it and
// on the exact layout of the parts, so neither is built by a generic multipart writer.
inline const QByteArray kFormMailBoundary = QByteArray(31, '-') + QByteArrayLiteral("7d8b32060180");

// The answers the service gives, as they stand in its reply page.
inline constexpr char kFormMailSentAnswer[] = "Your message has been sent";
inline constexpr char kFormMailInvalidAddressAnswer[] = "Email address is invalid";
inline constexpr char kFormMailGibberishAnswer[] = "You have submitted a gibberish word";

// Failure codes of a mail: the address was refused, the submission was refused, and anything
// else (no known answer, no answer at all, a network error, the time running out).
inline constexpr int kFormMailFailedAddress = 0;
inline constexpr int kFormMailFailedGibberish = 1;
inline constexpr int kFormMailFailedOther = -1;

// The message for an account: server address, port, user name, password and master password.
QString OTVAccountMailMessage(const QString& serverAddress, const QString& port, const QString& userName,
                              const QString& password, const QString& masterPassword);

struct OTVFormMailFile {
    QString fileName;   // the last path component
    QByteArray bytes;
};

// The request body of the form: the sender's name, the recipient, the message and the subject,
// then the "datafile" part (empty without a file). Texts in UTF-8.
QByteArray OTVFormMailBody(const QString& sender, const QString& recipient, const QString& subject,
                           const QString& message, const std::optional<OTVFormMailFile>& file = std::nullopt);

enum class OTVFormMailAnswer { None, Sent, InvalidAddress, Gibberish };

// What the reply read so far says. A refusal outweighs a "sent" in the same reply, as the
// service's page puts its error first; the gibberish refusal outweighs the address one.
OTVFormMailAnswer OTVFindFormMailAnswer(const QByteArray& reply);
