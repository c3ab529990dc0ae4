#pragma once

#include <QString>

// Longest account name the server keeps whole: its table of account details keys the name
// as varchar(16), the narrowest of the columns that hold it.
inline constexpr int kMaxUserNameLength = 16;

// Whether every character of a name can stand in an account name: the name is non-empty,
// within the Basic Multilingual Plane (the server's account tables are utf8mb3) and free of
// control characters, which would end up in account statements and in file lines. The
// length is checked apart, against kMaxUserNameLength.
bool OTVHasAccountNameCharacters(const QString& name);
