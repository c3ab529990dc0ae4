// The list print's layout and the paginated print on PDF, read back with poppler's tools.
#include "Controller/BKPrintJob.h"
#include "Customization/BKListPrintView.h"
#include "PrintedListCheck.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QPageLayout>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStyleOptionGraphicsItem>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <climits>
#include <cmath>
#include <memory>

namespace {

const QString kUser = QStringLiteral("tester");
const QString kFooter = QStringLiteral("Ostrevin Darovazivu Print Report for: tester");

QFont listFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(11);
    return font;
}

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

int pdfPages(const QString& pdf)
{
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(run(QStringLiteral("pdfinfo"), {pdf}));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// The text of each page.
QStringList pdfPageTexts(const QString& pdf)
{
    QStringList pages = run(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), pdf, QStringLiteral("-")})
                            .split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

struct WordBox {
    QString text;
    QRectF box;
};

QList<WordBox> pdfWords(const QString& pdf, int page)
{
    const QString html = run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-f"),
                                                          QString::number(page), QStringLiteral("-l"),
                                                          QString::number(page), pdf, QStringLiteral("-")});
    QList<WordBox> words;
    const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        words.append({m.captured(5), QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                            QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()))});
    }
    return words;
}

// A4 with half-inch margins: a printable area of 523 x 770 points.
QPageLayout a4()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(36, 36, 36, 36), QPageLayout::Point);
}
constexpr int kPdfResolution = 1200;

void setA4(QPdfWriter& writer)
{
    writer.setResolution(kPdfResolution);
    writer.setPageLayout(a4());
}

// A list of `rows` rows of two columns ("row N" and "vN"), laid out for print.
std::unique_ptr<BKPrintJob> listJob(int rows, int screenWidth = 100, const QString& wideValue = {})
{
    BKPrintColumn first{QStringLiteral("3"), screenWidth, {}};
    BKPrintColumn second{QStringLiteral("4"), 100, {}};
    for (int row = 0; row < rows; ++row) {
        first.values.append(row == 0 && !wideValue.isEmpty() ? wideValue : QStringLiteral("row %1").arg(row));
        second.values.append(QStringLiteral("v%1").arg(row));
    }
    return BKPrintJob::listJob({first, second}, rows, listFont(), kUser);
}

// Prints such a list on PDF; the number of pages printed.
int printList(const QString& pdf, int rows, int screenWidth = 100, const QString& wideValue = {})
{
    QPdfWriter writer(pdf);
    setA4(writer);
    return listJob(rows, screenWidth, wideValue)->printOn(writer);
}

// How often each "row N" of the list occurs in `text`.
QMap<int, int> rowCounts(const QString& text)
{
    QMap<int, int> counts;
    static const QRegularExpression row(QStringLiteral("\\brow (\\d+)\\b"));
    for (auto it = row.globalMatch(text); it.hasNext();)
        ++counts[it.next().captured(1).toInt()];
    return counts;
}

// The page height in the units the list is laid out in (the recording's).
qreal pageHeightInListUnits()
{
    // The printable height in whole device pixels, as the page's paint rectangle gives it.
    return a4().paintRectPixels(kPdfResolution).height() * QPicture().logicalDpiY() / qreal(kPdfResolution);
}

// A paint device that keeps the text drawn on it, one line per text item.
class TextRecorder : public QPaintDevice {
public:
    QString text() const { return engine_.text; }
    QPaintEngine* paintEngine() const override { return &engine_; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
        case PdmHeight:
            return 10000;
        case PdmWidthMM:
        case PdmHeightMM:
            return 2646;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return INT_MAX;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return 1;
        }
    }

private:
    class Engine : public QPaintEngine {
    public:
        Engine() : QPaintEngine(QPaintEngine::AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawPath(const QPainterPath&) override {}
        void drawTextItem(const QPointF&, const QTextItem& item) override { text += item.text() + QLatin1Char('\n'); }
        Type type() const override { return QPaintEngine::User; }
        QString text;
    };
    mutable Engine engine_;
};

} // namespace

class PrintJobTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void theLayoutSizesColumnsAndRowsByTheirValues_data()
    {
        QTest::addColumn<QString>("identifier");
        QTest::addColumn<int>("screenWidth");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("expectedWidth");   // -1: the single-line width + 5
        QTest::addColumn<int>("wrap");            // 0: one line
        const QString longText = QString(60, QLatin1Char('x'));
        QTest::newRow("short value") << "3" << 300 << "short" << -1 << 0;
        QTest::newRow("long note wraps at 200") << "13" << 50 << longText << 200 << 200;
        QTest::newRow("long field 10 wraps at 130") << "12" << 50 << longText << 130 << 130;
        QTest::newRow("long field wraps at its screen width") << "5" << 70 << longText << 70 << 70;
        QTest::newRow("empty value") << "3" << 100 << "" << 0 << 0;
        QTest::newRow("lines of a narrow note") << "13" << 300 << "a\nb\nc" << -1 << 0;
    }
    void theLayoutSizesColumnsAndRowsByTheirValues()
    {
        QFETCH(QString, identifier);
        QFETCH(int, screenWidth);
        QFETCH(QString, value);
        QFETCH(int, expectedWidth);
        QFETCH(int, wrap);
        QPicture device;
        BKListPrintView list(listFont(), &device);
        list.setStrings({{identifier, screenWidth, {value, QString()}}}, 2);
        const QFontMetricsF metrics(listFont(), &device);
        const int expectedLines = wrap > 0 ? int(std::ceil(metrics.horizontalAdvance(value) / wrap))
                                           : std::max<int>(1, value.count(QLatin1Char('\n')) + 1);
        const int width = expectedWidth >= 0 ? expectedWidth : int(metrics.size(0, value).width() + 5);
        QCOMPARE(list.columnWidths(), QList<int>{width});
        const int line = int(metrics.height());
        QVERIFY2(list.rowHeights()[0] >= expectedLines * line - 1, qPrintable(QString::number(list.rowHeights()[0])));
        QVERIFY(list.rowHeights()[0] < (expectedLines + 2) * line);
        QCOMPARE(list.rowHeights()[1], line);
        // A column of zero width takes no gap.
        QCOMPARE(list.size().width(), width > 0 ? width + 6 : 0);
    }

    void aVeryLongNoteIsPrintedWhole()
    {
        QPicture device;
        BKListPrintView list(listFont(), &device);
        list.setStrings({{QStringLiteral("13"), 50, {QString(4000, QLatin1Char('w'))}}}, 1);
        // Far over the old limit of 1000 units: every line of the note is there.
        const qreal lines = std::ceil(4000 * QFontMetricsF(listFont(), &device).horizontalAdvance(QLatin1Char('w')) / 200);
        QVERIFY(list.rowHeights()[0] > 1000);
        QVERIFY(list.rowHeights()[0] >= int(lines * QFontMetricsF(listFont(), &device).lineSpacing()) - 2);
    }

    void thePrintedColumnsLeaveOutTheIconAndALastAttachment_data()
    {
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("printed");
        QTest::newRow("attachment last") << QStringList{"0", "3", "4", "14"} << QStringList{"3", "4"};
        QTest::newRow("attachment inside") << QStringList{"0", "14", "3"} << QStringList{"14", "3"};
        QTest::newRow("reordered") << QStringList{"0", "13", "1", "3"} << QStringList{"13", "1", "3"};
        QTest::newRow("icon only") << QStringList{"0"} << QStringList{};
    }
    void thePrintedColumnsLeaveOutTheIconAndALastAttachment()
    {
        QFETCH(QStringList, shown);
        QFETCH(QStringList, printed);
        QCOMPARE(BKListPrintView::printedColumnIdentifiers(shown), printed);
    }

    void paginationScalesDownButNeverUp_data()
    {
        QTest::addColumn<QSizeF>("content");
        QTest::addColumn<qreal>("scale");
        QTest::addColumn<int>("pages");
        const QSizeF page(500, 700);
        QTest::newRow("empty") << QSizeF(0, 0) << 1.0 << 1;
        QTest::newRow("short and narrow") << QSizeF(100, 300) << 1.0 << 1;
        QTest::newRow("exactly one page") << QSizeF(500, 700) << 1.0 << 1;
        QTest::newRow("two and a half pages") << QSizeF(400, 1750) << 1.0 << 3;
        QTest::newRow("twice too wide") << QSizeF(1000, 2800) << 0.5 << 2;
    }
    void paginationScalesDownButNeverUp()
    {
        QFETCH(QSizeF, content);
        QFETCH(qreal, scale);
        QFETCH(int, pages);
        const BKPrintJob::Pagination pagination = BKPrintJob::paginate(content, QSizeF(500, 700));
        QCOMPARE(pagination.scale, scale);
        QCOMPARE(pagination.pages, pages);
    }

    void listsPrintOnTheirPagesEachWithTheFooter_data()
    {
        QTest::addColumn<int>("rows");
        QTest::newRow("empty") << 0;
        QTest::newRow("one") << 1;
        QTest::newRow("a page and a half") << -1;
        QTest::newRow("2000 records") << 2000;
    }
    void listsPrintOnTheirPagesEachWithTheFooter()
    {
        QFETCH(int, rows);
        QPicture device;
        const int line = int(QFontMetricsF(listFont(), &device).height());
        if (rows < 0)
            rows = int(std::ceil(1.5 * pageHeightInListUnits() / line));
        // Pages break between rows: each page holds as many whole rows as fit.
        const int rowsPerPage = int(pageHeightInListUnits() / line);
        const int expected = std::max(1, (rows + rowsPerPage - 1) / rowsPerPage);
        const QString pdf = dir_.filePath(QStringLiteral("list-%1.pdf").arg(rows));
        QCOMPARE(printList(pdf, rows), expected);
        QCOMPARE(pdfPages(pdf), expected);
        const QStringList pages = pdfPageTexts(pdf);
        QCOMPARE(pages.size(), expected);
        for (const QString& page : pages)
            QVERIFY2(page.count(kFooter) == 1, qPrintable(page.right(300)));
        // Each row once, on its page and on no other.
        QSet<int> printed;
        for (int page = 0; page < pages.size(); ++page) {
            const QMap<int, int> counts = rowCounts(pages[page]);
            const auto where = [&](int row) { return QStringLiteral("row %1 on page %2").arg(row).arg(page + 1); };
            for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
                QVERIFY2(it.key() / rowsPerPage == page, qPrintable(where(it.key())));
                QCOMPARE(it.value(), 1);
                printed.insert(it.key());
            }
        }
        QCOMPARE(printed.size(), rows);
    }

    // Rows of one, three and more lines (a long note wraps), in both orientations: read back as
    // laid out, every row once and whole on one page, the notes' words whole, the footer clear.
    void rowsAreWholeOnOnePageAndWordsWhole_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<int>("rows");
        QTest::newRow("portrait") << int(QPageLayout::Portrait) << 1000;
        QTest::newRow("landscape") << int(QPageLayout::Landscape) << 1000;
    }
    void rowsAreWholeOnOnePageAndWordsWhole()
    {
        QFETCH(int, orientation);
        QFETCH(int, rows);
        BKPrintColumn entries{QStringLiteral("1"), 90, {}};
        BKPrintColumn groups{QStringLiteral("2"), 90, {}};
        BKPrintColumn notes{QStringLiteral("13"), 150, {}};
        for (int row = 0; row < rows; ++row) {
            entries.values.append(PrintedListCheck::entry(row));
            groups.values.append(QStringLiteral("Group %1").arg(row % 40));
            notes.values.append(PrintedListCheck::note(row));
        }
        const QString pdf = dir_.filePath(QStringLiteral("rows-%1.pdf").arg(orientation));
        QPdfWriter writer(pdf);
        setA4(writer);
        writer.setPageOrientation(QPageLayout::Orientation(orientation));
        const int printed = BKPrintJob::listJob({entries, groups, notes}, rows, listFont(), kUser)->printOn(writer);
        const QStringList pages = PrintedListCheck::layoutPages(pdf);
        QCOMPARE(pages.size(), printed);
        QVERIFY(printed > 1);
        const QString fault = PrintedListCheck::fault(pages, rows, kFooter);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }

    // A row taller than a page is split between its lines: each line once, none over the footer;
    // a word longer than its column is cut, and nothing of it is lost.
    void aRowTallerThanAPageIsSplitBetweenItsLines()
    {
        QStringList words;
        for (int word = 0; word < 400; ++word)
            words.append(QStringLiteral("w%1").arg(word, 3, 10, QLatin1Char('0')));
        const QString longWord(60, QLatin1Char('q'));
        words.insert(200, longWord);
        const QStringList entries{QStringLiteral("before"), QStringLiteral("tall"), QStringLiteral("after")};
        const QStringList notes{QStringLiteral("opening"), words.join(QLatin1Char(' ')), QStringLiteral("closing")};
        const QString pdf = dir_.filePath(QStringLiteral("tall.pdf"));
        QPdfWriter writer(pdf);
        setA4(writer);
        const int printed =
            BKPrintJob::listJob({{QStringLiteral("1"), 90, entries}, {QStringLiteral("13"), 150, notes}}, 3,
                                listFont(), kUser)
                ->printOn(writer);
        QVERIFY(printed >= 2);
        const QStringList pages = PrintedListCheck::layoutPages(pdf);
        QCOMPARE(pages.size(), printed);
        QMap<QString, int> tokens;
        QString qs;
        for (const QString& page : pages) {
            QStringList lines = page.split(QLatin1Char('\n'));
            while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
                lines.removeLast();
            QVERIFY(!lines.isEmpty());
            QCOMPARE(lines.last().trimmed(), kFooter);
            for (const QString& token : page.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
                ++tokens[token];
                if (token.startsWith(QLatin1Char('q')))
                    qs += token;
            }
        }
        for (const QString& word : words) {
            if (word != longWord)
                QVERIFY2(tokens.value(word) == 1, qPrintable(word + QStringLiteral(" ") + QString::number(tokens.value(word))));
        }
        QVERIFY2(!tokens.contains(longWord), "the long word is cut at its column's width");
        QCOMPARE(qs, longWord);
        for (const char* value : {"before", "opening", "tall", "after", "closing"})
            QVERIFY2(tokens.value(QLatin1String(value)) == 1, value);
    }

    void thePdfGrowsWithItsPagesNotTheirSquare()
    {
        QPicture device;
        const int rowsPerPage = int(pageHeightInListUnits() / int(QFontMetricsF(listFont(), &device).height()));
        const auto bytesPerPage = [&](int pages) {
            const QString pdf = dir_.filePath(QStringLiteral("size-%1.pdf").arg(pages));
            const int printed = printList(pdf, pages * rowsPerPage);
            return printed == pages ? qreal(QFileInfo(pdf).size()) / pages : -1.0;
        };
        const qreal few = bytesPerPage(4);
        const qreal many = bytesPerPage(16);
        QVERIFY(few > 0 && many > 0);
        // Four times the rows on four times the pages: each page about as large as before.
        QVERIFY2(many < 1.25 * few, qPrintable(QStringLiteral("%1 / %2 bytes per page").arg(many).arg(few)));
    }

    void thePreviewDrawsEachRowOnce()
    {
        QPicture device;
        const int line = int(QFontMetricsF(listFont(), &device).height());
        const int rows = int(std::ceil(3.5 * pageHeightInListUnits() / line));
        const std::unique_ptr<BKPrintJob> job = listJob(rows);
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageLayout(a4());
        int previewPages = -1;
        TextRecorder drawn;
        // Once shown, every page of the preview is painted as on screen, then the preview is closed.
        QTimer::singleShot(0, [&] {
            QPrintPreviewDialog* dialog = nullptr;
            for (QWidget* widget : QApplication::topLevelWidgets())
                dialog = dialog ? dialog : qobject_cast<QPrintPreviewDialog*>(widget);
            if (!dialog)
                return;
            const QPrintPreviewWidget* preview = dialog->findChild<QPrintPreviewWidget*>();
            const QGraphicsView* view = dialog->findChild<QGraphicsView*>();
            if (preview && view) {
                previewPages = preview->pageCount();
                QPainter painter(&drawn);
                for (QGraphicsItem* page : view->scene()->items()) {
                    QStyleOptionGraphicsItem option;
                    option.exposedRect = page->boundingRect();
                    painter.save();
                    page->paint(&painter, &option, nullptr);
                    painter.restore();
                }
            }
            dialog->reject();
        });
        QVERIFY(!job->run(printer, nullptr, BKPrintJob::previewDialogRunner()));
        QCOMPARE(previewPages, 4);
        const QMap<int, int> counts = rowCounts(drawn.text());
        QCOMPARE(counts.size(), rows);
        for (int count : counts)
            QCOMPARE(count, 1);
        QCOMPARE(drawn.text().count(kFooter), previewPages);
    }

    void theFooterIsCentredInTheBottomMargin()
    {
        const QString pdf = dir_.filePath(QStringLiteral("footer.pdf"));
        QCOMPARE(printList(pdf, 3), 1);
        const QList<WordBox> words = pdfWords(pdf, 1);
        QRectF footer;
        for (const WordBox& word : words) {
            if (word.box.top() > 806 - 1)   // below the printable area (842 - 36)
                footer = footer.isNull() ? word.box : footer.united(word.box);
        }
        QVERIFY(!footer.isNull());
        QVERIFY(footer.bottom() <= 842);
        QVERIFY2(std::abs(footer.center().x() - 595.0 / 2) < 2, qPrintable(QString::number(footer.center().x())));
        // The list starts at the top of the printable area.
        for (const WordBox& word : words) {
            if (word.text == QStringLiteral("row")) {
                QVERIFY2(word.box.top() >= 35 && word.box.top() < 60, qPrintable(QString::number(word.box.top())));
                break;
            }
        }
    }

    void wideContentIsScaledDownToThePageWidth()
    {
        const QString narrowPdf = dir_.filePath(QStringLiteral("narrow.pdf"));
        const QString widePdf = dir_.filePath(QStringLiteral("wide.pdf"));
        QPicture device;
        const QFontMetricsF metrics(listFont(), &device);
        // A first value as wide as two pages: the list is scaled to about half.
        QString wide;
        const qreal pageWidth = 523.0 * device.logicalDpiX() / 72.0;
        while (metrics.horizontalAdvance(wide) < 2 * pageWidth)
            wide += QStringLiteral("m");
        const int rows = int(std::ceil(3.5 * pageHeightInListUnits() / int(metrics.height())));
        QCOMPARE(printList(narrowPdf, rows), 4);
        QCOMPARE(printList(widePdf, rows, 100000, wide), 2);
        const auto heightOf = [](const QString& pdf) {
            for (const WordBox& word : pdfWords(pdf, 1)) {
                if (word.text == QStringLiteral("v1"))
                    return word.box.height();
            }
            return 0.0;
        };
        const qreal ratio = heightOf(widePdf) / heightOf(narrowPdf);
        QVERIFY2(ratio > 0.4 && ratio < 0.6, qPrintable(QString::number(ratio)));
    }

private:
    QTemporaryDir dir_;
};

QTEST_MAIN(PrintJobTest)
#include "PrintJobTest.moc"
