#include "OEAccountName.h"

bool OEIsValidAccountName(const QString& name)
{
    if (name.isEmpty())
        return false;
    int characters = 0;
    for (qsizetype i = 0; i < name.size(); ++i, ++characters) {
        char32_t codePoint = name.at(i).unicode();
        if (QChar::isHighSurrogate(codePoint) && i + 1 < name.size() && name.at(i + 1).isLowSurrogate()) {
            codePoint = QChar::surrogateToUcs4(name.at(i), name.at(i + 1));
            ++i;
        }
        // A lone surrogate has no UTF-8 form; control characters would end up in account
        // statements and in file lines.
        if (QChar::isSurrogate(codePoint) || QChar::category(codePoint) == QChar::Other_Control)
            return false;
    }
    return characters <= kMaxUserNameLength;
}
