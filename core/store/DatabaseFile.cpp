#include "core/store/DatabaseFile.h"

#include "core/store/FileBytes.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <new>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace kaldex {
namespace {

void noteIdentity(FileIdentity &identity, const struct stat &info)
{
    identity.known = true;
    identity.exists = true;
    identity.device = static_cast<uint64_t>(info.st_dev);
    identity.inode = static_cast<uint64_t>(info.st_ino);
    identity.size = static_cast<int64_t>(info.st_size);
    identity.modifiedSeconds = static_cast<int64_t>(info.st_mtim.tv_sec);
    identity.modifiedNanoseconds = info.st_mtim.tv_nsec;
}

}  // namespace

namespace {

constexpr size_t kHugePage = size_t(2) << 20;

// The last large buffer let go, kept for the next one: a database read again
// (the next "CONT") lands in memory already touched. One at most.
std::mutex parkedLock;
ByteBufferRelease parked;

}  // namespace

void ByteBufferRelease::operator()(char *bytes) const
{
    if (!mapping) {
        delete[] bytes;
        return;
    }
    {
        std::lock_guard<std::mutex> hold(parkedLock);
        if (!parked.mapping) {
            parked = *this;
            return;
        }
    }
    ::munmap(mapping, length);
}

ByteBuffer allocateBytes(size_t size)
{
    if (size < 2 * kHugePage)
        return ByteBuffer(new char[size]);
    {
        std::lock_guard<std::mutex> hold(parkedLock);
        if (parked.mapping && parked.length - kHugePage >= size && parked.length - kHugePage <= 2 * size) {
            ByteBufferRelease taken = std::exchange(parked, ByteBufferRelease{});
            const auto start = (reinterpret_cast<uintptr_t>(taken.mapping) + kHugePage - 1) & ~uintptr_t(kHugePage - 1);
            return ByteBuffer(reinterpret_cast<char *>(start), taken);
        }
    }
    // Mapped with a huge page's room to spare, so that the bytes can start
    // on a huge page boundary; what is never touched takes no memory.
    const size_t length = ((size + 4095) & ~size_t(4095)) + kHugePage;
    void *mapping = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        throw std::bad_alloc();
    const auto start = (reinterpret_cast<uintptr_t>(mapping) + kHugePage - 1) & ~uintptr_t(kHugePage - 1);
    char *bytes = reinterpret_cast<char *>(start);
#ifdef MADV_HUGEPAGE
    ::madvise(bytes, size & ~(kHugePage - 1), MADV_HUGEPAGE);  // only a hint: fine when refused
#endif
    return ByteBuffer(bytes, ByteBufferRelease{mapping, length});
}

uint64_t hashBytes(std::string_view bytes)
{
    // Four independent lanes, each folding sixteen bytes into one wide
    // multiplication: a full database hashes in a fraction of a millisecond.
    auto fold = [](uint64_t a, uint64_t b) {
#ifdef __SIZEOF_INT128__
        const unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
        return static_cast<uint64_t>(product) ^ static_cast<uint64_t>(product >> 64);
#else
        const uint64_t h = (a ^ (b >> 29)) * 0xff51afd7ed558ccdull;
        return h ^ (h >> 32) ^ b;
#endif
    };
    constexpr uint64_t k0 = 0xa0761d6478bd642full, k1 = 0xe7037ed1a0b428dbull;
    uint64_t lane[4] = {bytes.size() ^ k0, 0x243f6a8885a308d3ull, 0x13198a2e03707344ull, 0xa4093822299f31d0ull};
    const char *p = bytes.data();
    size_t n = bytes.size();
    auto word = [](const char *at) {
        uint64_t w;
        std::memcpy(&w, at, 8);
        return w;
    };
    for (; n >= 64; p += 64, n -= 64)
        for (int i = 0; i < 4; ++i)
            lane[i] = fold(word(p + 16 * i) ^ lane[i] ^ k0, word(p + 16 * i + 8) ^ k1);
    uint64_t h = fold(lane[0] ^ k1, lane[1]) ^ fold(lane[2] ^ k0, lane[3]);
    for (; n >= 8; p += 8, n -= 8)
        h = fold(word(p) ^ h ^ k0, k1);
    uint64_t last = 0;
    std::memcpy(&last, p, n);
    h = fold(last ^ h ^ k1, k0 ^ n);
    return fold(h ^ k0, k1);
}

FileIdentity identityOfWritten(const std::string &path, std::string_view bytes)
{
    FileIdentity identity;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        noteIdentity(identity, info);
        identity.size = static_cast<int64_t>(bytes.size());
        identity.hash = hashBytes(bytes);
    }
    return identity;
}

