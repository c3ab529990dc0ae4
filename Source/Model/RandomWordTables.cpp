#include "RandomWordTables.h"

namespace Fips181 {

// The units in the standard's order; the index of a unit is its number in the other tables.
const Unit rules[kUnitCount] = {
    {"a", VOWEL},
    {"b", NO_SPECIAL_RULE},
    {"c", NO_SPECIAL_RULE},
    {"d", NO_SPECIAL_RULE},
    {"e", NO_FINAL_SPLIT | VOWEL},
    {"f", NO_SPECIAL_RULE},
    {"g", NO_SPECIAL_RULE},
    {"h", NO_SPECIAL_RULE},
    {"i", VOWEL},
    {"j", NO_SPECIAL_RULE},
    {"k", NO_SPECIAL_RULE},
    {"l", NO_SPECIAL_RULE},
    {"m", NO_SPECIAL_RULE},
    {"n", NO_SPECIAL_RULE},
    {"o", VOWEL},
    {"p", NO_SPECIAL_RULE},
    {"r", NO_SPECIAL_RULE},
    {"s", NO_SPECIAL_RULE},
    {"t", NO_SPECIAL_RULE},
    {"u", VOWEL},
    {"v", NO_SPECIAL_RULE},
    {"w", NO_SPECIAL_RULE},
    {"x", NOT_BEGIN_SYLLABLE},
    {"y", ALTERNATE_VOWEL | VOWEL},
    {"z", NO_SPECIAL_RULE},
    {"ch", NO_SPECIAL_RULE},
    {"gh", NO_SPECIAL_RULE},
    {"ph", NO_SPECIAL_RULE},
    {"rh", NO_SPECIAL_RULE},
    {"sh", NO_SPECIAL_RULE},
    {"th", NO_SPECIAL_RULE},
    {"wh", NO_SPECIAL_RULE},
    {"qu", NO_SPECIAL_RULE},
    {"ck", NOT_BEGIN_SYLLABLE},
};

namespace {
// Short names for the pair table only.
constexpr unsigned char ANY = ANY_COMBINATION, B = BEGIN, NB = NOT_BEGIN, BR = BREAK, PF = PREFIX,
                        IL = ILLEGAL_PAIR, SF = SUFFIX, EN = END, NE = NOT_END;
} // namespace

// digram[first][second]: the rules for the pair of units. Columns in unit order:
//   a b c d e f g h i j k l m n o p r s t u v w x y z ch gh ph rh sh th wh qu ck
const unsigned char digram[kUnitCount][kUnitCount] = {
    // a
    {IL, ANY, ANY, ANY, IL, ANY, ANY, NB|BR|NE, ANY,
     ANY, ANY, ANY, ANY, ANY, IL, ANY, ANY, ANY,
     ANY, ANY, ANY, ANY, ANY, ANY, ANY, ANY, IL,
     ANY, IL, ANY, ANY, IL, BR|NE, ANY},
    // b
    {ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY,
     NB|BR|NE, NB|BR|NE, B|SF|NE, NB|BR|NE, NB|BR|NE, ANY, NB|BR|NE, B|EN, NB,
     NB|BR|NE, ANY, NB|BR|NE, NB|BR|NE, IL, ANY, NB|BR|NE, NB|BR|NE, IL,
     NB|BR|NE, IL, NB|BR|NE, NB|BR|NE, IL, NB|BR|NE, IL},
    // c
    {ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY,
     NB|BR|NE, NB|BR|NE, SF|NE, NB|BR|NE, NB|BR|NE, ANY, NB|BR|NE, NE, NB|EN,
     NB|PF, ANY, NB|BR|NE, NB|BR|NE, IL, ANY, NB|BR|NE, IL, IL,
     NB|BR|NE, IL, NB|BR|NE, NB|BR|NE, IL, NB|SF|NE, IL},
    // d
    {ANY, NB|BR|NE, NB|BR|NE, NB, ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY,
     NB|BR|NE, NB|BR|NE, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY, NB|BR|NE, B|NE, NB|EN,
     NB|BR|NE, ANY, NB|BR|NE, NB|BR|NE, IL, ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE,
     NB|BR|NE, IL, NB|NE, NB|PF, IL, NB|BR|NE, IL},
    // e
    {ANY, ANY, ANY, ANY, ANY, ANY, ANY, NB|BR|NE, NE,
     ANY, ANY, ANY, ANY, ANY, BR, ANY, ANY, ANY,
     ANY, ANY, ANY, ANY, ANY, ANY, ANY, ANY, NB|BR|NE,
     ANY, IL, ANY, ANY, IL, BR|NE, ANY},
    // f
    {ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY, NB, NB|BR|NE, NB|BR|NE, ANY,
     NB|BR|NE, NB|BR|NE, B|SF|NE, NB|BR|NE, NB|BR|NE, ANY, NB|BR|NE, B|NE, NB,
     NB, ANY, NB|BR|NE, NB|BR|NE, IL, NB, NB|BR|NE, NB|BR|NE, NB|BR|NE,
     NB|BR|NE, IL, NB|BR|NE, NB|BR|NE, IL, NB|BR|NE, IL},
    // g
    {ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY, NB|BR|NE, NB, NB|BR|NE, ANY,
     NB|BR|NE, IL, B|SF|NE, NB|BR|NE, NB|BR|NE, ANY, NB|BR|NE, B|NE, NB|EN,
     NB|BR|NE, ANY, NB|BR|NE, NB|BR|NE, IL, NB, NB|BR|NE, NB|BR|NE, IL,
     NB|BR|NE, IL, NB, NB, IL, NB|BR|NE, IL},
    // h
    {ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY, NB|BR|NE, NB|BR|NE, IL, ANY,
     NB|BR|NE, NB|BR|NE, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE,
     NB|BR|NE, ANY, NB|BR|NE, NB|BR|NE, IL, ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE,
     NB|BR|NE, IL, NB|BR|NE, NB|BR|NE, IL, NB|BR|NE, IL},
    // i
    {ANY, ANY, ANY, ANY, NB, ANY, ANY, NB|BR|NE, IL,
     ANY, ANY, ANY, ANY, ANY, BR, ANY, ANY, ANY,
     ANY, NB|BR|NE, ANY, NB|BR|NE, ANY, NB|BR|NE, ANY, ANY, NB,
     ANY, IL, ANY, ANY, IL, BR|NE, ANY},
    // j
    {ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY, NB|BR|NE, IL, NB|BR|NE, ANY,
     IL, NB|BR|NE, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE,
     NB|BR|NE, ANY, NB|BR|NE, NB|BR|NE, IL, NB, NB|BR|NE, NB|BR|NE, NB|BR|NE,
     NB|BR|NE, IL, NB|BR|NE, NB|BR|NE, IL, NB|BR|NE, IL},
    // k
    {ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY,
     NB|BR|NE, NB|BR|NE, SF|NE, NB|BR|NE, B|SF|NE, ANY, NB|BR|NE, SF|NE, NB|EN,
     NB|BR|NE, ANY, NB|BR|NE, NB|BR|NE, IL, NB, NB|BR|NE, NB|BR|NE, NB|BR|NE,
     NB|PF, IL, NB, NB|BR|NE, IL, NB|BR|NE, IL},
    // l
    {ANY, NB|PF, NB|BR|NE, NB|PF, ANY, NB|PF, NB|PF, NB|BR|NE, ANY,
     NB|PF, NB|PF, NB|PF, NB|PF, NB|BR|NE, ANY, NB|PF, NB|BR|NE, NB,
     NB|PF, ANY, NB|PF, NB|BR|NE, IL, ANY, NB|BR|NE, NB|PF, NB|BR|NE,
     NB|PF, IL, NB|PF, NB|PF, IL, NB|BR|NE, IL},
    // m
    {ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY,
     NB|BR|NE, NB|BR|NE, NB|BR|NE, NB, NB|BR|NE, ANY, NB, NB|BR|NE, NB,
     NB, ANY, NB|BR|NE, NB|BR|NE, IL, ANY, NB|BR|NE, NB|PF, NB|BR|NE,
     NB, IL, NB, NB, IL, NB|BR|NE, IL},
    // n
    {ANY, NB|BR|NE, NB|BR|NE, NB, ANY, NB|BR|NE, NB|PF, NB|BR|NE, ANY,
     NB|BR|NE, NB|PF, NB|BR|NE, NB|BR|NE, NB, ANY, NB|BR|NE, NB|BR|NE, NB,
     NB, ANY, NB|BR|NE, NB|BR|NE, IL, NB, NB|BR|NE, NB|PF, NB|BR|NE,
     NB|PF, IL, NB, NB, IL, NB|BR|NE, NB|PF},
    // o
    {ANY, ANY, ANY, ANY, IL, ANY, ANY, NB|BR|NE, ANY,
     ANY, ANY, ANY, ANY, ANY, ANY, ANY, ANY, ANY,
     ANY, ANY, ANY, ANY, ANY, ANY, ANY, ANY, NB,
     ANY, IL, ANY, ANY, IL, BR|NE, ANY},
    // p
    {ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY,
     NB|BR|NE, NB|BR|NE, SF|NE, NB|BR|NE, NB|BR|NE, ANY, NB|PF, NE, NB|EN,
     NB|EN, NB|EN, NB|BR|NE, NB|BR|NE, IL, ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE,
     NB|BR|NE, IL, NB|BR|NE, NB|BR|NE, IL, NB|BR|NE, IL},
    // r
    {ANY, NB|PF, NB|PF, NB|PF, ANY, NB|PF, NB|PF, NB|BR|NE, ANY,
     NB|PF, NB|PF, NB|PF, NB|PF, NB|PF, ANY, NB|PF, NB|PF, NB|PF,
     NB|PF, ANY, NB|PF, NB|BR|NE, IL, ANY, NB|PF, NB|PF, NB|BR|NE,
     NB|PF, IL, NB|PF, NB|PF, IL, NB|PF|NE, NB|PF},
    // s
    {ANY, NB|BR|NE, NE, NB|BR|NE, ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY,
     NB|BR|NE, ANY, B|SF|NE, SF|NE, PF|SF|NE, ANY, ANY, NB|NE, NB|PF,
     ANY, ANY, NB|BR|NE, B|SF|NE, IL, ANY, NB|BR|NE, B|SF|NE, NB|BR|NE,
     NB|BR|NE, IL, NB|BR|NE, NB|BR|NE, IL, SF|NE, NB},
    // t
    {ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY,
     NB|BR|NE, NB|BR|NE, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY, NB|BR|NE, NE, NB|EN,
     NB|PF, ANY, NB|BR|NE, B|SF|NE, IL, ANY, NB|BR|NE, NB, NB|BR|NE,
     NB|EN, IL, NB|EN, NB|BR|NE, IL, NB|BR|NE, IL},
    // u
    {NB|BR|NE, ANY, ANY, ANY, NB, ANY, ANY, NB|BR|NE, NB|BR|NE,
     ANY, ANY, ANY, ANY, ANY, NB|BR, ANY, ANY, ANY,
     ANY, IL, ANY, NB|BR|NE, ANY, NB|BR|NE, ANY, ANY, NB|PF,
     ANY, IL, ANY, ANY, IL, BR|NE, ANY},
    // v
    {ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY,
     NB|BR|NE, NB|BR|NE, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE,
     NB|BR|NE, ANY, NB|BR|NE, NB|BR|NE, IL, NB, NB|BR|NE, NB|BR|NE, NB|BR|NE,
     NB|BR|NE, IL, NB|BR|NE, NB|BR|NE, IL, NB|BR|NE, IL},
    // w
    {ANY, NB|PF, NB|BR|NE, NB|PF|EN, ANY, NB|PF, NB|PF|EN, NB|BR|NE, ANY,
     NB|BR|NE, NB|PF, NB|PF|SF, NB|PF, NB|PF, ANY, NB|PF, B|SF|NE, NB|PF,
     NB|PF, ANY, NB|PF, NB|BR|NE, NB|PF, ANY, NB|PF, NB, NB|BR|NE,
     NB, IL, NB, NB, IL, NB|BR|NE, NB},
    // x
    {NB, NB|BR|NE, NB|BR|NE, NB|BR|NE, NB, NB|BR|NE, NB|BR|NE, NB|BR|NE, NB,
     NB|BR|NE, NB|BR|NE, NB|BR|NE, NB|BR|NE, NB|BR|NE, NB, NB|BR|NE, NB|BR|NE, NB|BR|NE,
     NB|BR|NE, NB, NB|BR|NE, NB|BR|NE, IL, NB, NB|BR|NE, NB|BR|NE, NB|BR|NE,
     NB|BR|NE, IL, NB|BR|NE, NB|BR|NE, IL, NB|BR|NE, IL},
    // y
    {ANY, NB, NB|NE, NB, ANY, NB|NE, NB, NB|BR|NE, B|NE,
     NB|NE, NB, NB|NE, NB, NB, ANY, NB, NB|BR|NE, NB,
     NB, ANY, NB|NE, NB|BR|NE, NB, IL, NB, NB|BR|NE, NB|BR|NE,
     NB|BR|NE, IL, NB|BR|NE, NB|BR|NE, IL, NB|BR|NE, IL},
    // z
    {ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY,
     NB|BR|NE, NB|BR|NE, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY, NB|BR|NE, NB|NE, NB|BR|NE,
     NB, ANY, NB|BR|NE, SF|NE, IL, ANY, NB, NB|BR|NE, NB|BR|NE,
     NB|BR|NE, IL, NB|BR|NE, NB|BR|NE, IL, NB|BR|NE, IL},
    // ch
    {ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY,
     NB|BR|NE, NB|BR|NE, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY, NB|BR|NE, NE, NB|BR|NE,
     NB|BR|NE, ANY, NB|BR|NE, NB|NE, IL, ANY, NB|BR|NE, IL, NB|BR|NE,
     NB|BR|NE, IL, NB|BR|NE, NB|BR|NE, IL, NB|BR|NE, IL},
    // gh
    {ANY, NB|BR|PF|NE, NB|BR|PF|NE, NB|BR|PF|NE, ANY, NB|BR|PF|NE, NB|BR|PF|NE, NB|BR|PF|NE, B|NE,
     NB|BR|PF|NE, NB|BR|PF|NE, NB|BR|PF|NE, NB|BR|PF|NE, NB|BR|PF|NE, B|NE, NB|BR|NE, NB|BR|PF|NE, NB|PF,
     NB|PF, NB|BR|PF|NE, NB|BR|PF|NE, NB|BR|PF|NE, IL, NB|BR|PF|NE, NB|BR|PF|NE, NB|BR|PF|NE, IL,
     NB|BR|PF|NE, IL, NB|BR|PF|NE, NB|BR|PF|NE, IL, NB|BR|PF|NE, IL},
    // ph
    {ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY,
     NB|BR|NE, NB|BR|NE, B|SF|NE, NB|BR|NE, NB|BR|NE, ANY, NB|BR|NE, NE, NB,
     NB, ANY, NB|NE, NB|NE, IL, NB, NB|BR|NE, NB|BR|NE, NB|BR|NE,
     IL, IL, NB|BR|NE, NB|BR|NE, IL, NB|BR|NE, IL},
    // rh
    {B|NE, IL, IL, IL, B|NE, IL, IL, IL, B|NE,
     IL, IL, IL, IL, IL, B|NE, IL, IL, IL,
     IL, B|NE, IL, IL, IL, B|NE, IL, IL, IL,
     IL, IL, IL, IL, IL, IL, IL},
    // sh
    {ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY, NB|BR|NE, NB|BR|NE, IL, ANY,
     NB|BR|NE, NB, B|SF|NE, B|SF|NE, B|SF|NE, ANY, NB, B|SF|NE, NB|BR|NE,
     SF, ANY, NB|BR|NE, SF|NE, IL, ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE,
     NB|BR|NE, IL, IL, NB|BR|NE, IL, NB|BR|NE, IL},
    // th
    {ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY,
     NB|BR|NE, NB|BR|NE, NB|BR|NE, NB|BR|NE, NB|BR|NE, ANY, NB|BR|NE, NE, NB|EN,
     NB|BR|NE, ANY, NB|BR|NE, SF|NE, IL, ANY, NB|BR|NE, NB|BR|NE, NB|BR|NE,
     NB|BR|NE, IL, NB|BR|NE, IL, IL, NB|BR|NE, IL},
    // wh
    {B|NE, IL, IL, IL, B|NE, IL, IL, IL, B|NE,
     IL, IL, IL, IL, IL, B|NE, IL, IL, IL,
     IL, IL, IL, IL, IL, B|NE, IL, IL, IL,
     IL, IL, IL, IL, IL, IL, IL},
    // qu
    {ANY, IL, IL, IL, ANY, IL, IL, IL, ANY,
     IL, IL, IL, IL, IL, ANY, IL, IL, IL,
     IL, IL, IL, IL, IL, IL, IL, IL, IL,
     IL, IL, IL, IL, IL, IL, IL},
    // ck
    {NB|BR|NE, NB|BR|NE, NB|BR|NE, NB|BR|NE, NB|BR|NE, NB|BR|NE, NB|BR|NE, NB|BR|NE, NB|BR|NE,
     NB|BR|NE, NB|BR|NE, NB|BR|NE, NB|BR|NE, NB|BR|NE, NB|BR|NE, NB|BR|NE, NB|BR|NE, NB,
     NB|BR|NE, NB|BR|NE, NB|BR|NE, NB|BR|NE, IL, NB, NB|BR|NE, NB|BR|NE, NB|BR|NE,
     NB|BR|NE, IL, NB|BR|NE, NB|BR|NE, IL, NB|BR|NE, IL},
};

// Unit numbers with the frequency of each unit in English (210 entries).
const unsigned short numbers[kNumbersCount] = {
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    1, 1, 1, 1, 1, 1, 1, 1,
    2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2,
    3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3,
    4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4,
    5, 5, 5, 5, 5, 5, 5, 5,
    6, 6, 6, 6, 6, 6, 6, 6,
    7, 7, 7, 7, 7, 7,
    8, 8, 8, 8, 8, 8, 8, 8, 8, 8,
    9, 9, 9, 9, 9, 9, 9, 9,
    10, 10, 10, 10, 10, 10, 10, 10,
    11, 11, 11, 11, 11, 11,
    12, 12, 12, 12, 12, 12,
    13, 13, 13, 13, 13, 13, 13, 13, 13, 13,
    14, 14, 14, 14, 14, 14, 14, 14, 14, 14,
    15, 15, 15, 15, 15, 15,
    16, 16, 16, 16, 16, 16, 16, 16, 16, 16,
    17, 17, 17, 17, 17, 17, 17, 17,
    18, 18, 18, 18, 18, 18, 18, 18, 18, 18,
    19, 19, 19, 19, 19, 19,
    20, 20, 20, 20, 20, 20, 20, 20,
    21, 21, 21, 21, 21, 21, 21, 21,
    22,
    23, 23, 23, 23, 23, 23, 23, 23,
    24,
    25,
    26,
    27,
    28,
    29, 29,
    30,
    31,
    32,
    33,
};

// The vowels a, e, i, o, u, y with their frequencies (12 entries).
const unsigned short vowel_numbers[kVowelNumbersCount] = {0, 0, 4, 4, 4, 8, 8, 14, 14, 19, 19, 23};

} // namespace Fips181
