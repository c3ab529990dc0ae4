#include "OTVUID.h"

#include <QByteArray>
#include <QDateTime>
#include <QRandomGenerator>

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

// The C library's random() is seeded once per process from system entropy, so that two
// processes never draw the same UID sequence.
long seededRandom()
{
    static std::once_flag seeded;
    std::call_once(seeded, [] { srandom(QRandomGenerator::system()->generate()); });
    return random();
}

QString textOf(const unsigned char bytes[8])
{
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(bytes), 8).toHex().toUpper());
}

// Seconds since 1 January 2001, as a double, like the platform's absolute time.
double absoluteTimeNow()
{
    constexpr qint64 kUnixTimeOf2001 = 978307200;
    return QDateTime::currentMSecsSinceEpoch() / 1000.0 - kUnixTimeOf2001;
}

} // namespace

QString OTVUID::giveMeNewUID()
{
    unsigned char bytes[8] = {};
    const quint32 drawn = static_cast<quint32>(seededRandom());
    bytes[0] = drawn & 0xFF;
    bytes[1] = (drawn >> 8) & 0xFF;
    // Bytes 2 and 3 come from the system's secure source: together with the random bytes 0 and
    // 1 and the time in bytes 4 to 7 they make a repeated UID practically impossible, and byte 2
    // is never zero, so that a new UID is never well known.
    const quint32 extra = QRandomGenerator::system()->generate();
    bytes[2] = static_cast<unsigned char>(1 + (extra & 0xFF) % 255);
    bytes[3] = (extra >> 8) & 0xFF;
    const double now = absoluteTimeNow();
    quint64 bits;
    std::memcpy(&bits, &now, sizeof bits);
    for (int i = 0; i < 4; ++i)
        bytes[4 + i] = (bits >> (8 * i)) & 0xFF;
    return textOf(bytes);
}

QString OTVUID::giveMeUnfilledUID()
{
    return kUnfilledUID;
}

QString OTVUID::nextWellknownUID(const QString& uid)
{
    QByteArray bytes = QByteArray::fromHex(uid.toLatin1());
    bytes.resize(8, '\0');
    auto* b = reinterpret_cast<unsigned char*>(bytes.data());
    if (b[7] == 0xFF) {
        b[7] = 0;
        b[6] = static_cast<unsigned char>(b[6] + 1);
    } else {
        ++b[7];
    }
    return textOf(b);
}

bool OTVUID::isWellKnownUID(const QString& uid)
{
    if (uid.size() < 14)
        return false;
    for (int i = 0; i < 14; ++i)
        if (uid.at(i) != QLatin1Char('0'))
            return false;
    return true;
}
