#include "BKLocalization.h"

QString BKLocalizedString(const QString& englishText)
{
    return englishText;
}

QString BKLocalizedString(const char* englishText)
{
    return BKLocalizedString(QString::fromUtf8(englishText));
}
