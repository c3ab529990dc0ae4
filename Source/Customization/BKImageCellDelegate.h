#pragma once

#include <QColor>
#include <QStyledItemDelegate>

// Draws a column's image (decoration, or an image as display value): the background colour
// fills the cell unless it is selected, and left-aligned images sit 6 pixels in.
class BKImageCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int kLeftInset = 6;

    explicit BKImageCellDelegate(QObject* parent = nullptr);

    QColor backgroundColor() const { return mBackgroundColor_; }
    void setBackgroundColor(const QColor& color) { mBackgroundColor_ = color; }
    Qt::Alignment imageAlignment() const { return mImageAlignment_; }
    void setImageAlignment(Qt::Alignment alignment) { mImageAlignment_ = alignment; }

    // Where an image of `imageSize` is drawn in `cell`.
    QRect imageRect(const QRect& cell, const QSize& imageSize) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QColor mBackgroundColor_;
    Qt::Alignment mImageAlignment_ = Qt::AlignCenter;
};

// The image of an item: its decoration, or its display value when that is an image.
QImage BKItemImage(const QModelIndex& index);
