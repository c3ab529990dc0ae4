// The main window as the controller sets it up after login, against a real server: the toolbar,
// the user's last view, masking and details pane, the list-column widths, the window's resize
// rule, and the layout that comes back after a restart.
#include "../ControllerTestSupport.h"
#include "VaultSessionTest.h"
#include "ViewsTestVault.h"

#include "Controller/BKController.h"
#include "Controller/BKMainWindowLayout.h"
#include "Controller/BKMainWindowViews.h"
#include "Controller/BKRecordButtons.h"
#include "Customization/BKDetailsView.h"
#include "Customization/BKImageView.h"
#include "Customization/BKTableView.h"
#include "Model/Database_Engine/OTVPreferenceCodecs.h"
#include "Platform/BKNotificationCenter.h"
#include "Platform/BKUserDefaults.h"
#include "Support/TemporarySettings.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QAction>
#include <QButtonGroup>
#include <QMainWindow>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

namespace {

// The items of the window's toolbars, in the order they stand, left to right.
QStringList toolbarItems(const QMainWindow* window)
{
    QList<QToolBar*> toolbars = window->findChildren<QToolBar*>(Qt::FindDirectChildrenOnly);
    std::stable_sort(toolbars.begin(), toolbars.end(),
                     [](const QToolBar* a, const QToolBar* b) { return a->x() < b->x(); });
    QStringList items;
    for (const QToolBar* toolbar : toolbars) {
        for (QAction* action : toolbar->actions()) {
            if (QWidget* widget = toolbar->widgetForAction(action))
                items.append(widget->objectName());
        }
    }
    return items;
}

} // namespace

class ControllerViewsTest : public VaultSessionTest {
    Q_OBJECT

    // The main window after login, shown `width` wide; null when it did not show.
    QMainWindow* showMainWindow(int width)
    {
        controller_->updateApplicationViews();
        QMainWindow* window = controller_->mainWindow();
        window->setGeometry(100, 100, width, 500);
        window->show();
        return QTest::qWaitForWindowExposed(window) ? window : nullptr;
    }

private slots:
    void initTestCase() { QVERIFY(TestServer::fromEnvironment(&server_)); }

    void init()
    {
        QVERIFY(startVaultSession());
        // The user last worked in Banking (a new user starts in the personal group).
        store_->getCurrentUser()->setMCurrentGroup(vault_->groups["Banking"]->mGroupUID());
        QCOMPARE(store_->saveCurrentGroupForUser(*store_->getCurrentUser()), int(kOTVStatusOK));
        newController();
    }

    void cleanup()
    {
        BKNotificationCenter::defaultCenter().removeObserversOf(this);
        endVaultSession();
    }

    void theToolbarHasItsFiveItemsOnce()
    {
        controller_->updateApplicationViews();
        QMainWindow* window = controller_->mainWindow();
        QToolBar* toolbar = controller_->mainToolBar();
        QVERIFY(toolbar);
        // The search stands on a toolbar of its own at the end of the same line.
        const QStringList items{"Toolbar Categories", "Types", "Different Views type", "Options toolbar",
                                "FlexibleSpace", "Search bar"};
        QCOMPARE(toolbarItems(window), items);
        QCOMPARE(toolbar->objectName(), QStringLiteral("MainToolBar"));
        for (const QToolBar* bar : window->findChildren<QToolBar*>()) {
            QCOMPARE(window->toolBarArea(const_cast<QToolBar*>(bar)), Qt::TopToolBarArea);
            QVERIFY(!window->toolBarBreak(const_cast<QToolBar*>(bar)));
            QVERIFY(!bar->isMovable());
            QVERIFY(!bar->isFloatable());
            QVERIFY(!bar->toggleViewAction()->isVisible());
        }
        QCOMPARE(window->findChild<QWidget*>("Toolbar Categories")->toolTip(), QStringLiteral("Groups"));
        QCOMPARE(window->findChild<QWidget*>("Search bar")->toolTip(), QStringLiteral("Search"));
        QCOMPARE(window->findChild<QAbstractButton*>("mToolbarOptionButton")->toolTip(), QStringLiteral("Option"));
        QCOMPARE(window->findChild<QAbstractButton*>("mToolbarLockButton")->toolTip(), QStringLiteral("Lock"));
        for (const QString& name : {items[0], items[1], items[2], items[3], items[5]}) {
            QWidget* item = window->findChild<QWidget*>(name);
            QCOMPARE(item->minimumSize(), item->maximumSize());
        }

        // A second set-up, and a reload, add nothing.
        controller_->setupToolbarForWindow(window);
        controller_->updateApplicationViews();
        QCOMPARE(window->findChildren<QToolBar*>().size(), 2);
        QCOMPARE(toolbarItems(window), items);
    }

