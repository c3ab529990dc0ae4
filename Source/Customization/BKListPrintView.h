#pragma once

#include <QBitArray>
#include <QFont>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

class QPaintDevice;
class QPainter;
class QTextLayout;

// One printed column of the record list: its identifier ("1" .. "14"), its width on screen and
// its printed values, one per row.
struct BKPrintColumn {
    QString identifier;
    int screenWidth = 0;
    QStringList values;
};

// The record list laid out for print, without titles: each column as wide as its widest value
// (a value too wide for its screen column wraps, notes at 200, field 10 at 130, others at the
// screen width; between words, inside a word only when it is longer than a line), each row as
// tall as its tallest value. Measured and drawn on one paint device, in its units. Pages break
// between rows, so that each row is printed once and whole; only a row taller than a page is
// split, between its lines.
class BKListPrintView {
public:
    static constexpr int kNotesWrapWidth = 200;
    static constexpr int kDateWrapWidth = 130;
    static constexpr int kColumnGap = 6;
    static constexpr int kLeftInset = 3;

    // `device` is where the list will be drawn (nullptr: the screen's metrics).
    explicit BKListPrintView(const QFont& font, QPaintDevice* device = nullptr);

    // The printed columns of a list shown with these column identifiers, in their order: all but
    // the first (the icon column), and not the attachment column "14" when it is last.
    static QStringList printedColumnIdentifiers(const QStringList& shownIdentifiers);

    void setStrings(const QList<BKPrintColumn>& columns, int rowCount);
    // The smallest size the layout takes (none by default).
    void setPaperSize(const QSizeF& size) { mPaperSize_ = size; }

    const QList<int>& columnWidths() const { return mColumnWidths_; }
    const QList<int>& rowHeights() const { return mRowHeights_; }
    QSizeF size() const;
    // Where the pages of `pageHeight` begin, and the end of the last: at least one page.
    QList<qreal> pageBreaks(qreal pageHeight) const;
    // Draws the lines that begin within the vertical span of `area`, one page of pageBreaks()
    // (everything when it is null), so that a page of a long list costs its own rows only.
    void draw(QPainter& painter, const QRectF& area = QRectF()) const;

private:
    // The cell's value in its lines, as wide as its column; `layout` was made with the list's
    // font on its device, which setText() keeps.
    void layOutCell(QTextLayout& layout, int column, int row) const;
    // The lowest point at most `limit` of the row where no line of its cells is cut; `limit`
    // itself when even one line is taller than the space from `pageTop`.
    qreal lineBreakInRow(int row, qreal pageTop, qreal limit) const;

    QFont mFont_;
    QPaintDevice* mDevice_;
    QList<QStringList> mStringArray_;
    QList<QBitArray> mInLines_;   // per column: the values laid out in lines (wrapped or several)
    QList<int> mColumnWidths_;
    QList<int> mRowHeights_;
    QList<qreal> mRowTops_;   // each row's top, and the bottom of the last
    QSizeF mPaperSize_;
};
