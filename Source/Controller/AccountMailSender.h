#pragma once

// Posts account-details mails to the form-to-mail service that the administrator configured,
// one request at a time, in the order asked for. The mail is silent: each request's outcome
// is logged exactly once and never shown, and nothing waits for it. Without a usable endpoint
// (https, or http to this machine only) nothing is sent: the details hold passwords.

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <deque>

class QNetworkAccessManager;
class QNetworkReply;

// The settings keys of the service.
inline const QString kAccountMailEndpointKey = QStringLiteral("AccountMailEndpoint");
inline const QString kAccountMailRefererKey = QStringLiteral("AccountMailReferer");
inline const QString kAccountMailSenderKey = QStringLiteral("AccountMailSender");

class AccountMailSender : public QObject {
    Q_OBJECT
public:
    // Time a request may take from start to end before it counts as failed.
    static constexpr int kDefaultTransferTimeoutMs = 30000;

    explicit AccountMailSender(QObject* parent = nullptr);
    ~AccountMailSender() override;

    // The one sender of the application, living on the main thread.
    static AccountMailSender& sharedAccountMailSender();

    // Whether account details may be posted to `url`: https, or http to a loopback address.
    static bool isUsableEndpoint(const QUrl& url);
    // The endpoint of the settings, when it is usable.
    static bool isConfigured();
    // The sender mailbox of the settings.
    static QString senderMailbox();

    // Queues a mail and returns; callable from any thread. The request starts on the main
    // thread once those before it have ended.
    void sendmail(const QString& sender, const QString& to, const QString& subject, const QString& comments);

    void setTransferTimeout(int milliseconds) { timeoutMs_ = milliseconds; }

signals:
    // Exactly once for each request that was posted: sent, or failed with its code
    // (kFormMailFailed...).
    void mailFinished(bool sent, int code);

private:
    struct Request {
        QUrl endpoint;
        QByteArray referer;
        QByteArray body;
    };

    void enqueue(const QString& sender, const QString& to, const QString& subject, const QString& comments);
    void startNext();
    void readAnswer();
    void replyFinished();
    // Ends the request in flight with its one report and goes on with the next.
    void finishCurrent(bool sent, int code);

    QNetworkAccessManager* manager_;
    std::deque<Request> queue_;
    QPointer<QNetworkReply> reply_;
    QByteArray answer_;
    bool mailSent_ = false;
    int timeoutMs_ = kDefaultTransferTimeoutMs;
};
