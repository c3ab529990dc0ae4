// The record details pane without a server: which rows a record gives (labels, values, copy
// texts), the header's title, link and copy button, row heights and the table's fit, copy
// buttons that copy the shown record's values only, and the print layout.
#include "Customization/BKDetailsView.h"
#include "Customization/BKDetailsViewDelegate.h"
#include "Customization/BKImageView.h"
#include "Customization/BKTextTable.h"

#include "Model/BKGroup.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVRecord.h"
#include "Model/OTVType.h"
#include "Platform/BKNotificationCenter.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QScrollArea>
#include <QRegularExpression>
#include <QTextLayout>
#include <QtTest>

#include <cmath>

namespace {

const QString kModified = QStringLiteral("2024-03-04 10:00:00 +0100");
const QString kModifiedShown = QStringLiteral("March 04,2024");

std::shared_ptr<OTVType> typeWithMask(int mask)
{
    auto type = OTVType::createType();
    type->setMTypeName(QStringLiteral("Login"));
    type->setMTypeMask(mask);
    for (int field = 1; field <= kNoOfFields; ++field)
        type->setLabel(field, QStringLiteral("Label %1").arg(field));
    return type;
}

// A record of `type` with the given values (field -> value) and value 10 set.
std::shared_ptr<OTVRecord> recordWith(const std::shared_ptr<OTVType>& type, const QMap<int, QString>& values)
{
    auto record = std::make_shared<OTVRecord>();
    record->setMType(type);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        record->setValue(it.key(), it.value());
    if (!values.contains(kNoOfFields))
        record->setValue(kNoOfFields, kModified);
    return record;
}

QString describe(const BKDetailRow& row)
{
    return QStringLiteral("(%1 | %2 | %3)").arg(row.label, row.value, row.copyText);
}

using Expected = QMap<int, BKDetailRow>;   // the rows that are not empty

void compareRows(const std::array<BKDetailRow, BKTextTable::kRowCount>& rows, const Expected& expected,
                 const char* name)
{
    for (int row = 0; row < BKTextTable::kRowCount; ++row) {
        const BKDetailRow want = expected.value(row);
        const BKDetailRow& got = rows[size_t(row)];
        const bool same = got.label == want.label && got.value == want.value && got.copyText == want.copyText;
        QVERIFY2(same, qPrintable(QStringLiteral("%1, row %2: %3, expected %4")
                                      .arg(QLatin1String(name))
                                      .arg(row)
                                      .arg(describe(got), describe(want))));
    }
}

// Answers a selected record whose edit is cancelled, and a context menu; counts the calls.
class CountingDelegate final : public BKDetailsViewDelegate {
public:
    std::shared_ptr<OTVRecord> itemPropertiesForTableViewSelectedRow() const override
    {
        ++edits;
        return nullptr;   // nothing selected: the edit stops here
    }
    bool checkForRecordPermissionForSelectedGroup(int) override { return true; }
    std::shared_ptr<OTVRecord> orderFrontDetailsWindowWithInfo(const std::shared_ptr<OTVRecord>&, int*,
                                                               const BKDetailsAnswerWriter&) override
    {
        return nullptr;
    }
    void deleteRecordFromWindow(const std::shared_ptr<OTVRecord>&) override {}
    void updateTables() override {}
    QMenu* extendMenu(QContextMenuEvent*, BKDetailsView*) override
    {
        ++menus;
        return nullptr;
    }
    mutable int edits = 0;
    int menus = 0;
};

BKDetailRow dateRow()
{
    return {QStringLiteral("Date Mod:"), kModifiedShown, kModifiedShown};
}

BKDetailRow fieldRow(int field, const QString& value, const QString& shown = {})
{
    return {QStringLiteral("Label %1:").arg(field), shown.isNull() ? value : shown, value};
}

} // namespace

class DetailsPaneLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        opened.clear();
        BKTextTable::setURLOpener([this](const QUrl& url) { opened.append(url.toString()); });
        QGuiApplication::clipboard()->clear();
    }
    void cleanup() { BKTextTable::setURLOpener({}); }

    void rowsOfRecords();
    void customTypeLabelsAndMask();
    void headerTitleLinkAndCopyButton();
    void rowHeightsAndTotalHeight();
    void tableFillsTheScrollViewOrScrolls();
    void copyButtonsCopyOnlyTheShownRecord();
    void attachmentButtonAsksForTheMenu();
    void printLayoutHoldsAllRows();
    void clicksOnRowsReachThePane();
    void backgroundIsBlendedTowardsWhite();
    void copyButtonPressAndReleaseOutside();
    void labelsShowWholeAndValuesWrapAtWords();

private:
    BKDetailsView* pane(int width = 520, int height = 420)
    {
        auto* view = new BKDetailsView;
        view->setAttribute(Qt::WA_DontShowOnScreen);
        view->setDataBase(&store);
        view->resize(width, height);
        view->show();
        return view;
    }

    OTVDataBase store;
    QStringList opened;
};

void DetailsPaneLayoutTest::rowsOfRecords()
{
    const auto plain = typeWithMask(0);
    const auto masked = typeWithMask(1 | 4 | 256);   // fields 1, 3 and 9
    QMap<int, QString> all;
    for (int field = 1; field <= 9; ++field)
        all.insert(field, QStringLiteral("value %1").arg(field));

    struct Case {
        const char* name;
        std::shared_ptr<OTVRecord> record;
        bool mask;
        Expected rows;
    };
    Expected full{{9, dateRow()}};
    for (int field = 2; field <= 9; ++field)
        full.insert(field - 1, fieldRow(field, QStringLiteral("value %1").arg(field)));
    Expected fullMasked = full;
    // A masked row copies nothing.
    fullMasked[2] = {QStringLiteral("Label 3:"), QStringLiteral("******"), QStringLiteral("")};
    fullMasked[8] = {QStringLiteral("Label 9:"), QStringLiteral("******"), QStringLiteral("")};

    auto withGroup = recordWith(plain, {{2, "x"}});
    auto group = BKGroup::newGroup();
    group->setMGroupName(QStringLiteral("Bank – accounts"));
    withGroup->setMGroup(group);
    auto attachmentFlag = recordWith(plain, {});
    attachmentFlag->setMHasAttachment(true);
    auto attachmentName = recordWith(plain, {});
    attachmentName->setMAttachmentName(QStringLiteral("contract.pdf"));
    auto notes = recordWith(plain, {{3, "three"}});
    notes->setMNotes(QStringLiteral("line one\nline two"));
    auto blankNotes = recordWith(plain, {});
    blankNotes->setMNotes(QString());
    auto unreadableDate = recordWith(plain, {{kNoOfFields, "yesterday"}});
    auto noType = recordWith(nullptr, {{4, "four"}});

    const Case cases[] = {
        {"gaps are closed", recordWith(plain, {{2, "b"}, {5, "e"}, {9, "i"}}), false,
         {{1, fieldRow(2, "b")}, {2, fieldRow(5, "e")}, {3, fieldRow(9, "i")}, {9, dateRow()}}},
        {"all fields", recordWith(plain, all), false, full},
        {"masking on", recordWith(masked, all), true, fullMasked},
        {"masking off", recordWith(masked, all), false, full},
        {"empty values", recordWith(plain, {{2, ""}, {3, ""}}), false, {{9, dateRow()}}},
        {"group", withGroup, false,
         {{0, {"Group:", "Bank – accounts", "Bank – accounts"}}, {1, fieldRow(2, "x")}, {9, dateRow()}}},
        {"attachment flag only", attachmentFlag, false, {{9, dateRow()}, {10, {"Attachment:", "", ""}}}},
        {"attachment name only", attachmentName, false,
         {{9, dateRow()}, {10, {"Attachment:", "contract.pdf", ""}}}},
        {"notes", notes, false,
         {{1, fieldRow(3, "three")}, {9, dateRow()}, {11, {"Notes:", "line one\nline two", "line one\nline two"}}}},
        {"no notes", blankNotes, false, {{9, dateRow()}}},
        {"unreadable date", unreadableDate, false, {{9, {"Date Mod:", "", ""}}}},
        {"no type", noType, false, {{1, {"Field 4:", "four", "four"}}, {9, dateRow()}}},
    };
    for (const Case& c : cases) {
        const QString groupName = c.record->mGroup() ? c.record->mGroup()->mGroupName() : QString();
        compareRows(BKDetailRowsForRecord(*c.record, groupName, c.mask), c.rows, c.name);
    }
}

