#pragma once

#include <QString>

class QPaintDevice;
class QTextLayout;

// Values laid out in lines of a width: broken at word boundaries, and inside a word only when it
// is longer than a line (a card number keeps its groups whole). The same lines are measured and
// drawn.

// `text` with its line breaks as the layout's own separators.
QString BKWithLineSeparators(QString text);

// Lays out `layout` in lines of `width`, spaced as the painter's own text drawing spaces them
// (the font's leading between lines, on `device` when given); the height the lines take.
qreal BKLayOutLines(QTextLayout& layout, qreal width, QPaintDevice* device = nullptr);
