// What the controller does when the store calls back: the end of a connection attempt for
// every status, a failed reload, and the gate that keeps timers off the store while a worker
// runs.
#include "ControllerTestSupport.h"

#include "Controller/BKConnectionDialog.h"
#include "Controller/BKController.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Platform/BKNotificationCenter.h"
#include "Support/TemporarySettings.h"

#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QThread>
#include <QtTest>

#include <chrono>
#include <thread>

class StoreCallbacksTest : public ControllerSessionTest {
    Q_OBJECT

private slots:
    void init() { startSession(); }
    void cleanup() { endSession(); }

    void connectionISComplete_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("alert");
        const QString other = QStringLiteral("Ostrevin Darovazivu Alert! |  Connection Failed | OK");
        QTest::newRow("0 connected") << 0 << QString();
        QTest::newRow("3 database error") << 3 << other;
        QTest::newRow("4 master password") << 4 << "Connection Failed! | Master Password does not match. | OK";
        QTest::newRow("5") << 5 << other;
        QTest::newRow("6 disabled")
            << 6 << "Connection Failed! | Your account has been disabled. Please contact administrator. | OK";
        QTest::newRow("7 no such user") << 7 << other;
        QTest::newRow("8 nothing written") << 8 << other;
        QTest::newRow("9 client error") << 9 << other;
        QTest::newRow("10 unreachable") << 10 << "Connection Failed! | Invalid server detials. | OK";
        QTest::newRow("11 refused") << 11 << "Connection Failed! | Invalid login credentials. | OK";
        QTest::newRow("12 too long") << 12 << other;
        QTest::newRow("13 error 100") << 13 << "Connection Failed! | Invalid User. | OK";
    }

    // 0 ends the dialog's run; every other status is told and the dialog stays, editable.
    void connectionISComplete()
    {
        QFETCH(int, status);
        QFETCH(QString, alert);
        BKConnectionDialog* dialog = controller_->connectionDialog();
        dialog->show();
        dialog->setConnecting(true);
        store_->setStatus(status);

        controller_->connectionISComplete();

        QCOMPARE(alertLines(*alerts_), alert.isEmpty() ? QStringList() : QStringList{alert});
        QVERIFY(!dialog->isConnecting());
        QCOMPARE(dialog->isVisible(), status != 0);
        if (status == 0)
            QCOMPARE(dialog->result(), kBKModalStop);
        QVERIFY(!dialog->serverField()->isReadOnly());
        QVERIFY(dialog->connectButton()->isEnabled());
        QVERIFY(!controller_->isTerminationRequested());
    }

    void reloadFailed_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("alert");
        QTest::addColumn<bool>("reconnects");
        QTest::newRow("0") << 0 << QString() << false;
        QTest::newRow("3") << 3 << "Reload Failed! | Data can't be reloaded. | OK" << false;
        QTest::newRow("7") << 7 << "Reload Failed! | Data can't be reloaded. | OK" << false;
        const QString lost =
            QStringLiteral("Ostrevin Darovazivu Alert! | Connection to the server has been lost.Please connect again. | OK");
        QTest::newRow("9") << 9 << lost << true;
        QTest::newRow("10") << 10 << lost << true;
        QTest::newRow("11") << 11 << lost << true;
    }

    // 9 to 11 lead, once the store's call has returned, to the connection dialog for the same
    // user with the password emptied; other failures only tell.
    void reloadFailed()
    {
        QFETCH(int, status);
        QFETCH(QString, alert);
        QFETCH(bool, reconnects);
        BKConnectionDialog* dialog = controller_->connectionDialog();
        dialog->userField()->setText(QStringLiteral("ann"));
        dialog->passwordField()->setText(QStringLiteral("secret"));
        QStringList seen;
        whenVisible(dialog, [&] {
            seen = QStringList{dialog->userField()->text(), dialog->passwordField()->text(),
                               dialog->userField()->isReadOnly() ? "fixed" : "editable"};
            QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
        });

        controller_->reloadFailed(status);
        QVERIFY(!dialog->isVisible());   // never inside the store's call
        QTest::qWait(100);

        QCOMPARE(alertLines(*alerts_), alert.isEmpty() ? QStringList() : QStringList{alert});
        QCOMPARE(seen, reconnects ? QStringList({"ann", "", "fixed"}) : QStringList());
        // Closing the reconnection dialog quits without saving.
        QCOMPARE(controller_->isTerminationRequested(), reconnects);
        QCOMPARE(controller_->isConnectionCancelled(), reconnects);
    }

    // The notification of a lost connection and the failed reload that found it report once.
    void oneLossIsReportedOnce()
    {
        BKConnectionDialog* dialog = controller_->connectionDialog();
        int shown = 0;
        whenVisible(dialog, [&] {
            ++shown;
            QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
        });
        BKNotificationCenter::defaultCenter().postNotification(kDBCommunicationLostNotification);
        controller_->reloadFailed(kOTVStatusClientError);
        QTest::qWait(100);
        QCOMPARE(shown, 1);
        QCOMPARE(alerts_->alerts.size(), 1);
    }

    // A loss found by a worker (the notification, then the worker's own report) brings the
    // dialog up once the worker has ended, never beside it, with the server, port and account
    // fixed: the vault in memory belongs to them.
    void theReconnectionWaitsForTheWorker()
    {
        BKConnectionDialog* dialog = controller_->connectionDialog();
        dialog->serverField()->setText(QStringLiteral("db.example.org"));
        int shown = 0;
        bool workerRanWhenShown = true;
        QStringList editable;
        whenVisible(dialog, [&] {
            ++shown;
            workerRanWhenShown = controller_->isStoreWorkerRunning();
            for (QLineEdit* field : {dialog->serverField(), dialog->portField(), dialog->userField(),
                                     dialog->passwordField()}) {
                if (!field->isReadOnly())
                    editable.append(field->objectName());
            }
            QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
        });
        QTimer::singleShot(20, this, [this] {
            BKNotificationCenter::defaultCenter().postNotification(kDBCommunicationLostNotification);
            controller_->reloadFailed(kOTVStatusClientError);
        });
        controller_->runStoreWorkerAndWait([] { std::this_thread::sleep_for(std::chrono::milliseconds(300)); });
        QTRY_VERIFY(controller_->isTerminationRequested());
        QTest::qWait(100);

        QCOMPARE(shown, 1);
        QVERIFY(!workerRanWhenShown);
        QCOMPARE(editable, QStringList{"passwordField"});
        QCOMPARE(alerts_->alerts.size(), 1);
    }

    void closingAWindowQuits_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<bool>("cancelled");
        QTest::newRow("main window") << "main" << false;
        QTest::newRow("connection dialog") << "dialog" << true;
        QTest::newRow("Escape in the connection dialog") << "escape" << true;
    }

    // The close box asks to quit the way the Quit command does; closing the connection dialog
    // is a cancelled connection (nothing is saved).
    void closingAWindowQuits()
    {
        QFETCH(QString, window);
        QFETCH(bool, cancelled);
        QWidget* widget = window == QLatin1String("main") ? static_cast<QWidget*>(controller_->mainWindow())
                                                          : controller_->connectionDialog();
        widget->show();
        if (window == QLatin1String("escape"))
            QTest::keyClick(widget, Qt::Key_Escape);
        else
            widget->close();
        QVERIFY(controller_->isTerminationRequested());
        QCOMPARE(controller_->isConnectionCancelled(), cancelled);
    }

    // While an attempt runs, the dialog cannot be closed: its worker reports to it.
    void theDialogStaysWhileAnAttemptRuns()
    {
        BKConnectionDialog* dialog = controller_->connectionDialog();
        dialog->show();
        dialog->setConnecting(true);
        dialog->close();
        QTest::keyClick(dialog, Qt::Key_Escape);
        QVERIFY(dialog->isVisible());
        QVERIFY(!controller_->isTerminationRequested());
    }

    void showStoreStatusAlert_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("alert");
        QTest::newRow("0 done") << 0 << QString();
        QTest::newRow("1 other failure") << 1 << "Ostrevin Darovazivu Alert! | Operation failed. | OK";
        QTest::newRow("3 database error") << 3 << "Ostrevin Darovazivu Alert! | Operation failed. | OK";
        QTest::newRow("8 nothing written")
            << 8 << "Ostrevin Darovazivu Alert! | Operation failed. Please reload the database first. | OK";
        QTest::newRow("12 too long") << 12 << "Ostrevin Darovazivu Alert! | The value is too long or contains characters that cannot be stored. | OK";
        // A lost connection is told once, by the reconnection, never by the write that met it.
        QTest::newRow("9 connection lost") << 9 << QString();
        QTest::newRow("10 unreachable") << 10 << QString();
        QTest::newRow("11 refused") << 11 << QString();
    }

    // Every write status but 0 and a lost connection is told to the user.
    void showStoreStatusAlert()
    {
        QFETCH(int, status);
        QFETCH(QString, alert);
        controller_->showStoreStatusAlert(status);
        QCOMPARE(alertLines(*alerts_), alert.isEmpty() ? QStringList() : QStringList{alert});
    }

    // Timer ticks that would use the store are skipped while a worker has it, and the user
    // waits behind a modal panel.
    void storeTimersSkipWhileAWorkerRuns()
    {
        int ticks = 0;
        QTimer* timer = controller_->createStoreTimer(1, [&ticks] { ++ticks; });
        timer->start();
        bool modalWhileWorking = false;
        QTimer watch;
        watch.setInterval(5);
        connect(&watch, &QTimer::timeout, this, [&] {
            if (controller_->isStoreWorkerRunning() && QApplication::activeModalWidget())
                modalWhileWorking = true;
        });
        watch.start();
        int ticksDuringWork = -1;
        bool gateDuringWork = false;
        controller_->runStoreWorkerAndWait([&] {
            ticksDuringWork = ticks;
            gateDuringWork = controller_->isStoreWorkerRunning();
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
        });
        const int ticksAfterWork = ticks;
        QVERIFY(gateDuringWork);
        QVERIFY(modalWhileWorking);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(!controller_->isStoreWorkerRunning());
        QCOMPARE(ticksAfterWork, ticksDuringWork);
        QTRY_VERIFY(ticks > ticksAfterWork);
    }

    // The store's own workers (the custom-icon import) go through the controller: counted by
    // its gate and behind its modal panel, with the store's end-of-thread step run last.
    void storeWorkersRunThroughTheController()
    {
        bool gated = false;
        bool modal = false;
        bool endedOnWorker = false;
        QTimer watch;
        watch.setInterval(5);
        connect(&watch, &QTimer::timeout, this, [&] {
            if (QApplication::activeModalWidget())
                modal = true;
        });
        watch.start();
        const Qt::HANDLE main = QThread::currentThreadId();
        BKApplicationServices::current().runStoreWorkerAndWait(
            [&] {
                gated = controller_->isStoreWorkerRunning();
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            },
            [&] { endedOnWorker = QThread::currentThreadId() != main; });
        QVERIFY(gated);
        QVERIFY(modal);
        QVERIFY(endedOnWorker);
        QVERIFY(!controller_->isStoreWorkerRunning());
        // An import of nothing readable adds nothing and leaves the gate down.
        QCOMPARE(store_->importCustomIcons({QStringLiteral("/nonexistent/icon.png")}), QList<int>());
        QVERIFY(!controller_->isStoreWorkerRunning());
    }

};

QTEST_MAIN(StoreCallbacksTest)
#include "StoreCallbacksTest.moc"
