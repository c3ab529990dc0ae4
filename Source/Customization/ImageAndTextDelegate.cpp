#include "ImageAndTextDelegate.h"

#include "BKImageCellDelegate.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>

#include <cmath>

ImageAndTextDelegate::ImageAndTextDelegate(QObject* parent) : QStyledItemDelegate(parent)
{
}

QRect ImageAndTextDelegate::imageFrameForCellFrame(const QRect& cell, const QSize& imageSize)
{
    if (imageSize.isEmpty())
        return QRect();
    const int top = cell.y() + int(std::ceil((cell.height() - imageSize.height()) / 2.0));
    return QRect(cell.x() + kImageGap, top, imageSize.width(), imageSize.height());
}

QRect ImageAndTextDelegate::textFrameForCellFrame(const QRect& cell, const QSize& imageSize)
{
    const int imagePart = imageSize.isEmpty() ? 0 : imageSize.width() + kImageGap;
    return cell.adjusted(imagePart, 0, 0, 0);
}

QRectF ImageAndTextDelegate::badgeRect(const QRect& textPart, int count, const QFont& font)
{
    if (count == 0)
        return QRectF();
    const qreal width = QFontMetricsF(font).horizontalAdvance(badgeLabel(count)) + kBadgePadding;
    const qreal right = textPart.x() + textPart.width();
    QRectF badge(right - width - 1, textPart.y(), width, textPart.height());
    badge.adjust(0, 1, 0, -1);
    badge.translate(0, -0.5);
    return badge;
}

QColor ImageAndTextDelegate::badgeStrokeColor(bool highlighted)
{
    return highlighted ? QColor::fromRgbF(0.41f, 0.51f, 0.51f) : QColor::fromRgbF(0.643f, 0.694f, 0.796f);
}

QColor ImageAndTextDelegate::badgeFillColor(bool highlighted)
{
    return highlighted ? QColor::fromRgbF(0.51f, 0.51f, 0.51f) : QColor::fromRgbF(0.643f, 0.694f, 0.796f);
}

void ImageAndTextDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const
{
    const QImage image = BKItemImage(index);
    if (image.isNull())
        return;
    const bool highlighted = option.state & QStyle::State_Selected;
    const QRect cell = option.rect;
    const QRect imagePart(cell.x(), cell.y(), image.width() + kImageGap, cell.height());
    const QRect textPart = textFrameForCellFrame(cell, image.size());
    painter->save();
    painter->setClipRect(cell);
    if (highlighted)
        painter->fillRect(cell, option.palette.highlight());
    else if (option.backgroundBrush.style() != Qt::NoBrush)
        painter->fillRect(imagePart, option.backgroundBrush);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawImage(imageFrameForCellFrame(cell, image.size()), image);

    const QFont font = option.font;
    const int count = index.data(kCountRole).toInt();
    const QRectF badge = badgeRect(textPart, count, font);
    QRect textRect(textPart.x() + kImageGap, textPart.y(), textPart.width(), textPart.height());
    if (!badge.isNull())
        textRect.setRight(int(badge.left()) - 2);
    painter->setFont(font);
    painter->setPen(option.palette.color(highlighted ? QPalette::HighlightedText : QPalette::Text));
    const QString text = index.data(Qt::DisplayRole).toString();
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                      QFontMetrics(font).elidedText(text, Qt::ElideRight, std::max(0, textRect.width())));

    if (!badge.isNull()) {
        painter->setRenderHint(QPainter::Antialiasing);
        QPainterPath pill;
        pill.addRoundedRect(badge, kBadgeRadius, kBadgeRadius);
        painter->setPen(QPen(badgeStrokeColor(highlighted), 1));
        painter->setBrush(badgeFillColor(highlighted));
        painter->drawPath(pill);
        // The digits in the same font they were measured in, so that they fit the pill.
        painter->setPen(Qt::white);
        painter->drawText(badge, Qt::AlignCenter, badgeLabel(count));
    }
    painter->restore();
}

QSize ImageAndTextDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    // The text's own size: the image is not the style's decoration here, it is added below.
    QStyleOptionViewItem plain = option;
    initStyleOption(&plain, index);
    plain.features &= ~QStyleOptionViewItem::HasDecoration;
    plain.icon = QIcon();
    plain.decorationSize = QSize();
    const QStyle* style = plain.widget ? plain.widget->style() : QApplication::style();
    QSize size = style->sizeFromContents(QStyle::CT_ItemViewItem, &plain, QSize(), plain.widget);
    const QImage image = BKItemImage(index);
    size.rwidth() += (image.isNull() ? 0 : image.width()) + kImageGap;
    return size;
}

void ImageAndTextDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                                const QModelIndex& index) const
{
    const QImage image = BKItemImage(index);
    const int offset = (image.isNull() ? 0 : image.width()) + kImageGap;
    editor->setGeometry(option.rect.adjusted(offset, 0, 0, 0));
}
