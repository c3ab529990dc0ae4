#pragma once

#include <QString>

class RandomWordGenerator;

// The longest password the generator gives: longer requests are cut to this length. (A policy
// must not ask for more.)
constexpr unsigned short kMaxGeneratedPasswordLength = 63;

// The pass key of an attachment: 16 characters of lower case, upper case, digits and symbols.
constexpr unsigned short kPassKeyFlags = 15;
constexpr unsigned short kPassKeyLength = 16;

// A password from the operating system's secure source (flags as RandomWordFlag); characters
// of sIntl come back as their Unicode characters.
QString generatePassword(unsigned short flags, unsigned short length);
// The same from a given generator (tests use a fixed source).
QString generatePassword(unsigned short flags, unsigned short length, RandomWordGenerator& generator);

QString getRandomPassKey();
QString getRandomPassKey(RandomWordGenerator& generator);