// The record's own type gives labels (trimmed) and mask; a masked field 10 hides the date, copies
// nothing and never becomes a row of its own.
void DetailsPaneLayoutTest::customTypeLabelsAndMask()
{
    auto record = recordWith(typeWithMask(0), {{2, "admin"}, {3, "s3cret"}});
    OTVType custom = *typeWithMask(4 | 512);
    custom.setLabel(2, QStringLiteral("  User name \n"));
    custom.setLabel(3, QStringLiteral("\tPassword  "));
    record->setMRecordCustomType(custom);
    record->setMIsCustomized(true);
    compareRows(BKDetailRowsForRecord(*record, {}, true),
                {{1, {"User name:", "admin", "admin"}},
                 {2, {"Password:", "******", ""}},
                 {9, {"Date Mod:", "******", ""}}},
                "custom type, masked");
    compareRows(BKDetailRowsForRecord(*record, {}, false),
                {{1, {"User name:", "admin", "admin"}}, {2, {"Password:", "s3cret", "s3cret"}}, {9, dateRow()}},
                "custom type, unmasked");
}

void DetailsPaneLayoutTest::headerTitleLinkAndCopyButton()
{
    struct Case {
        QString title;
        int mask;
        bool shouldMask;
        QString drawn;
        bool link;
        QString opens;   // empty: a click opens nothing
    };
    const Case cases[] = {
        {"www.example.org", 0, true, "www.example.org", true, "http://www.example.org"},
        {"https://bank.example/login", 0, true, "https://bank.example/login", true, "https://bank.example/login"},
        {"http://x.org", 0, false, "http://x.org", true, "http://x.org"},
        {"ftp://files.example", 0, true, "ftp://files.example", false, ""},
        {"Plain title", 0, true, "Plain title", false, ""},
        {"www.hidden.org", 1, true, "******", false, ""},
        {"www.hidden.org", 1, false, "www.hidden.org", true, "http://www.hidden.org"},
    };
    std::unique_ptr<BKDetailsView> view(pane());
    for (const Case& c : cases) {
        opened.clear();
        view->setShouldMask(c.shouldMask);
        view->setDetailInfo(recordWith(typeWithMask(c.mask), {{1, c.title}}));
        view->setHeaderTitle(c.title);
        QCOMPARE(view->drawnTitle(), c.drawn);
        QCOMPARE(view->titleIsLink(), c.link);
        QTest::mouseClick(view.get(), Qt::LeftButton, {}, view->titleRect().center());
        QCOMPARE(opened, c.opens.isEmpty() ? QStringList() : QStringList{c.opens});

        // The copy button sits right of the title and copies the real title, masked or not.
        const QRect title = view->titleRect();
        QCOMPARE(title.height(), 20);
        QCOMPARE(view->copyImageButton()->geometry(), QRect(title.width() + 56, title.y(), 16, title.height()));
        QTest::mouseClick(view->copyImageButton(), Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(), c.title);
    }
    // The title rectangle and the icon follow the header: 34 + 10 in, centred vertically.
    const QRect header = view->headerRect();
    QCOMPARE(header, QRect(10, 10, 500, 60));
    QCOMPARE(view->titleRect(), QRect(header.x() + 44, header.y() + 20, header.width() - 78, 20));
    QCOMPARE(view->iconRect(), QRect(header.x() + 10, header.y() + 18, 24, 24));

    // No title: no copy button, and nothing drawn even when the record has a field 1.
    view->setHeaderTitle(QString());
    QVERIFY(view->copyImageButton()->geometry().isEmpty());
    QVERIFY(view->drawnTitle().isEmpty());
    view->setHeaderTitle(QStringLiteral("t"));
    view->setDetailInfo(recordWith(typeWithMask(0), {{2, "no field 1"}}));
    QVERIFY(view->drawnTitle().isEmpty());

    view->resetDetailInfo();
    QVERIFY(!view->detailInfo());
    QVERIFY(view->headerTitle().isEmpty());
    QVERIFY(view->headerImage().isNull());
    QVERIFY(view->copyImageButton()->isHidden());
    for (int row = 0; row < BKTextTable::kRowCount; ++row)
        QCOMPARE(view->infoView()->rowHeight(row), 0);
}

