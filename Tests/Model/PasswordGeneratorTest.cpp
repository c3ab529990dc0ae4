#include "Model/OTVPasswordGenerator.h"
#include "Model/OTVRandom.h"
#include "Model/RandomWord.h"
#include "Model/RandomWordTables.h"
#include "Platform/BKMacRoman.h"

#include <gtest/gtest.h>

#include <QSet>
#include <QString>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <string>

using namespace Fips181;

namespace {

bool isSymbol(char c)
{
    return c != '\0' && std::memchr(sSymbols, c, 32) != nullptr;
}

bool isIntl(char c)
{
    return std::find(std::begin(sIntl), std::end(sIntl), static_cast<unsigned char>(c)) != std::end(sIntl);
}

bool all(const std::string& word, const std::function<bool(char)>& test)
{
    return std::all_of(word.begin(), word.end(), test);
}

bool isLower(char c) { return c >= 'a' && c <= 'z'; }
bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

class PasswordGenerator : public ::testing::Test {
protected:
    OTVSeededRandomSource source{20240611};
    RandomWordGenerator generator{source};
};

} // namespace

TEST(PasswordCharacterSets, SymbolsAndInternationalCharacters)
{
    EXPECT_EQ(std::strlen(sSymbols), 32u);
    EXPECT_STREQ(sSymbols, "`~!@#$%^&*()-_=+[{]}\\|'\";:,<.>/?");
    // Option + a to z on a US keyboard, in Mac OS Roman; the passwords show them as Unicode.
    const QString expected = QString::fromUtf16(u"å∫ç∂´ƒ©˙ˆ∆˚¬µ˜øπœ®ß†¨√∑≈¥Ω");
    ASSERT_EQ(expected.size(), 26);
    EXPECT_EQ(BKDecodeMacRoman(QByteArray(reinterpret_cast<const char*>(sIntl), 26)), expected);
}

TEST_F(PasswordGenerator, CharacterClassMode)
{
    const struct {
        unsigned short flags;
        std::function<bool(char)> member;
    } cases[] = {
        {1, isLower},
        {2, isUpper},
        {4, isDigit},
        {8, isSymbol},
        {16, isIntl},
        {5, [](char c) { return isLower(c) || isDigit(c); }},
        {31, [](char c) { return isLower(c) || isUpper(c) || isDigit(c) || isSymbol(c) || isIntl(c); }},
    };
    for (const auto& c : cases)
        for (unsigned short length : {1, 8, 63, 200}) {
            const std::string word = generator.randomword(length, c.flags);
            EXPECT_EQ(word.size(), length) << "flags " << c.flags;
            EXPECT_TRUE(all(word, c.member)) << "flags " << c.flags << ": " << word;
        }
}

TEST_F(PasswordGenerator, EveryMemberOfEveryClassTurnsUp)
{
    // Catches a character missing from a class (or a class that can never be drawn).
    std::string drawn;
    for (int i = 0; i < 200; ++i)
        drawn += generator.randomword(63, 31);
    const QSet<char> distinct(drawn.begin(), drawn.end());
    EXPECT_EQ(distinct.size(), 26 + 26 + 10 + 32 + 26);
}

TEST_F(PasswordGenerator, NothingChosenGivesTheEmptyWord)
{
    EXPECT_EQ(generator.randomword(10, 0), "");
    EXPECT_EQ(generator.randomword(10, 32), "");
    EXPECT_EQ(generator.randomword(10, 64), "");
    EXPECT_EQ(generator.randomword(0, 1), "");
    EXPECT_EQ(generator.randomword(0, 33), "");
}

