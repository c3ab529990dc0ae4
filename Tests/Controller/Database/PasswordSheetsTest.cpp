// The user's password sheet and the master password panels against the fixture's MariaDB:
// the checks in their order, a new password that the server then accepts for the account
// (with each kind of hint), and a master password change after which the vault opens with the
// new password only and every record reads as before.
#include "../ControllerTestSupport.h"
#include "VaultSessionTest.h"
#include "ViewsTestVault.h"

#include "Controller/BKController.h"
#include "Controller/BKPasswordSheets.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/BKPasswordPolicyController.h"
#include "Model/OTVRecord.h"
#include "Model/OTVUser.h"
#include "Platform/BKNotificationCenter.h"
#include "Support/StoreConnectRequest.h"
#include "Support/TemporarySettings.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

void fill(const QList<QLineEdit*>& fields, const QStringList& texts)
{
    for (int i = 0; i < fields.size(); ++i)
        fields[i]->setText(texts.value(i));
}

void clickOK(QDialog* panel)
{
    panel->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
}

} // namespace

class PasswordSheetsTest : public VaultSessionTest {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(TestServer::fromEnvironment(&server_)); }

    void init()
    {
        QVERIFY(startVaultSession());
        newController();
        BKPasswordPolicyController::sharedBKPasswordPolicyController().refreshPasswordPolicyFrom(*store_);
    }

    void cleanup()
    {
        // The account gets its fixture password back whatever the test did.
        if (store_ && store_->getCurrentUser())
            store_->setPassword(server_.admin.password, QString());
        BKNotificationCenter::defaultCenter().removeObserversOf(this);
        endVaultSession();
    }

    // Each failing check leaves the sheet open with its alert; the checks run in this order.
    void theSheetRefusesInOrder_data()
    {
        QTest::addColumn<QStringList>("typed");   // old, new, confirm
        QTest::addColumn<QString>("message");
        QTest::newRow("old wrong") << QStringList{"nope", "Good1pass", "Good1pass"}
                                   << "Your old password is incorrect.";
        QTest::newRow("confirm differs") << QStringList{"", "Good1pass", "Good1pasz"}
                                         << "Your new password doesn't match the confirm password.";
        QTest::newRow("policy: too short") << QStringList{"", "abc", "abc"}
                                           << "Your new password doesn't match with password policy.";
        QTest::newRow("one character repeated") << QStringList{"", "aaaaa", "aaaaa"}
                                                 << "Password must be atleast 2 characters and have atleast 2 unique "
                                                    "characters.";
    }

    void theSheetRefusesInOrder()
    {
        QFETCH(QStringList, typed);
        QFETCH(QString, message);
        if (typed.first().isEmpty())
            typed.first() = server_.admin.password;
        BKUserPasswordSheet* sheet = controller_->userPasswordSheet();
        bool stillOpen = false;
        whenVisible(sheet, [&] {
            QVERIFY(sheet->oldField()->isVisible());
            fill({sheet->oldField(), sheet->newField(), sheet->confirmField()}, typed);
            clickOK(sheet);
            stillOpen = sheet->isVisible();
            sheet->findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
        });
        controller_->setPassword();
        QVERIFY(stillOpen);
        QCOMPARE(alerts_->messages(), QStringList{message});
        QVERIFY(server_.connect(server_.admin) != nullptr);
    }

    // The sheet keeps its width, and offers no resize handle, while the strength label changes
    // as one types.
    void theSheetKeepsItsWidthWhileTyping()
    {
        BKUserPasswordSheet* sheet = controller_->userPasswordSheet();
        QList<int> widths;
        QStringList labels;
        whenVisible(sheet, [&] {
            for (const QString& typed : {"", "a", "abc12", "Correct-Horse-Battery-9-Staple!"}) {
                sheet->newField()->setText(typed);
                QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
                widths.append(sheet->width());
                labels.append(sheet->strengthLabel()->text());
            }
            QCOMPARE(sheet->minimumSize(), sheet->maximumSize());
            sheet->findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
        });
        controller_->setPassword();
        QCOMPARE(labels.size(), 4);
        QVERIFY2(labels.first() != labels.last(), qPrintable(labels.join(QStringLiteral(", "))));
        QCOMPARE(widths, QList<int>(4, widths.first()));
    }

    // A new password with each kind of hint: the server accepts it for the account and the
    // hint reads back.
    void aNewPasswordOpensTheAccount_data()
    {
        QTest::addColumn<QString>("hint");
        QTest::addColumn<int>("question");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("storedQuestion");
        QTest::newRow("no hint") << QString() << 0 << QString() << 0;
        QTest::newRow("free text") << "<i>the usual</i>" << 0 << QString() << 0;
        QTest::newRow("question") << "born there" << 2 << "Smith" << 2;
    }

    void aNewPasswordOpensTheAccount()
    {
        QFETCH(QString, hint);
        QFETCH(int, question);
        QFETCH(QString, answer);
        QFETCH(int, storedQuestion);
        const QString fresh = QStringLiteral("N3w-%1").arg(QTest::currentDataTag()).remove(' ');
        BKUserPasswordSheet* sheet = controller_->userPasswordSheet();
        QString strength;
        whenVisible(sheet, [&] {
            fill({sheet->oldField(), sheet->newField(), sheet->confirmField(), sheet->hintField()},
                 {server_.admin.password, fresh, fresh, hint});
            sheet->questionPopUp()->setCurrentIndex(question);
            sheet->answerField()->setText(answer);
            strength = sheet->strengthLabel()->text();
            clickOK(sheet);
        });
        controller_->setPassword();
        QCOMPARE(alerts_->messages(), QStringList{});
        QVERIFY(strength.startsWith(QStringLiteral("Password Strength: ")));
        QVERIFY(server_.connect({server_.admin.user, fresh}) != nullptr);
        QCOMPARE(store_->authenticateAccount(server_.admin.user, server_.admin.password), int(kOTVStatusAccessDenied));

        const std::shared_ptr<OTVUser> user = store_->getCurrentUser();
        QCOMPARE(int(user->mHintQuestionNumber()), storedQuestion);
        int status = kOTVStatusOK;
        if (storedQuestion == 0) {
            QCOMPARE(store_->isHintExist(user.get(), &status), !hint.isEmpty());
            if (!hint.isEmpty())
                QCOMPARE(store_->passwordHintForUser(user.get(), &status), hint);
        } else {
            QVERIFY(store_->validatePasswordHintAnswerForUser(user->mUsername(), answer, question, &status));
            QCOMPARE(store_->passwordHintForUser(user.get(), answer, &status), hint);
        }
        QCOMPARE(status, int(kOTVStatusOK));
    }

    // A change the server refuses is told with the server's own words, and the sheet stays.
    void aRefusedChangeTellsTheServersWords()
    {
        const QString fresh = QStringLiteral("Refused-pw-1");
        const std::string change = "SET PASSWORD FOR '" + server_.admin.user.toStdString() + "'@'%' = '" +
                                   OTVNativePasswordHash(fresh).toStdString() + "'";
        store_->statementFaults().failExecution(change, 1, 1133, "Can't find any matching row in the user table");
        BKUserPasswordSheet* sheet = controller_->userPasswordSheet();
        bool stillOpen = false;
        whenVisible(sheet, [&] {
            fill({sheet->oldField(), sheet->newField(), sheet->confirmField()}, {server_.admin.password, fresh, fresh});
            clickOK(sheet);
            stillOpen = sheet->isVisible();
            sheet->findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
        });
        controller_->setPassword();
        QVERIFY(stillOpen);
        QCOMPARE(alerts_->messages(),
                 QStringList{QStringLiteral("Operation failed.\nCan't find any matching row in the user table")});
        QVERIFY(server_.connect(server_.admin) != nullptr);
    }

    // The set panel on a vault without one, then the change panel with its checks, and a change
    // after which only the new password opens the vault, every record reading as before.
    void theMasterPasswordIsSetThenChanged()
    {
        QMap<QString, QString> before;
        for (const auto& record : store_->mRecords())
            before.insert(record->mRecordUID(), record->value(1) + '|' + record->value(2));
        QVERIFY(!before.isEmpty());

        BKMasterPasswordPanel* panel = controller_->masterPasswordPanel();
        whenVisible(panel, [&] {
            QVERIFY(!panel->isChangePanel());
            fill({panel->newField(), panel->confirmField()}, {"first-key", "first-key"});
            clickOK(panel);
        });
        controller_->setMasterPassword();
        QCOMPARE(alerts_->messages(), QStringList{});
        QCOMPARE(store_->checkForMasterPasswordMatch(), std::optional<QString>(QStringLiteral("first-key")));

        QStringList refusals;
        whenVisible(panel, [&] {
            QVERIFY(panel->isChangePanel());
            const QList<QStringList> attempts{{"wrong", "second-key", "second-key"},
                                              {"first-key", "", ""},
                                              {"first-key", "second-key", "second-kez"},
                                              {"first-key", "second-key", "second-key"}};
            for (const QStringList& typed : attempts) {
                fill({panel->oldField(), panel->newField(), panel->confirmField()}, typed);
                clickOK(panel);
            }
        });
        controller_->setMasterPassword();
        QCOMPARE(alertLines(*alerts_),
                 (QStringList{" Password Mismatch! | Your old password is incorrect. | OK",
                              "Ostrevin Darovazivu Alert! | Master password can not be empty. | OK",
                              " Password Mismatch! | Your new password doesn't match the confirm password. | OK"}));

        OTVDataBase withOld;
        QVERIFY(withOld.startConnectionToServer(StoreConnectRequest(server_, server_.admin, "first-key"))
                != kOTVStatusOK);
        OTVDataBase withNew;
        QCOMPARE(withNew.startConnectionToServer(StoreConnectRequest(server_, server_.admin, "second-key")),
                 int(kOTVStatusOK));
        QCOMPARE(withNew.initUserDetails(server_.admin.user, server_.admin.password), int(kOTVStatusOK));
        QCOMPARE(withNew.loadDataBase(false), int(kOTVStatusOK));
        QMap<QString, QString> after;
        for (const auto& record : withNew.mRecords())
            after.insert(record->mRecordUID(), record->value(1) + '|' + record->value(2));
        QCOMPARE(after, before);
    }

    // A value that does not decipher under the vault's key stops the change: the alert and the
    // event log name its table, column and row, and the vault keeps its key.
    void anUndecipherableValueIsNamedInTheChangesAlert()
    {
        QCOMPARE(store_->setMasterPassword(QStringLiteral("first-key")), int(kOTVStatusOK));
        const QString uid = store_->mRecords().firstKey();
        QByteArray garbage;
        for (char seed = 'a'; garbage.isEmpty() || !store_->getDecryptedString(garbage).isNull(); ++seed)
            garbage = QByteArray(16, seed);
        const QString stored = QString::fromLatin1(garbage.toHex());
        server_.execAsRoot("UPDATE vivododadi.RECORDTABLE SET FIELD2=x'" + stored + "' WHERE RECORDID='" + uid + "'");

        BKMasterPasswordPanel* panel = controller_->masterPasswordPanel();
        whenVisible(panel, [&] {
            QVERIFY(panel->isChangePanel());
            fill({panel->oldField(), panel->newField(), panel->confirmField()},
                 {"first-key", "second-key", "second-key"});
            clickOK(panel);
        });
        controller_->setMasterPassword();
        const QString place = "table RECORDTABLE, column FIELD2, row RECORDID '" + uid + "'";
        QCOMPARE(alerts_->messages().size(), 1);
        const QString message = alerts_->messages().constFirst();
        QVERIFY2(message.startsWith(QStringLiteral("Operation failed.\n")) && message.contains(place),
                 qPrintable(message));
        QCOMPARE(store_->checkForMasterPasswordMatch(), std::optional<QString>(QStringLiteral("first-key")));
        QCOMPARE(rootValue("SELECT HEX(FIELD2) FROM vivododadi.RECORDTABLE WHERE RECORDID='" + uid + "'"),
                 stored.toUpper());
        QVERIFY(rootValue("SELECT DESCRIPTION FROM vivododadi.EVENTLOGGERTABLE WHERE NAME='Failed Master Password "
                          "Change'")
                    .contains(place));
    }
};

QTEST_MAIN(PasswordSheetsTest)
#include "PasswordSheetsTest.moc"
