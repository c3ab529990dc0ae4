#pragma once

#include <QColor>

// Colours are stored as integers 0x00BBGGRR (the default row colour 52/84/136 is 0x885434).

// Each component as a float times 255, truncated. Throws std::runtime_error
// "ColorCreate: Color creation failed" for a colour that has no RGB form (an invalid QColor).
long long int64Value(const QColor& color);
// The opaque RGB colour of 0x00BBGGRR.
QColor colorFromInt64(long long value);
