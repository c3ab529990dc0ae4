#include "OTVValueLimits.h"

void OTVCheckBlobFits(const QByteArray& stored, qint64 columnBytes)
{
    if (stored.size() > columnBytes)
        throw OTVValueTooLong();
}

void OTVCheckStorableText(const QString& text)
{
    for (auto it = text.cbegin(); it != text.cend(); ++it) {
        if (it->isNull())
            throw OTVValueTooLong();
        if (it->isHighSurrogate() && it + 1 != text.cend() && (it + 1)->isLowSurrogate()) {
            ++it;
            continue;
        }
        if (it->isSurrogate())
            throw OTVValueTooLong();
    }
}

void OTVCheckBasicPlaneText(const QString& text)
{
    for (const QChar c : text) {
        if (c.isNull() || c.isSurrogate())
            throw OTVValueTooLong();
    }
}

void OTVCheckVarcharFits(const QString& text, int columnCharacters)
{
    OTVCheckStorableText(text);
    // The server counts characters (code points), not UTF-16 units.
    qsizetype characters = 0;
    for (auto it = text.cbegin(); it != text.cend(); ++it) {
        if (it->isHighSurrogate() && it + 1 != text.cend() && (it + 1)->isLowSurrogate())
            ++it;
        ++characters;
    }
    if (characters > columnCharacters)
        throw OTVValueTooLong();
}
