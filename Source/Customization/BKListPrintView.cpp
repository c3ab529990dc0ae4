#include "BKListPrintView.h"

#include "BKTextLines.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace {

const QString kNotesColumn = QStringLiteral("13");
const QString kDateColumn = QStringLiteral("12");
const QString kAttachmentColumn = QStringLiteral("14");

// Positions computed in floating point may differ by rounding from the same sum made elsewhere.
constexpr qreal kSlack = 0.01;

QFontMetricsF metricsOn(const QFont& font, QPaintDevice* device)
{
    return device ? QFontMetricsF(font, device) : QFontMetricsF(font);
}

bool hasLineBreak(const QString& value)
{
    return value.contains(QLatin1Char('\n'));
}

} // namespace

BKListPrintView::BKListPrintView(const QFont& font, QPaintDevice* device) : mFont_(font), mDevice_(device)
{
}

QStringList BKListPrintView::printedColumnIdentifiers(const QStringList& shownIdentifiers)
{
    QStringList printed = shownIdentifiers.mid(1);
    if (!printed.isEmpty() && printed.last() == kAttachmentColumn)
        printed.removeLast();
    return printed;
}

void BKListPrintView::setStrings(const QList<BKPrintColumn>& columns, int rowCount)
{
    const QFontMetricsF metrics = metricsOn(mFont_, mDevice_);
    const int lineHeight = int(metrics.height());
    mStringArray_.clear();
    mInLines_.clear();
    mColumnWidths_.clear();
    mRowHeights_ = QList<int>(std::max(0, rowCount), 0);
    for (const BKPrintColumn& column : columns) {
        QStringList values = column.values.mid(0, rowCount);
        while (values.size() < rowCount)
            values.append(QString());
        QBitArray inLines(std::max(0, rowCount));
        int width = 0;
        for (int row = 0; row < rowCount; ++row) {
            const QString& value = values[row];
            int height = mRowHeights_[row];
            if (!value.isEmpty()) {
                const QSizeF single = metrics.size(0, value);
                int candidate = 0;
                qreal lineWidth = 0;
                if (single.width() > column.screenWidth) {
                    const int wrap = column.identifier == kNotesColumn  ? kNotesWrapWidth
                                     : column.identifier == kDateColumn ? kDateWrapWidth
                                                                        : column.screenWidth;
                    candidate = wrap;
                    lineWidth = wrap;
                } else {
                    candidate = int(single.width() + 5);
                    lineWidth = hasLineBreak(value) ? candidate : 0;
                }
                if (lineWidth > 0) {
                    // Measured as drawn, in lines no wider than the column will be (no height
                    // limit: a long note is printed whole).
                    QTextLayout layout(BKWithLineSeparators(value), mFont_, mDevice_);
                    height = std::max(height, int(BKLayOutLines(layout, lineWidth, mDevice_)));
                    inLines.setBit(row);
                } else {
                    height = std::max(height, int(single.height()));
                }
                width = std::max(width, candidate);
            }
            if (height == 0)
                height = lineHeight;
            mRowHeights_[row] = std::max(mRowHeights_[row], height);
        }
        mStringArray_.append(values);
        mInLines_.append(inLines);
        mColumnWidths_.append(width);
    }
    mRowTops_ = {0};
    for (int rowHeight : mRowHeights_)
        mRowTops_.append(mRowTops_.last() + rowHeight);
}

QSizeF BKListPrintView::size() const
{
    qreal width = 0;
    for (int columnWidth : mColumnWidths_) {
        if (columnWidth > 0)
            width += columnWidth + kColumnGap;
    }
    const qreal height = mRowTops_.isEmpty() ? 0 : mRowTops_.last();
    return QSizeF(std::max(width, mPaperSize_.width()), std::max(height, mPaperSize_.height()));
}

void BKListPrintView::layOutCell(QTextLayout& layout, int column, int row) const
{
    layout.setText(BKWithLineSeparators(mStringArray_[column][row]));
    BKLayOutLines(layout, mColumnWidths_[column], mDevice_);
}

