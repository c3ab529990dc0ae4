#pragma once

#include <cstdint>

// The published Blowfish initial values: the fractional hexadecimal digits of pi.
extern const uint32_t ORIG_P[18];
extern const uint32_t ORIG_S[4][256];
