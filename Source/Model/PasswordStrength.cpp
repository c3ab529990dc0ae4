#include "PasswordStrength.h"

#include "RandomWord.h"

#include "Platform/BKLocalization.h"

#include <QList>
#include <QTextBoundaryFinder>

#include <bitset>
#include <cstring>

namespace PasswordStrength {

namespace {

// The characters the Option key gives with a to z (as Unicode), the "extended" class.
constexpr char32_t kExtendedCharacters[] = {
    0x00E5, 0x222B, 0x00E7, 0x2202, 0x00B4, 0x0192, 0x00A9, 0x02D9, 0x02C6, 0x2206, 0x02DA, 0x00AC, 0x00B5,
    0x02DC, 0x00F8, 0x03C0, 0x0153, 0x00AE, 0x00DF, 0x2020, 0x00A8, 0x221A, 0x2211, 0x2248, 0x00A5, 0x03A9,
};

bool isExtended(char32_t c)
{
    for (char32_t e : kExtendedCharacters)
        if (e == c)
            return true;
    return false;
}

bool isAsciiPunctuation(char32_t c)
{
    return c > 0 && c < 0x80 && std::strchr(sSymbols, static_cast<char>(c)) != nullptr;
}

float strength(int points, int length)
{
    return static_cast<float>((points / 50.0 + length / 20.0) * 0.5);
}

} // namespace

float strengthFromClasses(quint8 classBits, int length)
{
    const int classes = static_cast<int>(std::bitset<8>(classBits & kClassBits).count());
    return strength(classes * kPointsPerClass, length);
}

int pointsForText(const QString& password)
{
    bool alphanumeric = false, lower = false, upper = false, punctuation = false, extended = false;
    // By code point, so that letters outside the BMP count.
    for (const uint code : password.toUcs4()) {
        const char32_t c = code;
        alphanumeric |= QChar::isLetterOrNumber(c) || QChar::isMark(c);
        lower |= QChar::isLower(c);
        upper |= QChar::isUpper(c);
        punctuation |= isAsciiPunctuation(c);
        extended |= isExtended(c);
    }
    return kPointsPerClass * (int(alphanumeric) + int(lower) + int(upper) + int(punctuation) + int(extended));
}

float strengthFromText(const QString& password)
{
    return strength(pointsForText(password), static_cast<int>(password.length()));
}

QString labelFor(double strength)
{
    if (strength <= 0.25)
        return BKLocalizedString("Password Strength: Weak");
    if (strength <= 0.5)
        return BKLocalizedString("Password Strength: Fair");
    if (strength <= 0.75)
        return BKLocalizedString("Password Strength: Good");
    return BKLocalizedString("Password Strength: Excellent");
}

MeterColour meterColourFor(double strength)
{
    if (strength < 0.25)
        return MeterColour::Red;
    if (strength < 0.5)
        return MeterColour::Orange;
    if (strength < 0.75)
        return MeterColour::Yellow;
    return MeterColour::Green;
}

QString meterColourName(MeterColour colour)
{
    switch (colour) {
    case MeterColour::Red: return QStringLiteral("red");
    case MeterColour::Orange: return QStringLiteral("orange");
    case MeterColour::Yellow: return QStringLiteral("yellow");
    case MeterColour::Green: break;
    }
    return QStringLiteral("green");
}

bool isValidPassword(const QString& password)
{
    if (password.isEmpty())
        return true;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, password);
    const qsizetype firstEnd = graphemes.toNextBoundary();
    const QStringView first = QStringView(password).left(firstEnd);
    qsizetype start = firstEnd;
    for (qsizetype end = graphemes.toNextBoundary(); end != -1; start = end, end = graphemes.toNextBoundary()) {
        if (QStringView(password).mid(start, end - start) != first)
            return true;
    }
    return false;
}

} // namespace PasswordStrength
