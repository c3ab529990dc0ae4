#pragma once

#include <string>
#include <vector>

class OTVRandomSource;

// What randomword may use; the password-generator sheet keeps the choice (one bit a check box).
enum RandomWordFlag : unsigned short {
    kRandomWordLowerCase = 1,
    kRandomWordUpperCase = 2,
    kRandomWordDigits = 4,
    kRandomWordSymbols = 8,       // sSymbols
    kRandomWordIntl = 16,         // sIntl
    kRandomWordPronounceable = 32,
};
constexpr unsigned short kRandomWordClassMask = 31;
constexpr unsigned short kMaxPronounceableLength = 30;

// The 32 symbols, and the 26 Mac OS Roman characters that the Option key gives with a to z.
extern const char sSymbols[33];
extern const unsigned char sIntl[26];

// The password generator. In character-class mode it draws bytes until `length` of them fall in
// the chosen classes. In pronounceable mode it builds a word of syllables by the method of
// FIPS PUB 181 and then changes whole syllables in turn by the chosen classes (lower case as it
// is, upper case, digits, symbols, international characters). The result is bytes: ASCII, and
// Mac OS Roman for sIntl.
//
// Like the standard, a generator keeps a syllable's deferred units for the next one, also
// across words. One generator serves one thread at a time.
class RandomWordGenerator {
public:
    explicit RandomWordGenerator(OTVRandomSource& source);

    // Empty when flags choose no character class or length is 0. Pronounceable words are at
    // most kMaxPronounceableLength characters.
    std::string randomword(unsigned short length, unsigned short flags);

    // The units (indexes into Fips181::rules) of each syllable of the last pronounceable word.
    const std::vector<std::vector<unsigned short>>& lastSyllables() const { return lastSyllables_; }

    // ---- The steps of FIPS PUB 181 ----
    // A unit index drawn by English frequency; a vowel when type has Fips181::VOWEL.
    unsigned short random_unit(unsigned short type);
    // One syllable of at most pwlen characters; its units go to units.
    std::string get_syllable(unsigned short pwlen, std::vector<unsigned short>& units);

private:
    std::string characterClassWord(unsigned short length, unsigned short flags);
    std::string pronounceableWord(unsigned short length, unsigned short flags);
    void applyModifier(int bit, std::string& syllable);
    void dropSavedUnitsLongerThan(unsigned short pwlen);

    OTVRandomSource& source_;
    // Units deferred by the last syllable to the next: 0, 1 (saved_pair[0]) or 2 (both).
    unsigned short saved_unit_ = 0;
    unsigned short saved_pair_[2] = {0, 0};
    std::vector<std::vector<unsigned short>> lastSyllables_;
};
