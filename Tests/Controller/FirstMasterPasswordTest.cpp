// The first master password panel of a new vault: what each combination of typed passwords,
// the "go on without" option and the user's answer leads to. None of these reaches the store.
#include "ControllerTestSupport.h"

#include "Controller/BKController.h"
#include "Controller/BKFirstMasterPasswordDialog.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Support/TemporarySettings.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

class FirstMasterPasswordTest : public ControllerSessionTest {
    Q_OBJECT

private slots:
    void init() { startSession(); }
    void cleanup() { endSession(); }

    // Ticking the option empties and locks both fields; unticking unlocks them.
    void theOptionEmptiesAndLocksTheFields()
    {
        BKFirstMasterPasswordDialog* panel = controller_->firstMasterPasswordDialog();
        panel->passwordField()->setText(QStringLiteral("secret"));
        panel->confirmField()->setText(QStringLiteral("secret"));
        panel->withoutPasswordOption()->setChecked(true);
        QCOMPARE(panel->passwordField()->text(), QString());
        QCOMPARE(panel->confirmField()->text(), QString());
        QVERIFY(!panel->passwordField()->isEnabled());
        QVERIFY(!panel->confirmField()->isEnabled());
        panel->withoutPasswordOption()->setChecked(false);
        QVERIFY(panel->passwordField()->isEnabled());
        QVERIFY(panel->confirmField()->isEnabled());
    }

    void combinations_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("confirmation");
        QTest::addColumn<bool>("without");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("alerts");
        QTest::addColumn<bool>("goesOn");
        const QString confirm = QStringLiteral("Ostrevin Darovazivu Alert | Without a master password the records are "
                                               "stored unenciphered. Go on without a master password? | Go On");
        QTest::newRow("without, confirmed") << "" << "" << true << kBKAlertDefaultReturn << QStringList{confirm} << true;
        QTest::newRow("without, not confirmed")
            << "" << "" << true << kBKAlertAlternateReturn << QStringList{confirm} << false;
        // Typed first and ticked after: the fields were emptied, so only the question comes.
        QTest::newRow("typed twice, then without")
            << "abcd" << "abcd" << true << kBKAlertAlternateReturn << QStringList{confirm} << false;
        QTest::newRow("too short") << "abc" << "abc" << false << kBKAlertDefaultReturn
                                   << QStringList{"Ostrevin Darovazivu Alert | Password must be at least 4 characters "
                                                  "in length. | OK"}
                                   << false;
        QTest::newRow("not matching") << "abcd" << "abce" << false << kBKAlertDefaultReturn
                                      << QStringList{"Ostrevin Darovazivu Alert | Your new Master Password doesn't "
                                                     "match the confirm password. | OK"}
                                      << false;
        QTest::newRow("nothing typed, option off")
            << "" << "" << false << kBKAlertDefaultReturn
            << QStringList{"Ostrevin Darovazivu Alert | Password must be at least 4 characters in length. | OK"}
            << false;
    }

    // Only a confirmed choice to go on without a password ends the panel here; a refused
    // combination leaves it open (the script then closes it, which quits).
    void combinations()
    {
        QFETCH(QString, password);
        QFETCH(QString, confirmation);
        QFETCH(bool, without);
        QFETCH(int, answer);
        QFETCH(QStringList, alerts);
        QFETCH(bool, goesOn);
        alerts_->answers = {answer};
        BKFirstMasterPasswordDialog* panel = controller_->firstMasterPasswordDialog();
        bool stillOpen = false;
        whenVisible(panel, [&] {
            panel->passwordField()->setText(password);
            panel->confirmField()->setText(confirmation);
            panel->withoutPasswordOption()->setChecked(without);
            QTest::mouseClick(panel->okButton(), Qt::LeftButton);
            stillOpen = panel->isVisible();
            if (stillOpen)
                QTest::mouseClick(panel->closeButton(), Qt::LeftButton);
        });

        const int result = controller_->runFirstMasterPasswordPanel();

        QCOMPARE(alertLines(*alerts_), alerts);
        QCOMPARE(result, goesOn ? kBKModalStop : kBKModalAbort);
        QCOMPARE(stillOpen, !goesOn);
        QVERIFY(store_->masterPassword().isEmpty());
    }

    // A password typed while the option is on (the fields locked only by the panel) is a
    // contradiction: refused, and nothing is decided.
    void aPasswordWithTheOptionIsRefused()
    {
        BKFirstMasterPasswordDialog* panel = controller_->firstMasterPasswordDialog();
        bool stillOpen = false;
        whenVisible(panel, [&] {
            panel->withoutPasswordOption()->setChecked(true);
            panel->passwordField()->setText(QStringLiteral("abcd"));
            QTest::mouseClick(panel->okButton(), Qt::LeftButton);
            stillOpen = panel->isVisible();
            QTest::mouseClick(panel->closeButton(), Qt::LeftButton);
        });
        QCOMPARE(controller_->runFirstMasterPasswordPanel(), kBKModalAbort);
        QCOMPARE(alertLines(*alerts_),
                 QStringList{"Ostrevin Darovazivu Alert | Either type a master password or go on without one, not "
                             "both. | OK"});
        QVERIFY(stillOpen);
    }

};

QTEST_MAIN(FirstMasterPasswordTest)
#include "FirstMasterPasswordTest.moc"
