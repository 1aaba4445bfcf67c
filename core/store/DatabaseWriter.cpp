#include "core/store/DatabaseWriter.h"

#include "core/store/FileBytes.h"
#include "core/store/Number.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

namespace kaldex {
namespace {

// The file is written in text mode: every LF goes to disk as CR LF.
void appendText(std::string &out, std::string_view text)
{
    size_t start = 0;
    for (size_t lf; (lf = text.find('\n', start)) != std::string_view::npos; start = lf + 1) {
        out.append(text, start, lf - start);
        out += "\r\n";
    }
    out.append(text, start, std::string::npos);
}

template <size_t N> void appendItems(std::string &out, const std::array<int32_t, N> &items)
{
    for (size_t i = 0; i < N; ++i) {
        if (i)
            out += '@';
        appendNumber(out, items[i]);
    }
}

template <size_t N> void appendNames(std::string &out, const std::array<FieldText, N> &names)
{
    for (size_t i = 0; i < N; ++i) {
        if (i)
            out += '@';
        appendText(out, names[i]);
    }
    out += "@@@@\r\n$\r\n";
}

// Writes a complete file and syncs it; on failure removes it and keeps errno.
bool writeFileSynced(const std::string &path, const std::string &bytes, mode_t mode, int flags)
{
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | flags, mode);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(path.c_str());
        errno = error;
    }
    return ok;
}

// Keeps the old file's bytes under the backup name: a hard link where the
// file system has them, a synced copy otherwise.
bool keepBackup(const std::string &path, const std::string &backup, mode_t mode)
{
    if (::link(path.c_str(), backup.c_str()) == 0)
        return true;
    if (errno == EEXIST)
        return false;
    std::string old;
    return readWholeFile(path, old) && writeFileSynced(backup, old, mode, O_EXCL);
}

void syncDirectory(const std::string &dir)
{
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);  // some file systems refuse; the rename itself has happened
        ::close(fd);
    }
}

SaveResult failure(SaveStatus status, int error = 0)
{
    SaveResult result;
    result.status = status;
    result.errorNumber = error;
    return result;
}

}  // namespace

void appendRecord(std::string &out, const DocumentRecord &r, int slot)
{
    out += "$\r\n";
    appendNumber(out, slot);
    out += "\r\n$\r\n";

    std::array<int32_t, 19> first{};
    std::copy(r.categoryFlags.begin(), r.categoryFlags.end(), first.begin());
    first[11] = r.authorCount;
    first[12] = r.substanceCount;
    first[13] = r.citationLines;
    first[14] = r.abstractLines;
    first[15] = r.notesLines;
    first[16] = r.provenanceLines;
    first[17] = r.fileLine;
    appendItems(out, first);
    out += "\r\n$\r\n";

    appendNames(out, r.authors);

    std::array<int32_t, 19> second{};
    std::copy(r.pairFlags.begin(), r.pairFlags.end(), second.begin());
    second[15] = r.year;
    second[16] = r.upperYear;
    second[17] = r.lowerYear;
    second[18] = r.wantedNumber;
    appendItems(out, second);
    out += "\r\n$\r\n";

    appendNames(out, r.substances);

    appendText(out, r.citation);
    out += "$\r\n";
    appendText(out, r.abstract);
    out += "$\r\n";
    appendText(out, r.notes);
    out += "$\r\n";
    appendText(out, r.provenance);
    out += "$@$\r\n";
}

std::string formatDatabase(const DocumentStore &store)
{
    std::string out;
    size_t estimate = 0;
    for (int slot = 1; slot <= store.documentCount; ++slot) {
        const DocumentRecord &r = store.record(slot);
        estimate += 200 + r.citation.size() + r.abstract.size() + r.notes.size() + r.provenance.size();
    }
    out.reserve(estimate + estimate / 16);
    for (int slot = 1; slot <= store.documentCount; ++slot)
        appendRecord(out, store.record(slot), slot);
    return out;
}

bool writeDatabase(const DocumentStore &store, std::ostream &out)
{
    std::string bytes = formatDatabase(store);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    return static_cast<bool>(out);
}

LocalDate LocalDate::today()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    LocalDate date;
    date.day = local.tm_mday;
    date.month = local.tm_mon + 1;
    date.year = local.tm_year + 1900;
    return date;
}

std::string backupStem(const LocalDate &date)
{
    return "b" + std::to_string(date.day) + std::to_string(date.month) + std::to_string(date.year % 100) + "_";
}

std::string formatSessionDocuments(const DocumentStore &store)
{
    std::string out;
    int number = 0;
    for (int slot = 1; slot <= store.documentCount; ++slot)
        if (store.storedThisSession[static_cast<size_t>(slot)])
            appendRecord(out, store.record(slot), ++number);
    return out;
}

std::string saveSessionDocuments(const DocumentStore &store, const std::string &dir, const LocalDate &date)
{
    const std::string bytes = formatSessionDocuments(store);
    const std::string stem = std::string(kDatabaseName) + ".session-" + std::to_string(date.day) +
                             std::to_string(date.month) + std::to_string(date.year % 100) + "-";
    for (int counter = 0; counter < 1000; ++counter) {
        const std::string name = stem + std::to_string(counter);
        if (writeFileSynced(dir + "/" + name, bytes, 0666, O_EXCL)) {
            syncDirectory(dir);
            return name;
        }
        if (errno != EEXIST)
            return {};
    }
    errno = EEXIST;
    return {};
}

