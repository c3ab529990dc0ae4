#include "OTVColorValue.h"

#include <cmath>
#include <stdexcept>

namespace {

long long component(float value)
{
    return static_cast<long long>(std::trunc(value * 255.0f));
}

} // namespace

long long int64Value(const QColor& color)
{
    const QColor rgb = color.toRgb();
    if (!rgb.isValid())
        throw std::runtime_error("ColorCreate: Color creation failed");
    return component(rgb.redF()) | component(rgb.greenF()) << 8 | component(rgb.blueF()) << 16;
}

QColor colorFromInt64(long long value)
{
    return QColor::fromRgb(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                           static_cast<int>((value >> 16) & 0xFF));
}
