// The account-details mail against a form service on the loopback interface: what is posted
// (headers and the exact body), how each answer of the service ends the request, and that every
// request posted ends in exactly one report and one logged outcome, whatever the network does.
#include "Controller/AccountMailSender.h"
#include "Model/OTVAccountMail.h"
#include "Platform/BKUserDefaults.h"
#include "Support/LoopbackFormService.h"
#include "Support/TemporarySettings.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

// The outcome lines logged while a test runs.
QStringList loggedOutcomes;
QtMessageHandler previousHandler = nullptr;

void recordOutcomes(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("postMasterMailSending")))
        loggedOutcomes.append(message);
    previousHandler(type, context, message);
}

} // namespace

class AccountMailSenderTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { previousHandler = qInstallMessageHandler(recordOutcomes); }
    void cleanupTestCase() { qInstallMessageHandler(previousHandler); }
    void init();
    void cleanup();

    void postsTheFormWithItsHeaders();
    void answersEndTheRequestOnce_data();
    void answersEndTheRequestOnce();
    void refusedConnectionFailsOnce();
    void silentServiceTimesOutOnce();
    void requestsWaitTheirTurn();
    void nothingIsPostedWithoutAUsableEndpoint();
    void endpointsThatMayCarryPasswords();

private:
    void useEndpoint(const QUrl& url)
    {
        BKUserDefaults::standardUserDefaults().setObject(url.toString(), kAccountMailEndpointKey);
    }
    void send(const QString& to = QStringLiteral("bob@example.org"))
    {
        sender_->sendmail(QStringLiteral("Vault Admin"), to, kUserModEMailSubject, QStringLiteral("the details"));
    }
    // Waits for `count` reports, then a little longer for any that should not come.
    bool waitForReports(QSignalSpy& spy, int count)
    {
        if (!QTest::qWaitFor([&] { return spy.count() >= count; }, 5000))
            return false;
        QTest::qWait(150);
        return spy.count() == count;
    }

    std::unique_ptr<TemporarySettings> settings_;
    std::unique_ptr<LoopbackFormService> service_;
    std::unique_ptr<AccountMailSender> sender_;
};

void AccountMailSenderTest::init()
{
    settings_ = std::make_unique<TemporarySettings>();
    service_ = std::make_unique<LoopbackFormService>();
    sender_ = std::make_unique<AccountMailSender>();
    loggedOutcomes.clear();
    useEndpoint(service_->url());
    BKUserDefaults::standardUserDefaults().setObject(QStringLiteral("https://example.org/contact.html"),
                                                     kAccountMailRefererKey);
}

void AccountMailSenderTest::cleanup()
{
    sender_.reset();
    service_.reset();
    settings_.reset();
}

void AccountMailSenderTest::postsTheFormWithItsHeaders()
{
    service_->chunks = {"<p>Your message has been sent</p>"};
    QSignalSpy reports(sender_.get(), &AccountMailSender::mailFinished);
    send();
    QVERIFY(waitForReports(reports, 1));
    QCOMPARE(service_->requests.size(), 1);
    const LoopbackFormService::Request& request = service_->requests.first();
    QVERIFY2(request.head.startsWith("POST /form HTTP/1.1\r\n"), request.head.constData());
    QCOMPARE(request.body, OTVFormMailBody(QStringLiteral("Vault Admin"), QStringLiteral("bob@example.org"),
                                           kUserModEMailSubject, QStringLiteral("the details")));
    const struct {
        QByteArray name, value;
    } headers[] = {
        {"keep-alive", "5000"},
        {"Accept-Language", "en"},
        {"Referer", "https://example.org/contact.html"},
        {"User-Agent", "Mozilla/5.0 (Macintosh; U; PPC Mac OS X; en) AppleWebKit/523.12.1 (KHTML, like Gecko) "
                       "Version/3.0.4 Safari/523.12.2"},
        {"Content-Type", "multipart/form-data; boundary=-------------------------------7d8b32060180"},
        {"Accept", "text/xml,application/xml,application/xhtml+xml,text/html;q=0.9,text/plain;q=0.8,image/png,*/*;q=0.5"},
        {"Content-Length", QByteArray::number(request.body.size())},
        {"Host", "127.0.0.1:" + QByteArray::number(service_->url().port())},
    };
    for (const auto& header : headers)
        QCOMPARE(request.header(header.name), header.value);
    // Qt's own value, which it also decodes.
    QVERIFY(request.header("Accept-Encoding").contains("gzip"));
}

void AccountMailSenderTest::answersEndTheRequestOnce_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<bool>("sent");
    QTest::addColumn<int>("code");
    QTest::newRow("sent") << QList<QByteArray>{"<html><p>Your message has been sent</p></html>"} << true << 0;
    QTest::newRow("invalid address") << QList<QByteArray>{"<p>Email address is invalid</p>"} << false << 0;
    QTest::newRow("gibberish") << QList<QByteArray>{"<p>You have submitted a gibberish word</p>"} << false << 1;
    QTest::newRow("no answer text") << QList<QByteArray>{"<p>Thank you</p>"} << false << -1;
    QTest::newRow("empty page") << QList<QByteArray>{} << false << -1;
    QTest::newRow("answer split between two writes")
        << QList<QByteArray>{"<p>Your message ha", "s been sent</p>"} << true << 0;
    QTest::newRow("refusal after more page")
        << QList<QByteArray>{QByteArray(70000, 'x'), "Email address is inv", "alid"} << false << 0;
}

