#include "AccountMailSender.h"

#include "Model/OTVAccountMail.h"
#include "Platform/BKUserDefaults.h"

#include <QCoreApplication>
#include <QDebug>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThread>

namespace {

// The reply is searched as a whole, so an answer split between two reads is still found; beyond
// this much only the tail that could hold the start of an answer is kept.
constexpr qsizetype kMaxAnswerBytes = 64 * 1024;
constexpr qsizetype kAnswerTail = 64;

const QByteArray kUserAgent = "Mozilla/5.0 (Macintosh; U; PPC Mac OS X; en) AppleWebKit/523.12.1 (KHTML, like Gecko) "
                              "Version/3.0.4 Safari/523.12.2";
const QByteArray kAccept =
    "text/xml,application/xml,application/xhtml+xml,text/html;q=0.9,text/plain;q=0.8,image/png,*/*;q=0.5";

void postMasterMailSendingSucceded()
{
    qInfo("%s", "postMasterMailSendingSucceded");
}

void postMasterMailSendingFailed(int code)
{
    qWarning("%s:reson:%d", "postMasterMailSendingFailed", code);
}

} // namespace

AccountMailSender::AccountMailSender(QObject* parent)
    : QObject(parent), manager_(new QNetworkAccessManager(this))
{
}

AccountMailSender::~AccountMailSender() = default;

AccountMailSender& AccountMailSender::sharedAccountMailSender()
{
    static AccountMailSender* shared = [] {
        auto* sender = new AccountMailSender;
        // The network events arrive on the main thread, whoever asked first.
        if (QCoreApplication* app = QCoreApplication::instance())
            sender->moveToThread(app->thread());
        return sender;
    }();
    return *shared;
}

bool AccountMailSender::isUsableEndpoint(const QUrl& url)
{
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https"))
        return true;
    if (scheme != QLatin1String("http"))
        return false;
    // Plain http only where nobody can listen in between: this machine.
    const QString host = url.host();
    return host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 || QHostAddress(host).isLoopback();
}

bool AccountMailSender::isConfigured()
{
    return isUsableEndpoint(QUrl(BKUserDefaults::standardUserDefaults().stringForKey(kAccountMailEndpointKey)));
}

QString AccountMailSender::senderMailbox()
{
    return BKUserDefaults::standardUserDefaults().stringForKey(kAccountMailSenderKey);
}

void AccountMailSender::sendmail(const QString& sender, const QString& to, const QString& subject,
                                 const QString& comments)
{
    QMetaObject::invokeMethod(
        this, [this, sender, to, subject, comments] { enqueue(sender, to, subject, comments); },
        Qt::QueuedConnection);
}

void AccountMailSender::enqueue(const QString& sender, const QString& to, const QString& subject,
                                const QString& comments)
{
    BKUserDefaults& defaults = BKUserDefaults::standardUserDefaults();
    const QUrl endpoint(defaults.stringForKey(kAccountMailEndpointKey));
    if (!isUsableEndpoint(endpoint)) {
        qWarning("account mail not sent: no https endpoint for it is set");
        return;
    }
    queue_.push_back(Request{endpoint, defaults.stringForKey(kAccountMailRefererKey).toUtf8(),
                             OTVFormMailBody(sender, to, subject, comments)});
    if (!reply_)
        startNext();
}

void AccountMailSender::startNext()
{
    if (reply_ || queue_.empty())
        return;
    const Request request = std::move(queue_.front());
    queue_.pop_front();
    mailSent_ = false;
    answer_.clear();

    QNetworkRequest post(request.endpoint);
    // Qt sets Host, Content-Length and Connection itself, and Accept-Encoding too: set by hand
    // it would stop Qt from unpacking a compressed reply, whose answer would then never be found.
    post.setRawHeader("keep-alive", "5000");
    post.setRawHeader("Accept-Language", "en");
    if (!request.referer.isEmpty())
        post.setRawHeader("Referer", request.referer);
    post.setRawHeader("User-Agent", kUserAgent);
    post.setRawHeader("Content-Type", "multipart/form-data; boundary=" + kFormMailBoundary);
    post.setRawHeader("Accept", kAccept);
    post.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    post.setTransferTimeout(timeoutMs_);
    reply_ = manager_->post(post, request.body);
    connect(reply_, &QNetworkReply::readyRead, this, &AccountMailSender::readAnswer);
    connect(reply_, &QNetworkReply::finished, this, &AccountMailSender::replyFinished);
}

void AccountMailSender::readAnswer()
{
    if (!reply_)
        return;
    answer_ += reply_->readAll();
    switch (OTVFindFormMailAnswer(answer_)) {
    case OTVFormMailAnswer::Gibberish:
        qWarning().noquote() << "Response :" + QString::fromUtf8(answer_);
        finishCurrent(false, kFormMailFailedGibberish);
        return;
    case OTVFormMailAnswer::InvalidAddress:
        finishCurrent(false, kFormMailFailedAddress);
        return;
    case OTVFormMailAnswer::Sent:
        mailSent_ = true;
        break;
    case OTVFormMailAnswer::None:
        break;
    }
    if (answer_.size() > kMaxAnswerBytes)
        answer_ = answer_.right(kAnswerTail);
}

void AccountMailSender::replyFinished()
{
    if (!reply_)
        return;
    // What arrived with the end of the stream counts as well.
    if (reply_->bytesAvailable() > 0) {
        readAnswer();
        if (!reply_)
            return;
    }
    if (reply_->error() != QNetworkReply::NoError) {
        qWarning("Error occured while streaming the data\n");
        qWarning("Error occurred (%ld, %ld).", long(0), long(reply_->error()));
        finishCurrent(false, kFormMailFailedOther);
        return;
    }
    finishCurrent(mailSent_, mailSent_ ? 0 : kFormMailFailedOther);
}

void AccountMailSender::finishCurrent(bool sent, int code)
{
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    if (reply) {
        // Whatever the reply still does after this is no longer heard.
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    if (sent)
        postMasterMailSendingSucceded();
    else
        postMasterMailSendingFailed(code);
    emit mailFinished(sent, code);
    startNext();
}
