#pragma once

#include <QImage>
#include <QPainter>

#include <functional>

// A transparent square image of `side` pixels with what `paint` draws on it, antialiased: the
// small pictures of buttons and cells are drawn, not loaded.
inline QImage BKDrawnImage(int side, const std::function<void(QPainter&)>& paint)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    paint(painter);
    return image;
}
