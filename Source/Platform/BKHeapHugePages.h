#pragma once

// Transparent huge pages for the heap. The load of a vault makes hundreds of thousands of small
// allocations, and with 4 KiB pages the first touch of every page costs more than the work on
// it. glibc backs its heaps with huge pages when its tunable glibc.malloc.hugetlb is 1, which it
// reads only as a process starts: the application starts itself once more with it set.

#include <optional>
#include <string>

// Call first thing in main(), with main's own arguments. In the process started again it puts
// the environment back as the user had it (programs that the application starts never see the
// tunable) and returns. It changes nothing and returns where it cannot help or the user decided
// otherwise: another C library or a glibc before 2.35, huge pages off in the kernel, the user's
// own setting of the tunable, a set-user-ID start, an exec that fails.
void BKUseHugePagesForTheHeap(char** argv);

// The GLIBC_TUNABLES text to start again with, given the user's (null when unset) and the
// kernel's huge-page mode (the text of /sys/kernel/mm/transparent_hugepage/enabled, such as
// "always [madvise] never"); nullopt when there is no reason to start again.
std::optional<std::string> BKHeapTunablesForRestart(const char* userTunables, const std::string& kernelMode);
