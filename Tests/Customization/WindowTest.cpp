// The main window's search shortcut: Ctrl+F goes to the search field; other letters and
// other modifiers with F do not.
#include "Customization/BKWindow.h"

#include <QApplication>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QtTest>

class WindowTest : public QObject {
    Q_OBJECT

private slots:
    void controlFFocusesTheSearchField();
};

void WindowTest::controlFFocusesTheSearchField()
{
    BKWindow window;
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    auto* search = new QLineEdit;
    auto* other = new QLineEdit;
    layout->addWidget(search);
    layout->addWidget(other);
    window.setCentralWidget(central);
    int calls = 0;
    window.setFocusSearchField([&] {
        ++calls;
        search->setFocus();
    });
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));

    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool focuses;
    } cases[] = {
        {Qt::Key_G, Qt::ControlModifier, false},
        {Qt::Key_F, Qt::NoModifier, false},
        {Qt::Key_F, Qt::ShiftModifier, false},
        {Qt::Key_F, Qt::AltModifier, false},
        {Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier, false},
        {Qt::Key_F, Qt::ControlModifier, true},
    };
    for (const auto& c : cases) {
        other->setFocus();
        QTRY_VERIFY(other->hasFocus());
        calls = 0;
        QTest::keyClick(other, c.key, c.modifiers);
        QCOMPARE(calls, c.focuses ? 1 : 0);
        QCOMPARE(search->hasFocus(), c.focuses);
    }
}

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"