namespace {

SaveResult save(const DocumentStore &store, const std::string &dir, const std::string &name, const LocalDate &date,
                FileIdentity *written);

}  // namespace

SaveResult saveDatabase(DocumentStore &store, const std::string &dir, const LocalDate &date)
{
    return save(store, dir, kDatabaseName, date, &store.loadedFile);
}

SaveResult saveDatabase(const DocumentStore &store, const std::string &dir, const LocalDate &date)
{
    return save(store, dir, kDatabaseName, date, nullptr);
}

SaveResult saveDatabaseAs(DocumentStore &store, const std::string &dir, const std::string &name, const LocalDate &date)
{
    return save(store, dir, name, date, &store.loadedFile);
}

namespace {

SaveResult save(const DocumentStore &store, const std::string &dir, const std::string &name, const LocalDate &date,
                FileIdentity *written)
{
    if (!store.modified)
        return {};
    if (store.loadOverflow)
        return failure(SaveStatus::Overflow);
    if (store.unreadFile)
        return failure(SaveStatus::NotRead);

    // Files in dir are named as the user knows them; a link's target by its whole path.
    auto shown = [&](const std::string &path) {
        return path.compare(0, dir.size() + 1, dir + "/") == 0 && path.find('/', dir.size() + 1) == std::string::npos
                   ? path.substr(dir.size() + 1)
                   : path;
    };
    auto failed = [&](SaveStatus status, int error, const std::string &path) {
        SaveResult result = failure(status, error);
        result.fileName = shown(path);
        return result;
    };

    // A program that did not get the lock at "CONT" takes it for the save.
    DatabaseLock lock;
    if (store.lockedElsewhere) {
        lock = DatabaseLock::acquire(dir, name);
        if (lock.state() == DatabaseLock::State::HeldElsewhere) {
            SaveResult result = failed(SaveStatus::LockedElsewhere, 0, dir + "/" + name);
            result.holder = lock.holder();
            return result;
        }
    }

    const std::string path = dir + "/" + name;
    std::string target;
    if (!resolveLinks(path, target))
        return failed(SaveStatus::NotAFile, errno, path);
    const std::string targetDir = target.substr(0, target.rfind('/'));
    const std::string temporary = target + ".new";

    struct stat old {};
    bool haveOld = false;
    mode_t mode = 0666;
    if (::stat(target.c_str(), &old) == 0) {
        if (!S_ISREG(old.st_mode))
            return failed(SaveStatus::NotAFile, 0, path);
        haveOld = true;
        mode = old.st_mode & 07777;
    } else if (errno != ENOENT) {
        return failed(SaveStatus::WriteFailed, errno, target);
    }

    if (store.loadedFile.known) {
        SaveResult changed = failed(SaveStatus::Changed, 0, path);
        changed.change = compareWithLoaded(store.loadedFile, target, changed.found);
        if (changed.change != FileChange::None) {
            changed.loaded = store.loadedFile;
            return changed;
        }
    }

    // A write-protected file is not replaced, even where rename could (root
    // passes access(), so the mode bits count too).
    if (haveOld) {
        if (::access(target.c_str(), W_OK) != 0)
            return failed(SaveStatus::NotWritable, errno, target);
        if ((old.st_mode & 0222) == 0)
            return failed(SaveStatus::NotWritable, EACCES, target);
    }

    // A leftover of an interrupted save goes first, whatever its permissions;
    // anything else of that name stays and stops the save.
    struct stat leftover {};
    if (::lstat(temporary.c_str(), &leftover) == 0) {
        if (!S_ISREG(leftover.st_mode) && !S_ISLNK(leftover.st_mode))
            return failed(SaveStatus::TemporaryBlocked, S_ISDIR(leftover.st_mode) ? EISDIR : EEXIST, temporary);
        if (::unlink(temporary.c_str()) != 0)
            return failed(SaveStatus::WriteFailed, errno, temporary);
    }

    std::string backup;
    if (haveOld) {
        const std::string stem = dir + "/" + backupStem(date);
        struct stat taken {};
        for (int counter = 0; counter <= 10 && backup.empty(); ++counter) {
            std::string candidate = stem + std::to_string(counter);
            if (::lstat(candidate.c_str(), &taken) != 0 && errno == ENOENT)
                backup = candidate;
        }
        if (backup.empty())
            return failure(SaveStatus::NoBackupName);
    }

    const std::string bytes = formatDatabase(store);
    if (!writeFileSynced(temporary, bytes, mode, O_EXCL))
        return failed(SaveStatus::WriteFailed, errno, temporary);

    if (haveOld && !keepBackup(target, backup, mode)) {
        SaveResult result = failed(SaveStatus::BackupFailed, errno, backup);
        result.backupName = shown(backup);
        ::unlink(temporary.c_str());
        return result;
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        SaveResult result = failed(SaveStatus::ReplaceFailed, errno, target);
        ::unlink(temporary.c_str());
        if (haveOld)
            ::unlink(backup.c_str());  // the name is free again for the next try
        return result;
    }
    syncDirectory(targetDir);
    if (targetDir != dir)
        syncDirectory(dir);

    if (written)
        *written = identityOfWritten(target, bytes);

    SaveResult result;
    result.status = SaveStatus::Saved;
    if (haveOld)
        result.backupName = shown(backup);
    return result;
}

}  // namespace

}  // namespace kaldex
