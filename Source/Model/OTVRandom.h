#pragma once

#include <cstdint>
#include <random>

// ---- The process-wide MT19937 source behind new UIDs ----
// Seeded by each new UID from the C library's random(); when drawn before any seeding it seeds
// itself with 5489, the generator's standard default.
void RandomNumberInit(unsigned long seed);
// The next 32-bit output.
unsigned long RandomNumber();

// The C library's random(), seeded once per process from system entropy, so that two runs
// never follow the same sequence.
long OTVSeededCRandom();

// ---- Sources for generated passwords and pass keys ----
class OTVRandomSource {
public:
    virtual ~OTVRandomSource();
    virtual std::uint32_t next() = 0;
};

// The operating system's cryptographically secure source: what generated passwords and
// attachment pass keys are drawn from.
class OTVSystemRandomSource final : public OTVRandomSource {
public:
    std::uint32_t next() override;
};

// A fixed, repeatable sequence (MT19937 from a seed), for tests.
class OTVSeededRandomSource final : public OTVRandomSource {
public:
    explicit OTVSeededRandomSource(std::uint32_t seed);
    std::uint32_t next() override;

private:
    std::mt19937 engine_;
};
