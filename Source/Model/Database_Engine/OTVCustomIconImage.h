#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// The side of a custom icon as stored, and of an icon as shown.
inline constexpr int kCustomIconSide = 48;
inline constexpr int kIconDisplaySide = 24;

// `picture` drawn into a transparent 48 x 48 image: scaled to fit with its aspect ratio kept,
// centred, its own pixels copied as they are (alpha included). A null image for a null picture.
QImage OTVCustomIconImage(const QImage& picture);

// The PNG bytes of the custom icon made from the picture file at `path`; empty when the file
// holds no picture that can be read.
QByteArray OTVCustomIconPNGFromFile(const QString& path);
