#include "OTVUID.h"

#include "OTVRandom.h"

#include <QByteArray>
#include <QRandomGenerator>

#include <chrono>
#include <cstring>

namespace {

QString textOf(const unsigned char bytes[8])
{
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(bytes), 8).toHex().toUpper());
}

} // namespace

double OTVUID::absoluteTimeNow()
{
    // Nanoseconds, not milliseconds: bytes 4 to 7 must differ between UIDs made in quick
    // succession. The epoch is subtracted in integers to keep the double's precision.
    constexpr std::int64_t kUnixTimeOf2001Ns = 978307200LL * 1000000000LL;
    const std::int64_t ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                std::chrono::system_clock::now().time_since_epoch())
                                .count();
    return static_cast<double>(ns - kUnixTimeOf2001Ns) / 1e9;
}

QString OTVUID::composeUID(quint32 randomDraw, quint32 secureDraw, double absoluteTime)
{
    unsigned char bytes[8] = {};
    bytes[0] = randomDraw & 0xFF;
    bytes[1] = (randomDraw >> 8) & 0xFF;
    // Byte 2 is never zero, so a new UID is never well known.
    bytes[2] = static_cast<unsigned char>(1 + (secureDraw & 0xFF) % 255);
    bytes[3] = (secureDraw >> 8) & 0xFF;
    quint64 bits;
    std::memcpy(&bits, &absoluteTime, sizeof bits);
    for (int i = 0; i < 4; ++i)
        bytes[4 + i] = (bits >> (8 * i)) & 0xFF;
    return textOf(bytes);
}

QString OTVUID::giveMeNewUID()
{
    // The random source is re-seeded from random() (itself seeded once per process from system
    // entropy); bytes 2 and 3 come from the secure source, so UIDs of two clients made at the
    // same instant still differ.
    RandomNumberInit(static_cast<unsigned long>(OTVSeededCRandom()));
    const auto drawn = static_cast<quint32>(RandomNumber());
    return composeUID(drawn, QRandomGenerator::system()->generate(), absoluteTimeNow());
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
