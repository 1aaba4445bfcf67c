#include "core/store/DatabaseFile.h"

#include "core/store/FileBytes.h"

#include <cerrno>
#include <climits>
#include <csignal>
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

FileIdentity identityOfWritten(const struct stat &info, std::string_view bytes)
{
    FileIdentity identity;
    noteIdentity(identity, info);
    identity.size = static_cast<int64_t>(bytes.size());
    identity.hash = hashBytes(bytes);
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

FileChange compareWithLoaded(const FileIdentity &loaded, const std::string &path, FileIdentity &now, bool readBytes)
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
    if (!readBytes)
        return FileChange::None;
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

std::string holderLine()
{
    char host[128] = {};
    if (::gethostname(host, sizeof host - 1) != 0 || !host[0])
        std::strcpy(host, "?");
    return std::to_string(::getpid()) + " " + host + " " + std::to_string(std::time(nullptr)) + " " +
           program_invocation_short_name + "\n";
}

LockHolder parseHolder(const std::string &line)
{
    LockHolder holder;
    char host[128] = {}, program[64] = {};
    long long since = 0;
    if (std::sscanf(line.c_str(), "%ld %127s %lld %63s", &holder.pid, host, &since, program) >= 1) {
        holder.host = host;
        holder.since = since;
        holder.program = program;
    }
    return holder;
}

bool holderGone(const LockHolder &holder)
{
    char host[128] = {};
    if (holder.pid <= 0 || ::gethostname(host, sizeof host - 1) != 0 || holder.host != host)
        return false;  // another computer's process cannot be looked at
    if (::kill(static_cast<pid_t>(holder.pid), 0) != 0 && errno == ESRCH)
        return true;
    // The number may have passed to another program since: its name tells.
    std::string name;
    if (holder.program.empty() || !readWholeFile("/proc/" + std::to_string(holder.pid) + "/comm", name))
        return false;
    while (!name.empty() && name.back() == '\n')
        name.pop_back();
    return !name.empty() && holder.program.compare(0, name.size(), name) != 0;
}

namespace {

LockHolder readHolder(int fd)
{
    char text[256] = {};
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    return parseHolder(n > 0 ? std::string(text, static_cast<size_t>(n)) : std::string());
}

}  // namespace

DatabaseLock DatabaseLock::acquire(const std::string &dir, const std::string &name)
{
    DatabaseLock lock;
    std::string target;
    if (!resolveLinks(dir + "/" + name, target))
        target = dir + "/" + name;
    lock.path_ = target + ".lock";
    const std::string line = holderLine();
    for (int attempt = 0; attempt < 20; ++attempt) {
        // Our own file, with our line, linked to the lock name. The answer to
        // a link can get lost on a network file system; the count of our
        // file's names cannot.
        std::string own;
        int fd = createUniqueFile(lock.path_ + "-", 0666, own);
        const int createError = errno;
        bool canLink = false;
        if (fd >= 0) {
            bool linked = false;
            if (writeAll(fd, line)) {
                const bool refused = ::link(own.c_str(), lock.path_.c_str()) != 0;
                const int linkError = errno;
                struct stat info {};
                linked = ::fstat(fd, &info) == 0 && info.st_nlink == 2;
                canLink = linked || (refused && linkError == EEXIST);
            }
            ::unlink(own.c_str());
            if (linked) {
                // flock on the same file, for programs that know only flock.
                if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
                    ::close(fd);  // such a program opened the new name and locked it first: it is its lock now
                    lock.state_ = State::HeldElsewhere;
                    lock.error_ = EWOULDBLOCK;
                    return lock;
                }
                lock.fd_ = fd;
                lock.state_ = State::Held;
                lock.error_ = 0;
                return lock;
            }
            ::close(fd);
        }

        // The name is taken, or no file of ours can be made or linked here (a
        // read-only folder, a file system without hard links): see who holds it.
        int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | (canLink || fd < 0 ? 0 : O_CREAT);
        fd = ::open(lock.path_.c_str(), flags, 0666);
        const bool writable = fd >= 0;
        if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM))
            fd = ::open(lock.path_.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) {
            if (errno == ENOENT && canLink)
                continue;  // released meanwhile
            lock.error_ = errno == ENOENT ? createError : errno;
            return lock;
        }
        struct stat info {};
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            lock.error_ = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
            ::close(fd);
            return lock;
        }
        const LockHolder holder = readHolder(fd);
        const bool flocked = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        const int flockError = errno;
        // flock took it, or does not work here: then the holder's line decides.
        const bool gone = holder.pid > 0 ? holderGone(holder) : flocked || std::time(nullptr) - info.st_mtime > 60;
        if ((!flocked && flockError == EWOULDBLOCK) || !gone) {
            lock.state_ = State::HeldElsewhere;
            lock.holder_ = holder;
            lock.error_ = EWOULDBLOCK;
            ::close(fd);
            return lock;
        }
        if (!canLink) {
            // flock alone, where it works.
            if (!flocked) {
                lock.error_ = flockError;
                ::close(fd);
                return lock;
            }
            // A releaser removes the file while it holds it: a lock taken on
            // a file that is no longer at the name is taken again.
            struct stat now {};
            if (::lstat(lock.path_.c_str(), &now) != 0 || now.st_dev != info.st_dev || now.st_ino != info.st_ino) {
                ::close(fd);
                continue;
            }
            if (writable && ::ftruncate(fd, 0) == 0)
                (void)!::pwrite(fd, line.data(), line.size(), 0);
            lock.fd_ = fd;
            lock.state_ = State::Held;
            lock.error_ = 0;
            return lock;
        }
        ::close(fd);
        // Its holder is gone: the file is moved away, if the name still is
        // that file, and the lock taken anew by link, so that of two programs
        // that found it left behind only one gets it.
        std::string away;
        const int reserved = createUniqueFile(lock.path_ + "-", 0666, away);
        if (reserved < 0) {
            lock.error_ = errno;
            return lock;
        }
        ::close(reserved);
        struct stat moved {};
        if (::rename(lock.path_.c_str(), away.c_str()) == 0 && ::lstat(away.c_str(), &moved) == 0 &&
            (moved.st_dev != info.st_dev || moved.st_ino != info.st_ino))
            (void)!::link(away.c_str(), lock.path_.c_str());  // another's fresh lock: given back
        ::unlink(away.c_str());
    }
    lock.error_ = EAGAIN;
    return lock;
}

void DatabaseLock::release()
{
    if (fd_ >= 0) {
        struct stat mine {
        }, there{};
        // Still ours: nobody else removes it without holding it.
        if (state_ == State::Held && ::fstat(fd_, &mine) == 0 && ::lstat(path_.c_str(), &there) == 0 &&
            mine.st_dev == there.st_dev && mine.st_ino == there.st_ino)
            ::unlink(path_.c_str());
        ::close(fd_);
        fd_ = -1;
    }
    state_ = State::Unavailable;
}

}  // namespace kaldex