    // A narrow window sends the other items to the toolbar's overflow menu, never the search
    // field; a wide one shows everything, the search at the right end.
    void theSearchFieldStaysInSightOnANarrowWindow()
    {
        QMainWindow* window = showMainWindow(1000);
        QVERIFY(window);
        QLineEdit* search = controller_->mainWindowViews()->searchField();
        QWidget* options = window->findChild<QWidget*>(QStringLiteral("Options toolbar"));
        QTRY_VERIFY(search->isVisible() && options->isVisible());
        QVERIFY(search->mapTo(window, QPoint(search->width(), 0)).x() > window->width() - 20);

        window->resize(window->minimumSizeHint().width(), 500);
        QTRY_VERIFY(!options->isVisible());
        QVERIFY(search->isVisible());
        const QRect shown(search->mapTo(window, QPoint()), search->size());
        QVERIFY2(window->rect().contains(shown), qPrintable(QStringLiteral("search at %1,%2 in a window %3 wide")
                                                                .arg(shown.x()).arg(shown.width()).arg(window->width())));
        QVERIFY(search->width() >= 180);
        QVERIFY(window->findChild<QWidget*>(QStringLiteral("Toolbar Categories"))->isVisible());
    }

    // The details toggle stands where it was clicked, whether the pane hides or shows.
    void theDetailsToggleStaysUnderThePointer()
    {
        QMainWindow* window = showMainWindow(900);
        QVERIFY(window);
        for (int view = 0; view < 3; ++view) {
            controller_->changeView(view);
            QToolButton* toggle = controller_->recordButtons()->toggleInfoButton(view);
            QTRY_VERIFY(toggle->isVisible());
            const QPoint before = toggle->mapTo(window, QPoint());
            const bool shown = controller_->isDetailsPaneShown();
            toggle->click();
            QCOMPARE(controller_->isDetailsPaneShown(), !shown);
            QTRY_COMPARE(toggle->mapTo(window, QPoint()), before);
            QCoreApplication::processEvents();
            QCOMPARE(toggle->mapTo(window, QPoint()), before);
        }
    }

    void theViewSwitchShowsThePlaceholderForTheTypes()
    {
        controller_->updateApplicationViews();
        auto* types = controller_->mainWindow()->findChild<QStackedWidget*>("Types");
        BKMainWindowViews* views = controller_->mainWindowViews();
        views->setTypesViewHidden(false);
        QCOMPARE(types->currentIndex(), 0);
        QCOMPARE(types->toolTip(), QStringLiteral("Types"));
        controller_->selectTabView(2);
        QCOMPARE(types->currentWidget()->objectName(), QStringLiteral("mToolbarTypesViewDummy"));
        QCOMPARE(types->toolTip(), QString());
        QCOMPARE(views->tabView()->currentIndex(), 2);
        QCOMPARE(views->currentView(), 2);
    }

