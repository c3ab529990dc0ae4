#include "OTVPreferenceCodecs.h"

#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr qint64 kLow16Bits = 0xFFFF;

// The stored forms truncate through a 32-bit float toward zero, as peers do; values beyond the
// integer range are held at its ends instead of overflowing.
qint64 truncatedThroughFloat(double value)
{
    const float single = float(value);
    if (std::isnan(single))
        return 0;
    constexpr float kIntLimit = 2147483648.0f;   // 2^31
    if (single >= kIntLimit)
        return std::numeric_limits<qint32>::max();
    if (single <= -kIntLimit)
        return std::numeric_limits<qint32>::min();
    return qint64(single);
}

} // namespace

qint64 OTVLeadingInteger(QStringView text, bool* found)
{
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        negative = text[i++] == QLatin1Char('-');
    const qsizetype firstDigit = i;
    qint64 value = 0;
    bool saturated = false;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        const int digit = text[i].unicode() - '0';
        if (value > (std::numeric_limits<qint64>::max() - digit) / 10)
            saturated = true;
        else
            value = value * 10 + digit;
    }
    if (found)
        *found = i > firstDigit;
    if (saturated)
        return negative ? std::numeric_limits<qint64>::min() : std::numeric_limits<qint64>::max();
    return negative ? -value : value;
}

// ---------------------------------------------------------------------------------------------
// Sort order

qint64 OTVStoredSortInfo(const std::optional<SortSpec>& sorting)
{
    if (!sorting)
        return 0;
    const qint64 ascending = sorting->ascending ? 1 : 0;
    return (ascending << 16) | (OTVLeadingInteger(sorting->key) & kLow16Bits);
}

SortSpec OTVSortInfoFromStored(qint64 stored)
{
    return {QString::number(stored & kLow16Bits), ((stored >> 16) & 0xFF) != 0};
}

// ---------------------------------------------------------------------------------------------
// List columns

OTVColumnValues OTVStoredColumnValues(const OTVColumnLayout& layout)
{
    OTVColumnValues values{};
    for (int i = 0; i < kListNoOfColumns; ++i) {
        const qint64 width = i < layout.widths.size() ? layout.widths[i] & kLow16Bits : 0;
        const qint64 shown = (layout.mask & kColumnMasksArray[size_t(i)]) ? 1 : 0;
        values[size_t(i)] = width | (shown << 16);
    }
    return values;
}

OTVColumnLayout OTVColumnLayoutFromStored(const OTVColumnValues& stored)
{
    OTVColumnLayout layout;
    for (int i = 0; i < kListNoOfColumns; ++i) {
        const qint64 value = stored[size_t(i)];
        layout.widths.append(int(value & kLow16Bits));
        if (((value >> 16) & kLow16Bits) != 0)
            layout.mask |= kColumnMasksArray[size_t(i)];
    }
    return layout;
}

// ---------------------------------------------------------------------------------------------
// Window position

// The stored rules were written for frames whose origin is the bottom left of the main screen
// (y grows upward), H and W being the screen's height and width. A Qt frame (X, Y, w, h) has
// y = H - Y - h there. Then:
//     x' = max(0, X), y' = max(0, y)
//     left = trunc(x'), top = trunc(H - (y' + h)), right = left + trunc(w), bottom = trunc(H - y')
// that is, top = trunc(min(Y, H - h)) and bottom = trunc(min(Y + h, H)): a window above the
// screen keeps its negative top, one left of it is stored at 0. Read back:
//     x = max(0, left), y = max(0, trunc(H - bottom)), w = min(right - left, trunc(W)),
//     h = min(bottom - top, trunc(H)), and Qt's Y = H - y - h.
QString OTVWindowPositionText(const QRectF& frame, const QSizeF& screen, bool maximised)
{
    const double screenHeight = screen.height();
    const double bottomUpY = screenHeight - frame.y() - frame.height();
    const double x = std::max(0.0, frame.x());
    const double y = std::max(0.0, bottomUpY);
    const qint64 left = truncatedThroughFloat(x);
    const qint64 top = truncatedThroughFloat(screenHeight - (y + frame.height()));
    const qint64 right = left + truncatedThroughFloat(frame.width());
    const qint64 bottom = truncatedThroughFloat(screenHeight - y);
    return QString::asprintf("%.4lld %.4lld %.4lld %.4lld %.4d", left, top, right, bottom, maximised ? 1 : 0);
}

std::optional<QRectF> OTVFrameFromWindowPositionText(const QString& text, const QSizeF& screen)
{
    const QStringList parts = text.split(QLatin1Char(' '));
    if (parts.size() < 4)
        return std::nullopt;
    qint64 numbers[4];
    for (int i = 0; i < 4; ++i) {
        bool found = false;
        numbers[i] = std::clamp<qint64>(OTVLeadingInteger(parts[i], &found), std::numeric_limits<qint32>::min(),
                                        std::numeric_limits<qint32>::max());
        if (!found)
            return std::nullopt;
    }
    const qint64 left = numbers[0], top = numbers[1], right = numbers[2], bottom = numbers[3];
    const double screenHeight = screen.height();
    const qint64 x = std::max<qint64>(0, left);
    const qint64 y = std::max<qint64>(0, truncatedThroughFloat(screenHeight - double(bottom)));
    const qint64 width = std::min(right - left, truncatedThroughFloat(screen.width()));
    const qint64 height = std::min(bottom - top, truncatedThroughFloat(screenHeight));
    if (width <= 0 || height <= 0)
        return std::nullopt;   // no window to show
    return QRectF(qreal(x), screenHeight - qreal(y) - qreal(height), qreal(width), qreal(height));
}

QSizeF OTVMainScreenSize()
{
    const QScreen* screen = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
        ? QGuiApplication::primaryScreen()
        : nullptr;
    if (!screen)
        return QSizeF(1280, 800);
    return QSizeF(screen->geometry().size());
}

// ---------------------------------------------------------------------------------------------
// Rectangle texts

QString OTVStringFromRect(const QRectF& rect)
{
    return QString::asprintf("{{%g, %g}, {%g, %g}}", rect.x(), rect.y(), rect.width(), rect.height());
}

QRectF OTVRectFromString(const QString& text)
{
    static const QRegularExpression number(QStringLiteral(R"([-+]?(?:\d+\.?\d*|\.\d+)(?:[eE][-+]?\d+)?)"));
    qreal values[4] = {0, 0, 0, 0};
    int count = 0;
    for (auto it = number.globalMatch(text); it.hasNext() && count < 4;)
        values[count++] = it.next().captured().toDouble();
    return QRectF(values[0], values[1], values[2], values[3]);
}

qint16 OTVDetailPaneWidthFromRect(const QString& text)
{
    const double width = OTVRectFromString(text).width();
    if (!std::isfinite(width))
        return 0;
    const double whole = std::trunc(width);
    const qint64 points = std::fabs(whole) < 9.0e18 ? qint64(whole) : 0;
    return qint16(quint16(points & kLow16Bits));
}