void AccountMailSenderTest::answersEndTheRequestOnce()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(bool, sent);
    QFETCH(int, code);
    service_->chunks = chunks;
    QSignalSpy reports(sender_.get(), &AccountMailSender::mailFinished);
    send();
    QVERIFY(waitForReports(reports, 1));
    QCOMPARE(reports.first().at(0).toBool(), sent);
    QCOMPARE(reports.first().at(1).toInt(), code);
    QCOMPARE(loggedOutcomes.size(), 1);
    QCOMPARE(loggedOutcomes.first(), sent ? QStringLiteral("postMasterMailSendingSucceded")
                                          : QStringLiteral("postMasterMailSendingFailed:reson:%1").arg(code));
}

void AccountMailSenderTest::refusedConnectionFailsOnce()
{
    const QUrl url = service_->url();
    service_.reset();   // nobody listens on the port any more
    useEndpoint(url);
    QSignalSpy reports(sender_.get(), &AccountMailSender::mailFinished);
    send();
    QVERIFY(waitForReports(reports, 1));
    QCOMPARE(reports.first().at(0).toBool(), false);
    QCOMPARE(reports.first().at(1).toInt(), -1);
    QCOMPARE(loggedOutcomes, QStringList{"postMasterMailSendingFailed:reson:-1"});
}

void AccountMailSenderTest::silentServiceTimesOutOnce()
{
    const struct {
        LoopbackFormService::Behaviour behaviour;
        const char* what;
    } cases[] = {{LoopbackFormService::Behaviour::Silent, "silent"},
                 {LoopbackFormService::Behaviour::Close, "closes without a reply"}};
    for (const auto& c : cases) {
        loggedOutcomes.clear();
        service_->behaviour = c.behaviour;
        sender_->setTransferTimeout(400);
        QSignalSpy reports(sender_.get(), &AccountMailSender::mailFinished);
        send();
        QVERIFY2(waitForReports(reports, 1), c.what);
        QCOMPARE(reports.first().at(1).toInt(), -1);
        QCOMPARE(loggedOutcomes, QStringList{"postMasterMailSendingFailed:reson:-1"});
    }
    // A hung request does not keep the next one from being sent.
    service_->behaviour = LoopbackFormService::Behaviour::Answer;
    service_->chunks = {"Your message has been sent"};
    QSignalSpy reports(sender_.get(), &AccountMailSender::mailFinished);
    send();
    QVERIFY(waitForReports(reports, 1));
    QCOMPARE(reports.first().at(0).toBool(), true);
}

void AccountMailSenderTest::requestsWaitTheirTurn()
{
    service_->chunks = {"Your message has been sent"};
    service_->answerDelayMs = 200;
    QSignalSpy reports(sender_.get(), &AccountMailSender::mailFinished);
    send(QStringLiteral("first@example.org"));
    send(QStringLiteral("second@example.org"));
    send(QStringLiteral("third@example.org"));
    QVERIFY(waitForReports(reports, 3));
    QCOMPARE(service_->requests.size(), 3);
    const char* const order[] = {"first@", "second@", "third@"};
    for (int i = 0; i < 3; ++i) {
        QVERIFY(service_->requests.at(i).body.contains(order[i]));
        QCOMPARE(reports.at(i).at(0).toBool(), true);
    }
    QCOMPARE(loggedOutcomes.size(), 3);
}

void AccountMailSenderTest::nothingIsPostedWithoutAUsableEndpoint()
{
    const QString endpoints[] = {QString(), QStringLiteral("http://mail.example.org/form"),
                                 QStringLiteral("ftp://127.0.0.1/form")};
    for (const QString& endpoint : endpoints) {
        BKUserDefaults::standardUserDefaults().setObject(endpoint, kAccountMailEndpointKey);
        QCOMPARE(AccountMailSender::isConfigured(), false);
        QSignalSpy reports(sender_.get(), &AccountMailSender::mailFinished);
        send();
        QTest::qWait(150);
        QCOMPARE(reports.count(), 0);
    }
    QVERIFY(service_->requests.isEmpty());
    QVERIFY(loggedOutcomes.isEmpty());
}

void AccountMailSenderTest::endpointsThatMayCarryPasswords()
{
    const struct {
        const char* url;
        bool usable;
    } cases[] = {
        {"https://mail.example.org/form", true},
        {"HTTPS://mail.example.org/form", true},
        {"http://127.0.0.1:8080/form", true},
        {"http://127.8.9.10/form", true},
        {"http://[::1]/form", true},
        {"http://localhost/form", true},
        {"http://mail.example.org/form", false},
        {"http://192.168.1.5/form", false},
        {"http://127.0.0.1.example.org/form", false},
        {"file:///tmp/form", false},
        {"", false},
        {"mail.example.org", false},
    };
    for (const auto& c : cases)
        QVERIFY2(AccountMailSender::isUsableEndpoint(QUrl(QString::fromLatin1(c.url))) == c.usable, c.url);
}

QTEST_MAIN(AccountMailSenderTest)
#include "AccountMailSenderTest.moc"
