#pragma once

// The application's own icons, numbered 1 .. kBuiltInIconCount, drawn with QPainter from one
// table: a tinted tile with a white pictogram. Numbers the table does not hold (up to
// OTVDataBase::kStandardIcons, which the stored vaults may use) are shown as the default icon.

#include <QImage>
#include <QRectF>
#include <QString>

class QPainter;

// Numbers 1 .. kBuiltInIconCount have a drawing of their own.
inline constexpr int kBuiltInIconCount = 71;
// The icon that stands in for any number without a drawing.
inline constexpr int kBuiltInDefaultIcon = 31;

// Whether `number` has a drawing of its own.
bool OTVHasBuiltInIcon(int number);
// A short English name of what the icon shows ("Key", "Server", ...); the default icon's name
// for numbers without a drawing.
QString OTVBuiltInIconName(int number);
// Paints icon `number` (the default icon when it has no drawing) into `rect`.
void OTVPaintBuiltInIcon(QPainter& painter, const QRectF& rect, int number);
// Icon `number` as a transparent square image `side` pixels wide.
QImage OTVBuiltInIconImage(int number, int side);
