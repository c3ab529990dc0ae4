#include "BKImageCellDelegate.h"

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPixmap>

namespace {

QImage imageFromVariant(const QVariant& value)
{
    switch (value.userType()) {
    case QMetaType::QImage:
        return value.value<QImage>();
    case QMetaType::QPixmap:
        return value.value<QPixmap>().toImage();
    case QMetaType::QIcon: {
        const QIcon icon = value.value<QIcon>();
        const QList<QSize> sizes = icon.availableSizes();
        return icon.pixmap(sizes.isEmpty() ? QSize(16, 16) : sizes.first()).toImage();
    }
    default:
        return {};
    }
}

} // namespace

QImage BKItemImage(const QModelIndex& index)
{
    const QImage decoration = imageFromVariant(index.data(Qt::DecorationRole));
    return decoration.isNull() ? imageFromVariant(index.data(Qt::DisplayRole)) : decoration;
}

BKImageCellDelegate::BKImageCellDelegate(QObject* parent) : QStyledItemDelegate(parent)
{
}

QRect BKImageCellDelegate::imageRect(const QRect& cell, const QSize& imageSize) const
{
    QRect frame = cell;
    if (mImageAlignment_ & Qt::AlignLeft)
        frame.translate(kLeftInset, 0);
    QSize size = imageSize;
    if (size.width() > frame.width() || size.height() > frame.height())
        size.scale(frame.size(), Qt::KeepAspectRatio);
    const int y = frame.y() + (frame.height() - size.height()) / 2;
    int x = frame.x() + (frame.width() - size.width()) / 2;
    if (mImageAlignment_ & Qt::AlignLeft)
        x = frame.x();
    else if (mImageAlignment_ & Qt::AlignRight)
        x = frame.right() + 1 - size.width();
    return QRect(x, y, size.width(), size.height());
}

void BKImageCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const bool selected = option.state & QStyle::State_Selected;
    if (mBackgroundColor_.isValid() && !selected)
        painter->fillRect(option.rect, mBackgroundColor_);
    else if (selected)
        painter->fillRect(option.rect, option.palette.highlight());
    const QImage image = BKItemImage(index);
    if (image.isNull())
        return;
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->setClipRect(option.rect);
    painter->drawImage(imageRect(option.rect, image.size()), image);
    painter->restore();
}
