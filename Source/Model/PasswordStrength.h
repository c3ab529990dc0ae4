#pragma once

// How strong a password looks, shared by the generator sheet, the user password sheet and the
// password-policy sheet. Pure rules: the meter widget only draws the number these give.
//
// strength = (points / 50 + length / 20) * 0.5, where points are 10 for each character class.
// Lengths are QString::length() (UTF-16 units). The result is not clamped: the meter clamps.

#include <QString>

namespace PasswordStrength {

// The generator's character-class bits (one check box each).
constexpr quint8 kLowerCase = 0x01;
constexpr quint8 kUpperCase = 0x02;
constexpr quint8 kDigits = 0x04;
constexpr quint8 kPunctuation = 0x08;
constexpr quint8 kExtended = 0x10;
constexpr quint8 kClassBits = 0x1F;
constexpr int kPointsPerClass = 10;

// From the generator's class bits (other bits are ignored) and the chosen length.
float strengthFromClasses(quint8 classBits, int length);
// From a typed password: 10 points each for an alphanumeric character, a lower-case letter, an
// upper-case letter, one of the 32 ASCII punctuation characters and one of the 26 extended
// characters, and its length.
float strengthFromText(const QString& password);
// The points of strengthFromText (0 to 50).
int pointsForText(const QString& password);

// "Password Strength: Weak" up to 0.25, "Fair" up to 0.5, "Good" up to 0.75, "Excellent" above.
QString labelFor(double strength);

// The meter's fill colour: below 0.25 red, below 0.5 orange, below 0.75 yellow, else green.
enum class MeterColour { Red, Orange, Yellow, Green };
MeterColour meterColourFor(double strength);
// "red", "orange", "yellow", "green".
QString meterColourName(MeterColour colour);

// The weak-password rule: the empty password passes; any other needs at least two characters,
// not all the same. Characters are what the user sees as one (a letter with its accents).
bool isValidPassword(const QString& password);

} // namespace PasswordStrength
