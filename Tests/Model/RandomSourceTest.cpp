#include "Model/OTVRandom.h"

#include <gtest/gtest.h>

#include <vector>

TEST(RandomSource, MersenneTwisterKnownAnswers)
{
    RandomNumberInit(5489);
    const unsigned long first[] = {3499211612UL, 581869302UL, 3890346734UL, 3586334585UL, 545404204UL};
    for (unsigned long expected : first)
        EXPECT_EQ(RandomNumber(), expected);
    for (int i = 6; i < 10000; ++i)
        RandomNumber();
    EXPECT_EQ(RandomNumber(), 4123659995UL);  // the 10000th output

    RandomNumberInit(1);
    EXPECT_EQ(RandomNumber(), 1791095845UL);
    EXPECT_EQ(RandomNumber(), 4282876139UL);
    EXPECT_EQ(RandomNumber(), 3093770124UL);
}

// Every seeding starts the generator's own sequence over, whatever was drawn before it and
// however many numbers are drawn after it.
TEST(RandomSource, EachSeedingFollowsTheStandardSequence)
{
    const std::uint32_t seeds[] = {0u, 1u, 2u, 5489u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 123456789u, 3735928559u};
    for (int draws : {1, 2, 700}) {
        for (std::uint32_t seed : seeds) {
            RandomNumberInit(seed);
            std::mt19937 reference(seed);
            for (int i = 0; i < draws; ++i)
                ASSERT_EQ(RandomNumber(), reference()) << "seed " << seed << ", draw " << i;
        }
    }
}

TEST(RandomSource, SeedsAndOutputsAreThirtyTwoBits)
{
    // unsigned long has 64 bits here: only the low 32 bits of a seed count, and every output
    // fits 32 bits.
    RandomNumberInit(0x100000001UL);
    EXPECT_EQ(RandomNumber(), 1791095845UL);
    for (int i = 0; i < 1000; ++i)
        EXPECT_LE(RandomNumber(), 0xFFFFFFFFUL);
}

TEST(RandomSource, SeededSourceRepeatsAndSystemSourceVaries)
{
    OTVSeededRandomSource a(42), b(42), c(43);
    std::vector<std::uint32_t> fromA, fromB, fromC;
    for (int i = 0; i < 8; ++i) {
        fromA.push_back(a.next());
        fromB.push_back(b.next());
        fromC.push_back(c.next());
    }
    EXPECT_EQ(fromA, fromB);
    EXPECT_NE(fromA, fromC);

    OTVSystemRandomSource system;
    std::vector<std::uint32_t> first, second;
    for (int i = 0; i < 8; ++i) {
        first.push_back(system.next());
        second.push_back(system.next());
    }
    EXPECT_NE(first, second);
}
