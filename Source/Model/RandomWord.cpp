#include "RandomWord.h"

#include "OTVRandom.h"
#include "RandomWordTables.h"

#include <algorithm>
#include <cstring>

using namespace Fips181;

const char sSymbols[33] = "`~!@#$%^&*()-_=+[{]}\\|'\";:,<.>/?";
const unsigned char sIntl[26] = {
    0x8C, 0xBA, 0x8D, 0xB6, 0xAB, 0xC4, 0xA9, 0xFA, 0xF6, 0xC6, 0xFB, 0xC2, 0xB5,
    0xF7, 0xBF, 0xB9, 0xCF, 0xA8, 0xA7, 0xA0, 0xAC, 0xC3, 0xB7, 0xC5, 0xB4, 0xBD,
};

namespace {

bool isVowel(unsigned short unit)
{
    return rules[unit].flags & VOWEL;
}

bool hasFlag(unsigned short unit, unsigned short flag)
{
    return rules[unit].flags & flag;
}

int unitLength(unsigned short unit)
{
    return static_cast<int>(std::strlen(rules[unit].unit_code));
}

bool inClasses(unsigned char c, unsigned short flags)
{
    if ((flags & kRandomWordLowerCase) && c >= 'a' && c <= 'z')
        return true;
    if ((flags & kRandomWordUpperCase) && c >= 'A' && c <= 'Z')
        return true;
    if ((flags & kRandomWordDigits) && c >= '0' && c <= '9')
        return true;
    if ((flags & kRandomWordSymbols) && std::memchr(sSymbols, c, 32))
        return true;
    if ((flags & kRandomWordIntl) && std::find(std::begin(sIntl), std::end(sIntl), c) != std::end(sIntl))
        return true;
    return false;
}

// A syllable that splits its vowels with consonants (but for a final silent e), or that has
// three consonants or three vowels in a row (a leading y counts as a consonant).
bool illegal_placement(const std::vector<unsigned short>& units, int last)
{
    int vowelCount = 0;
    for (int i = 0; i <= last; ++i) {
        if (i >= 1) {
            const bool splitVowels = !isVowel(units[i - 1]) && isVowel(units[i])
                && !(hasFlag(units[i], NO_FINAL_SPLIT) && i == last) && vowelCount != 0;
            const bool threeConsonants = i >= 2 && !isVowel(units[i - 2]) && !isVowel(units[i - 1]) && !isVowel(units[i]);
            const bool threeVowels = i >= 2 && isVowel(units[i - 2])
                && !(hasFlag(units[0], ALTERNATE_VOWEL) && i == 2) && isVowel(units[i - 1]) && isVowel(units[i]);
            if (splitVowels || threeConsonants || threeVowels)
                return true;
        }
        if (isVowel(units[i]) && !(hasFlag(units[0], ALTERNATE_VOWEL) && i == 0 && last != 0))
            ++vowelCount;
    }
    return false;
}

// Checks across syllable borders: an illegal pair, three vowels in a row (the first not a y)
// or three consonants in a row.
bool improper_word(const std::vector<unsigned short>& units)
{
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (i != 0 && (digram[units[i - 1]][units[i]] & ILLEGAL_PAIR))
            return true;
        if (i >= 2) {
            const bool threeVowels = isVowel(units[i - 2]) && !hasFlag(units[i - 2], ALTERNATE_VOWEL)
                && isVowel(units[i - 1]) && isVowel(units[i]);
            const bool threeConsonants = !isVowel(units[i - 2]) && !isVowel(units[i - 1]) && !isVowel(units[i]);
            if (threeVowels || threeConsonants)
                return true;
        }
    }
    return false;
}

// A first syllable whose only vowel is a leading y ("ycl").
bool have_initial_y(const std::vector<unsigned short>& units)
{
    int vowelCount = 0;
    int normalVowelCount = 0;
    for (std::size_t i = 0; i < units.size(); ++i)
        if (isVowel(units[i])) {
            ++vowelCount;
            if (!hasFlag(units[i], ALTERNATE_VOWEL) || i != 0)
                ++normalVowelCount;
        }
    return vowelCount <= 1 && normalVowelCount == 0;
}

// A last syllable whose only vowel is its final e ("ble").
bool have_final_split(const std::vector<unsigned short>& units)
{
    const auto vowelCount = std::count_if(units.begin(), units.end(), isVowel);
    return vowelCount == 1 && hasFlag(units.back(), NO_FINAL_SPLIT);
}

} // namespace

