// The split views of the main window: divider limits, the smart list's minimum height on a
// resize, and the layouts kept as rectangle texts in the user defaults; the list's columns that
// fill its width.
#include "Controller/BKMainWindowLayout.h"

#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVUser.h"
#include "Platform/BKUserDefaults.h"
#include "Support/TemporarySettings.h"

#include <QLabel>
#include <QtTest>

namespace {

// A store with a logged-in user and no connection: the layouts live in the user defaults.
class LoggedInStore : public OTVDataBase {
public:
    LoggedInStore() { mCurrentUser_ = OTVUser::createUser(); }
};

// A splitter of `panes` labels, shown at `size`.
std::unique_ptr<BKSplitter> splitter(Qt::Orientation orientation, int panes, QSize size)
{
    auto split = std::make_unique<BKSplitter>(orientation, BKSplitKind::Other);
    for (int i = 0; i < panes; ++i)
        split->addWidget(new QLabel(QString::number(i)));
    split->resize(size);
    split->show();
    return split;
}

} // namespace

using Range = std::pair<int, int>;
Q_DECLARE_METATYPE(BKSplitKind)

class MainWindowLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void init() { settings_ = std::make_unique<TemporarySettings>(); }
    void cleanup() { settings_.reset(); }

    void dividerLimits_data()
    {
        QTest::addColumn<BKSplitKind>("kind");
        QTest::addColumn<int>("extent");
        QTest::addColumn<int>("proposedMin");
        QTest::addColumn<int>("proposedMax");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::newRow("main: 30 % to 70 %") << BKSplitKind::Main << 1000 << 0 << 1000 << 300 << 700;
        QTest::newRow("main: a narrower proposal wins") << BKSplitKind::Main << 1000 << 350 << 650 << 350 << 650;
        QTest::newRow("sub: 20 % to 55 %") << BKSplitKind::Sub << 1000 << 0 << 1000 << 200 << 550;
        QTest::newRow("smart type: half to height - 93") << BKSplitKind::SmartType << 400 << 0 << 400 << 200 << 307;
        QTest::newRow("other: unconstrained") << BKSplitKind::Other << 1000 << 10 << 990 << 10 << 990;
    }
    void dividerLimits()
    {
        QFETCH(BKSplitKind, kind);
        QFETCH(int, extent);
        QFETCH(int, proposedMin);
        QFETCH(int, proposedMax);
        QFETCH(int, low);
        QFETCH(int, high);
        QCOMPARE(BKConstrainDivider(kind, extent, 1, proposedMin, proposedMax), Range(low, high));
    }

    void draggedDividersKeepToTheirLimits_data()
    {
        QTest::addColumn<BKSplitKind>("kind");
        QTest::addColumn<int>("proposed");
        QTest::addColumn<int>("clamped");
        QTest::newRow("main, too near") << BKSplitKind::Main << 250 << 300;
        QTest::newRow("main, too far") << BKSplitKind::Main << 800 << 700;
        QTest::newRow("main, inside") << BKSplitKind::Main << 500 << 500;
        QTest::newRow("sub, too near") << BKSplitKind::Sub << 100 << 200;
        QTest::newRow("sub, too far") << BKSplitKind::Sub << 600 << 550;
    }
    void draggedDividersKeepToTheirLimits()
    {
        QFETCH(BKSplitKind, kind);
        QFETCH(int, proposed);
        QFETCH(int, clamped);
        BKSplitter split(Qt::Horizontal, kind);
        split.setHandleWidth(1);
        split.addWidget(new QLabel("a"));
        split.addWidget(new QLabel("b"));
        split.resize(1000, 300);
        split.show();
        QVERIFY(QTest::qWaitForWindowExposed(&split));
        QCOMPARE(split.constrainedPosition(proposed, 1), clamped);
        split.dragDivider(1, proposed);
        QCOMPARE(split.sizes().first(), clamped);
    }

    void theSmartListKeepsItsHeight_data()
    {
        QTest::addColumn<QList<int>>("sizes");
        QTest::addColumn<QList<int>>("kept");
        QTest::newRow("too low: the types give the difference") << QList<int>{340, 60} << QList<int>{308, 92};
        QTest::newRow("just high enough") << QList<int>{308, 92} << QList<int>{308, 92};
        QTest::newRow("high") << QList<int>{200, 200} << QList<int>{200, 200};
        QTest::newRow("one pane") << QList<int>{400} << QList<int>{400};
    }
    void theSmartListKeepsItsHeight()
    {
        QFETCH(QList<int>, sizes);
        QFETCH(QList<int>, kept);
        const QList<int> result = BKSizesKeepingSmartList(sizes);
        QCOMPARE(result, kept);
        QCOMPARE(std::accumulate(result.begin(), result.end(), 0), std::accumulate(sizes.begin(), sizes.end(), 0));
    }

    // The growing columns share the room in proportion to their widths, to the last pixel;
    // fixed and empty columns keep their width; columns that leave no room stay as they are.
    void columnsFillTheirExtent_data()
    {
        QTest::addColumn<QList<int>>("widths");
        QTest::addColumn<QList<bool>>("growable");
        QTest::addColumn<int>("extent");
        QTest::addColumn<QList<int>>("filled");
        QTest::newRow("room shared by width") << QList<int>{28, 100, 200, 28} << QList<bool>{false, true, true, false}
                                              << 656 << QList<int>{28, 200, 400, 28};
        QTest::newRow("rounding goes to the last") << QList<int>{100, 100, 100} << QList<bool>{true, true, true} << 401
                                                   << QList<int>{133, 133, 135};
        QTest::newRow("a hidden column stays empty") << QList<int>{100, 0, 100} << QList<bool>{true, false, true} << 300
                                                     << QList<int>{150, 0, 150};
        QTest::newRow("no room") << QList<int>{300, 300} << QList<bool>{true, true} << 500 << QList<int>{300, 300};
        QTest::newRow("nothing may grow") << QList<int>{28, 28} << QList<bool>{false, false} << 500 << QList<int>{28, 28};
    }
    void columnsFillTheirExtent()
    {
        QFETCH(QList<int>, widths);
        QFETCH(QList<bool>, growable);
        QFETCH(int, extent);
        QFETCH(QList<int>, filled);
        QCOMPARE(BKWidthsFillingExtent(widths, growable, extent), filled);
    }

    void layoutsAreSavedAsRectangles()
    {
        auto split = splitter(Qt::Horizontal, 3, QSize(600, 200));
        split->setHandleWidth(4);
        split->setChildrenCollapsible(true);
        split->setSizes({100, 0, 492});
        const QStringList saved = BKSplitLayoutRectangles(*split);
        QCOMPARE(saved.size(), 3);
        QCOMPARE(saved[0], QStringLiteral("{{0, 0}, {100, 200}}"));
        QCOMPARE(saved[1], QStringLiteral("{{0, 0}, {0, 0}}"));   // collapsed
        QVERIFY(saved[2].endsWith(QStringLiteral("{492, 200}}")));
    }

    void storedLayoutsAreApplied_data()
    {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QList<int>>("sizes");
        QTest::newRow("each pane its width")
            << QStringList{"{{0, 0}, {150, 200}}", "{{154, 0}, {250, 200}}", "{{408, 0}, {192, 200}}"}
            << QList<int>{150, 250, 192};
        QTest::newRow("an empty rectangle collapses its pane")
            << QStringList{"{{0, 0}, {300, 200}}", "{{0, 0}, {0, 0}}", "{{304, 0}, {292, 200}}"}
            << QList<int>{300, 0, 292};
        QTest::newRow("no height counts as empty")
            << QStringList{"{{0, 0}, {300, 0}}", "{{0, 0}, {200, 200}}", "{{304, 0}, {392, 200}}"}
            << QList<int>{0, 200, 392};
        QTest::newRow("texts beyond the panes are left out")
            << QStringList{"{{0, 0}, {100, 200}}", "{{0, 0}, {100, 200}}", "{{0, 0}, {392, 200}}", "{{0, 0}, {9, 9}}"}
            << QList<int>{100, 100, 392};
    }
    void storedLayoutsAreApplied()
    {
        QFETCH(QStringList, stored);
        QFETCH(QList<int>, sizes);
        auto split = splitter(Qt::Horizontal, 3, QSize(600, 200));
        split->setHandleWidth(4);
        QVERIFY(QTest::qWaitForWindowExposed(split.get()));
        BKUserDefaults::standardUserDefaults().setObject(stored, kSubSplitViewAutosaveKey);
        BKRestoreLayoutPreferenceFromName(*split, kSubSplitViewAutosaveKey);
        QCOMPARE(split->sizes(), sizes);
    }

    void panesWithoutAStoredRectangleKeepTheirSize()
    {
        auto split = splitter(Qt::Vertical, 3, QSize(200, 600));
        split->setHandleWidth(4);
        QVERIFY(QTest::qWaitForWindowExposed(split.get()));
        split->setSizes({100, 200, 292});
        // Stacked panes take the rectangle's height; the last pane without a text gives way.
        BKUserDefaults::standardUserDefaults().setObject(QStringList{"{{0, 0}, {200, 250}}"},
                                                         kSmartTypeSplitViewAutosaveKey);
        BKRestoreLayoutPreferenceFromName(*split, kSmartTypeSplitViewAutosaveKey);
        QCOMPARE(split->sizes(), (QList<int>{250, 200, 142}));

        // No stored layout changes nothing.
        split->setSizes({100, 200, 292});
        BKRestoreLayoutPreferenceFromName(*split, QStringLiteral("Main SplitView Autosave Key"));
        QCOMPARE(split->sizes(), (QList<int>{100, 200, 292}));
    }

    void aSavedLayoutComesBackAndTheMainOneGivesTheDetailPaneWidth()
    {
        LoggedInStore store;
        auto split = splitter(Qt::Horizontal, 2, QSize(800, 300));
        split->setHandleWidth(4);
        QVERIFY(QTest::qWaitForWindowExposed(split.get()));
        split->setSizes({520, 276});
        QCOMPARE(split->sizes(), (QList<int>{520, 276}));
        BKSaveLayoutPreferenceWithName(*split, kMainSplitViewAutosaveKey, store);
        QCOMPARE(store.getCurrentUser()->mDetailPanelWidth(), 520);

        auto restored = splitter(Qt::Horizontal, 2, QSize(800, 300));
        restored->setHandleWidth(4);
        QVERIFY(QTest::qWaitForWindowExposed(restored.get()));
        BKRestoreLayoutPreferenceFromName(*restored, kMainSplitViewAutosaveKey);
        QCOMPARE(restored->sizes(), split->sizes());
    }

private:
    std::unique_ptr<TemporarySettings> settings_;
};

QTEST_MAIN(MainWindowLayoutTest)
#include "MainWindowLayoutTest.moc"
