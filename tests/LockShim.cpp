// Preloaded into kaldex-tool by the shared-file tests, to answer as file systems
// without working locks do. KALDEX_FLOCK=fails: flock fails with ENOLCK (a network
// file system without a lock daemon); =everyone: flock succeeds for every caller
// and excludes nobody. KALDEX_EXCHANGE=unsupported: a swap by renameat2 fails
// with EINVAL, as on a file system that cannot swap two names. KALDEX_RENAME_DELAY_MS:
// every rename waits that long first, as over a slow network, so that savers overlap
// between their last look at the file and the replace.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <unistd.h>

namespace {

bool told(const char *variable, const char *value)
{
    const char *set = std::getenv(variable);
    return set && std::strcmp(set, value) == 0;
}

}  // namespace

extern "C" int flock(int fd, int operation)
{
    if (told("KALDEX_FLOCK", "fails")) {
        errno = ENOLCK;
        return -1;
    }
    if (told("KALDEX_FLOCK", "everyone"))
        return 0;
    using Flock = int (*)(int, int);
    static const auto real = reinterpret_cast<Flock>(::dlsym(RTLD_NEXT, "flock"));
    return real(fd, operation);
}

namespace {

void delay()
{
    if (const char *ms = std::getenv("KALDEX_RENAME_DELAY_MS"))
        ::usleep(static_cast<useconds_t>(std::atoi(ms)) * 1000);
}

}  // namespace

extern "C" int rename(const char *from, const char *to)
{
    delay();
    using Rename = int (*)(const char *, const char *);
    static const auto real = reinterpret_cast<Rename>(::dlsym(RTLD_NEXT, "rename"));
    return real(from, to);
}

extern "C" int renameat2(int fromDir, const char *from, int toDir, const char *to, unsigned int flags)
{
    delay();
    if ((flags & RENAME_EXCHANGE) && told("KALDEX_EXCHANGE", "unsupported")) {
        errno = EINVAL;
        return -1;
    }
    using Renameat2 = int (*)(int, const char *, int, const char *, unsigned int);
    static const auto real = reinterpret_cast<Renameat2>(::dlsym(RTLD_NEXT, "renameat2"));
    return real(fromDir, from, toDir, to, flags);
}