RandomWordGenerator::RandomWordGenerator(OTVRandomSource& source)
    : source_(source)
{
}

std::string RandomWordGenerator::randomword(unsigned short length, unsigned short flags)
{
    if ((flags & kRandomWordClassMask) == 0 || length == 0)
        return std::string();
    if (flags & kRandomWordPronounceable)
        return pronounceableWord(std::min(length, kMaxPronounceableLength), flags);
    return characterClassWord(length, flags);
}

std::string RandomWordGenerator::characterClassWord(unsigned short length, unsigned short flags)
{
    std::string word;
    word.reserve(length);
    while (word.size() < length) {
        const auto c = static_cast<unsigned char>(source_.next() & 0xFF);
        if (c != 0 && inClasses(c, flags))
            word.push_back(static_cast<char>(c));
    }
    return word;
}

std::string RandomWordGenerator::pronounceableWord(unsigned short length, unsigned short flags)
{
    const int maxTries = 4 * length + kUnitCount;
    std::string word;
    std::vector<unsigned short> wordUnits;
    int modifier = 0;  // the class bit the next accepted syllable is changed by
    int tries = 0;
    lastSyllables_.clear();
    while (word.size() < length) {
        std::vector<unsigned short> units;
        std::string syllable = get_syllable(static_cast<unsigned short>(length - word.size()), units);
        std::vector<unsigned short> candidate = wordUnits;
        candidate.insert(candidate.end(), units.begin(), units.end());
        const bool rejected = improper_word(candidate) || (word.empty() && have_initial_y(units))
            || (word.size() + syllable.size() == length && have_final_split(units));
        if (!rejected) {
            while (!(flags & (1u << modifier)))
                modifier = (modifier + 1) % 5;
            applyModifier(modifier, syllable);
            modifier = (modifier + 1) % 5;
            word += syllable;
            wordUnits = std::move(candidate);
            lastSyllables_.push_back(std::move(units));
        }
        if (++tries > maxTries) {
            // Start the word again.
            word.clear();
            wordUnits.clear();
            lastSyllables_.clear();
            modifier = 0;
            tries = 0;
        }
    }
    return word;
}

void RandomWordGenerator::applyModifier(int bit, std::string& syllable)
{
    for (char& c : syllable) {
        switch (bit) {
        case 1:
            c = static_cast<char>(c - 32);
            break;
        case 2:
            c = static_cast<char>('0' + source_.next() % 10);
            break;
        case 3:
            c = sSymbols[source_.next() & 31];
            break;
        case 4:
            c = static_cast<char>(sIntl[source_.next() % 26]);
            break;
        default:
            break;
        }
    }
}

unsigned short RandomWordGenerator::random_unit(unsigned short type)
{
    if (type & VOWEL)
        return vowel_numbers[source_.next() % kVowelNumbersCount];
    return numbers[source_.next() % kNumbersCount];
}

void RandomWordGenerator::dropSavedUnitsLongerThan(unsigned short pwlen)
{
    int needed = 0;
    if (saved_unit_ >= 1)
        needed += unitLength(saved_pair_[0]);
    if (saved_unit_ == 2)
        needed += unitLength(saved_pair_[1]);
    if (needed > pwlen)
        saved_unit_ = 0;
}

