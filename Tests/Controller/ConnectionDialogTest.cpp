// The connection dialog without a vault server: the checks of the fields, the address chosen
// for a server name, and the alerts of a failed attempt.
#include "ControllerTestSupport.h"

#include "Controller/BKConnectionDialog.h"
#include "Controller/BKController.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Platform/BKUserDefaults.h"
#include "Support/TemporarySettings.h"

#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTcpServer>
#include <QtTest>

class ConnectionDialogTest : public ControllerSessionTest {
    Q_OBJECT

private slots:
    void init()
    {
        startSession();
        controller_->setHostResolver([this](const QString& name) {
            resolved_.append(name);
            return hosts_.value(name);
        });
        hosts_.clear();
        resolved_.clear();
    }

    void cleanup()
    {
        endSession();
    }

    void fieldChecks_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("lookedUp");
        QTest::newRow("empty host") << "" << "root" << "3306" << "Server Host Name cannot be blank." << QStringList();
        QTest::newRow("spaces and tabs") << " \t  " << "root" << "3306" << "Server Host Name cannot be blank."
                                         << QStringList();
        // A line break is text: the name is looked up and found nowhere. A name found nowhere
        // is told as a server that does not answer is (the same title).
        const QString unreachable = QStringLiteral("Connection Failed! | Invalid server detials. | OK");
        QTest::newRow("line break") << "\n" << "root" << "3306" << unreachable << QStringList{"\n"};
        QTest::newRow("unknown name") << "nowhere.invalid" << "root" << "3306" << unreachable
                                      << QStringList{"nowhere.invalid"};
        QTest::newRow("not an address") << "10.0.0" << "root" << "3306" << unreachable << QStringList{"10.0.0"};
        const QString badPort = QStringLiteral("The port must be a number from 1 to 65535.");
        QTest::newRow("port too big") << "10.0.0.5" << "root" << "99999" << badPort << QStringList();
        QTest::newRow("port 0") << "10.0.0.5" << "root" << "0" << badPort << QStringList();
        QTest::newRow("port not a number") << "db.example" << "root" << "33a" << badPort
                                           << QStringList{"db.example"};
        QTest::newRow("blank user") << "10.0.0.5" << " \t" << "3306" << "Username cannot be blank." << QStringList();
        QTest::newRow("blank user, named host") << "db.example" << "" << "3306" << "Username cannot be blank."
                                                << QStringList{"db.example"};
        QTest::newRow("blank port") << "10.0.0.5" << "root" << "" << "Port field cannot be blank." << QStringList();
    }

    // Every failed check shows its alert and leaves the dialog editable; nothing is stored and
    // no attempt starts.
    void fieldChecks()
    {
        QFETCH(QString, host);
        QFETCH(QString, user);
        QFETCH(QString, port);
        QFETCH(QString, message);
        QFETCH(QStringList, lookedUp);
        hosts_.insert(QStringLiteral("db.example"), {QStringLiteral("10.1.1.1")});
        BKConnectionDialog* dialog = controller_->connectionDialog();
        dialog->serverField()->setText(host);
        dialog->userField()->setText(user);
        dialog->portField()->setText(port);

        controller_->connectToMySqlServer();

        QCOMPARE(alertLines(*alerts_), QStringList{message.contains(QLatin1String(" | "))
                                                       ? message
                                                       : "Ostrevin Darovazivu Alert! | " + message + " | OK"});
        QCOMPARE(resolved_, lookedUp);
        QVERIFY(!dialog->isConnecting());
        QVERIFY(!controller_->isStoreWorkerRunning());
        QVERIFY(!dialog->spinner()->isVisible());
        QVERIFY(!dialog->serverField()->isReadOnly());
        QVERIFY(dialog->connectButton()->isEnabled());
        BKUserDefaults& defaults = BKUserDefaults::standardUserDefaults();
        for (const QString& key : {kServerHostName, kUsername, kPortNumber, kMasterPasswordDefaultsKey})
            QVERIFY2(!defaults.hasKey(key), qPrintable(key));
    }

    // A server name is looked up by the system without blocking: Connect returns at once with
    // the dialog locked and its spinner on, and the attempt follows the answer.
    void theSystemLookupDoesNotBlock()
    {
        controller_->setHostResolver({});
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const QString closedPort = QString::number(probe.serverPort());
        probe.close();
        BKConnectionDialog* dialog = controller_->connectionDialog();
        dialog->show();
        dialog->serverField()->setText(QStringLiteral("localhost"));
        dialog->portField()->setText(closedPort);
        dialog->userField()->setText(QStringLiteral("root"));

        QTest::mouseClick(dialog->connectButton(), Qt::LeftButton);
        QVERIFY(dialog->isConnecting());
        QVERIFY(dialog->spinner()->isVisible());
        QVERIFY(!dialog->connectButton()->isEnabled());
        QVERIFY(dialog->serverField()->isReadOnly());
        QTest::mouseClick(dialog->connectButton(), Qt::LeftButton);   // a second press is ignored
        QTRY_VERIFY_WITH_TIMEOUT(!alerts_->alerts.isEmpty() && !dialog->isConnecting(), 20000);

        QCOMPARE(alertLines(*alerts_), QStringList{"Connection Failed! | Invalid server detials. | OK"});
        QCOMPARE(store_->connectionErrorCode(), int(kOTVStatusServerUnreachable));
        QVERIFY(dialog->connectButton()->isEnabled());
        QVERIFY(!controller_->isStoreWorkerRunning());
    }

    // Typing cannot make a port beyond 65535 (the field refuses the key).
    void thePortFieldRefusesWhatNoPortIs()
    {
        QLineEdit* port = controller_->connectionDialog()->portField();
        port->clear();
        QTest::keyClicks(port, QStringLiteral("99999"));
        QCOMPARE(port->text(), QStringLiteral("9999"));
    }

    void theRefusedTextIsSelectedForRetyping_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("field");
        QTest::newRow("11 refused") << 11 << "passwordField";
        QTest::newRow("4 master password") << 4 << "masterPasswordField";
    }

    // After a refused attempt the refused text is selected and has the focus, so that typing
    // replaces it.
    void theRefusedTextIsSelectedForRetyping()
    {
        QFETCH(int, status);
        QFETCH(QString, field);
        BKConnectionDialog* dialog = controller_->connectionDialog();
        dialog->show();
        QApplication::setActiveWindow(dialog);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        dialog->passwordField()->setText(QStringLiteral("wrong"));
        dialog->masterPasswordField()->setText(QStringLiteral("wrong"));
        dialog->setConnecting(true);
        store_->setStatus(status);
        controller_->connectionISComplete();
        QLineEdit* retype = dialog->findChild<QLineEdit*>(field);
        QTRY_VERIFY(retype->hasFocus());
        QCOMPARE(retype->selectedText(), QStringLiteral("wrong"));
    }

    void addressForHostName_data()
    {
        QTest::addColumn<QStringList>("found");
        QTest::addColumn<QString>("address");
        QTest::newRow("nothing") << QStringList() << QString();
        QTest::newRow("one IPv4") << QStringList{"192.168.1.4"} << "192.168.1.4";
        QTest::newRow("IPv6 listed last") << QStringList{"127.0.0.1", "::1"} << "127.0.0.1";
        QTest::newRow("last IPv4 of several") << QStringList{"10.0.0.1", "fe80::1", "10.0.0.2", "::1"} << "10.0.0.2";
        QTest::newRow("IPv6 only") << QStringList{"::1"} << "[::1]";
    }

    void addressForHostName()
    {
        QFETCH(QStringList, found);
        QFETCH(QString, address);
        hosts_.insert(QStringLiteral("db"), found);
        const QString chosen = controller_->addressForHostName(QStringLiteral("db"));
        QCOMPARE(chosen, address);
        QCOMPARE(chosen.isNull(), address.isNull());
    }

    void isStringAnEmptySet_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("blank");
        QTest::newRow("empty") << "" << true;
        QTest::newRow("spaces and tabs") << " \t \t" << true;
        QTest::newRow("no-break space") << QString(QChar(0x00A0)) << true;
        QTest::newRow("line feed") << "\n" << false;
        QTest::newRow("return inside spaces") << "  \r  " << false;
        QTest::newRow("text inside spaces") << "  a\t" << false;
    }

    void isStringAnEmptySet()
    {
        QFETCH(QString, text);
        QFETCH(bool, blank);
        QCOMPARE(BKController::isStringAnEmptySet(text), blank);
    }

    // A port where nothing listens: the attempt runs on a worker behind the locked dialog,
    // then its status comes back as the alert and the dialog is editable again. The typed
    // name is stored as the default, the looked-up address is what was connected to.
    void closedPortIsReportedAndTheDialogStaysEditable()
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const QString closedPort = QString::number(probe.serverPort());
        probe.close();
        hosts_.insert(QStringLiteral("vault.local"), {QStringLiteral("::1"), QStringLiteral("127.0.0.1")});
        BKConnectionDialog* dialog = controller_->connectionDialog();
        dialog->show();
        dialog->serverField()->setText(QStringLiteral("vault.local"));
        dialog->portField()->setText(closedPort);
        dialog->userField()->setText(QStringLiteral("root"));
        dialog->masterPasswordField()->setText(QStringLiteral("secret"));

        QTest::mouseClick(dialog->connectButton(), Qt::LeftButton);
        QVERIFY(dialog->isConnecting());
        QVERIFY(dialog->userField()->isReadOnly());
        QVERIFY(!dialog->connectButton()->isEnabled());
        QVERIFY(controller_->isStoreWorkerRunning());
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->isConnecting(), 20000);

        QCOMPARE(alertLines(*alerts_), QStringList{"Connection Failed! | Invalid server detials. | OK"});
        QCOMPARE(store_->connectionErrorCode(), int(kOTVStatusServerUnreachable));
        QVERIFY(dialog->isVisible());
        QVERIFY(!dialog->serverField()->isReadOnly());
        QVERIFY(!dialog->userField()->isReadOnly());
        QVERIFY(dialog->connectButton()->isEnabled());
        QVERIFY(!controller_->isStoreWorkerRunning());
        BKUserDefaults& defaults = BKUserDefaults::standardUserDefaults();
        QCOMPARE(defaults.stringForKey(kServerHostName), QStringLiteral("vault.local"));
        QCOMPARE(defaults.stringForKey(kPortNumber), closedPort);
        QCOMPARE(defaults.stringForKey(kUsername), QStringLiteral("root"));
        QVERIFY(!defaults.hasKey(kMasterPasswordDefaultsKey));
        QCOMPARE(store_->connectedServerAddress(), QStringLiteral("vault.local"));
    }

private:
    QHash<QString, QStringList> hosts_;
    QStringList resolved_;
};

QTEST_MAIN(ConnectionDialogTest)
#include "ConnectionDialogTest.moc"
