#pragma once

#include <QString>

// Every text that the user sees passes through here, keyed by its English text. Until a
// translation table exists, the English text is returned as it stands.
QString BKLocalizedString(const QString& englishText);
QString BKLocalizedString(const char* englishText);