    void initSubviewsFollowsTheUser_data()
    {
        QTest::addColumn<int>("lastView");
        QTest::addColumn<bool>("showDetails");
        QTest::addColumn<bool>("masking");
        QTest::addColumn<QString>("maskTitle");
        QTest::newRow("list view, details, unmasked") << 1 << true << false << "Mask";
        QTest::newRow("tree view, no details, masked") << 2 << false << true << "Unmask";
        QTest::newRow("column view") << 0 << true << true << "Unmask";
    }
    void initSubviewsFollowsTheUser()
    {
        QFETCH(int, lastView);
        QFETCH(bool, showDetails);
        QFETCH(bool, masking);
        QFETCH(QString, maskTitle);
        const std::shared_ptr<OTVUser> user = store_->getCurrentUser();
        user->setMLastView(qint16(lastView));
        user->setMShowDetailOnPane(showDetails);
        BKUserDefaults::standardUserDefaults().setObject(masking, kMaskingStatus);
        int posted = 0;
        BKNotificationCenter::defaultCenter().addObserver(kPreferenceChangedNotification, this,
                                                          [&posted](const BKNotification&) { ++posted; });

        controller_->updateApplicationViews();
        BKMainWindowViews* views = controller_->mainWindowViews();
        QCOMPARE(views->currentView(), lastView);
        QCOMPARE(views->viewButtons()->checkedId(), lastView);
        QCOMPARE(views->tabView()->currentIndex(), lastView);
        QCOMPARE(controller_->isDetailsPaneShown(), showDetails);
        QCOMPARE(controller_->shouldMask(), masking);
        QCOMPARE(controller_->maskAction()->text(), maskTitle);
        QCOMPARE(controller_->maskAction()->data().toInt(), 401);
        QCOMPARE(controller_->unmaskButton()->toolTip(), maskTitle);
        QCOMPARE(controller_->detailsView()->shouldMask(), masking);
        QCOMPARE(posted, 1);
        QCOMPARE(controller_->mainWindow()->windowTitle(),
                 QStringLiteral("Ostrevin Darovazivu - ") + store_->getCurrentUser()->mUsername());

        // The mask command turns masking over and remembers it.
        controller_->maskAction()->trigger();
        QCOMPARE(controller_->shouldMask(), !masking);
        QCOMPARE(BKUserDefaults::standardUserDefaults().boolForKey(kMaskingStatus), !masking);
        controller_->updateApplicationViews();   // a reload does not set the views up again
        QCOMPARE(posted, 1);
    }

    void theDetailsPaneShowsTheSelectedRecord()
    {
        store_->getCurrentUser()->setMLastView(1);
        controller_->updateApplicationViews();
        BKMainWindowViews* views = controller_->mainWindowViews();
        views->listViewTypesTable()->selectRow(1);
        QCOMPARE(controller_->detailsView()->detailInfo(), vault_->records["Visa"]);
        QCOMPARE(controller_->itemPropertiesForTableViewSelectedRow(), vault_->records["Visa"]);
        views->listViewTypesTable()->clearSelection();
        QVERIFY(!controller_->detailsView()->detailInfo());
    }

    void theHeaderCopyButtonCopiesTheRealValue_data()
    {
        QTest::addColumn<bool>("masking");
        QTest::newRow("masked") << true;
        QTest::newRow("unmasked") << false;
    }

    // The card type masks its first field: the pane may hide it, its copy button never copies
    // the mask.
    void theHeaderCopyButtonCopiesTheRealValue()
    {
        QFETCH(bool, masking);
        store_->getCurrentUser()->setMLastView(1);
        controller_->updateApplicationViews();
        controller_->setShouldMask(masking);
        controller_->mainWindowViews()->listViewTypesTable()->selectRow(1);
        BKDetailsView* details = controller_->detailsView();
        QCOMPARE(details->detailInfo(), vault_->records["Visa"]);
        QGuiApplication::clipboard()->clear();
        details->resize(400, 300);
        QVERIFY(details->copyImageButton()->isVisibleTo(details));
        QTest::mouseClick(details->copyImageButton(), Qt::LeftButton, {}, QPoint(4, 4));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Visa"));
    }