std::string RandomWordGenerator::get_syllable(unsigned short pwlen, std::vector<unsigned short>& units)
{
    // Deferred units that do not fit a shorter request (possible only when syllables are asked
    // for directly: a finished word leaves none) would be retried forever.
    dropSavedUnitsLongerThan(pwlen);

    const int maxRetries = 4 * pwlen + kUnitCount;
    // The deferred units fit the previous syllable; every attempt at this one starts with them.
    const unsigned short heldSavedUnit = saved_unit_;
    std::vector<unsigned short> u(pwlen + 2, 0);
    std::string syllable;
    unsigned short unit = 0;
    unsigned short lastUnit = 0;
    int syllableLast = 0;  // index of the syllable's last unit
    bool ruleBroken;
    do {
        int tries = 0;
        saved_unit_ = heldSavedUnit;
        syllable.clear();
        int vowelCount = 0;
        int current = 0;
        int lengthLeft = pwlen;
        bool wantAnotherUnit = true;
        do {
            bool wantVowel = false;
            // Find a unit that fits this position.
            do {
                if (saved_unit_ != 0) {
                    if (saved_unit_ == 2) {
                        // The first of two deferred units was checked by the previous syllable.
                        u[0] = saved_pair_[1];
                        if (isVowel(saved_pair_[1]))
                            ++vowelCount;
                        ++current;
                        syllable = rules[saved_pair_[1]].unit_code;
                        lengthLeft -= static_cast<int>(syllable.size());
                    }
                    unit = saved_pair_[0];
                    saved_unit_ = 0;
                } else {
                    unit = random_unit(wantVowel ? VOWEL : NO_SPECIAL_RULE);
                }
                lengthLeft -= unitLength(unit);
                ruleBroken = lengthLeft < 0;

                if (current == 0) {
                    if (hasFlag(unit, NOT_BEGIN_SYLLABLE))
                        ruleBroken = true;
                    else if (lengthLeft == 0) {
                        // A one-unit syllable must be a vowel.
                        if (isVowel(unit))
                            wantAnotherUnit = false;
                        else
                            ruleBroken = true;
                    }
                } else {
                    const unsigned char pair = digram[u[current - 1]][unit];
                    if ((pair & ILLEGAL_PAIR) || ((pair & BREAK) && vowelCount == 0)
                        || ((pair & END) && vowelCount == 0 && !isVowel(unit)))
                        ruleBroken = true;

                    if (current == 1) {
                        if (pair & NOT_BEGIN)
                            ruleBroken = true;
                    } else {
                        lastUnit = u[current - 1];
                        const unsigned char previousPair = digram[u[current - 2]][lastUnit];
                        if ((current == 2 && (pair & BEGIN) && hasFlag(u[0], ALTERNATE_VOWEL))
                            || ((pair & NOT_END) && lengthLeft == 0)
                            || ((pair & BREAK) && (previousPair & NOT_END))
                            || ((pair & PREFIX) && !isVowel(u[current - 2])))
                            ruleBroken = true;

                        if (!ruleBroken && isVowel(unit)
                            && (lengthLeft > 0 || !hasFlag(lastUnit, NO_FINAL_SPLIT))) {
                            if (vowelCount > 1 && isVowel(lastUnit)) {
                                ruleBroken = true;  // three vowels in a syllable
                            } else if (vowelCount != 0 && !isVowel(lastUnit)) {
                                // Vowel, consonants, vowel: defer this vowel to the next
                                // syllable if the syllable may end here.
                                if (previousPair & NOT_END) {
                                    ruleBroken = true;
                                } else {
                                    saved_unit_ = 1;
                                    saved_pair_[0] = unit;
                                    wantAnotherUnit = false;
                                }
                            }
                        }
                    }

                    // Can the syllable end here (perhaps deferring units to the next)?
                    if (!ruleBroken && wantAnotherUnit) {
                        if ((vowelCount != 0 && hasFlag(unit, NO_FINAL_SPLIT) && lengthLeft == 0 && !isVowel(lastUnit))
                            || (pair & END) || lengthLeft == 0) {
                            wantAnotherUnit = false;
                        } else if (vowelCount != 0 && lengthLeft > 0) {
                            if ((pair & BEGIN) && current > 1 && !(vowelCount == 1 && isVowel(lastUnit))) {
                                saved_unit_ = 2;
                                saved_pair_[0] = unit;
                                saved_pair_[1] = lastUnit;
                                wantAnotherUnit = false;
                            } else if (pair & BREAK) {
                                saved_unit_ = 1;
                                saved_pair_[0] = unit;
                                wantAnotherUnit = false;
                            }
                        } else if (pair & SUFFIX) {
                            wantVowel = true;
                        }
                    }
                }
                ++tries;
                if (ruleBroken)
                    lengthLeft += unitLength(unit);
            } while (ruleBroken && tries <= maxRetries);

            if (tries <= maxRetries) {
                // A leading y counts as a consonant ("year").
                if (isVowel(unit) && (current > 0 || !hasFlag(unit, ALTERNATE_VOWEL)))
                    ++vowelCount;
                switch (saved_unit_) {
                case 0:
                    u[current] = unit;
                    syllable += rules[unit].unit_code;
                    break;
                case 1:
                    --current;
                    break;
                case 2:
                    syllable.resize(syllable.size() - unitLength(lastUnit));
                    lengthLeft += unitLength(lastUnit);
                    current -= 2;
                    break;
                }
            } else {
                ruleBroken = true;  // too many tries: start the syllable again
            }
            syllableLast = current;
            ++current;
        } while (tries <= maxRetries && wantAnotherUnit);
    } while (ruleBroken || illegal_placement(u, syllableLast));

    units.assign(u.begin(), u.begin() + syllableLast + 1);
    return syllable;
}
