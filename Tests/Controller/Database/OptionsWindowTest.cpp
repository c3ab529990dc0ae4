// The options window against a real server: what OK stores, what a second login reads back,
// what Cancel, Esc and the close button leave alone, the per-type column question, the checks
// of the auto-lock minutes, launch at login, and the options applied to the main window.
#include "../ControllerTestSupport.h"
#include "VaultSessionTest.h"
#include "ViewsTestVault.h"

#include "Controller/BKController.h"
#include "Controller/BKMainWindowViews.h"
#include "Controller/BKOptionsWindowController.h"
#include "Customization/BKDetailsView.h"
#include "Customization/BKTableView.h"
#include "Model/OTVUID.h"
#include "Platform/BKLoginItems.h"
#include "Platform/BKNotificationCenter.h"
#include "Platform/BKUserDefaults.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

class OptionsWindowTest : public VaultSessionTest {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(TestServer::fromEnvironment(&server_)); }

    void init()
    {
        QVERIFY(startVaultSession());
        newController();
    }

    void cleanup()
    {
        BKNotificationCenter::defaultCenter().removeObserversOf(this);
        endVaultSession();
    }

    void theToolbarShowsTheFourPanes()
    {
        BKOptionsWindowController& window = options();
        QCOMPARE(window.toolBar()->objectName(), QStringLiteral("MainToolBar"));
        const QStringList panes{"Security", "User Data", "Format", "Show Columns"};
        QCOMPARE(BKOptionsWindowController::paneIdentifiers(), panes);
        QCOMPARE(window.activePane(), QStringLiteral("Security"));
        for (const QString& pane : panes) {
            auto* action = window.toolBar()->findChild<QAction*>(pane);
            QVERIFY(action);
            action->trigger();
            QCOMPARE(window.activePane(), pane);
            QVERIFY(action->isChecked());
        }
    }

    // Every option of the window goes to the server, comes back at a second login from
    // another settings file, and is applied to the main window at once.
    void everyOptionIsStoredAppliedAndReadBack()
    {
        openMainWindowOnList();
        const std::shared_ptr<OTVUser> user = store_->getCurrentUser();
        user->setMPassword(QStringLiteral("secret"));
        const QFont chosen = QFontDatabase::font(QStringLiteral("DejaVu Sans"), QStringLiteral("Bold"), 17);
        const QColor colour(200, 30, 40);
        BKOptionsWindowController& window = options();
        window.setFontChooser([&](QWidget*, const QFont&) { return std::optional<QFont>(chosen); });
        window.setColorChooser([&](QWidget*, const QColor&) { return std::optional<QColor>(colour); });
        int posted = 0;
        BKNotificationCenter::defaultCenter().addObserver(kPreferenceChangedNotification, this,
                                                          [&posted](const BKNotification&) { ++posted; });
        alerts_->answers = {kBKAlertDefaultReturn};   // "No": the columns of all types only

        QCOMPARE(runWindow([&] {
                     window.selectFont();
                     window.selectRowColor();
                     window.autoLockButton()->setChecked(true);
                     window.autoLockField()->setText(QStringLiteral("25"));
                     window.clearClipBoardButton()->setChecked(true);
                     window.clearAfterTimeStepper()->setValue(7);
                     window.columnButton(2, 2)->setChecked(true);    // notes on
                     window.columnButton(1, 0)->setChecked(false);   // group off
                     window.ok();
                 }),
                 kBKModalStop);

        QCOMPARE(window.fontNameField()->text(), QStringLiteral("DejaVu Sans - 17 pt size"));
        QCOMPARE(posted, 1);
        QCOMPARE(alerts_->messages(),
                 QStringList{"Do you want the current column settings to be applied to all Types?"});
        QCOMPARE(eventCount("Edit Settings"), 1);

        // Applied to the main window.
        BKMainWindowViews* views = controller_->mainWindowViews();
        BKTableView* list = views->listViewTypesTable();
        QVERIFY(list->tableColumnIsHidden(list->columnWithIdentifier("2")));
        QVERIFY(!list->tableColumnIsHidden(list->columnWithIdentifier("13")));
        QCOMPARE(list->font().family(), chosen.family());
        QCOMPARE(views->treeViewOutlineView()->font().pointSize(), 17);
        QCOMPARE(controller_->detailsView()->backgroundColor(), colour);
        QCOMPARE(list->rowColor(), BKController::blendedTowardWhite(colour, 0.75));
        QCOMPARE(views->smartTypesTable()->palette().color(QPalette::Base), BKController::blendedTowardWhite(colour, 0.75));
        QCOMPARE(controller_->appliedAutoLockMinutes(), 25);
        QCOMPARE(controller_->appliedClipboardClearMinutes(), 7);

        // A second login from another settings file reads the same options.
        const quint64 mask = (0x2407 | 0x1000) & ~quint64(0x800);
        std::unique_ptr<OTVDataBase> other = secondLogin();
        const std::shared_ptr<OTVUser> read = other->getCurrentUser();
        QCOMPARE(read->mTextFont().family(), chosen.family());
        QCOMPARE(read->mTextFont().pointSize(), 17);
        QCOMPARE(read->mRowColor().rgb(), colour.rgb());
        QVERIFY(read->mAutoLOck());
        QCOMPARE(read->mLockTime(), qint16(25));
        // Web logins cannot be submitted on this desktop: no box offers it, and the stored flag
        // is left as it was.
        QVERIFY(!window.findChild<QCheckBox*>(QStringLiteral("mAutoSubmit")));
        QVERIFY(!read->mAutoSubmit());
        QVERIFY(read->mClearClipboardState());
        QVERIFY(!read->mClipBoardOnExit());
        QCOMPARE(read->mClearClipBoardTimer(), qint16(7));
        QCOMPARE(read->mColoumInfo() & 0xFFFF, mask);
    }

    // Clearing switched off stays off at the next login; only at exit stays only at exit.
    void theClipboardChoiceSurvivesALogin_data()
    {
        QTest::addColumn<bool>("clearing");
        QTest::addColumn<int>("choice");
        QTest::addColumn<bool>("onExit");
        QTest::addColumn<int>("minutes");
        QTest::newRow("off") << false << 1 << false << 0;
        QTest::newRow("only at exit") << true << 0 << true << 12;
        QTest::newRow("after minutes") << true << 1 << false << 12;
    }
    void theClipboardChoiceSurvivesALogin()
    {
        QFETCH(bool, clearing);
        QFETCH(int, choice);
        QFETCH(bool, onExit);
        QFETCH(int, minutes);
        BKOptionsWindowController& window = options();
        QCOMPARE(runWindow([&] {
                     window.clearClipBoardButton()->setChecked(true);
                     window.clearAfterTimeStepper()->setValue(12);
                     window.clearClipBoardChoices()->button(choice)->setChecked(true);
                     window.clearClipBoardButton()->setChecked(clearing);
                     window.ok();
                 }),
                 kBKModalStop);

        std::unique_ptr<OTVDataBase> other = secondLogin();
        const std::shared_ptr<OTVUser> read = other->getCurrentUser();
        QCOMPARE(read->mClearClipboardState(), clearing);
        QCOMPARE(read->mClipBoardOnExit(), onExit);
        QCOMPARE(read->mClearClipBoardTimer(), qint16(minutes));

        // The window shows it as it was left.
        store_.swap(other);
        newController();
        BKOptionsWindowController& again = options();
        again.initUserPreferences();
        QCOMPARE(again.clearClipBoardButton()->isChecked(), clearing);
        QCOMPARE(again.clearClipBoardBox()->isHidden(), !clearing);
        if (clearing)
            QCOMPARE(again.clearClipBoardChoices()->checkedId(), choice);
    }

    void theOpeningStateOfTheClearingControls_data()
    {
        QTest::addColumn<bool>("onExit");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("title");
        QTest::newRow("at exit") << true << 0 << true << 0 << "After 01     Minutes";
        QTest::newRow("after 5") << false << 5 << true << 1 << "After 05     Minutes";
        QTest::newRow("off") << false << 0 << false << 1 << "After 01     Minutes";
        QTest::newRow("after 120") << false << 120 << true << 1 << "After 120     Minutes";
    }
    void theOpeningStateOfTheClearingControls()
    {
        QFETCH(bool, onExit);
        QFETCH(int, minutes);
        QFETCH(bool, checked);
        QFETCH(int, choice);
        QFETCH(QString, title);
        const std::shared_ptr<OTVUser> user = store_->getCurrentUser();
        user->setMClipBoardOnExit(onExit);
        user->setMClearClipBoardTimer(qint16(minutes));
        BKOptionsWindowController& window = options();
        window.initUserPreferences();
        QCOMPARE(window.clearClipBoardButton()->isChecked(), checked);
        QCOMPARE(window.clearClipBoardChoices()->checkedId(), choice);
        QCOMPARE(window.clearClipBoardChoices()->button(1)->text(), title);
    }

    // The minutes are read once, in the choice's title: the stepper shows only its arrows and
    // stands in the blanks between the minutes and "Minutes".
    void theClearingMinutesShowOnlyInTheTitle()
    {
        store_->getCurrentUser()->setMClearClipBoardTimer(2);
        BKOptionsWindowController& window = options();
        QString title;
        bool numberShown = true;
        QRect stepper;
        int minutesEnd = 0;
        int minutesWordStart = 0;
        runWindow([&] {
            auto* choice = window.clearClipBoardChoices()->button(BKOptionsWindowController::kClearAfterMinutes);
            QSpinBox* minutes = window.clearAfterTimeStepper();
            title = choice->text();
            const auto* editor = minutes->findChild<QLineEdit*>();
            numberShown = editor && editor->isVisible();
            stepper = QRect(choice->mapFromGlobal(minutes->mapToGlobal(QPoint(0, 0))), minutes->size());
            QStyleOptionButton option;
            option.initFrom(choice);
            option.text = title;
            const int textLeft = choice->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, choice).left();
            const QFontMetrics metrics(choice->font());
            minutesEnd = textLeft + metrics.horizontalAdvance(QStringLiteral("After 02"));
            minutesWordStart = textLeft + metrics.horizontalAdvance(QStringLiteral("After 02     "));
            window.cancel();
        });
        QCOMPARE(title, QStringLiteral("After 02     Minutes"));
        QVERIFY(!numberShown);
        QVERIFY2(stepper.left() >= minutesEnd && stepper.right() < minutesWordStart,
                 qPrintable(QStringLiteral("stepper %1..%2, blanks %3..%4")
                                .arg(stepper.left()).arg(stepper.right()).arg(minutesEnd).arg(minutesWordStart)));
    }

    // The window keeps one width whatever pane it shows (the widest pane's, here the font's);
    // its height is the pane's own.
    void everyPaneShowsInOneWidth()
    {
        store_->getCurrentUser()->setMTextFont(QFontDatabase::font(QStringLiteral("DejaVu Sans"), QString(), 26));
        BKOptionsWindowController& window = options();
        QHash<QString, QSize> sizes;
        runWindow([&] {
            for (const QString& pane : BKOptionsWindowController::paneIdentifiers()) {
                window.toolBar()->findChild<QAction*>(pane)->trigger();
                sizes.insert(pane, window.size());
            }
            window.cancel();
        });
        for (const QString& pane : BKOptionsWindowController::paneIdentifiers())
            QVERIFY2(sizes.value(pane).width() == sizes.value("Format").width(),
                     qPrintable(QStringLiteral("%1: %2, Format: %3").arg(pane).arg(sizes.value(pane).width()).arg(sizes.value("Format").width())));
        QVERIFY(sizes.value("Show Columns").height() > sizes.value("Format").height());
    }

    // The disclosure hides the column settings and shrinks the window at its bottom edge, and
    // shows them again in the height they had; states other than 0 and 1 change nothing.
    void theDisclosureShowsAndHidesTheColumnSettings()
    {
        BKOptionsWindowController& window = options();
        QVERIFY(window.showColumnsButton());
        struct Step {
            bool shown;
            QRect frame;
        };
        QList<Step> steps;
        runWindow([&] {
            window.toolBar()->findChild<QAction*>(QStringLiteral("Show Columns"))->trigger();
            const auto settle = [&] {
                QTest::qWait(BKOptionsWindowController::kResizeAnimationMs * 2);
                steps.append({window.columnButton(0, 0)->isVisible(), window.geometry()});
            };
            settle();
            window.showColumnsButton()->click();
            settle();
            window.showColumns(2);
            settle();
            window.showColumnsButton()->click();
            settle();
            window.cancel();
        });
        QCOMPARE(steps.size(), 4);
        QVERIFY(steps[0].shown);
        QVERIFY(!steps[1].shown);
        const int columnsHeight = steps[0].frame.height() - steps[1].frame.height();
        QVERIFY2(columnsHeight >= 5 * window.columnButton(0, 0)->sizeHint().height(), qPrintable(QString::number(columnsHeight)));
        QCOMPARE(steps[1].frame.top(), steps[0].frame.top());
        QCOMPARE(steps[1].frame.width(), steps[0].frame.width());
        QCOMPARE(steps[2].shown, false);
        QCOMPARE(steps[2].frame, steps[1].frame);
        QVERIFY(steps[3].shown);
        QCOMPARE(steps[3].frame, steps[0].frame);
        QVERIFY(window.columnsShown());
    }

    // Cancel, Esc and the close button leave the user, the server and the log as they were.
    void endingWithoutOkStoresNothing_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("Cancel") << 0;
        QTest::newRow("Esc") << 1;
        QTest::newRow("close button") << 2;
    }
    void endingWithoutOkStoresNothing()
    {
        QFETCH(int, way);
        openMainWindowOnList();
        const std::shared_ptr<OTVUser> user = store_->getCurrentUser();
        const QColor colourBefore = user->mRowColor();
        const quint64 maskBefore = user->mColoumInfo();
        const QString fontBefore = user->mTextFont().family();
        int posted = 0;
        BKNotificationCenter::defaultCenter().addObserver(kPreferenceChangedNotification, this,
                                                          [&posted](const BKNotification&) { ++posted; });
        BKOptionsWindowController& window = options();
        window.setColorChooser([](QWidget*, const QColor&) { return std::optional<QColor>(QColor(1, 2, 3)); });
        window.setFontChooser([](QWidget*, const QFont&) {
            return std::optional<QFont>(QFontDatabase::font(QStringLiteral("DejaVu Sans Mono"), QString(), 21));
        });
        QCOMPARE(runWindow([&] {
                     window.selectRowColor();
                     window.selectFont();
                     window.columnButton(0, 0)->setChecked(!window.columnButton(0, 0)->isChecked());
                     if (way == 0)
                         window.findChild<QAbstractButton*>("cancelButton")->click();
                     else if (way == 1)
                         QTest::keyClick(&window, Qt::Key_Escape);
                     else
                         window.close();
                 }),
                 kBKModalAbort);

        QCOMPARE(user->mRowColor(), colourBefore);
        QCOMPARE(user->mColoumInfo(), maskBefore);
        QCOMPARE(user->mTextFont().family(), fontBefore);
        QCOMPARE(posted, 0);
        QVERIFY(alerts_->alerts.isEmpty());
        QCOMPARE(eventCount("Edit Settings"), 0);
        QCOMPARE(columnInfoRows(), 0);
        std::unique_ptr<OTVDataBase> other = secondLogin();
        QCOMPARE(other->getCurrentUser()->mRowColor().rgb(), colourBefore.rgb());
        QCOMPARE(other->getCurrentUser()->mAutoSubmit(), user->mAutoSubmit());
        // The next opening shows the stored values again.
        window.initUserPreferences();
        QCOMPARE(window.rowColor(), colourBefore);
    }

    // Each check box stands for exactly one bit, and a mask checks exactly its boxes.
    void eachColumnBoxIsItsOwnBit_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("bit");
        const int bits[] = {0x400, 0x800, 0x1, 0x2, 0x4, 0x8, 0x10, 0x20, 0x40, 0x80, 0x100, 0x200, 0x1000, 0x2000};
        for (int index = 0; index < 14; ++index)
            QTest::addRow("cell %d,%d", index % 5, index / 5) << index % 5 << index / 5 << bits[index];
    }
    void eachColumnBoxIsItsOwnBit()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(int, bit);
        BKOptionsWindowController& window = options();
        alerts_->answers = {kBKAlertDefaultReturn};
        QCOMPARE(runWindow([&] {
                     for (int r = 0; r < 5; ++r)
                         for (int c = 0; c < 3; ++c)
                             if (QCheckBox* box = window.columnButton(r, c))
                                 box->setChecked(r == row && c == column);
                     window.ok();
                 }),
                 kBKModalStop);
        QCOMPARE(store_->getCurrentUser()->mColoumInfo(), quint64(bit));
        QCOMPARE(columnInfoRows(), 1);

        store_->getCurrentUser()->setMColoumInfo(quint64(bit));
        window.initUserPreferences();
        for (int r = 0; r < 5; ++r)
            for (int c = 0; c < 3; ++c)
                if (QCheckBox* box = window.columnButton(r, c))
                    QCOMPARE(box->isChecked(), r == row && c == column);
    }

    // The column question: none for a change of font only; "No" stores the columns of all types,
    // "Yes" those of every type as well.
    void theColumnQuestion_data()
    {
        QTest::addColumn<bool>("changeColumns");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("rows");
        QTest::newRow("font only") << false << kBKAlertDefaultReturn << 0;
        QTest::newRow("No") << true << kBKAlertDefaultReturn << 1;
        QTest::newRow("Yes") << true << kBKAlertAlternateReturn << -1;   // one more for each type
    }
    void theColumnQuestion()
    {
        QFETCH(bool, changeColumns);
        QFETCH(int, answer);
        QFETCH(int, rows);
        if (rows < 0)
            rows = 1 + int(store_->typesForEditing().size());
        BKOptionsWindowController& window = options();
        window.setFontChooser([](QWidget*, const QFont&) {
            return std::optional<QFont>(QFontDatabase::font(QStringLiteral("DejaVu Serif"), QString(), 11));
        });
        alerts_->answers = {answer};
        QCOMPARE(runWindow([&] {
                     window.selectFont();
                     if (changeColumns)
                         window.columnButton(4, 1)->setChecked(!window.columnButton(4, 1)->isChecked());
                     window.ok();
                 }),
                 kBKModalStop);
        QCOMPARE(alerts_->alerts.size(), changeColumns ? 1 : 0);
        QCOMPARE(columnInfoRows(), rows);
        if (changeColumns)
            QCOMPARE(rootValue("SELECT COUNT(*) FROM vivododadi.COLUMNINFOTABLE WHERE TYPEID='" + kAllCategoriesUID + "'"),
                     QStringLiteral("1"));
        if (answer == kBKAlertAlternateReturn)
            for (const auto& type : store_->typesForEditing())
                QCOMPARE(rootValue("SELECT COUNT(*) FROM vivododadi.COLUMNINFOTABLE WHERE TYPEID='" + type->mTypeUID() + "'"),
                         QStringLiteral("1"));
    }

    // Options that the store refuses (a font name too long for its column) keep the column
    // settings as they were stored: both are stored, or neither.
    void aRefusedSaveKeepsTheColumnSettings_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("all types") << kBKAlertDefaultReturn;
        QTest::newRow("every type") << kBKAlertAlternateReturn;
    }
    void aRefusedSaveKeepsTheColumnSettings()
    {
        QFETCH(int, answer);
        const std::shared_ptr<OTVUser> user = store_->getCurrentUser();
        const quint64 maskBefore = user->mColoumInfo();
        BKOptionsWindowController& window = options();
        window.setFontChooser([](QWidget*, const QFont&) {
            QFont font;
            font.setFamily(QString(40, QLatin1Char('F')));
            return std::optional<QFont>(font);
        });
        alerts_->answers = {answer};
        QCOMPARE(runWindow([&] {
                     window.selectFont();
                     window.columnButton(4, 1)->setChecked(!window.columnButton(4, 1)->isChecked());
                     window.ok();
                     QVERIFY(window.isVisible());   // the refusal keeps the window open
                     window.findChild<QAbstractButton*>("cancelButton")->click();
                 }),
                 kBKModalAbort);
        QCOMPARE(alerts_->messages(), (QStringList{"Do you want the current column settings to be applied to all Types?",
                                                   "The value is too long or contains characters that cannot be "
                                                   "stored."}));
        QCOMPARE(columnInfoRows(), 0);
        QCOMPARE(user->mColoumInfo(), maskBefore);
        QCOMPARE(eventCount("Edit Settings"), 0);
    }

    // With a password and auto-lock on the minutes must be 1 to 60; without a password the
    // hidden field is not looked at and the minutes stay.
    void theAutoLockMinutesAreChecked_data()
    {
        QTest::addColumn<bool>("password");
        QTest::addColumn<QString>("minutes");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("stored");
        QTest::newRow("0") << true << "0" << false << 10;
        QTest::newRow("1") << true << "1" << true << 1;
        QTest::newRow("60") << true << "60" << true << 60;
        QTest::newRow("61") << true << "61" << false << 10;
        QTest::newRow("abc") << true << "abc" << false << 10;
        QTest::newRow("no password, abc") << false << "abc" << true << 10;
        QTest::newRow("no password, 5000") << false << "5000" << true << 10;
    }
    void theAutoLockMinutesAreChecked()
    {
        QFETCH(bool, password);
        QFETCH(QString, minutes);
        QFETCH(bool, accepted);
        QFETCH(int, stored);
        const std::shared_ptr<OTVUser> user = store_->getCurrentUser();
        user->setMLockTime(10);
        user->setMPassword(password ? QStringLiteral("secret") : QString());
        const bool lockBefore = user->mAutoLOck();
        BKOptionsWindowController& window = options();
        bool fieldShown = false;
        const int result = runWindow([&] {
            fieldShown = window.autoLockField()->isVisible();
            window.autoLockButton()->setChecked(true);
            window.autoLockField()->setText(minutes);
            window.ok();
            if (window.isVisible())
                window.cancel();
        });
        QCOMPARE(result, accepted ? kBKModalStop : kBKModalAbort);
        QCOMPARE(alerts_->messages(), accepted ? QStringList() : QStringList{"Please enter an integer between 1 and 60"});
        QCOMPARE(int(user->mLockTime()), stored);
        QCOMPARE(fieldShown, password);
        QCOMPARE(user->mAutoLOck(), accepted && password ? true : lockBefore);
    }

    // Launch at login writes and removes the autostart entry at once, whatever ends the window.
    void launchAtLoginWritesTheAutostartEntry()
    {
        QTemporaryDir config;
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
        BKOptionsWindowController& window = options();
        const QString entry = config.path() + "/autostart/ostrevin.desktop";
        runWindow([&] {
            window.runOnStartupButton()->click();
            window.cancel();
        });
        QVERIFY(QFile::exists(entry));
        QVERIFY(BKUserDefaults::standardUserDefaults().boolForKey(kLaunchOnStartup));
        bool shownOn = false;
        runWindow([&] {
            shownOn = window.runOnStartupButton()->isChecked();
            window.runOnStartupButton()->click();
            window.ok();
        });
        QVERIFY(shownOn);
        QVERIFY(!QFile::exists(entry));
        QVERIFY(!BKUserDefaults::standardUserDefaults().boolForKey(kLaunchOnStartup));
        if (saved.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", saved);
    }

    void theBackupFolderIsSavedAtOnce()
    {
        BKOptionsWindowController& window = options();
        window.setFolderChooser([](QWidget*, const QString&) { return QStringLiteral("/tmp/backups"); });
        runWindow([&] {
            window.browseDatabaseLocation();
            window.cancel();
        });
        QCOMPARE(window.databaseLocationField()->text(), QStringLiteral("/tmp/backups"));
        QCOMPARE(BKUserDefaults::standardUserDefaults().stringForKey(kEventLoggerDatabaseLocation),
                 QStringLiteral("/tmp/backups"));
    }

    // The Options button opens the window, over the main window.
    void theOptionsButtonOpensTheWindow()
    {
        openMainWindowOnList();
        QMainWindow* main = controller_->mainWindow();
        main->setGeometry(300, 200, 800, 600);
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main));
        auto* button = main->findChild<QAbstractButton*>("mToolbarOptionButton");
        QVERIFY(button);
        bool shown = false;
        QPoint centre;
        whenVisible(&options(), [&] {
            shown = true;
            centre = options().geometry().center();
            options().cancel();
        });
        button->click();
        QVERIFY(shown);
        QVERIFY2(main->geometry().contains(centre), qPrintable(QStringLiteral("%1,%2").arg(centre.x()).arg(centre.y())));
    }

    // The list shows the columns of the user's mask in identifier order, whatever order they
    // were in; a type with its own layout shows its own columns.
    void theListColumnsFollowTheMaskInIdentifierOrder()
    {
        openMainWindowOnList();
        BKTableView* list = controller_->mainWindowViews()->listViewTypesTable();
        QHeaderView* header = list->horizontalHeader();
        header->moveSection(header->visualIndex(3), 10);
        header->moveSection(header->visualIndex(14), 1);
        list->hideTableColumn(1);
        store_->getCurrentUser()->setMColoumInfo(0x1 | 0x400 | 0x2000 | 0x200);
        controller_->listViewColumnsVisiblityChanged();
        QStringList shown;
        for (int place = 0; place < header->count(); ++place) {
            const int column = header->logicalIndex(place);
            if (!header->isSectionHidden(column))
                shown.append(list->identifierOfColumn(column));
        }
        QCOMPARE(shown, (QStringList{"0", "1", "3", "12", "14"}));

        // The Card type gets its own columns; the list shows them when that type is chosen.
        store_->getCurrentUser()->setMColoumInfo(0x1 | 0x2);
        QCOMPARE(store_->setShowColumnsInListViewForTypeName(vault_->types["Card"]->mTypeUID()), int(kOTVStatusOK));
        store_->getCurrentUser()->setMColoumInfo(0x1);
        BKMainWindowViews* views = controller_->mainWindowViews();
        // What a change of the type filter does: the type's layout is read, the view told.
        QCOMPARE(store_->readColoumWidthInfoForType(vault_->types["Card"]->mTypeUID()), int(kOTVStatusOK));
        emit views->viewChanged(BKMainWindowViews::kListViewTag, BKMainWindowViews::kListViewTag);
        QVERIFY(!list->tableColumnIsHidden(list->columnWithIdentifier("4")));
        QVERIFY(list->tableColumnIsHidden(list->columnWithIdentifier("14")));
    }

    void theRowHeightFollowsTheFont_data()
    {
        QTest::addColumn<int>("points");
        QTest::newRow("small font") << 6;
        QTest::newRow("large font") << 36;
    }
    void theRowHeightFollowsTheFont()
    {
        QFETCH(int, points);
        openMainWindowOnList();
        const QFont font = QFontDatabase::font(QStringLiteral("DejaVu Sans"), QString(), points);
        store_->getCurrentUser()->setMTextFont(font);
        controller_->optionsDidChange();
        const int expected = std::max(20, QFontMetrics(font).boundingRect("Font").height());
        QCOMPARE(controller_->mainWindowViews()->listViewTypesTable()->verticalHeader()->defaultSectionSize(), expected);
        QVERIFY(points < 10 ? expected == 20 : expected > 20);
        // The header keeps the application's font.
        QVERIFY(controller_->mainWindowViews()->listViewTypesTable()->horizontalHeader()->font().pointSize() != points);
    }

    // The idle lock is handed minutes only with a password and auto-lock on; clearing only
    // when it is timed.
    void theTimersGetTheirMinutes_data()
    {
        QTest::addColumn<bool>("password");
        QTest::addColumn<bool>("autoLock");
        QTest::addColumn<bool>("onExit");
        QTest::addColumn<int>("lockMinutes");
        QTest::addColumn<int>("clearMinutes");
        QTest::newRow("password and lock") << true << true << false << 15 << 4;
        QTest::newRow("no password") << false << true << false << 0 << 4;
        QTest::newRow("lock off, clear at exit") << true << false << true << 0 << 0;
    }
    void theTimersGetTheirMinutes()
    {
        QFETCH(bool, password);
        QFETCH(bool, autoLock);
        QFETCH(bool, onExit);
        QFETCH(int, lockMinutes);
        QFETCH(int, clearMinutes);
        openMainWindowOnList();
        const std::shared_ptr<OTVUser> user = store_->getCurrentUser();
        user->setMPassword(password ? QStringLiteral("secret") : QString());
        user->setMAutoLOck(autoLock);
        user->setMLockTime(15);
        user->setMClipBoardOnExit(onExit);
        user->setMClearClipBoardTimer(4);
        user->setMClearClipboardState(true);
        controller_->optionsDidChange();
        QCOMPARE(controller_->appliedAutoLockMinutes(), lockMinutes);
        QCOMPARE(controller_->appliedClipboardClearMinutes(), clearMinutes);
    }

private:
    BKOptionsWindowController& options() { return controller_->optionsWindowController(); }

    void openMainWindowOnList()
    {
        store_->getCurrentUser()->setMLastView(1);
        controller_->updateApplicationViews();
    }

    // Opens the window and runs `script` once it shows; the window's result.
    int runWindow(std::function<void()> script)
    {
        whenVisible(&options(), std::move(script));
        return options().orderFrontOptionsPanel();
    }

    std::unique_ptr<OTVDataBase> secondLogin()
    {
        TemporarySettings otherSettings;
        auto other = std::make_unique<OTVDataBase>();
        if (!ViewsTestVault::open(*other, server_, false))
            return nullptr;
        return other;
    }

    int eventCount(const QString& event) const
    {
        return rootValue("SELECT COUNT(*) FROM vivododadi.EVENTLOGGERTABLE WHERE NAME='" + event + "'").toInt();
    }

    int columnInfoRows() const { return rootValue("SELECT COUNT(*) FROM vivododadi.COLUMNINFOTABLE").toInt(); }
};

QTEST_MAIN(OptionsWindowTest)
#include "OptionsWindowTest.moc"