FileProblem classifyBytes(std::string_view bytes)
{
    // A database is text: a run of NUL bytes (a zero-filled or binary file)
    // never appears in one, and control bytes other than tab, line and page
    // ends and the old end-of-file mark (26) are rare stray bytes at most.
    constexpr size_t kNulRun = 8;
    const char *p = bytes.data();
    const char *end = p + bytes.size();
    while (const void *nul = std::memchr(p, '\0', static_cast<size_t>(end - p))) {
        const char *run = static_cast<const char *>(nul);
        const char *after = run;
        while (after < end && *after == '\0' && static_cast<size_t>(after - run) < kNulRun)
            ++after;
        if (static_cast<size_t>(after - run) >= kNulRun)
            return FileProblem::NotText;
        p = after;
    }
    // Tab, line and page ends (9 to 13) and 26 are allowed. Counted in
    // blocks of a fixed length with a byte-wide sum, which compilers turn
    // into vector code: the whole file takes about a memory pass.
    auto isControl = [](unsigned char u) -> unsigned char {
        return (u < 32) & (static_cast<unsigned char>(u - 9) > 4) & (u != 26);
    };
    const auto *u = reinterpret_cast<const unsigned char *>(bytes.data());
    size_t n = bytes.size(), control = 0;
    for (; n >= 128; u += 128, n -= 128) {
        unsigned char block = 0;
        for (int i = 0; i < 128; ++i)
            block = static_cast<unsigned char>(block + isControl(u[i]));
        control += block;
    }
    for (size_t i = 0; i < n; ++i)
        control += isControl(u[i]);
    return control * 100 > bytes.size() ? FileProblem::NotText : FileProblem::None;
}

bool hasContent(std::string_view bytes)
{
    for (char c : bytes)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\f' && c != '\v')
            return true;
    return false;
}

int openDatabaseFile(const std::string &path, DatabaseBytes &file, struct stat &info)
{
    info = {};
    const int fd = openPlainFile(path, info);
    file.fileType = info.st_mode & S_IFMT;
    file.size = static_cast<int64_t>(info.st_size);
    if (fd < 0) {
        file.errorNumber = errno;
        if (file.fileType != 0 && !S_ISREG(info.st_mode)) {
            file.problem = FileProblem::NotAFile;
        } else {
            file.problem = errno == ENOENT ? FileProblem::Missing : FileProblem::Unreadable;
            file.identity.known = errno == ENOENT;  // known to be missing
        }
        return -1;
    }
    if (file.size > kMaxDatabaseBytes) {
        file.problem = FileProblem::TooLarge;
        ::close(fd);
        return -1;
    }
    return fd;
}

DatabaseBytes readDatabaseBytes(const std::string &path)
{
    DatabaseBytes file;
    struct stat info {};
    const int fd = openDatabaseFile(path, file, info);
    if (fd < 0)
        return file;
    // Read straight into one buffer of the file's size; grow if it grew
    // meanwhile, but never past the bound.
    size_t size = static_cast<size_t>(info.st_size) + 1;
    file.data = allocateBytes(size);
    for (;;) {
        if (file.used == size) {
            if (static_cast<int64_t>(size) > kMaxDatabaseBytes) {
                file.problem = FileProblem::TooLarge;
                file.size = static_cast<int64_t>(file.used);
                file.data.reset();
                file.used = 0;
                ::close(fd);
                return file;
            }
            size_t larger = std::min<size_t>(size * 2 + 4096, static_cast<size_t>(kMaxDatabaseBytes) + 1);
            ByteBuffer grown = allocateBytes(larger);
            std::memcpy(grown.get(), file.data.get(), file.used);
            file.data = std::move(grown);
            size = larger;
        }
        ssize_t n = ::read(fd, file.data.get() + file.used, size - file.used);
        if (n > 0) {
            file.used += static_cast<size_t>(n);
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            file.errorNumber = errno;
            file.problem = FileProblem::Unreadable;
            file.data.reset();
            file.used = 0;
            ::close(fd);
            return file;
        }
    }
    // The identity is the one of the bytes read: the size as read, the times after.
    struct stat after {};
    noteIdentity(file.identity, ::fstat(fd, &after) == 0 ? after : info);
    ::close(fd);
    file.identity.size = static_cast<int64_t>(file.used);
    file.identity.hash = hashBytes(file.bytes());
    file.problem = classifyBytes(file.bytes());
    return file;
}

bool resolveLinks(const std::string &path, std::string &target)
{
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            target = current;
            return true;
        }
        char buffer[PATH_MAX];
        ssize_t n = ::readlink(current.c_str(), buffer, sizeof buffer - 1);
        if (n < 0) {
            target = current;
            return true;
        }
        std::string link(buffer, static_cast<size_t>(n));
        current = link[0] == '/' ? link : folderOf(current) + "/" + link;
    }
    errno = ELOOP;
    return false;
}

