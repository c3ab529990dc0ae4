#include "BKTextLines.h"

#include <QFontMetricsF>
#include <QTextLayout>
#include <QTextOption>

QString BKWithLineSeparators(QString text)
{
    return text.replace(QLatin1Char('\n'), QChar::LineSeparator);
}

qreal BKLayOutLines(QTextLayout& layout, qreal width, QPaintDevice* device)
{
    const qreal leading =
        (device ? QFontMetricsF(layout.font(), device) : QFontMetricsF(layout.font())).leading();
    QTextOption option(Qt::AlignLeft | Qt::AlignTop);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal height = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        if (line.lineNumber() > 0)
            height += leading;
        line.setLineWidth(width);
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();
    return height;
}