    void showDetailsBringsThePaneBack_data()
    {
        const auto rect = [](int x, int width) { return OTVStringFromRect(QRectF(x, 0, width, 500)); };
        QTest::addColumn<QStringList>("stored");
        QTest::newRow("pane stored collapsed") << QStringList{rect(0, 794), OTVStringFromRect(QRectF())};
        QTest::newRow("pane stored 2 pixels wide") << QStringList{rect(0, 794), rect(796, 2)};
        QTest::newRow("no layout stored") << QStringList{};
    }

    // The pane was hidden at the last quit: Show Details brings it back at a width it can show,
    // whatever layout was stored; hidden and shown again, it keeps the width it had.
    void showDetailsBringsThePaneBack()
    {
        QFETCH(QStringList, stored);
        if (!stored.isEmpty())
            BKUserDefaults::standardUserDefaults().setObject(stored, kMainSplitViewAutosaveKey);
        store_->getCurrentUser()->setMShowDetailOnPane(false);
        QMainWindow* window = controller_->mainWindow();
        window->setGeometry(100, 100, 800, 600);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        controller_->updateApplicationViews();
        QVERIFY(!controller_->isDetailsPaneShown());

        controller_->toggleInfoViewFromMenu();
        QVERIFY(controller_->isDetailsPaneShown());
        BKSplitter* split = controller_->mainWindowViews()->mainSplitView();
        const int pane = split->sizes().at(1);
        QVERIFY2(pane >= int(0.3 * split->width()) - split->handleWidth() && pane <= int(0.7 * split->width()),
                 qPrintable(QStringLiteral("pane %1 of %2").arg(pane).arg(split->width())));

        split->setSizes({430, split->width() - split->handleWidth() - 430});
        const QList<int> kept = split->sizes();
        controller_->toggleInfoViewFromMenu();
        QVERIFY(!controller_->isDetailsPaneShown());
        controller_->toggleInfoViewFromMenu();
        QCOMPARE(split->sizes(), kept);
    }

    // Ctrl+F in the main window goes to the search field with its text selected.
    void ctrlFSelectsTheSearchField()
    {
        controller_->updateApplicationViews();
        QMainWindow* window = controller_->mainWindow();
        window->show();
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        QLineEdit* search = controller_->mainWindowViews()->searchField();
        search->setText(QStringLiteral("bank"));
        QWidget* table = controller_->mainWindowViews()->listViewTypesTable();
        table->setFocus();
        QTRY_VERIFY(!search->hasFocus());
        QTest::keyClick(window->focusWidget() ? window->focusWidget() : window, Qt::Key_F, Qt::ControlModifier);
        QTRY_VERIFY(search->hasFocus());
        QCOMPARE(search->selectedText(), QStringLiteral("bank"));
    }

    void savedColumnWidthsAreApplied_data()
    {
        QTest::addColumn<QList<int>>("saved");
        QTest::addColumn<QList<int>>("applied");   // columns 1 .. 14
        QList<int> given{0, -5, 120};
        QList<int> expected{70, 70, 120};
        for (int i = 3; i < 14; ++i) {
            given.append(60 + i);
            expected.append(60 + i);
        }
        QTest::newRow("none or negative width is 70") << given << expected;
        QTest::newRow("a short list") << QList<int>{90, 0} << QList<int>{90, 70, 70, 70, 70, 70, 70, 70, 70, 70, 70, 70, 70, 70};
    }
    void savedColumnWidthsAreApplied()
    {
        QFETCH(QList<int>, saved);
        QFETCH(QList<int>, applied);
        // Every column shown: a hidden one has no width on screen.
        store_->getCurrentUser()->setMColoumInfo(0x3FFF);
        store_->getCurrentUser()->setMLastView(1);
        controller_->updateApplicationViews();
        store_->getCurrentUser()->setMColoumWidthArray(saved);
        controller_->updateTableColumnWidth();
        BKTableView* table = controller_->mainWindowViews()->listViewTypesTable();
        QList<int> widths;
        for (int column = 1; column <= 14; ++column)
            widths.append(table->columnWidth(column));
        QCOMPARE(widths, applied);
    }

