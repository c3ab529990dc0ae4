#include "Platform/BKHeapHugePages.h"

#include <gtest/gtest.h>

// When the application starts itself again for huge pages on its heap, and with what tunables:
// the user's own tunables are kept, his setting of the huge pages above all.
TEST(HeapHugePages, TunablesToStartAgainWith)
{
    const std::string madvise = "always [madvise] never\n";
    struct Case {
        const char* user;
        std::string kernel;
        std::optional<std::string> expected;
    } cases[] = {
        {nullptr, madvise, "glibc.malloc.hugetlb=1"},
        {"", madvise, "glibc.malloc.hugetlb=1"},
        {nullptr, "[always] madvise never\n", "glibc.malloc.hugetlb=1"},
        {"glibc.malloc.arena_max=2", madvise, "glibc.malloc.arena_max=2:glibc.malloc.hugetlb=1"},
        {"glibc.malloc.hugetlb=0", madvise, std::nullopt},
        {"glibc.malloc.arena_max=2:glibc.malloc.hugetlb=2", madvise, std::nullopt},
        {nullptr, "always madvise [never]\n", std::nullopt},
        {nullptr, "", std::nullopt},   // a kernel without transparent huge pages
    };
    for (const Case& c : cases)
        EXPECT_EQ(BKHeapTunablesForRestart(c.user, c.kernel), c.expected) << (c.user ? c.user : "(unset)") << " / " << c.kernel;
}
