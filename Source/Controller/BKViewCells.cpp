#include "BKViewCells.h"

#include "BKRecordViewModels.h"

#include <QImage>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QWidget>

namespace {

constexpr int kCellPadding = 3;

// The text and icon as the style draws them, the count (when above 0) in a rounded badge at the
// right.
class ImageAndTextDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const int count = index.data(BKCountRole).toInt();
        QStyleOptionViewItem textOption = option;
        QRect badge;
        if (count > 0) {
            const QString text = QString::number(count);
            const int width = option.fontMetrics.horizontalAdvance(text) + 2 * kCellPadding + 4;
            const int height = option.fontMetrics.height();
            badge = QRect(option.rect.right() - width - kCellPadding,
                          option.rect.center().y() - height / 2, width, height);
            textOption.rect.setRight(badge.left() - kCellPadding);
        }
        QStyledItemDelegate::paint(painter, textOption, index);
        if (count > 0) {
            painter->save();
            painter->setRenderHint(QPainter::Antialiasing);
            painter->setPen(Qt::NoPen);
            painter->setBrush(QColor(140, 150, 170));
            painter->drawRoundedRect(badge, badge.height() / 2.0, badge.height() / 2.0);
            painter->setPen(Qt::white);
            painter->drawText(badge, Qt::AlignCenter, QString::number(count));
            painter->restore();
        }
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        // Space between cells: 3 across, 5 down.
        return QStyledItemDelegate::sizeHint(option, index) + QSize(3, 5);
    }
};

class ImageDelegate : public QStyledItemDelegate {
public:
    ImageDelegate(Qt::Alignment alignment, QObject* parent) : QStyledItemDelegate(parent), alignment_(alignment) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem background = option;
        initStyleOption(&background, index);
        background.text.clear();
        background.icon = QIcon();
        background.features &= ~QStyleOptionViewItem::HasDecoration;
        option.widget ? option.widget->style()->drawControl(QStyle::CE_ItemViewItem, &background, painter, option.widget)
                      : QStyledItemDelegate::paint(painter, background, QModelIndex());
        const QImage image = index.data(Qt::DecorationRole).value<QImage>();
        if (image.isNull())
            return;
        const QSize size = image.size().scaled(option.rect.size().boundedTo(QSize(16, 16)), Qt::KeepAspectRatio);
        const QRect target = QStyle::alignedRect(option.direction, alignment_ | Qt::AlignVCenter, size,
                                                 option.rect.adjusted(kCellPadding, 0, -kCellPadding, 0));
        painter->drawImage(target, image);
    }

private:
    Qt::Alignment alignment_;
};

} // namespace

QAbstractItemDelegate* BKMakeImageAndTextDelegate(QObject* parent)
{
    return new ImageAndTextDelegate(parent);
}

QAbstractItemDelegate* BKMakeImageDelegate(Qt::Alignment alignment, QObject* parent)
{
    return new ImageDelegate(alignment, parent);
}