void DetailsPaneLayoutTest::rowHeightsAndTotalHeight()
{
    std::unique_ptr<BKDetailsView> view(pane());
    BKTextTable* table = view->infoView();
    const QString longValue = QString(400, QLatin1Char('W'));
    struct Case {
        const char* name;
        bool attachment;
        QString notes;
    };
    const Case cases[] = {
        {"neither", false, {}},
        {"attachment", true, {}},
        {"notes", false, QStringLiteral("some notes")},
        {"both", true, QString(900, QLatin1Char('n'))},
    };
    for (const Case& c : cases) {
        auto record = recordWith(typeWithMask(0), {{2, "short"}, {3, longValue}});
        record->setMHasAttachment(c.attachment);
        record->setMAttachmentName(c.attachment ? QStringLiteral("file.txt") : QString());
        record->setMNotes(c.notes);
        view->setDetailInfo(record);

        const QFontMetricsF label(table->attributes());
        const qreal line = std::max<qreal>(20, label.height());
        int sum = 0;
        for (int row = 0; row < BKTextTable::kRowCount; ++row) {
            const int height = table->rowHeight(row);
            QVERIFY2(height == 0 || height >= 20, c.name);
            QVERIFY2((height == 0) == table->value(row).isEmpty(), c.name);
            sum += height;
        }
        // A long value wraps at any character within the value column.
        const int measureWidth = int(table->width() * 0.7 - 30);
        const int wrapped = QFontMetrics(table->noteAttributes())
                                .boundingRect(QRect(0, 0, measureWidth, 0), Qt::TextWrapAnywhere, longValue)
                                .height();
        QVERIFY2(table->rowHeight(2) >= wrapped - 1 && table->rowHeight(2) > 2 * label.height(), c.name);
        const int blankLines = (c.attachment ? 1 : 0) + (c.notes.isEmpty() ? 0 : 2);
        QCOMPARE(table->totalHeight(), int(sum + blankLines * line));
    }
}

void DetailsPaneLayoutTest::tableFillsTheScrollViewOrScrolls()
{
    std::unique_ptr<BKDetailsView> view(pane(520, 420));
    // Inset 10, the 60-point header, inset 10 again.
    const QRect inner(20, 80, 520 - 40, 420 - 20 - 60 - 20);
    QCOMPARE(view->infoViewScroller()->geometry(), inner);

    // Few rows: the table fills the scroll view (the scroller's room included).
    view->setDetailInfo(recordWith(typeWithMask(0), {{2, "a"}}));
    QCOMPARE(view->infoView()->size(), QSize(inner.width() - 20 + 20, inner.height() - 5));
    QVERIFY(!view->infoView()->scrollerVisible());

    // More rows than fit: the table keeps room for the scroller and takes its full height.
    auto tall = recordWith(typeWithMask(0), {{2, "a"}});
    tall->setMNotes(QString(6000, QLatin1Char('x')));
    view->setDetailInfo(tall);
    QCOMPARE(view->infoView()->size(), QSize(inner.width() - 20, view->infoView()->totalHeight()));
    QVERIFY(view->infoView()->totalHeight() > inner.height());
    QVERIFY(view->infoView()->scrollerVisible());
}

