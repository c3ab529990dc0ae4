#include "BKPasswordStrengthMeter.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

constexpr qreal kTrackCap = 4.5;
constexpr qreal kFillCap = 5;

QColor fillColour(PasswordStrength::MeterColour colour)
{
    switch (colour) {
    case PasswordStrength::MeterColour::Red: return QColor(0xd6, 0x3a, 0x32);
    case PasswordStrength::MeterColour::Orange: return QColor(0xf0, 0x8a, 0x24);
    case PasswordStrength::MeterColour::Yellow: return QColor(0xf2, 0xcd, 0x2c);
    case PasswordStrength::MeterColour::Green: break;
    }
    return QColor(0x4c, 0xae, 0x3c);
}

// The three pieces are drawn as one rounded bar: the caps are its round ends.
void paintBar(QPainter& painter, const BKPasswordStrengthMeter::Bar& bar, const QColor& colour, const QColor& edge)
{
    const QRectF whole = bar.left.united(bar.right).united(bar.mid.isValid() ? bar.mid : bar.left);
    QPainterPath path;
    path.addRoundedRect(whole.adjusted(0.5, 0.5, -0.5, -0.5), whole.height() / 2, whole.height() / 2);
    QLinearGradient shade(whole.topLeft(), whole.bottomLeft());
    shade.setColorAt(0, colour.lighter(125));
    shade.setColorAt(1, colour);
    painter.fillPath(path, shade);
    painter.setPen(QPen(edge, 1));
    painter.drawPath(path);
}

} // namespace

BKPasswordStrengthMeter::Bar BKPasswordStrengthMeter::trackGeometry(const QRectF& bounds)
{
    const qreal w = bounds.width();
    const qreal y = bounds.y() + (bounds.height() - kBarHeight) / 2;
    return Bar{QRectF(bounds.x(), y, kTrackCap, kBarHeight), QRectF(kTrackCap, y, std::ceil(w - 9 + 1), kBarHeight),
               QRectF(w - kTrackCap, y, kTrackCap, kBarHeight)};
}

std::optional<BKPasswordStrengthMeter::Bar> BKPasswordStrengthMeter::fillGeometry(float value, const QRectF& bounds)
{
    if (value <= 0)
        return std::nullopt;
    // The float value carries noise (0.4f x 200 is 80.0000012): kept to a thousandth of a point,
    // so that the middle piece's ceil does not grow by a whole point.
    const qreal f = std::round(qreal(value) * bounds.width() * 1000) / 1000;
    const qreal y = bounds.y() + (bounds.height() - kBarHeight) / 2;
    const qreal midWidth = std::ceil(f - 9 + 1);
    return Bar{QRectF(0, y, kFillCap, kBarHeight),
               midWidth > 0 ? QRectF(kTrackCap, y, midWidth, kBarHeight) : QRectF(),
               QRectF(f - kTrackCap, y, kFillCap, kBarHeight)};
}

BKPasswordStrengthMeter::BKPasswordStrengthMeter(QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void BKPasswordStrengthMeter::setStrenth(float value)
{
    value = qMax(value, mMinValue_);
    value = qMin(value, mMaxValue_);
    mProgress_ = value;
    update();
}

QSize BKPasswordStrengthMeter::sizeHint() const
{
    return QSize(160, 15);
}

void BKPasswordStrengthMeter::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = rect();
    paintBar(painter, trackGeometry(bounds), Qt::white, QColor(0x9a, 0x9a, 0x9a));
    if (const std::optional<Bar> fill = fillGeometry(mProgress_, bounds)) {
        const QColor shade = fillColour(colour());
        paintBar(painter, *fill, shade, shade.darker(140));
    }
}
