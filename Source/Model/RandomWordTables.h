#pragma once

// The tables of FIPS PUB 181, Automated Password Generator (public domain): the 34 units a
// pronounceable word is made of, the rules for each pair of units, and the frequencies with
// which units are drawn.
namespace Fips181 {

// Rules of a single unit.
enum UnitFlag : unsigned short {
    NO_SPECIAL_RULE = 0,
    ALTERNATE_VOWEL = 01,      // y: a vowel, but a consonant at the start of a syllable
    VOWEL = 02,
    NO_FINAL_SPLIT = 04,       // e: may not be the only vowel of a word's last syllable
    NOT_BEGIN_SYLLABLE = 010,  // x, ck
};

// Rules of a pair of units (digram[first][second]).
enum PairFlag : unsigned char {
    ANY_COMBINATION = 0,
    NOT_END = 01,       // the pair cannot end a syllable
    END = 02,           // the pair ends a syllable
    SUFFIX = 04,        // a vowel must follow the pair
    ILLEGAL_PAIR = 010,
    PREFIX = 020,       // a vowel must precede the pair
    BREAK = 040,        // the pair is split between two syllables
    NOT_BEGIN = 0100,   // the pair cannot begin a syllable
    BEGIN = 0200,       // the pair begins a syllable
};

constexpr int kUnitCount = 34;
constexpr int kNumbersCount = 210;
constexpr int kVowelNumbersCount = 12;

struct Unit {
    const char* unit_code;
    unsigned short flags;
};

// a to z without q, then ch gh ph rh sh th wh qu ck.
extern const Unit rules[kUnitCount];
extern const unsigned char digram[kUnitCount][kUnitCount];
// Unit numbers, each as often as the unit's frequency in English.
extern const unsigned short numbers[kNumbersCount];
// The vowels a, e, i, o, u and y, with their frequencies.
extern const unsigned short vowel_numbers[kVowelNumbersCount];

} // namespace Fips181
