#include "OTVRandom.h"

#include <QRandomGenerator>

#include <cstdlib>
#include <mutex>

namespace {

// std::mt19937 is the reference MT19937: 624 words, middle distance 397, matrix 0x9908B0DF,
// tempering 0x9D2C5680 / 0xEFC60000, init multiplier 1812433253, default seed 5489.
struct SharedMersenneTwister {
    std::mutex mutex;
    std::mt19937 engine;  // default-constructed: seeded with 5489
};

SharedMersenneTwister& sharedTwister()
{
    static SharedMersenneTwister twister;
    return twister;
}

} // namespace

void RandomNumberInit(unsigned long seed)
{
    auto& twister = sharedTwister();
    std::lock_guard<std::mutex> lock(twister.mutex);
    twister.engine.seed(static_cast<std::uint32_t>(seed & 0xFFFFFFFFu));
}

unsigned long RandomNumber()
{
    auto& twister = sharedTwister();
    std::lock_guard<std::mutex> lock(twister.mutex);
    return twister.engine() & 0xFFFFFFFFu;
}

long OTVSeededCRandom()
{
    static std::once_flag seeded;
    std::call_once(seeded, [] { srandom(QRandomGenerator::system()->generate()); });
    return random();
}

OTVRandomSource::~OTVRandomSource() = default;

std::uint32_t OTVSystemRandomSource::next()
{
    return QRandomGenerator::system()->generate();
}

OTVSeededRandomSource::OTVSeededRandomSource(std::uint32_t seed)
    : engine_(seed)
{
}

std::uint32_t OTVSeededRandomSource::next()
{
    return engine_();
}
