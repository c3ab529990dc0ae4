#include "BKListPrintView.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <limits>

namespace {

const QString kNotesColumn = QStringLiteral("13");
const QString kDateColumn = QStringLiteral("12");
const QString kAttachmentColumn = QStringLiteral("14");

constexpr int kWrapFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere;

QFontMetricsF metricsOn(const QFont& font, QPaintDevice* device)
{
    return device ? QFontMetricsF(font, device) : QFontMetricsF(font);
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
    mColumnWidths_.clear();
    mRowHeights_ = QList<int>(std::max(0, rowCount), 0);
    for (const BKPrintColumn& column : columns) {
        QStringList values = column.values.mid(0, rowCount);
        while (values.size() < rowCount)
            values.append(QString());
        int width = 0;
        for (int row = 0; row < rowCount; ++row) {
            const QString& value = values[row];
            int height = mRowHeights_[row];
            if (!value.isEmpty()) {
                const QSizeF single = metrics.size(0, value);
                int candidate = 0;
                if (single.width() > column.screenWidth) {
                    const int wrap = column.identifier == kNotesColumn  ? kNotesWrapWidth
                                     : column.identifier == kDateColumn ? kDateWrapWidth
                                                                        : column.screenWidth;
                    // No height limit: a long note is printed whole.
                    const QRectF bounds = metrics.boundingRect(
                        QRectF(0, 0, wrap, std::numeric_limits<int>::max() / 4), kWrapFlags, value);
                    height = int(bounds.height());
                    candidate = wrap;
                } else {
                    // A value of several lines keeps them all.
                    height = std::max(height, int(single.height()));
                    candidate = int(single.width() + 5);
                }
                width = std::max(width, candidate);
            }
            if (height == 0)
                height = lineHeight;
            mRowHeights_[row] = std::max(mRowHeights_[row], height);
        }
        mStringArray_.append(values);
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

void BKListPrintView::draw(QPainter& painter, const QRectF& area) const
{
    const int rowCount = int(mRowHeights_.size());
    int first = 0;
    int end = rowCount;
    if (!area.isNull() && rowCount > 0) {
        // From the last row starting at or above the area's top to the last one starting above its
        // bottom: a row cut by the page's edge is drawn on both pages.
        const auto tops = mRowTops_.cbegin();
        first = std::max(0, int(std::upper_bound(tops, tops + rowCount, area.top()) - tops) - 1);
        end = int(std::lower_bound(tops, tops + rowCount, area.bottom()) - tops);
        if (mRowTops_[first + 1] <= area.top())
            return;   // the area lies below the last row
    }
    painter.save();
    painter.setFont(mFont_);
    painter.setPen(Qt::black);
    qreal x = kLeftInset;
    for (int column = 0; column < mStringArray_.size(); ++column) {
        const int width = mColumnWidths_[column];
        for (int row = first; row < end && width > 0; ++row) {
            const QRectF cell(x, mRowTops_[row], width, mRowHeights_[row]);
            const QString& value = mStringArray_[column][row];
            if (!value.isEmpty()) {
                painter.save();
                painter.setClipRect(cell);
                painter.drawText(cell, kWrapFlags, value);
                painter.restore();
            }
        }
        if (width > 0)
            x += width + kColumnGap;
    }
    painter.restore();
}
