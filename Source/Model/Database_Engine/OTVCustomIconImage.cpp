#include "OTVCustomIconImage.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QRectF>

#include <algorithm>

QImage OTVCustomIconImage(const QImage& picture)
{
    if (picture.isNull())
        return QImage();
    const qreal w = picture.width();
    const qreal h = picture.height();
    const qreal widthShare = std::min<qreal>(1, w / h);
    const qreal heightShare = std::min<qreal>(1, h / w);
    const qreal half = kCustomIconSide / 2.0;
    const QRectF drawing(half * (1 - widthShare), half * (1 - heightShare), kCustomIconSide * widthShare,
                         kCustomIconSide * heightShare);

    QImage icon(kCustomIconSide, kCustomIconSide, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(drawing, picture);
    painter.end();
    return icon;
}

QByteArray OTVCustomIconPNGFromFile(const QString& path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage picture = reader.read();
    const QImage icon = OTVCustomIconImage(picture);
    if (icon.isNull())
        return QByteArray();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!icon.save(&buffer, "PNG"))
        return QByteArray();
    return png;
}
