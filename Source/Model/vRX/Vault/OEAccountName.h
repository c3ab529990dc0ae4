#pragma once

#include <QString>

// Longest account name the server keeps whole: its table of account details keys the name
// as varchar(16), the narrowest of the columns that hold it.
inline constexpr int kMaxUserNameLength = 16;

// Whether a name may become an account name: non-empty, at most kMaxUserNameLength
// characters, no control characters. Checked before the name reaches any statement.
bool OEIsValidAccountName(const QString& name);
