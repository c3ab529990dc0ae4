// The list print's layout and the paginated print on PDF, read back with poppler's tools.
#include "Controller/BKPrintJob.h"
#include "Customization/BKListPrintView.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

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
void setA4(QPdfWriter& writer)
{
    writer.setResolution(1200);
    writer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(36, 36, 36, 36), QPageLayout::Point));
}

// Prints a list of `rows` rows of two columns on PDF; the number of pages printed.
int printList(const QString& pdf, int rows, int screenWidth = 100, const QString& wideValue = {})
{
    BKPrintJob job(kUser);
    BKListPrintView list(listFont(), &job.picture());
    BKPrintColumn first{QStringLiteral("3"), screenWidth, {}};
    BKPrintColumn second{QStringLiteral("4"), 100, {}};
    for (int row = 0; row < rows; ++row) {
        first.values.append(row == 0 && !wideValue.isEmpty() ? wideValue : QStringLiteral("row %1").arg(row));
        second.values.append(QStringLiteral("v%1").arg(row));
    }
    list.setStrings({first, second}, rows);
    QPainter painter(&job.picture());
    list.draw(painter);
    painter.end();
    job.setContentSize(list.size());
    QPdfWriter writer(pdf);
    setA4(writer);
    return job.printOn(writer);
}

// The page height in the units the list is laid out in (the recording's).
qreal pageHeightInListUnits()
{
    return 770.0 * QPicture().logicalDpiY() / 72.0;
}

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
        const int expected = std::max(1, int(std::ceil(rows * line / pageHeightInListUnits())));
        const QString pdf = dir_.filePath(QStringLiteral("list-%1.pdf").arg(rows));
        QCOMPARE(printList(pdf, rows), expected);
        QCOMPARE(pdfPages(pdf), expected);
        const QStringList pages = pdfPageTexts(pdf);
        QCOMPARE(pages.size(), expected);
        for (const QString& page : pages)
            QVERIFY2(page.count(kFooter) == 1, qPrintable(page.right(300)));
        if (rows > 0) {
            QVERIFY(pages.first().contains(QStringLiteral("row 0")));
            QVERIFY(pages.last().contains(QStringLiteral("row %1").arg(rows - 1)));
        }
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