TEST_F(PasswordGenerator, PronounceableModifiersChangeWholeSyllables)
{
    for (int i = 0; i < 200; ++i) {
        EXPECT_TRUE(all(generator.randomword(12, 33), isLower));
        EXPECT_TRUE(all(generator.randomword(12, 34), isUpper));
        EXPECT_TRUE(all(generator.randomword(12, 36), isDigit));
        EXPECT_TRUE(all(generator.randomword(12, 40), isSymbol));
        EXPECT_TRUE(all(generator.randomword(12, 48), isIntl));
    }

    // Flags 35: syllables alternate, the first in lower case.
    int wordsWithBothCases = 0;
    for (int i = 0; i < 200; ++i) {
        const std::string word = generator.randomword(14, 35);
        ASSERT_EQ(word.size(), 14u);
        std::size_t at = 0;
        bool upper = false;
        for (const auto& syllable : generator.lastSyllables()) {
            std::string expected;
            for (unsigned short unit : syllable)
                expected += rules[unit].unit_code;
            if (upper)
                std::transform(expected.begin(), expected.end(), expected.begin(), ::toupper);
            ASSERT_EQ(word.substr(at, expected.size()), expected) << word;
            at += expected.size();
            upper = !upper;
        }
        EXPECT_EQ(at, word.size());
        wordsWithBothCases += generator.lastSyllables().size() > 1;
    }
    EXPECT_GT(wordsWithBothCases, 100);

    // Flags 61 (lower, digits, symbols, international): the modifiers cycle 0, 2, 3, 4, 0, ...
    const std::function<bool(char)> cycle[] = {isLower, isDigit, isSymbol, isIntl};
    for (int i = 0; i < 100; ++i) {
        const std::string word = generator.randomword(30, 61);
        std::size_t at = 0;
        int n = 0;
        for (const auto& syllable : generator.lastSyllables()) {
            std::size_t size = 0;
            for (unsigned short unit : syllable)
                size += std::strlen(rules[unit].unit_code);
            EXPECT_TRUE(all(word.substr(at, size), cycle[n % 4])) << word;
            at += size;
            ++n;
        }
    }
}

TEST_F(PasswordGenerator, PronounceableLengthIsExactAndCappedAtThirty)
{
    for (unsigned short length : {1, 2, 3, 5, 8, 13, 29, 30})
        for (int i = 0; i < 50; ++i)
            ASSERT_EQ(generator.randomword(length, 33).size(), length);
    EXPECT_EQ(generator.randomword(40, 33).size(), 30u);
    EXPECT_EQ(generator.randomword(65535, 33).size(), 30u);
}

TEST_F(PasswordGenerator, ShortSyllableAfterOneThatDeferredUnits)
{
    // A syllable may defer its last units to the next one; a following request too short for
    // them must still give a syllable instead of retrying them forever.
    std::vector<unsigned short> units;
    for (int i = 0; i < 2000; ++i) {
        generator.get_syllable(8, units);
        const std::string syllable = generator.get_syllable(1, units);
        ASSERT_EQ(syllable.size(), 1u);
        ASSERT_TRUE(rules[units[0]].flags & VOWEL) << syllable;
    }
}

TEST_F(PasswordGenerator, PronounceableWordsFollowTheRulesOfFips181)
{
    for (int i = 0; i < 3000; ++i) {
        const unsigned short length = static_cast<unsigned short>(3 + i % 28);
        const std::string word = generator.randomword(length, 33);
        ASSERT_EQ(word.size(), length);

        std::vector<unsigned short> units;
        std::string spelled;
        for (const auto& syllable : generator.lastSyllables()) {
            ASSERT_FALSE(syllable.empty());
            // No syllable starts with a unit or pair that may not begin one.
            EXPECT_FALSE(rules[syllable[0]].flags & NOT_BEGIN_SYLLABLE) << word;
            if (syllable.size() >= 2) {
                EXPECT_FALSE(digram[syllable[0]][syllable[1]] & NOT_BEGIN) << word;
            }
            for (unsigned short unit : syllable) {
                units.push_back(unit);
                spelled += rules[unit].unit_code;
            }
        }
        EXPECT_EQ(spelled, word);

        for (std::size_t k = 1; k < units.size(); ++k)
            ASSERT_FALSE(digram[units[k - 1]][units[k]] & ILLEGAL_PAIR)
                << word << ": " << rules[units[k - 1]].unit_code << rules[units[k]].unit_code;
        for (std::size_t k = 2; k < units.size(); ++k) {
            const auto vowel = [&](std::size_t j) { return (rules[units[j]].flags & VOWEL) != 0; };
            EXPECT_FALSE(!vowel(k - 2) && !vowel(k - 1) && !vowel(k)) << word << ": three consonants";
            EXPECT_FALSE(vowel(k - 2) && !(rules[units[k - 2]].flags & ALTERNATE_VOWEL) && vowel(k - 1) && vowel(k))
                << word << ": three vowels";
        }

        // The last syllable does not have a final e as its only vowel ("ble").
        const auto& last = generator.lastSyllables().back();
        const auto vowels = std::count_if(last.begin(), last.end(),
                                          [](unsigned short u) { return rules[u].flags & VOWEL; });
        EXPECT_FALSE(vowels == 1 && (rules[last.back()].flags & NO_FINAL_SPLIT)) << word;
        // The first syllable does not have a leading y as its only vowel ("ycl").
        const auto& first = generator.lastSyllables().front();
        const bool onlyLeadingY = (rules[first[0]].flags & ALTERNATE_VOWEL)
            && std::none_of(first.begin() + 1, first.end(), [](unsigned short u) { return rules[u].flags & VOWEL; });
        EXPECT_FALSE(onlyLeadingY) << word;
    }
}

