#pragma once

#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>

namespace kaldex {

/**
 * Reads a whole file into bytes. Returns false and leaves errno set when it
 * cannot be opened or read (a folder gives EISDIR).
 */
bool readWholeFile(const std::string &path, std::string &bytes);

/** The folder part of a path: "." for a bare name, "/" for a name in the root. */
std::string folderOf(const std::string &path);

/**
 * Opens a plain file for reading without ever waiting: a named pipe, a device
 * or a folder is looked at but not opened for reading. Returns the descriptor,
 * or -1 with errno set (EISDIR for a folder, EINVAL for any other thing that
 * is no plain file); info receives what is there whenever it could be looked at.
 */
int openPlainFile(const std::string &path, struct stat &info);

/** Writes all of bytes to fd, going on after interruptions; false with errno set. */
bool writeAll(int fd, std::string_view bytes);

/**
 * Creates a new file named stem and six random letters, with O_EXCL: never
 * one that is there already. Returns the descriptor (read and write), or -1
 * with errno set; name receives the name tried last.
 */
int createUniqueFile(const std::string &stem, mode_t mode, std::string &name);

/**
 * A new file that is to take another's place whole: written beside it under a
 * name of its own ("NAME.new-PID-XXXXXX", created with O_EXCL, so no two
 * writers ever share one), synced, and then renamed over it. Whoever writes
 * one removes only its own: the name is removed when the object goes unless
 * release() said the file has taken the place.
 */
class ReplacementFile {
public:
    ReplacementFile() = default;
    ~ReplacementFile() { remove(); }
    ReplacementFile(const ReplacementFile &) = delete;
    ReplacementFile &operator=(const ReplacementFile &) = delete;

    /**
     * Creates the file beside target with mode (less the umask), writes bytes
     * and syncs them. False with errno set, and nothing left behind; path()
     * then names the file it tried.
     */
    bool write(const std::string &target, std::string_view bytes, mode_t mode);

    const std::string &path() const { return name_; }
    /** The written file's status, taken after the sync. */
    const struct stat &info() const { return info_; }

    /** The file has taken another's place (or is handed on): its name is no longer this object's. */
    void release() { owned_ = false; }
    /** Removes the file now, keeping errno. */
    void remove();

private:
    std::string name_;
    bool owned_ = false;
    struct stat info_ {};
};

/** The start shared by every ReplacementFile name beside a file named name. */
std::string replacementPrefix(const std::string &name);

/**
 * Writes bytes as the file path, all or nothing: a ReplacementFile renamed
 * over it. False with errno set; path is untouched then.
 */
bool replaceFile(const std::string &path, std::string_view bytes, mode_t mode = 0666);

}  // namespace kaldex
