#include "BKViewCells.h"

#include "Customization/BKImageCellDelegate.h"
#include "Customization/ImageAndTextDelegate.h"

#include <QImage>

namespace {

// The types table and the tree keep 3 points across and 5 down between their cells, and a
// row is at least as high as its image.
class SpacedImageAndTextDelegate : public ImageAndTextDelegate {
public:
    using ImageAndTextDelegate::ImageAndTextDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = ImageAndTextDelegate::sizeHint(option, index);
        size.setHeight(std::max(size.height(), BKItemImage(index).height()));
        return size + QSize(3, 5);
    }
};

} // namespace

QAbstractItemDelegate* BKMakeImageAndTextDelegate(QObject* parent)
{
    return new SpacedImageAndTextDelegate(parent);
}

QAbstractItemDelegate* BKMakeImageDelegate(Qt::Alignment alignment, QObject* parent)
{
    auto* delegate = new BKImageCellDelegate(parent);
    delegate->setImageAlignment(alignment);
    return delegate;
}
