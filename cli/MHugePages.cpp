#include "cli/MHugePages.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#if defined(__linux__) && defined(__GLIBC__)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace MHugePages {

#if defined(__linux__) && defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 35))
namespace {

const char* const kTunables = "GLIBC_TUNABLES";
const char* const kHugePagesTunable = "glibc.malloc.hugetlb=1";

// Files from this size on hold enough rows for huge pages to pay.
constexpr off_t kLargeFileBytes = 16 * 1024 * 1024;

bool NamesLargeFile(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        struct stat status {};
        if (stat(argv[i], &status) == 0 && S_ISREG(status.st_mode) && status.st_size >= kLargeFileBytes)
            return true;
    }
    return false;
}

bool HugePagesOnRequest()
{
    std::ifstream modeFile("/sys/kernel/mm/transparent_hugepage/enabled");
    const std::string mode((std::istreambuf_iterator<char>(modeFile)), std::istreambuf_iterator<char>());
    // The mode in use is the bracketed one: "always [madvise] never".
    return mode.find("[madvise]") != std::string::npos;
}

}  // namespace
#endif

void RestartWithHugePages(int argc, char** argv)
{
    // The tunable exists from glibc 2.35 on; elsewhere a restart gains nothing.
#if defined(__linux__) && defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 35))
    if (std::getenv(kTunables) != nullptr || !NamesLargeFile(argc, argv) || !HugePagesOnRequest())
        return;
    if (setenv(kTunables, kHugePagesTunable, 0) != 0)
        return;
    execv("/proc/self/exe", argv);
    // Not restarted: carry on with the ordinary heap, and leave nothing behind
    // for the programs this one might start.
    unsetenv(kTunables);
#else
    (void)argc;
    (void)argv;
#endif
}

}  // namespace MHugePages