// Copy texts belong to the record shown: a row that the new record leaves empty copies
// nothing, and a masked row copies nothing either.
void DetailsPaneLayoutTest::copyButtonsCopyOnlyTheShownRecord()
{
    std::unique_ptr<BKDetailsView> view(pane());
    view->setShouldMask(true);
    BKTextTable* table = view->infoView();
    const auto clickRow = [&](int row) {
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        QTest::mouseClick(table->button(row), Qt::LeftButton);
        return QGuiApplication::clipboard()->text();
    };

    view->setDetailInfo(recordWith(typeWithMask(4), {{2, "first user"}, {3, "first secret"}, {4, "first pin"}}));
    QCOMPARE(clickRow(1), QStringLiteral("first user"));
    QCOMPARE(table->value(2), QStringLiteral("******"));
    QCOMPARE(clickRow(2), QString());
    QCOMPARE(clickRow(3), QStringLiteral("first pin"));
    QCOMPARE(clickRow(9), kModifiedShown);

    view->setDetailInfo(recordWith(typeWithMask(2), {{2, "second secret"}}));
    QCOMPARE(table->value(1), QStringLiteral("******"));
    QCOMPARE(clickRow(1), QString());
    for (int row : {2, 3}) {
        QCOMPARE(table->pasteboardString(row), QString(""));
        QVERIFY(table->button(row)->isHidden());
    }

    // A row without a copy text clears the clipboard rather than leaving an old value.
    auto attached = recordWith(typeWithMask(0), {});
    attached->setMAttachmentName(QStringLiteral("scan.png"));
    view->setDetailInfo(attached);
    QGuiApplication::clipboard()->setText(QStringLiteral("stale"));
    QTest::mouseClick(table->button(BKTextTable::kAttachmentRow), Qt::LeftButton);
    QVERIFY(QGuiApplication::clipboard()->text().isEmpty());
}

void DetailsPaneLayoutTest::attachmentButtonAsksForTheMenu()
{
    std::unique_ptr<BKDetailsView> view(pane());
    QList<QObject*> posted;
    BKNotificationCenter::defaultCenter().addObserver(kAddExtractAttachmentMenuNotification, this,
                                                      [&](const BKNotification& n) {
                                                          posted.append(n.object.value<QObject*>());
                                                      });
    auto record = recordWith(typeWithMask(0), {{2, "x"}});
    record->setMAttachmentName(QStringLiteral("a.pdf"));
    record->setMNotes(QStringLiteral("n"));
    view->setDetailInfo(record);
    BKTextTable* table = view->infoView();
    for (int row : {1, BKTextTable::kDateRow, BKTextTable::kNotesRow})
        QTest::mouseClick(table->button(row), Qt::LeftButton);
    QVERIFY(posted.isEmpty());
    QTest::mouseClick(table->button(BKTextTable::kAttachmentRow), Qt::LeftButton);
    QCOMPARE(posted, QList<QObject*>{table->button(BKTextTable::kAttachmentRow)});
    BKNotificationCenter::defaultCenter().removeObserversOf(this);

    // The menu opens where the owner says, in the table's coordinates.
    view->setAttachmentMenuOrigin(QPoint(5, 7));
    QCOMPARE(view->attachmentPopupFrame().topLeft(), table->mapTo(view.get(), QPoint(5, 7)));
}

