#include "OTVRandom.h"

#include <QRandomGenerator>

#include <cstdlib>
#include <mutex>
#include <optional>

namespace {

// std::mt19937 is the reference MT19937: 624 words, middle distance 397, matrix 0x9908B0DF,
// tempering 0x9D2C5680 / 0xEFC60000, init multiplier 1812433253, default seed 5489.
struct SharedMersenneTwister {
    std::mutex mutex;
    std::mt19937 engine;  // default-constructed: seeded with 5489
    // Each new UID seeds the generator and draws once. Seeding fills 624 words and the first
    // draw twists them all; that one output needs three of them. So the seed is kept, and the
    // engine seeded only when a second number is drawn from it.
    std::optional<std::uint32_t> pendingSeed;
    bool pendingFirstDrawn = false;
};

// The first output of MT19937 seeded with `seed`: state words 0, 1 and 397 twisted, then tempered.
std::uint32_t FirstOutputAfterSeeding(std::uint32_t seed)
{
    std::uint32_t word = seed;
    std::uint32_t second = 0;
    for (std::uint32_t i = 1; i <= 397; ++i) {
        word = 1812433253u * (word ^ (word >> 30)) + i;
        if (i == 1)
            second = word;
    }
    const std::uint32_t joined = (seed & 0x80000000u) | (second & 0x7FFFFFFFu);
    std::uint32_t out = word ^ (joined >> 1) ^ ((joined & 1u) ? 0x9908B0DFu : 0u);
    out ^= out >> 11;
    out ^= (out << 7) & 0x9D2C5680u;
    out ^= (out << 15) & 0xEFC60000u;
    out ^= out >> 18;
    return out;
}

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
    twister.pendingSeed = static_cast<std::uint32_t>(seed & 0xFFFFFFFFu);
    twister.pendingFirstDrawn = false;
}

unsigned long RandomNumber()
{
    auto& twister = sharedTwister();
    std::lock_guard<std::mutex> lock(twister.mutex);
    if (twister.pendingSeed) {
        if (!twister.pendingFirstDrawn) {
            twister.pendingFirstDrawn = true;
            return FirstOutputAfterSeeding(*twister.pendingSeed);
        }
        twister.engine.seed(*twister.pendingSeed);
        twister.engine.discard(1);
        twister.pendingSeed.reset();
    }
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