TEST(Fips181Tables, ShapeOfTheTables)
{
    // The frequencies and a few pairs, as printed in the standard.
    const auto count = [](unsigned short unit) {
        return std::count(std::begin(numbers), std::end(numbers), unit);
    };
    EXPECT_EQ(count(0), 10);   // a
    EXPECT_EQ(count(4), 12);   // e
    EXPECT_EQ(count(22), 1);   // x
    EXPECT_EQ(count(29), 2);   // sh
    EXPECT_EQ(count(33), 1);   // ck
    EXPECT_TRUE(std::is_sorted(std::begin(numbers), std::end(numbers)));
    for (unsigned short v : vowel_numbers)
        EXPECT_TRUE(rules[v].flags & VOWEL);
    EXPECT_EQ(digram[0][0], ILLEGAL_PAIR);                          // aa
    EXPECT_EQ(digram[1][11], BEGIN | SUFFIX | NOT_END);             // bl
    EXPECT_EQ(digram[2][17], NOT_BEGIN | END);                      // cs
    EXPECT_EQ(digram[4][14], BREAK);                                // eo
    EXPECT_EQ(digram[33][23], NOT_BEGIN);                           // cky
    int vowels = 0;
    for (const Unit& unit : rules)
        vowels += (unit.flags & VOWEL) != 0;
    EXPECT_EQ(vowels, 6);
}

TEST(PasswordGeneration, ClampsToSixtyThreeAndReadsMacRoman)
{
    OTVSeededRandomSource source(7);
    RandomWordGenerator generator(source);
    EXPECT_EQ(generatePassword(15, 100, generator).size(), 63);
    EXPECT_EQ(generatePassword(15, 63, generator).size(), 63);
    EXPECT_EQ(generatePassword(15, 64, generator).size(), 63);
    EXPECT_EQ(generatePassword(15, 65535, generator).size(), 63);
    EXPECT_EQ(generatePassword(0, 20, generator), "");

    const QString intl = generatePassword(16, 100, generator);
    ASSERT_EQ(intl.size(), 63);
    const QString allowed = BKDecodeMacRoman(QByteArray(reinterpret_cast<const char*>(sIntl), 26));
    for (const QChar c : intl)
        EXPECT_TRUE(allowed.contains(c)) << std::hex << c.unicode();
    // Every one of them fits a stored value: at most 3 UTF-8 bytes each.
    EXPECT_LE(intl.toUtf8().size(), 189);
}

TEST(PasswordGeneration, PassKeysAreSixteenCharactersOfTheFirstFourClasses)
{
    OTVSeededRandomSource source(11);
    RandomWordGenerator generator(source);
    QSet<QString> seen;
    for (int i = 0; i < 200; ++i) {
        const QString key = getRandomPassKey(generator);
        ASSERT_EQ(key.size(), 16);
        for (const QChar c : key)
            EXPECT_TRUE(c.unicode() < 128 && (std::isalnum(c.unicode()) || isSymbol(static_cast<char>(c.unicode()))));
        seen.insert(key);
    }
    EXPECT_EQ(seen.size(), 200);
    EXPECT_EQ(getRandomPassKey().size(), 16);
}