void DetailsPaneLayoutTest::printLayoutHoldsAllRows()
{
    BKDetailsView print(nullptr, false);
    print.setDataBase(&store);
    QVERIFY(!print.copyImageButton());
    print.resize(600, 100);
    auto record = recordWith(typeWithMask(4), {{1, "Title"}, {2, "user"}, {3, "masked but printed"}});
    record->setMNotes(QString(1500, QLatin1Char('p')));
    record->setMAttachmentName(QStringLiteral("not printed.pdf"));
    print.setHeaderTitle(QStringLiteral("Title"));
    print.setDetailInfo(record);
    print.setFrames();

    BKTextTable* table = print.infoView();
    QVERIFY(table->isPrintingView());
    QCOMPARE(table->value(2), QStringLiteral("masked but printed"));
    const qreal line = QFontMetricsF(table->attributes()).height();
    int sum = 0;
    for (int row = 0; row < BKTextTable::kRowCount; ++row)
        sum += table->rowHeight(row);
    QCOMPARE(table->totalHeight(), int(sum + 2 * line));
    QCOMPARE(table->height(), table->totalHeight());
    QCOMPARE(print.infoViewScroller()->height(), table->height());
    QCOMPARE(print.height(), 40 + 60 + print.infoViewScroller()->height());
    QVERIFY(print.attachmentPopupFrame().isEmpty());
    for (int row = 0; row < BKTextTable::kRowCount; ++row)
        QVERIFY(table->button(row)->isHidden());

    // Rendering draws the rows down to the notes' end.
    QImage page(print.size(), QImage::Format_ARGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    print.paintForPrint(painter);
    painter.end();
    const QRect rows = print.infoViewScroller()->geometry();
    int inkRows = 0;
    for (int y = rows.top(); y <= rows.bottom(); ++y) {
        for (int x = rows.left(); x <= rows.right(); ++x) {
            if (qGray(page.pixel(x, y)) < 128) {
                ++inkRows;
                break;
            }
        }
    }
    QVERIFY2(inkRows > rows.height() / 3, qPrintable(QString::number(inkRows)));
}

// A double click or a right click anywhere in the rows is the pane's (edit, record menu); a
// click on a link in a row opens it; the record menu is asked for only with a record shown.
void DetailsPaneLayoutTest::clicksOnRowsReachThePane()
{
    std::unique_ptr<BKDetailsView> view(pane());
    CountingDelegate delegate;
    view->setDelegate(&delegate);
    view->setDetailInfo(recordWith(typeWithMask(0), {{2, "www.row-link.example"}, {3, "plain"}}));
    BKTextTable* table = view->infoView();

    QTest::mouseClick(table, Qt::LeftButton, {}, table->valueRect(1).center());
    QCOMPARE(opened, QStringList{"http://www.row-link.example"});
    QCOMPARE(table->trackingRects().size(), 1);
    QCOMPARE(table->trackingRects().first().url, QStringLiteral("www.row-link.example"));
    QTest::mouseClick(table, Qt::LeftButton, {}, table->valueRect(2).center());
    QCOMPARE(opened.size(), 1);

    QTest::mouseDClick(table, Qt::LeftButton, {}, table->valueRect(2).center());
    QCOMPARE(delegate.edits, 1);
    QTest::mouseDClick(view.get(), Qt::LeftButton, {}, view->headerRect().center());
    QCOMPARE(delegate.edits, 2);

    QContextMenuEvent onRow(QContextMenuEvent::Mouse, table->labelRect(2).center(),
                            table->mapToGlobal(table->labelRect(2).center()));
    QApplication::sendEvent(table, &onRow);
    QCOMPARE(delegate.menus, 1);
    view->resetDetailInfo();
    QContextMenuEvent onEmpty(QContextMenuEvent::Mouse, QPoint(20, 20), view->mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(view.get(), &onEmpty);
    QCOMPARE(delegate.menus, 1);
}

void DetailsPaneLayoutTest::backgroundIsBlendedTowardsWhite()
{
    const struct {
        QColor colour;
        QColor tint;
    } cases[] = {
        {Qt::white, Qt::white},
        {Qt::black, QColor(191, 191, 191)},
        {QColor(0, 0, 255), QColor(191, 191, 255)},
        {QColor(200, 100, 40), QColor(241, 216, 201)},
    };
    std::unique_ptr<BKDetailsView> view(pane());
    for (const auto& c : cases) {
        const QColor tint = BKDetailsView::tintColor(c.colour);
        QVERIFY2(std::abs(tint.red() - c.tint.red()) <= 1 && std::abs(tint.green() - c.tint.green()) <= 1 &&
                     std::abs(tint.blue() - c.tint.blue()) <= 1,
                 qPrintable(tint.name()));
        view->setBackgroundColor(c.colour);
        QCOMPARE(view->backgroundColor(), c.colour);
        // The pane and the rows behind the table share the tint.
        const QImage shot = view->grab().toImage();
        QCOMPARE(shot.pixel(4, view->height() / 2), tint.rgb());
        QCOMPARE(view->infoViewScroller()->viewport()->palette().color(QPalette::Window).rgb(), tint.rgb());
    }
}

// Pressed, the image fills the button; released outside, nothing is copied.
void DetailsPaneLayoutTest::copyButtonPressAndReleaseOutside()
{
    std::unique_ptr<BKDetailsView> view(pane());
    view->setDetailInfo(recordWith(typeWithMask(0), {{2, "value"}}));
    BKImageView* button = view->infoView()->button(1);
    QCOMPARE(button->title(), QStringLiteral("value"));
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    QVERIFY(!button->isScaledToFit());
    QTest::mousePress(button, Qt::LeftButton);
    QVERIFY(button->isScaledToFit());
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(-5, -5));
    QVERIFY(!button->isScaledToFit());
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("value"));
}

