#pragma once

#include <QFont>
#include <QRect>
#include <QStyledItemDelegate>

// An icon followed by text, with an optional count badge at the right end: the type and
// smart-list columns, the tree column and the user list's names. An item without an image
// draws nothing.
class ImageAndTextDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // The item's badge count (int; 0 for no badge).
    static constexpr int kCountRole = Qt::UserRole + 101;
    static constexpr int kImageGap = 6;
    static constexpr int kBadgePadding = 18;
    static constexpr qreal kBadgeRadius = 9;

    explicit ImageAndTextDelegate(QObject* parent = nullptr);

    // (x + 6, y + ceil((h - ih) / 2), iw, ih), or the null rectangle without an image.
    static QRect imageFrameForCellFrame(const QRect& cell, const QSize& imageSize);
    // The part right of the image, where text and badge go.
    static QRect textFrameForCellFrame(const QRect& cell, const QSize& imageSize);
    // The badge for `count` in a text part: as wide as its digits in `font` plus 18, 1 pixel
    // from the right end, 1 pixel in at top and bottom. Null for count 0.
    static QRectF badgeRect(const QRect& textPart, int count, const QFont& font);
    static QString badgeLabel(int count) { return QString::number(count); }
    // Stroke and fill of the badge, plain or selected.
    static QColor badgeStrokeColor(bool highlighted);
    static QColor badgeFillColor(bool highlighted);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;
};