qreal BKListPrintView::lineBreakInRow(int row, qreal pageTop, qreal limit) const
{
    const qreal rowTop = mRowTops_[row];
    const qreal lineHeight = metricsOn(mFont_, mDevice_).height();
    // Each cell's lines, from the row's top.
    QList<std::pair<qreal, qreal>> lines;
    for (int column = 0; column < mStringArray_.size(); ++column) {
        if (mColumnWidths_[column] <= 0 || mStringArray_[column][row].isEmpty())
            continue;
        if (!mInLines_[column].testBit(row)) {
            lines.append({0, lineHeight});
            continue;
        }
        QTextLayout layout(QString(), mFont_, mDevice_);
        layOutCell(layout, column, row);
        for (int index = 0; index < layout.lineCount(); ++index) {
            const QTextLine line = layout.lineAt(index);
            lines.append({line.y(), line.y() + line.height()});
        }
    }
    // Up to the top of every line the break would cut, until it cuts none.
    qreal at = limit - rowTop;
    for (bool moved = true; moved;) {
        moved = false;
        for (const auto& [top, bottom] : lines) {
            if (top < at - kSlack && bottom > at + kSlack) {
                at = top;
                moved = true;
            }
        }
    }
    return rowTop + at > pageTop + kSlack ? rowTop + at : limit;
}

QList<qreal> BKListPrintView::pageBreaks(qreal pageHeight) const
{
    const qreal end = mRowTops_.isEmpty() ? 0 : mRowTops_.last();
    QList<qreal> breaks{0};
    if (pageHeight <= 0) {
        breaks.append(end);
        return breaks;
    }
    do {
        const qreal top = breaks.last();
        const qreal limit = top + pageHeight;
        if (limit >= end - kSlack) {
            breaks.append(std::max(end, top));
            break;
        }
        // The row the page's bottom falls in: the page ends before it, or inside it when the
        // row begins the page and is taller than a page.
        const auto tops = mRowTops_.cbegin();
        const int row = int(std::upper_bound(tops, mRowTops_.cend() - 1, limit + kSlack) - tops) - 1;
        const qreal rowTop = mRowTops_[row];
        breaks.append(rowTop > top + kSlack ? rowTop : lineBreakInRow(row, top, limit));
    } while (true);
    return breaks;
}

void BKListPrintView::draw(QPainter& painter, const QRectF& area) const
{
    const int rowCount = int(mRowHeights_.size());
    int first = 0;
    int end = rowCount;
    const bool everything = area.isNull();
    if (!everything && rowCount > 0) {
        // From the row the area begins in to the last one beginning above its bottom.
        const auto tops = mRowTops_.cbegin();
        first = std::max(0, int(std::upper_bound(tops, tops + rowCount, area.top() + kSlack) - tops) - 1);
        end = int(std::lower_bound(tops, tops + rowCount, area.bottom() - kSlack) - tops);
    }
    // A line belongs to the page its top is on: page breaks never cut one.
    const auto onThisPage = [&](qreal top) {
        return everything || (top >= area.top() - kSlack && top < area.bottom() - kSlack);
    };
    const qreal ascent = metricsOn(mFont_, mDevice_).ascent();
    QTextLayout layout(QString(), mFont_, mDevice_);
    painter.save();
    painter.setFont(mFont_);
    painter.setPen(Qt::black);
    qreal x = kLeftInset;
    for (int column = 0; column < mStringArray_.size(); ++column) {
        const int width = mColumnWidths_[column];
        for (int row = first; row < end && width > 0; ++row) {
            const QString& value = mStringArray_[column][row];
            const qreal top = mRowTops_[row];
            if (value.isEmpty())
                continue;
            if (!mInLines_[column].testBit(row)) {
                if (onThisPage(top))
                    painter.drawText(QPointF(x, top + ascent), value);
                continue;
            }
            layOutCell(layout, column, row);
            for (int index = 0; index < layout.lineCount(); ++index) {
                const QTextLine line = layout.lineAt(index);
                if (onThisPage(top + line.y()))
                    line.draw(&painter, QPointF(x, top));
            }
        }
        if (width > 0)
            x += width + kColumnGap;
    }
    painter.restore();
}
