#include "CPPAddOn.h"

#include "Platform/BKMacRoman.h"

#include <QByteArray>
#include <QStringDecoder>

#include <arpa/inet.h>
#include <cstring>

QString stringWithSTDString(const std::string& text)
{
    const QByteArray bytes(text.c_str(), static_cast<qsizetype>(std::strlen(text.c_str())));
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString result = decoder.decode(bytes);
    if (decoder.hasError())
        return QString();
    return result.isNull() ? QString(QLatin1String("")) : result;
}

QString stringWithSTDStreamPtr(std::istream* stream)
{
    if (!stream)
        return QString();
    std::string word;
    if (!(*stream >> word))
        return QString();
    return stringWithSTDString(word);
}

QString stringWithSpecialCharacters(const char* bytes)
{
    if (!bytes)
        return QString();
    const QString text = BKDecodeUTF8OrMacRoman(QByteArray(bytes));
    return text.isNull() ? QString(QLatin1String("")) : text;
}

bool isvalidIPv4Address(const QString& text)
{
    // inet_pton reads up to a zero byte: text that hides one is not an address.
    if (text.contains(QChar(0)))
        return false;
    in_addr address;
    return inet_pton(AF_INET, text.toUtf8().constData(), &address) == 1;
}
