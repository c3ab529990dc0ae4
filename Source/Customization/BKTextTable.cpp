#include "BKTextTable.h"

#include "BKImageView.h"
#include "BKTextLines.h"

#include "Platform/BKLocalization.h"
#include "Platform/BKUrlOpener.h"

#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kButtonSide = 20;

std::function<void(const QUrl&)>& urlOpener()
{
    static std::function<void(const QUrl&)> opener = &BKOpenWebAddress;
    return opener;
}

bool validRow(int row)
{
    return row >= 0 && row < BKTextTable::kRowCount;
}

QString notesLabel()
{
    return QStringLiteral("%1:").arg(BKLocalizedString("Notes"));
}

qreal wrappedHeight(const QFont& font, const QString& text, qreal width)
{
    QTextLayout layout(BKWithLineSeparators(text), font);
    return BKLayOutLines(layout, width);
}

void drawWrapped(QPainter& painter, const QRect& rect, const QString& text, const QFont& font)
{
    QTextLayout layout(BKWithLineSeparators(text), font);
    BKLayOutLines(layout, rect.width());
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    layout.draw(&painter, rect.topLeft());
    painter.restore();
}

} // namespace

BKTextTable::BKTextTable(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAutoFillBackground(false);
    for (int row = 0; row < kRowCount; ++row) {
        mColumn1Details_[size_t(row)] = QStringLiteral("");
        mColumn2Details_[size_t(row)] = QStringLiteral("");
        mPasteboardStrings_[size_t(row)] = QStringLiteral("");
        auto* button = new BKImageView(this);
        button->setImage(row == kAttachmentRow ? BKImageView::attachmentImage() : BKImageView::pasteImage());
        button->setGeometry(QRect());
        button->hide();
        mColumn3Details_[size_t(row)] = button;
    }
}

void BKTextTable::setCopyAllowed(bool allowed)
{
    for (int row = 0; row < kRowCount; ++row) {
        BKImageView* button = mColumn3Details_[size_t(row)];
        button->setCopiesTitle(allowed);
        if (row != kAttachmentRow)
            button->setEnabled(allowed);
    }
}

void BKTextTable::setAttributes(const QFont& labelFont)
{
    // The rows are rebuilt from scratch: copy texts go too, so that no button can copy a
    // value of the record shown before.
    for (int row = 0; row < kRowCount; ++row) {
        mColumn1Details_[size_t(row)] = QStringLiteral("");
        mColumn2Details_[size_t(row)] = QStringLiteral("");
        mPasteboardStrings_[size_t(row)] = QStringLiteral("");
        mRowHeights_[size_t(row)] = 0;
    }
    mAttributes_ = labelFont;
    measureLine();
}

void BKTextTable::setNoteAttributes(const QFont& valueFont)
{
    mNoteAttributes_ = valueFont;
}

void BKTextTable::setKey(const QString& key, int row)
{
    if (validRow(row))
        mColumn1Details_[size_t(row)] = key.isNull() ? QStringLiteral("Null") : key;
}

void BKTextTable::setPasteboardString(const QString& text, int row)
{
    if (validRow(row))
        mPasteboardStrings_[size_t(row)] = text.isNull() ? QStringLiteral("Null") : text;
}

int BKTextTable::labelColumnWidth() const
{
    const int frameWidth = width();
    const QFontMetrics metrics(mAttributes_);
    int widest = 0;
    for (int row = 0; row < kNotesRow; ++row)
        if (!mColumn2Details_[size_t(row)].isEmpty())
            widest = std::max(widest, metrics.horizontalAdvance(mColumn1Details_[size_t(row)]) + 4);
    return std::clamp(widest, frameWidth * 30 / 100, frameWidth * 45 / 100);
}

int BKTextTable::measuringWidth(int row) const
{
    const int frameWidth = width();
    if (row == kNotesRow)
        return frameWidth;
    // The value column: what the labels leave, less the copy button's room on screen.
    const int valueColumn = frameWidth - labelColumnWidth();
    return mIsPrintingView_ ? valueColumn : valueColumn - 20 - 10;
}

void BKTextTable::measureRow(int row)
{
    const QString& text = mColumn2Details_[size_t(row)];
    if (text.isEmpty())
        return;
    const qreal measured = wrappedHeight(mNoteAttributes_, text, std::max(1, measuringWidth(row)));
    int& height = mRowHeights_[size_t(row)];
    if (measured > height)
        height = int(std::ceil(std::max<qreal>(kMinimumRowHeight, measured)));
}

void BKTextTable::setValue(const QString& value, int row)
{
    if (!validRow(row))
        return;
    mColumn2Details_[size_t(row)] = value.isNull() ? QStringLiteral("") : value;
    measureRow(row);
}

