#include "Platform/BKHeapHugePages.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#if defined(__linux__) && defined(__GLIBC__)
#include <gnu/libc-version.h>
#include <sys/auxv.h>
#include <unistd.h>
#endif

namespace {

constexpr char kTunablesVariable[] = "GLIBC_TUNABLES";
constexpr char kHugePagesTunable[] = "glibc.malloc.hugetlb";
// Set only in the process started again: "-" when the user had no GLIBC_TUNABLES, else "="
// followed by the user's text.
constexpr char kRestartedVariable[] = "OSTREVIN_HEAP_RESTART";

#if defined(__linux__) && defined(__GLIBC__)
// glibc reads glibc.malloc.hugetlb from 2.35 on.
bool libraryKnowsTheTunable()
{
    int major = 0, minor = 0;
    return std::sscanf(gnu_get_libc_version(), "%d.%d", &major, &minor) == 2 && (major > 2 || (major == 2 && minor >= 35));
}

std::string kernelHugePageMode()
{
    std::ifstream file("/sys/kernel/mm/transparent_hugepage/enabled");
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void restoreUserEnvironment(const char* saved)
{
    if (saved[0] == '=')
        setenv(kTunablesVariable, saved + 1, 1);
    else
        unsetenv(kTunablesVariable);
    unsetenv(kRestartedVariable);
}
#endif

} // namespace

std::optional<std::string> BKHeapTunablesForRestart(const char* userTunables, const std::string& kernelMode)
{
    // "[never]" is the kernel's choice of no huge pages at all; no text, no huge pages either.
    const bool kernelGivesThem =
        kernelMode.find("[always]") != std::string::npos || kernelMode.find("[madvise]") != std::string::npos;
    if (!kernelGivesThem)
        return std::nullopt;
    const std::string user = userTunables ? userTunables : "";
    // The user's own setting stands, whatever it is.
    if (user.find(kHugePagesTunable) != std::string::npos)
        return std::nullopt;
    const std::string setting = std::string(kHugePagesTunable) + "=1";
    return user.empty() ? setting : user + ":" + setting;
}

void BKUseHugePagesForTheHeap(char** argv)
{
#if defined(__linux__) && defined(__GLIBC__)
    if (const char* saved = std::getenv(kRestartedVariable)) {
        restoreUserEnvironment(saved);
        return;
    }
    // A set-user-ID start ignores the tunables, and must not be led by the environment.
    if (!argv || !argv[0] || getauxval(AT_SECURE) != 0 || !libraryKnowsTheTunable())
        return;
    const char* user = std::getenv(kTunablesVariable);
    const std::optional<std::string> tunables = BKHeapTunablesForRestart(user, kernelHugePageMode());
    if (!tunables)
        return;
    const std::string saved = user ? std::string("=") + user : std::string("-");
    if (setenv(kRestartedVariable, saved.c_str(), 1) != 0)
        return;
    if (setenv(kTunablesVariable, tunables->c_str(), 1) == 0)
        execv("/proc/self/exe", argv);
    // Still here: the process goes on as it was started.
    restoreUserEnvironment(saved.c_str());
#else
    (void)argv;
#endif
}
