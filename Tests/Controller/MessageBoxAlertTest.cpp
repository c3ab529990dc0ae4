// Alerts on message boxes: the buttons in their roles and the value each press returns.
#include "Controller/BKMessageBoxAlertPresenter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

class MessageBoxAlertTest : public QObject {
    Q_OBJECT

private slots:
    void pressedButton_data()
    {
        QTest::addColumn<QString>("press");
        QTest::addColumn<int>("cancel");
        QTest::addColumn<int>("result");
        const int byDefault = kBKAlertDefaultReturn;
        QTest::newRow("default") << "Yes" << byDefault << int(kBKAlertDefaultReturn);
        QTest::newRow("alternate") << "No" << byDefault << int(kBKAlertAlternateReturn);
        QTest::newRow("other") << "Later" << byDefault << int(kBKAlertOtherReturn);
        QTest::newRow("Return takes the default") << "<Return>" << byDefault << int(kBKAlertDefaultReturn);
        // Esc and the close button never press the alternate button of a question on their own.
        QTest::newRow("Esc takes the default") << "<Esc>" << byDefault << int(kBKAlertDefaultReturn);
        QTest::newRow("close takes the default") << "<Close>" << byDefault << int(kBKAlertDefaultReturn);
        QTest::newRow("Esc takes the named cancel") << "<Esc>" << int(kBKAlertOtherReturn) << int(kBKAlertOtherReturn);
        QTest::newRow("close takes the named cancel")
            << "<Close>" << int(kBKAlertAlternateReturn) << int(kBKAlertAlternateReturn);
    }

    void pressedButton()
    {
        QFETCH(QString, press);
        QFETCH(int, cancel);
        QFETCH(int, result);
        QStringList shown;
        QTimer::singleShot(0, this, [&] { answer(press, shown); });

        BKMessageBoxAlertPresenter presenter;
        const int pressed =
            presenter.runAlert({"Ostrevin Darovazivu Alert!", "Import?", "Yes", "No", "Later", cancel});

        QCOMPARE(pressed, result);
        QCOMPARE(shown, (QStringList{"Ostrevin Darovazivu Alert!", "Import?", "Yes", "Yes", "No", "Later"}));
    }

    // The box is wide enough for its title beside the window's buttons, however short its text.
    void theBoxIsWideEnoughForItsTitle()
    {
        const QString title = QStringLiteral("Ostrevin Darovazivu Alert! The connection failed for good");
        int width = 0;
        QTimer::singleShot(0, this, [&] { measure(width); });
        BKMessageBoxAlertPresenter presenter;
        presenter.runAlert({title, "No.", "OK", "", ""});
        QVERIFY2(width > QFontMetrics(QApplication::font()).horizontalAdvance(title),
                 qPrintable(QString::number(width)));
    }

    // What the user asked for (a hint) shows without the warning sign.
    void informationalAlertsHaveNoWarningSign()
    {
        BKMessageBoxAlertPresenter presenter;
        for (bool informational : {true, false}) {
            QMessageBox::Icon icon = QMessageBox::NoIcon;
            QTimer::singleShot(0, this, [&] { iconOf(icon); });
            BKAlert alert{"The Hint", "born there", "OK", "", ""};
            alert.informational = informational;
            presenter.runAlert(alert);
            QCOMPARE(icon, informational ? QMessageBox::Information : QMessageBox::Warning);
        }
    }

private:
    void measure(int& width)
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) {
            QTimer::singleShot(5, this, [this, &width] { measure(width); });
            return;
        }
        width = box->width();
        box->defaultButton()->click();
    }

    void iconOf(QMessageBox::Icon& icon)
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) {
            QTimer::singleShot(5, this, [this, &icon] { iconOf(icon); });
            return;
        }
        icon = box->icon();
        box->defaultButton()->click();
    }

    // Records the box (title, text, default button, its buttons) and presses.
    void answer(const QString& press, QStringList& shown)
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            QTimer::singleShot(5, this, [this, press, &shown] { answer(press, shown); });
            return;
        }
        shown = QStringList{box->windowTitle(), box->text(), box->defaultButton() ? box->defaultButton()->text() : ""};
        const QList<QAbstractButton*> buttons = box->buttons();
        QStringList texts;
        for (QAbstractButton* button : buttons)
            texts.append(button->text());
        // The platform style decides the order on screen; the set is what counts.
        std::sort(texts.begin(), texts.end(), [](const QString& a, const QString& b) {
            const QStringList order{"Yes", "No", "Later"};
            return order.indexOf(a) < order.indexOf(b);
        });
        shown += texts;
        if (press == QLatin1String("<Return>")) {
            QTest::keyClick(box, Qt::Key_Return);
            return;
        }
        if (press == QLatin1String("<Esc>")) {
            QTest::keyClick(box, Qt::Key_Escape);
            return;
        }
        if (press == QLatin1String("<Close>")) {
            box->close();
            return;
        }
        for (QAbstractButton* button : buttons) {
            if (button->text() == press)
                button->click();
        }
    }
};

QTEST_MAIN(MessageBoxAlertTest)
#include "MessageBoxAlertTest.moc"