void BKTextTable::remeasureRows()
{
    for (int row = 0; row < kRowCount; ++row) {
        mRowHeights_[size_t(row)] = 0;
        measureRow(row);
    }
}

QString BKTextTable::key(int row) const
{
    return validRow(row) ? mColumn1Details_[size_t(row)] : QString();
}

QString BKTextTable::value(int row) const
{
    return validRow(row) ? mColumn2Details_[size_t(row)] : QString();
}

QString BKTextTable::pasteboardString(int row) const
{
    return validRow(row) ? mPasteboardStrings_[size_t(row)] : QString();
}

int BKTextTable::rowHeight(int row) const
{
    return validRow(row) ? mRowHeights_[size_t(row)] : 0;
}

int BKTextTable::totalHeight() const
{
    qreal sum = 0;
    for (int height : mRowHeights_)
        sum += height;
    const qreal lineHeight = QFontMetricsF(mAttributes_).height();
    if (mIsPrintingView_)
        return int(mRowHeights_[kNotesRow] == 0 ? sum : sum + 2 * lineHeight);
    const int blankLines = (mRowHeights_[kAttachmentRow] > 0 ? 1 : 0) + (mRowHeights_[kNotesRow] >= 1 ? 2 : 0);
    return int(sum + blankLines * std::max<qreal>(kMinimumRowHeight, lineHeight));
}

void BKTextTable::setIsPrintingView()
{
    mIsPrintingView_ = true;
    for (BKImageView* button : mColumn3Details_) {
        button->setGeometry(QRect());
        button->hide();
    }
    mTrackingRectIDs_.clear();
}

bool BKTextTable::isHyperLink(const QString& text)
{
    return text.startsWith(QLatin1String("www.")) || text.startsWith(QLatin1String("http://")) ||
           text.startsWith(QLatin1String("https://"));
}

QUrl BKTextTable::urlForLinkText(const QString& text)
{
    return QUrl(text.startsWith(QLatin1String("www.")) ? QStringLiteral("http://") + text : text);
}

void BKTextTable::openLinkText(const QString& text)
{
    if (!isHyperLink(text))
        return;   // only web addresses are ever opened
    const QUrl url = urlForLinkText(text);
    if (url.isValid() && urlOpener())
        urlOpener()(url);
}

void BKTextTable::setURLOpener(std::function<void(const QUrl&)> opener)
{
    urlOpener() = opener ? std::move(opener) : &BKOpenWebAddress;
}

void BKTextTable::extractAttachment(BKImageView* sender)
{
    if (sender && sender == mColumn3Details_[kAttachmentRow])
        emit addExtractAttachmentMenu(sender);
}

void BKTextTable::measureLine()
{
    const int lineHeight = int(QFontMetricsF(mAttributes_).height());
    mRowHeight_ = std::max(kMinimumRowHeight, lineHeight);
}

void BKTextTable::layoutRows()
{
    const int tableWidth = width();
    mRowWidth_ = labelColumnWidth();
    const qreal valueColumn = tableWidth - mRowWidth_;
    measureLine();
    mTrackingRectIDs_.clear();
    mLabelRects_.fill(QRect());
    mValueRects_.fill(QRect());
    if (mIsPrintingView_)
        return;

    const int buttonX = tableWidth - kButtonSide;
    const int buttonOffset = (mRowHeight_ - kButtonSide) / 2;
    int y = 0;
    for (int row = 0; row <= kAttachmentRow; ++row) {
        BKImageView* button = mColumn3Details_[size_t(row)];
        const QString& value = mColumn2Details_[size_t(row)];
        if (value.isEmpty()) {
            button->setGeometry(QRect());
            button->hide();
            continue;
        }
        if (row == kAttachmentRow)
            y += mRowHeight_;   // a blank line above the attachment
        const int height = mRowHeights_[size_t(row)];
        mLabelRects_[size_t(row)] = QRect(0, y, mRowWidth_, mRowHeight_);
        const QRect valueRect(mRowWidth_ + 5, y, int(valueColumn - 30), height);
        mValueRects_[size_t(row)] = valueRect;
        if (isHyperLink(value))
            mTrackingRectIDs_.append({mNextTrackingID_++, value, valueRect});
        button->setGeometry(buttonX, y + buttonOffset, kButtonSide, kButtonSide);
        button->setTitle(mPasteboardStrings_[size_t(row)]);
        button->show();
        y += height;
    }

    y += mRowHeight_;   // a blank line above the notes
    BKImageView* notesButton = mColumn3Details_[kNotesRow];
    const QString& notes = mColumn2Details_[kNotesRow];
    if (!notes.isEmpty()) {
        mLabelRects_[kNotesRow] = QRect(0, y, mRowWidth_, mRowHeight_);
        mValueRects_[kNotesRow] = QRect(0, y + buttonOffset + mRowHeight_, tableWidth, mRowHeights_[kNotesRow]);
        notesButton->setGeometry(buttonX, y + buttonOffset, kButtonSide, kButtonSide);
        notesButton->setTitle(notes);
        notesButton->show();
    } else {
        notesButton->setGeometry(QRect());
        notesButton->hide();
    }
}