    void noSavedWidthsChangeNothing()
    {
        store_->getCurrentUser()->setMColoumWidthArray(std::nullopt);
        store_->getCurrentUser()->setMLastView(1);
        controller_->updateApplicationViews();
        BKTableView* table = controller_->mainWindowViews()->listViewTypesTable();
        table->setColumnWidth(5, 133);
        controller_->updateTableColumnWidth();
        QCOMPARE(table->columnWidth(5), 133);
    }

    // The list's text columns fill its width when it shows, and again when it grows; the image
    // columns keep theirs.
    void theListColumnsFillTheListsWidth()
    {
        store_->getCurrentUser()->setMColoumWidthArray(std::nullopt);
        QMainWindow* window = showMainWindow(BKMainWindowViews::kListViewTag, QRect(100, 100, 1000, 600));
        QVERIFY(window);
        BKTableView* table = controller_->mainWindowViews()->listViewTypesTable();
        const auto shownWidth = [table] {
            int sum = 0;
            for (int column = 0; column <= 14; ++column)
                sum += table->isColumnHidden(column) ? 0 : table->columnWidth(column);
            return sum;
        };
        const int attachment = table->columnWidth(14);
        QTRY_COMPARE(shownWidth(), table->viewport()->width());
        window->resize(1200, 600);
        QTRY_COMPARE(shownWidth(), table->viewport()->width());
        QCOMPARE(table->columnWidth(14), attachment);
        QCOMPARE(table->columnWidth(0), 28);
    }

    void widthsAndSortOrderAreStoredForAllTypes()
    {
        store_->getCurrentUser()->setMLastView(1);
        controller_->updateApplicationViews();
        BKMainWindowViews* views = controller_->mainWindowViews();
        BKTableView* table = views->listViewTypesTable();
        for (int column = 1; column <= 14; ++column)
            table->setColumnWidth(column, 50 + column);
        views->sortByColumn(6, false);
        controller_->saveTableColumnWidthToPreference();
        const QString user = store_->getCurrentUser()->mUserID();
        const QString columns = rootValue(QStringLiteral(
            "SELECT CONCAT_WS(',', COLUMN1 & 65535, COLUMN3 & 65535, COLUMN14 & 65535) FROM vivododadi.COLUMNINFOTABLE "
            "WHERE USERID='%1' AND TYPEID='000000000000FFFF'").arg(user));
        QCOMPARE(columns, QStringLiteral("51,53,64"));
        QCOMPARE(ViewsTestVault::storedPreference(server_, "SORTINFO", user),
                 QString::number(OTVStoredSortInfo(SortSpec{"6", false})));
        QVERIFY(alerts_->alerts.isEmpty());
    }

    void startingInAnotherViewKeepsTheSavedWidths()
    {
        QList<int> saved;
        for (int column = 1; column <= 14; ++column)
            saved.append(40 + column);
        const std::shared_ptr<OTVUser> user = store_->getCurrentUser();
        user->setMColoumWidthArray(saved);
        user->setMColoumInfo(0x3FFF);   // every column shown
        QCOMPARE(store_->setColumnWidthDetails(saved, 0), int(kOTVStatusOK));
        user->setMLastView(0);
        controller_->updateApplicationViews();
        BKMainWindowViews* views = controller_->mainWindowViews();
        views->changeView(BKMainWindowViews::kTreeViewTag);
        const QString query = QStringLiteral("SELECT COLUMN2 & 65535 FROM vivododadi.COLUMNINFOTABLE WHERE USERID='%1' "
                                             "AND TYPEID='000000000000FFFF'").arg(user->mUserID());
        QCOMPARE(rootValue(query), QStringLiteral("42"));
        // The list shows them; leaving it stores what it shows.
        views->changeView(BKMainWindowViews::kListViewTag);
        QCOMPARE(views->listViewTypesTable()->columnWidth(2), 42);
        views->listViewTypesTable()->setColumnWidth(2, 99);
        views->changeView(BKMainWindowViews::kColumnViewTag);
        QCOMPARE(rootValue(query), QStringLiteral("99"));
    }

