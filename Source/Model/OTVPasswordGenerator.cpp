#include "OTVPasswordGenerator.h"

#include "OTVRandom.h"
#include "RandomWord.h"

#include "Platform/BKMacRoman.h"

#include <QByteArray>

#include <algorithm>
#include <mutex>

namespace {

// One generator over the secure source for the process; its syllable state is shared, so
// callers take turns.
struct SharedGenerator {
    std::mutex mutex;
    OTVSystemRandomSource source;
    RandomWordGenerator generator{source};
};

SharedGenerator& sharedGenerator()
{
    static SharedGenerator shared;
    return shared;
}

} // namespace

QString generatePassword(unsigned short flags, unsigned short length, RandomWordGenerator& generator)
{
    const std::string word = generator.randomword(std::min(length, kMaxGeneratedPasswordLength), flags);
    // The generator's bytes are ASCII and Mac OS Roman.
    return BKDecodeMacRoman(QByteArray::fromStdString(word));
}

QString generatePassword(unsigned short flags, unsigned short length)
{
    auto& shared = sharedGenerator();
    std::lock_guard<std::mutex> lock(shared.mutex);
    return generatePassword(flags, length, shared.generator);
}

QString getRandomPassKey(RandomWordGenerator& generator)
{
    return generatePassword(kPassKeyFlags, kPassKeyLength, generator);
}

QString getRandomPassKey()
{
    return generatePassword(kPassKeyFlags, kPassKeyLength);
}