QTEST_MAIN(DetailsPaneLayoutTest)
#include "DetailsPaneLayoutTest.moc"

// Labels show whole (the label column widens for them), a card number wraps between its groups,
// and every row is as high as the lines drawn in its rectangle: no blank line under a value that
// nearly fills it, whatever the pane's width.
void DetailsPaneLayoutTest::labelsShowWholeAndValuesWrapAtWords()
{
    auto type = typeWithMask(0);
    type->setLabel(2, QStringLiteral("Cardholder Name"));
    type->setLabel(3, QStringLiteral("Bank Name"));
    type->setLabel(4, QStringLiteral("Card Number"));
    const QString number = QStringLiteral("4111 1111 1111 1111 2222 3333 4444");
    auto record = recordWith(type, {{1, "Card"}, {2, "A. Sample"}, {3, "Example Bank"}, {4, number}});
    for (int width = 240; width <= 640; width += 7) {
        std::unique_ptr<BKDetailsView> view(pane(width, 420));
        view->setDetailInfo(record);
        BKTextTable* table = view->infoView();
        const QFontMetrics labels(table->attributes());
        const QString where = QStringLiteral("width %1").arg(width);
        if (width >= 400) {
            for (int row : {1, 2, 3})
                QVERIFY2(labels.horizontalAdvance(table->key(row)) <= table->labelRect(row).width(),
                         qPrintable(where + ": " + table->key(row)));
        }
        for (int row : {1, 2, 3}) {
            // The lines as drawn: breaks only between groups, never inside one.
            QTextLayout layout(table->value(row), table->noteAttributes());
            QTextOption option;
            option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            layout.setTextOption(option);
            layout.beginLayout();
            qreal height = 0;
            int lines = 0;
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(table->valueRect(row).width());
                const QString text = table->value(row).mid(line.textStart(), line.textLength()).trimmed();
                if (row == 3)
                    QVERIFY2(text.split(QLatin1Char(' ')).filter(QRegularExpression("^\\d{4}$")).size() ==
                                 text.split(QLatin1Char(' ')).size(),
                             qPrintable(where + ": " + text));
                height += line.height();
                ++lines;
            }
            layout.endLayout();
            const int expected = std::max(20, int(std::ceil(height + (lines - 1) * QFontMetricsF(table->noteAttributes()).leading())));
            QVERIFY2(std::abs(table->rowHeight(row) - expected) <= 1,
                     qPrintable(where + QStringLiteral(" row %1: %2, drawn %3").arg(row).arg(table->rowHeight(row)).arg(expected)));
        }
    }
}