FileChange compareWithLoaded(const FileIdentity &loaded, const std::string &path, FileIdentity &now)
{
    now = {};
    now.known = true;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno != ENOENT)
            return FileChange::Modified;  // something is there that cannot be looked at
        return loaded.exists ? FileChange::Removed : FileChange::None;
    }
    noteIdentity(now, info);
    if (!loaded.exists)
        return FileChange::Appeared;
    if (now.device != loaded.device || now.inode != loaded.inode)
        return FileChange::Replaced;
    if (now.size != loaded.size || now.modifiedSeconds != loaded.modifiedSeconds ||
        now.modifiedNanoseconds != loaded.modifiedNanoseconds)
        return FileChange::Modified;
    // Same file, size and time: the bytes decide (time stamps can be coarse).
    const DatabaseBytes file = readDatabaseBytes(path);
    if (file.problem == FileProblem::Missing)
        return FileChange::Removed;
    if (file.problem == FileProblem::Unreadable || file.problem == FileProblem::NotAFile ||
        file.problem == FileProblem::TooLarge)
        return FileChange::Modified;
    now.hash = file.identity.hash;
    return now.hash == loaded.hash && file.identity.size == loaded.size ? FileChange::None : FileChange::Modified;
}

DatabaseLock::DatabaseLock(DatabaseLock &&other) noexcept
    : fd_(other.fd_), state_(other.state_), path_(std::move(other.path_)), holder_(std::move(other.holder_)),
      error_(other.error_)
{
    other.fd_ = -1;
    other.state_ = State::Unavailable;
}

DatabaseLock &DatabaseLock::operator=(DatabaseLock &&other) noexcept
{
    if (this != &other) {
        release();
        fd_ = other.fd_;
        state_ = other.state_;
        path_ = std::move(other.path_);
        holder_ = std::move(other.holder_);
        error_ = other.error_;
        other.fd_ = -1;
        other.state_ = State::Unavailable;
    }
    return *this;
}

DatabaseLock DatabaseLock::acquire(const std::string &dir, const std::string &name)
{
    DatabaseLock lock;
    std::string target;
    if (!resolveLinks(dir + "/" + name, target))
        target = dir + "/" + name;
    lock.path_ = target + ".lock";
    // A releaser removes the file while it holds the lock: a lock taken on a
    // file that is no longer at the path is taken again on the new one.
    for (int attempt = 0; attempt < 20; ++attempt) {
        bool writable = true;
        int fd = ::open(lock.path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
        if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
            writable = false;  // a read-only folder can still hold a lock file another program made
            fd = ::open(lock.path_.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        }
        if (fd < 0) {
            lock.error_ = errno;
            return lock;
        }
        struct stat info {};
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            lock.error_ = EINVAL;
            ::close(fd);
            return lock;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            lock.error_ = errno;
            if (errno == EWOULDBLOCK) {
                lock.state_ = State::HeldElsewhere;
                char text[256] = {};
                ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
                char host[128] = {};
                long long since = 0;
                if (n > 0 && std::sscanf(text, "%ld %127s %lld", &lock.holder_.pid, host, &since) >= 1) {
                    lock.holder_.host = host;
                    lock.holder_.since = since;
                }
            }
            ::close(fd);
            return lock;
        }
        struct stat now {};
        if (::lstat(lock.path_.c_str(), &now) != 0 || now.st_dev != info.st_dev || now.st_ino != info.st_ino) {
            ::close(fd);
            continue;
        }
        if (writable) {
            char host[128] = {};
            if (::gethostname(host, sizeof host - 1) != 0 || !host[0])
                std::strcpy(host, "?");
            char text[256];
            int n = std::snprintf(text, sizeof text, "%ld %s %lld\n", static_cast<long>(::getpid()), host,
                                  static_cast<long long>(std::time(nullptr)));
            if (::ftruncate(fd, 0) == 0 && n > 0)
                (void)!::pwrite(fd, text, static_cast<size_t>(n), 0);
        }
        lock.fd_ = fd;
        lock.state_ = State::Held;
        lock.error_ = 0;
        return lock;
    }
    lock.error_ = EAGAIN;
    return lock;
}

void DatabaseLock::release()
{
    if (fd_ >= 0) {
        if (state_ == State::Held)
            ::unlink(path_.c_str());  // still ours: nobody else removes it without holding it
        ::close(fd_);
        fd_ = -1;
    }
    state_ = State::Unavailable;
}

}  // namespace kaldex
