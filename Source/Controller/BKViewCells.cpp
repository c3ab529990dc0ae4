#include "BKViewCells.h"

#include "Customization/BKImageCellDelegate.h"
#include "Customization/ImageAndTextDelegate.h"

QAbstractItemDelegate* BKMakeImageAndTextDelegate(QObject* parent)
{
    return new ImageAndTextDelegate(parent);
}

QAbstractItemDelegate* BKMakeImageDelegate(Qt::Alignment alignment, QObject* parent)
{
    auto* delegate = new BKImageCellDelegate(parent);
    delegate->setImageAlignment(alignment);
    return delegate;
}
