#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace kaldex {

/**
 * The largest file the program reads as a database. A full store of 4999
 * documents is about 8 MB; even texts of 200 KB each stay far below this.
 * A larger "ba0" is not read at all and reported as no database.
 */
constexpr int64_t kMaxDatabaseBytes = int64_t(1) << 30;  // 1 GiB

/** What a load saw of the file, so that the save can tell whether it is still the same file. */
struct FileIdentity {
    bool known = false;   // set by a load from a file; a store filled otherwise is not checked
    bool exists = false;  // the file was there
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = 0;
    int64_t modifiedSeconds = 0;
    long modifiedNanoseconds = 0;
    uint64_t hash = 0;  // of the bytes, see hashBytes
};

/** Frees what allocateBytes() gave: a mapping of its own, or an array. */
struct ByteBufferRelease {
    void *mapping = nullptr;
    size_t length = 0;
    void operator()(char *bytes) const;
};
using ByteBuffer = std::unique_ptr<char[], ByteBufferRelease>;

/**
 * Room for a file's bytes, not zero-filled. A large one lies in huge pages
 * where the system has them, so that reading a database into it costs a
 * handful of page faults instead of thousands.
 */
ByteBuffer allocateBytes(size_t size);

/** A fast 64-bit hash of the bytes (not cryptographic). */
uint64_t hashBytes(std::string_view bytes);

/** The identity of a file just written with these bytes, from its status. */
FileIdentity identityOfWritten(const struct stat &info, std::string_view bytes);

/** Why a file is not read as a database, or None. */
enum class FileProblem {
    None,
    Missing,      // no such file: a new, empty database
    Unreadable,   // open or read failed; errorNumber says why
    NotAFile,     // a folder, a pipe, a device; fileType says which
    TooLarge,     // larger than kMaxDatabaseBytes: not read
    NotText,      // runs of NUL bytes or mostly control bytes: no text file
    NoDocuments,  // text, not empty, but no document in it
};

/**
 * A database file read as the program reads "ba0": only a plain file (the
 * open never waits on a pipe and never reads a device), never one over
 * kMaxDatabaseBytes, and only text. Shared by the program and kaldex-tool.
 */
struct DatabaseBytes {
    FileProblem problem = FileProblem::None;
    int errorNumber = 0;    // errno when Unreadable or Missing
    unsigned fileType = 0;  // st_mode & S_IFMT of what is there
    int64_t size = 0;       // the file's size as found
    FileIdentity identity;
    ByteBuffer data;
    size_t used = 0;

    std::string_view bytes() const { return {data.get(), used}; }
};

DatabaseBytes readDatabaseBytes(const std::string &path);

/**
 * Opens a database file as readDatabaseBytes() does, for a reader that reads
 * it itself: the descriptor, or -1 with file's problem (and errorNumber,
 * fileType, size) set when it is no file to read. info receives its status.
 */
int openDatabaseFile(const std::string &path, DatabaseBytes &file, struct stat &info);

/** NotText when the bytes are no text a database holds (NUL runs, mostly control bytes), else None. */
FileProblem classifyBytes(std::string_view bytes);

/** True when the bytes hold anything but white space. */
bool hasContent(std::string_view bytes);

/**
 * The file a name stands for after following symbolic links (relative ones
 * from the link's folder). A name that is no link, or a link to nothing,
 * gives the last name reached. False with errno ELOOP on a loop.
 */
bool resolveLinks(const std::string &path, std::string &target);

/** How the file at path differs from what was loaded. */
enum class FileChange { None, Appeared, Removed, Replaced, Modified };

/**
 * Compares the file at path (links followed) now with what a load saw; now
 * receives what is there. Without readBytes only the file's status is
 * compared: an edit that kept the size and the time goes unseen.
 */
FileChange compareWithLoaded(const FileIdentity &loaded, const std::string &path, FileIdentity &now,
                             bool readBytes = true);

/** What a lock file says of the program that holds it. */
struct LockHolder {
    long pid = 0;
    std::string host;
    int64_t since = 0;    // seconds since the epoch
    std::string program;  // the program's file name ("kaldex", "kaldex-tool"); empty from older programs
};

/** The line this process writes into a lock file: its number, host, the time and its program. */
std::string holderLine();

/** What such a line says; pid 0 when it says nothing. */
LockHolder parseHolder(const std::string &line);

/**
 * True when the holder is known to be gone: a process of this computer that
 * no longer runs, or whose number now belongs to another program.
 */
bool holderGone(const LockHolder &holder);

/**
 * The advisory lock a program holds on a database while it may change it:
 * the file "NAME.lock" beside the database file (beside the link's target
 * when NAME is a link). It is taken two ways at once. The link-count method
 * (a file of this program's own, with its line, linked to the lock name; the
 * name is ours when our file then has two names) works on any file system
 * with hard links, network ones too, and flock() on the same file, which the
 * system drops when its holder dies. A lock file whose holder is gone (a
 * process of this computer that no longer runs, or one that holds no flock
 * on a file system where flock works and names nobody) is taken over; one
 * whose holder lives on another computer is held until that program ends or
 * the file is deleted. A clean release removes the file.
 */
class DatabaseLock {
public:
    enum class State {
        Unavailable,    // no lock could be had: errorNumber says why (EISDIR: the lock name is a folder)
        Held,           // this object holds it
        HeldElsewhere,  // another program (or another object of this one) holds it
    };

    DatabaseLock() = default;
    ~DatabaseLock() { release(); }
    DatabaseLock(DatabaseLock &&other) noexcept;
    DatabaseLock &operator=(DatabaseLock &&other) noexcept;
    DatabaseLock(const DatabaseLock &) = delete;
    DatabaseLock &operator=(const DatabaseLock &) = delete;

    /** Takes the lock for the database file dir/name without waiting. */
    static DatabaseLock acquire(const std::string &dir, const std::string &name);

    State state() const { return state_; }
    const LockHolder &holder() const { return holder_; }  // when HeldElsewhere, as far as the file tells
    const std::string &path() const { return path_; }
    int errorNumber() const { return error_; }
    void release();

private:
    int fd_ = -1;
    State state_ = State::Unavailable;
    std::string path_;
    LockHolder holder_;
    int error_ = 0;
};

}  // namespace kaldex