    void aResizeKeepsTheSmartListAndRecordsTheFrame()
    {
        QMainWindow* window = showMainWindow(BKMainWindowViews::kColumnViewTag, QRect(100, 200, 900, 600));
        QVERIFY(window);
        BKSplitter* smart = controller_->mainWindowViews()->smartTypeSplitView();
        const QList<int> before = smart->sizes();
        const int total = before[0] + before[1];
        smart->setSizes({total - 60, 60});
        window->resize(910, 600);
        QTRY_COMPARE(smart->sizes(), (QList<int>{total - 92, 92}));
        QCOMPARE(store_->getCurrentUser()->mWindowPosition(), QRectF(window->geometry()));
        // A smart list high enough keeps its height.
        smart->setSizes({total - 150, 150});
        window->resize(920, 600);
        QTRY_COMPARE(store_->getCurrentUser()->mWindowPosition(), QRectF(window->geometry()));
        QCOMPARE(smart->sizes(), (QList<int>{total - 150, 150}));
    }

    void theLayoutComesBackAfterARestart()
    {
        QMainWindow* window = showMainWindow(BKMainWindowViews::kListViewTag, QRect(100, 200, 800, 600));
        QVERIFY(window);
        BKMainWindowViews* views = controller_->mainWindowViews();
        views->sortByColumn(5, false);
        views->listViewTypesTable()->setColumnWidth(3, 155);
        views->mainSplitView()->setSizes({470, 326});
        const QList<int> mainSizes = views->mainSplitView()->sizes();
        views->changeView(BKMainWindowViews::kTreeViewTag);   // saves the widths on leaving the list
        views->changeView(BKMainWindowViews::kListViewTag);
        // What the quit saves: the views' layout, and the frame that the window's moves and
        // resizes recorded for the user.
        controller_->saveApplicationViewsLayout();
        QCOMPARE(store_->getCurrentUser()->mWindowPosition(), QRectF(100, 200, 800, 600));
        int status = kOTVStatusOK;
        store_->saveBasicPreferencesForUser(*store_->getCurrentUser(), &status);
        QCOMPARE(status, int(kOTVStatusOK));
        const QString user = store_->getCurrentUser()->mUserID();
        // Top-left based: left, top, right, bottom, not maximised.
        QCOMPARE(ViewsTestVault::storedPreference(server_, "WINDOWPOS", user), QStringLiteral("0100 0200 0900 0800 0000"));

        // A new start of the program.
        alerts_.reset();
        controller_.reset();
        store_ = std::make_unique<OTVDataBase>();
        QVERIFY(ViewsTestVault::open(*store_, server_, false));
        newController();
        QCOMPARE(store_->getCurrentUser()->mWindowPosition(), QRectF(100, 200, 800, 600));
        window = controller_->mainWindow();
        window->setGeometry(store_->getCurrentUser()->mWindowPosition().toRect());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        controller_->updateApplicationViews();
        views = controller_->mainWindowViews();
        QCOMPARE(views->currentView(), int(BKMainWindowViews::kListViewTag));
        QCOMPARE(views->sortDescriptors().first(), (SortSpec{"5", false}));
        QCOMPARE(views->listViewTypesTable()->columnWidth(3), 155);
        QCOMPARE(views->mainSplitView()->sizes(), mainSizes);
        QCOMPARE(store_->getCurrentUser()->mDetailPanelWidth(), mainSizes.first());
        QCOMPARE(views->selectedGroup(), store_->groupWithUID(vault_->groups["Banking"]->mGroupUID()));
    }

private:
    // The main window at `frame`, showing `view` as the user's last view; null when it does not
    // show.
    QMainWindow* showMainWindow(int view, const QRect& frame)
    {
        store_->getCurrentUser()->setMLastView(view);
        controller_->updateApplicationViews();
        QMainWindow* window = controller_->mainWindow();
        window->setGeometry(frame);
        window->show();
        return QTest::qWaitForWindowExposed(window) ? window : nullptr;
    }
};

QTEST_MAIN(ControllerViewsTest)
#include "ControllerViewsTest.moc"
