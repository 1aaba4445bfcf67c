#include "core/store/FileBytes.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

namespace kaldex {

bool readWholeFile(const std::string &path, std::string &bytes)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0)
        bytes.reserve(static_cast<size_t>(info.st_size));
    char buffer[1 << 16];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            bytes.append(buffer, static_cast<size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            int error = errno;
            ::close(fd);
            errno = error;
            return n == 0;
        }
    }
}

std::string folderOf(const std::string &path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

int openPlainFile(const std::string &path, struct stat &info)
{
    // Non-blocking, so that the open of a pipe does not wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = errno;
        ::close(fd);
        errno = S_ISDIR(info.st_mode) ? EISDIR : S_ISREG(info.st_mode) ? error : EINVAL;
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

bool writeAll(int fd, std::string_view bytes)
{
    const char *data = bytes.data();
    size_t size = bytes.size();
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

std::string replacementPrefix(const std::string &name)
{
    return name + ".new-";
}

int createUniqueFile(const std::string &stem, mode_t mode, std::string &name)
{
    static const char kLetters[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[6] = {};
        if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random))
            for (unsigned char &r : random)
                r = static_cast<unsigned char>(std::rand());
        name = stem;
        for (unsigned char r : random)
            name += kLetters[r % (sizeof kLetters - 1)];
        const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool ReplacementFile::write(const std::string &target, std::string_view bytes, mode_t mode)
{
    remove();
    std::string name;
    const int fd = createUniqueFile(replacementPrefix(target) + std::to_string(::getpid()) + "-", mode, name);
    name_ = name;
    if (fd < 0)
        return false;
    owned_ = true;
    bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0 && ::fstat(fd, &info_) == 0;
    int error = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        remove();
        errno = error;
    }
    return ok;
}

void ReplacementFile::remove()
{
    if (owned_) {
        const int error = errno;
        ::unlink(name_.c_str());
        owned_ = false;
        errno = error;
    }
}

bool replaceFile(const std::string &path, std::string_view bytes, mode_t mode)
{
    ReplacementFile file;
    if (!file.write(path, bytes, mode))
        return false;
    if (::rename(file.path().c_str(), path.c_str()) != 0)
        return false;  // the file removes itself, errno kept
    file.release();
    return true;
}

}  // namespace kaldex
