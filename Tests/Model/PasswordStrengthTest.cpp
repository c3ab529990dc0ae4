#include "Model/PasswordGeneratorOptions.h"
#include "Model/PasswordStrength.h"

#include <gtest/gtest.h>

#include <QString>

using namespace PasswordStrength;

namespace {

struct ClassCase {
    quint8 bits;
    int length;
    float strength;
};

TEST(PasswordStrengthTest, StrengthFromClassesFollowsTheFormulaUnclamped)
{
    const ClassCase cases[] = {
        {kClassBits, 20, 1.0f},                        // every class, length 20: a full bar
        {0, 0, 0.0f},                                  // nothing: the empty track
        {kLowerCase | kDigits, 8, 0.4f},               // (20/50 + 8/20) / 2
        {kClassBits, 40, 1.5f},                        // the meter clamps, not the rule
        {kLowerCase, -20, -0.4f},                      // a negative length is not hidden here
        {0xFF, 0, 0.5f},                               // pronounceable and unused bits give no points
        {kPunctuation | kExtended | 0x20, 63, 0.2f + 1.575f},
    };
    for (const ClassCase& c : cases)
        EXPECT_NEAR(strengthFromClasses(c.bits, c.length), c.strength, 1e-6)
            << "bits " << int(c.bits) << " length " << c.length;
}

TEST(PasswordStrengthTest, TextRuleFindsEachClassOnce)
{
    struct TextCase {
        const char16_t* text;
        int points;
    };
    const TextCase cases[] = {
        {u"", 0},
        {u"abc", 20},           // alphanumeric, lower case
        {u"ABC", 20},           // alphanumeric, upper case
        {u"a1", 20},
        {u"123", 10},           // digits are alphanumeric only
        {u"!", 10},             // ASCII punctuation
        {u"\u00e5", 30},        // å: a lower-case letter that is also extended
        {u"\u03c0", 30},        // π likewise
        {u"\u03a9", 30},        // Ω: upper case and extended
        {u"\u222b", 10},        // ∫: extended only
        {u"\u00a7", 0},         // §: punctuation, but not one of the 32 nor extended
        {u"aA1!\u00e5", 50},
        {u"e\u0301", 20},       // a combining accent counts as alphanumeric, adds no class
        {u"\U0001D400", 20},    // 𝐀 outside the BMP: alphanumeric and upper case
        {u" \t", 0},
    };
    for (const TextCase& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        EXPECT_EQ(pointsForText(text), c.points) << text.toStdString();
        EXPECT_NEAR(strengthFromText(text), (c.points / 50.0 + text.length() / 20.0) * 0.5, 1e-6);
    }
}

TEST(PasswordStrengthTest, LengthCountsUtf16Units)
{
    // One letter outside the BMP is two units, as the stored texts count it.
    EXPECT_NEAR(strengthFromText(QString::fromUtf16(u"\U0001D400")), (20 / 50.0 + 2 / 20.0) * 0.5, 1e-6);
}

TEST(PasswordStrengthTest, LabelsUseInclusiveBoundaries)
{
    const std::pair<double, const char*> cases[] = {
        {-1.0, "Weak"}, {0.0, "Weak"}, {0.25, "Weak"}, {0.2501, "Fair"}, {0.5, "Fair"},
        {0.5001, "Good"}, {0.75, "Good"}, {0.7501, "Excellent"}, {1.5, "Excellent"},
    };
    for (const auto& [strength, word] : cases)
        EXPECT_EQ(labelFor(strength), QStringLiteral("Password Strength: ") + QLatin1String(word)) << strength;
}

TEST(PasswordStrengthTest, MeterColoursUseStrictBoundaries)
{
    const std::pair<double, MeterColour> cases[] = {
        {0.0, MeterColour::Red},      {0.2499, MeterColour::Red},    {0.25, MeterColour::Orange},
        {0.4999, MeterColour::Orange}, {0.5, MeterColour::Yellow},   {0.7499, MeterColour::Yellow},
        {0.75, MeterColour::Green},   {1.0, MeterColour::Green},
    };
    for (const auto& [strength, colour] : cases)
        EXPECT_EQ(meterColourFor(strength), colour) << strength;
    EXPECT_EQ(meterColourName(MeterColour::Red), QStringLiteral("red"));
    EXPECT_EQ(meterColourName(MeterColour::Orange), QStringLiteral("orange"));
    EXPECT_EQ(meterColourName(MeterColour::Yellow), QStringLiteral("yellow"));
    EXPECT_EQ(meterColourName(MeterColour::Green), QStringLiteral("green"));
}

TEST(PasswordStrengthTest, WeakPasswordRule)
{
    const std::pair<const char16_t*, bool> cases[] = {
        {u"", true},                  // no password
        {u"a", false},
        {u"aa", false},
        {u"aaaa", false},
        {u"ab", true},
        {u"aaab", true},
        {u"  ", false},
        {u"\U0001F600", false},       // one character of two UTF-16 units
        {u"\U0001F600\U0001F600", false},
        {u"\U0001F600a", true},
        {u"e\u0301", false},          // é written as e and an accent is one character
        {u"e\u0301e\u0301", false},
        {u"e\u0301e", true},          // é and e differ
    };
    for (const auto& [text, valid] : cases)
        EXPECT_EQ(isValidPassword(QString::fromUtf16(text)), valid) << QString::fromUtf16(text).toStdString();
}

TEST(PasswordGeneratorOptionsTest, PresetsSetClassesAndThePronounceableBox)
{
    struct PresetCase {
        int index;
        quint8 flags;
        bool pronounceableEnabled;
    };
    const PresetCase cases[] = {
        {0, kClassBits, false},
        {1, kLowerCase | kDigits | kPunctuation | kGeneratorPronounceable, false},   // 0x2D
        {2, kLowerCase | kUpperCase | kDigits | kGeneratorPronounceable, true},
    };
    for (const PresetCase& c : cases) {
        PasswordGeneratorOptions options;
        options.classes = kExtended;
        options.applyPreset(c.index);
        EXPECT_EQ(options.flags(), c.flags) << c.index;
        EXPECT_EQ(options.pronounceableEnabled, c.pronounceableEnabled) << c.index;
    }
    EXPECT_EQ(0x2D, kLowerCase | kDigits | kPunctuation | kGeneratorPronounceable);

    PasswordGeneratorOptions unchanged;
    unchanged.classes = kDigits;
    unchanged.pronounceable = true;
    unchanged.pronounceableEnabled = false;
    for (int index : {-1, 3, 99}) {
        PasswordGeneratorOptions options = unchanged;
        options.applyPreset(index);
        EXPECT_EQ(options.flags(), unchanged.flags());
        EXPECT_EQ(options.pronounceableEnabled, false);
    }
}

TEST(PasswordGeneratorOptionsTest, PunctuationOrExtendedClosesPronounceable)
{
    const std::pair<quint8, bool> cases[] = {
        {0, true},
        {kLowerCase | kUpperCase | kDigits, true},
        {kPunctuation, false},
        {kExtended, false},
        {kLowerCase | kPunctuation, false},
        {kClassBits, false},
    };
    for (const auto& [classes, open] : cases) {
        PasswordGeneratorOptions options;
        options.classes = classes;
        options.pronounceable = !open;
        options.pronounceableEnabled = !open;
        options.classesChanged();
        EXPECT_EQ(options.pronounceable, open) << int(classes);
        EXPECT_EQ(options.pronounceableEnabled, open) << int(classes);
        EXPECT_EQ(options.flags() & kGeneratorPronounceable, open ? kGeneratorPronounceable : 0);
    }
}

TEST(PasswordGeneratorOptionsTest, StoredFlagsRestoreOnlyTheClasses)
{
    const PasswordGeneratorOptions all = PasswordGeneratorOptions::fromStoredFlags(31);
    EXPECT_EQ(all.classes, kClassBits);
    const PasswordGeneratorOptions withPronounceable = PasswordGeneratorOptions::fromStoredFlags(0x25);
    EXPECT_EQ(withPronounceable.classes, kLowerCase | kDigits);
    EXPECT_FALSE(withPronounceable.pronounceable);
    EXPECT_EQ(PasswordGeneratorOptions::fromStoredFlags(0xC0).classes, 0);
}

TEST(PasswordGeneratorOptionsTest, LengthIsClampedToWhatTheGeneratorHolds)
{
    const std::pair<int, int> cases[] = {{-5, 0}, {0, 0}, {1, 1}, {8, 8}, {63, 63}, {64, 63}, {100, 63}};
    for (const auto& [length, clamped] : cases)
        EXPECT_EQ(clampedGeneratorLength(length), clamped) << length;
}

} // namespace
