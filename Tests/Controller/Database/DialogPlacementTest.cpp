// The windows that the application keeps and opens again, over a vault on the fixture's
// MariaDB: each opens at the same place every time, wherever it was when it last closed (a
// window manager's frame moves a window shown again by its title bar, the user may drag it).
#include "../ControllerTestSupport.h"
#include "VaultSessionTest.h"
#include "ViewsTestVault.h"

#include "Controller/BKController.h"
#include "Controller/BKDetailsWindowController.h"
#include "Controller/BKEventLoggerWindowController.h"
#include "Controller/BKGroupSettingsPanel.h"
#include "Controller/BKTypeSettingsPanel.h"
#include "Controller/BKUserAccountSheet.h"
#include "Controller/UserAccountController.h"
#include "Model/OTVRecord.h"
#include "Platform/BKNotificationCenter.h"

#include <QApplication>
#include <QMainWindow>
#include <QtTest>

#include <functional>

class DialogPlacementTest : public VaultSessionTest {
    Q_OBJECT

    // A window the application keeps: how to reach it and how to open it (it runs modally).
    struct Kept {
        std::function<QDialog*(DialogPlacementTest&)> window;
        std::function<void(DialogPlacementTest&)> open;
    };

    static QList<std::pair<const char*, Kept>> keptWindows()
    {
        return {
            {"record window",
             {[](DialogPlacementTest& t) { return static_cast<QDialog*>(t.recordWindow_.get()); },
              [](DialogPlacementTest& t) {
                  auto record = OTVRecord::createRecord();
                  record->setMGroup(t.vault_->groups["Banking"]);
                  int operation = kDetailsAdd;
                  t.recordWindow_->orderFrontDetailsWindowWithInfo(record, &operation);
              }}},
            {"group settings",
             {[](DialogPlacementTest& t) { return static_cast<QDialog*>(&t.controller_->groupSettingsPanel()); },
              [](DialogPlacementTest& t) { t.controller_->addGroups(); }}},
            {"type panel",
             {[](DialogPlacementTest& t) { return static_cast<QDialog*>(&t.controller_->typeSettingsPanel()); },
              [](DialogPlacementTest& t) { t.controller_->addTypes(); }}},
            {"user account sheet",
             {[](DialogPlacementTest& t) { return static_cast<QDialog*>(t.users_->accountSheet()); },
              [](DialogPlacementTest& t) { t.users_->newUser(); }}},
            {"event log",
             {[](DialogPlacementTest& t) {
                  return static_cast<QDialog*>(&t.controller_->eventLoggerWindowController());
              },
              [](DialogPlacementTest& t) { t.controller_->eventLogger(); }}},
        };
    }

private slots:
    void initTestCase() { QVERIFY(TestServer::fromEnvironment(&server_)); }

    void init()
    {
        QVERIFY(startVaultSession());
        newController();
        controller_->updateApplicationViews();
        QMainWindow* window = controller_->mainWindow();
        window->setGeometry(40, 40, 720, 520);
        window->show();
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        recordWindow_ = std::make_unique<BKDetailsWindowController>(store_.get());
        users_ = std::make_unique<UserAccountController>(*store_, window);
    }

    void cleanup()
    {
        users_.reset();
        recordWindow_.reset();
        BKNotificationCenter::defaultCenter().removeObserversOf(this);
        endVaultSession();
    }

    void eachKeptWindowOpensWhereItOpenedBefore_data()
    {
        QTest::addColumn<int>("kept");
        const auto all = keptWindows();
        for (int i = 0; i < all.size(); ++i)
            QTest::newRow(all[i].first) << i;
    }

    void eachKeptWindowOpensWhereItOpenedBefore()
    {
        QFETCH(int, kept);
        const Kept window = keptWindows().at(kept).second;
        QList<QPoint> places;
        QSize size;
        for (int opening = 0; opening < 3; ++opening) {
            QDialog* dialog = window.window(*this);
            whenVisible(dialog, [&places, &size, dialog] {
                places.append(dialog->pos());
                size = dialog->size();
                dialog->move(dialog->pos() + QPoint(0, 20));
                dialog->reject();
            });
            window.open(*this);
            QVERIFY(!dialog->isVisible());
        }
        QCOMPARE(places.size(), 3);
        QCOMPARE(places[1], places[0]);
        QCOMPARE(places[2], places[0]);
        // Over the main window, as a window of the application belongs.
        const QRect over = controller_->mainWindow()->frameGeometry();
        const QPoint middle = QRect(places[0], size).center();
        QVERIFY2(over.contains(middle), qPrintable(QStringLiteral("middle at %1,%2 over %3,%4 %5x%6")
                                                         .arg(middle.x()).arg(middle.y()).arg(over.x())
                                                         .arg(over.y()).arg(over.width()).arg(over.height())));
    }

private:
    std::unique_ptr<BKDetailsWindowController> recordWindow_;
    std::unique_ptr<UserAccountController> users_;
};

QTEST_MAIN(DialogPlacementTest)
#include "DialogPlacementTest.moc"