void BKTextTable::drawValue(QPainter& painter, const QRect& rect, const QString& value) const
{
    QFont font = mNoteAttributes_;
    if (isHyperLink(value)) {
        font.setUnderline(true);
        painter.setPen(Qt::blue);
    } else {
        painter.setPen(Qt::black);
    }
    drawWrapped(painter, rect, value, font);
}

void BKTextTable::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (mIsPrintingView_) {
        drawForRecordPrint(painter);
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics labelMetrics(mAttributes_);
    for (int row = 0; row < kRowCount; ++row) {
        const QRect labelRect = mLabelRects_[size_t(row)];
        if (labelRect.isEmpty())
            continue;
        if (row == kNotesRow) {
            painter.setFont(mNoteAttributes_);
            painter.setPen(Qt::black);
            painter.drawText(labelRect, Qt::AlignLeft | Qt::AlignTop, notesLabel());
        } else {
            painter.setFont(mAttributes_);
            painter.setPen(Qt::black);
            painter.drawText(labelRect, Qt::AlignLeft | Qt::AlignTop,
                             labelMetrics.elidedText(mColumn1Details_[size_t(row)], Qt::ElideRight, labelRect.width()));
        }
        const QRect valueRect = mValueRects_[size_t(row)];
        if (row == kNotesRow) {
            painter.setPen(Qt::black);
            drawWrapped(painter, valueRect, mColumn2Details_[kNotesRow], mNoteAttributes_);
        } else {
            drawValue(painter, valueRect, mColumn2Details_[size_t(row)]);
        }
    }
}

void BKTextTable::drawForRecordPrint(QPainter& painter)
{
    const int tableWidth = width();
    mRowWidth_ = labelColumnWidth();
    const int valueColumn = tableWidth - mRowWidth_;
    measureLine();
    const QFontMetrics labelMetrics(mAttributes_);

    int y = 0;
    for (int row = 0; row <= kDateRow; ++row) {
        const int height = mRowHeights_[size_t(row)];
        // Empty rows have height 0 and draw nothing: the text is clipped to its rectangle.
        if (height > 0) {
            painter.setFont(mAttributes_);
            painter.setPen(Qt::black);
            painter.drawText(QRect(0, y, mRowWidth_, height), Qt::AlignLeft | Qt::AlignTop,
                             labelMetrics.elidedText(mColumn1Details_[size_t(row)], Qt::ElideRight, mRowWidth_));
            const QString& value = mColumn2Details_[size_t(row)];
            if (!value.isEmpty())
                drawValue(painter, QRect(mRowWidth_ + 5, y, valueColumn, height), value);
        }
        y += height;
    }

    y += mRowHeight_;
    const QString& notes = mColumn2Details_[kNotesRow];
    if (!notes.isEmpty()) {
        painter.setFont(mNoteAttributes_);
        painter.setPen(Qt::black);
        painter.drawText(QRect(0, y, mRowWidth_, mRowHeight_), Qt::AlignLeft | Qt::AlignTop, notesLabel());
        drawWrapped(painter, QRect(0, y + mRowHeight_, tableWidth, mRowHeights_[kNotesRow]), notes, mNoteAttributes_);
    }
}

void BKTextTable::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutRows();
}

void BKTextTable::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const QPoint point = event->position().toPoint();
        for (const BKTrackingRect& link : mTrackingRectIDs_)
            if (link.rect.contains(point))
                openLinkText(link.url);
    }
    // Passed on: a double click on a row edits the record in the pane.
    event->ignore();
}

void BKTextTable::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    const bool overLink = std::any_of(mTrackingRectIDs_.cbegin(), mTrackingRectIDs_.cend(),
                                      [&](const BKTrackingRect& link) { return link.rect.contains(point); });
    setCursor(overLink ? Qt::PointingHandCursor : Qt::ArrowCursor);
    event->ignore();
}

void BKTextTable::contextMenuEvent(QContextMenuEvent* event)
{
    // The pane's menu.
    event->ignore();
}
