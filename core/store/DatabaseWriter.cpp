#include "core/store/DatabaseWriter.h"

#include "core/store/ChangeMark.h"
#include "core/store/FileBytes.h"
#include "core/store/Number.h"
#include "core/store/RecordFormat.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <ostream>
#include <sys/stat.h>
#include <type_traits>
#include <unistd.h>
#include <utility>

namespace kaldex {
namespace {

// The file is written in text mode: every LF goes to disk as CR LF.
void appendText(std::string &out, std::string_view text)
{
    size_t start = 0;
    for (size_t lf; (lf = text.find('\n', start)) != std::string_view::npos; start = lf + 1) {
        out.append(text, start, lf - start);
        out += kLineEnd;
    }
    out.append(text, start, std::string::npos);
}

template <size_t S, size_t... I> void appendItems(std::string &out, const DocumentRecord &r, std::index_sequence<I...>)
{
    auto append = [&](auto index) {
        constexpr const NumberItem &item = (*kSections[S].items)[index];
        if (index > 0)
            out += kSeparator;
        appendNumber(out, item.field ? item.field.in(r) : 0);
    };
    (append(std::integral_constant<size_t, I>()), ...);
}

void appendNames(std::string &out, const SectionFormat &format, const DocumentRecord &r)
{
    for (size_t i = 0; i < format.nameCount; ++i) {
        if (i)
            out += kSeparator;
        appendText(out, format.names[i].in(r));
    }
    out += kNameLineEnd;
}

// Each section is written by code made for it from the description, as the
// loader reads it.
template <size_t S> void appendSection(std::string &out, const DocumentRecord &r, int slot)
{
    constexpr const SectionFormat &format = kSections[S];
    if constexpr (format.kind == SectionKind::Number) {
        appendNumber(out, slot);
        out += kLineEnd;
    } else if constexpr (format.kind == SectionKind::Numbers) {
        appendItems<S>(out, r, std::make_index_sequence<kNumberLineItems>());
        out += kLineEnd;
    } else if constexpr (format.kind == SectionKind::Names) {
        appendNames(out, format, r);
        out += kLineEnd;
    } else if constexpr (format.kind == SectionKind::Text) {
        appendText(out, format.text.in(r));  // empty, or ending with its line end
    }
    out += format.marker;
    out += kLineEnd;
}

template <size_t... S>
void appendSections(std::string &out, const DocumentRecord &r, int slot, std::index_sequence<S...>)
{
    (appendSection<S>(out, r, slot), ...);
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
    appendSections(out, r, slot, std::make_index_sequence<kSectionCount>());
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
    for (int slot = 1; slot <= store.documentCount; ++slot) {
        const auto index = static_cast<size_t>(slot);
        if (!store.storedThisSession[index])
            continue;
        if (store.loadedState[index] != 0)
            out += changeMarkLine({slot, store.loadedState[index]}) + "\r\n";
        appendRecord(out, store.record(slot), ++number);
    }
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

std::function<void()> &beforeReplace()
{
    static std::function<void()> hook;
    return hook;
}

// The answers of a file system that cannot swap or keep names as asked.
bool unsupported(int error)
{
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == ENOTSUP;
}

// Files in dir are named as the user knows them; others (a link's target) by their whole path.
std::string shownName(const std::string &dir, const std::string &path)
{
    return path.compare(0, dir.size() + 1, dir + "/") == 0 && path.find('/', dir.size() + 1) == std::string::npos
               ? path.substr(dir.size() + 1)
               : path;
}

// While a saver without the lock replaces the file it loaded, it holds a
// claim named for that file: of all savers that loaded it, only the one that
// made the claim may replace it. The claimant removes it.
class Claim {
public:
    ~Claim()
    {
        if (made_)
            ::unlink(path_.c_str());
    }
    Claim() = default;
    Claim(const Claim &) = delete;
    Claim &operator=(const Claim &) = delete;

    /** 0 when made, else errno: EEXIST when another saver's claim is there (holder then says whose). */
    int make(const std::string &target, uint64_t inode)
    {
        path_ = target + ".saving-" + std::to_string(inode);
        const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0) {
            const int error = errno;
            std::string line;
            if (error == EEXIST && readWholeFile(path_, line))
                holder = parseHolder(line);
            return error;
        }
        made_ = true;
        (void)writeAll(fd, holderLine());  // whose claim it is, for messages only
        ::close(fd);
        return 0;
    }
    const std::string &path() const { return path_; }
    LockHolder holder;

private:
    std::string path_;
    bool made_ = false;
};

// A backup name this save made, removed again unless the save succeeds.
struct MadeName {
    std::string path;
    ~MadeName()
    {
        if (!path.empty())
            ::unlink(path.c_str());
    }
};

SaveResult save(DocumentStore &store, const std::string &dir, const std::string &name, const LocalDate &date)
{
    if (!store.modified)
        return {};
    if (store.loadOverflow && !store.keepUnloaded)
        return failure(SaveStatus::Overflow);
    if (store.unreadFile)
        return failure(SaveStatus::NotRead);

    auto failed = [&](SaveStatus status, int error, const std::string &path) {
        SaveResult result = failure(status, error);
        result.fileName = shownName(dir, path);
        return result;
    };

    // A program that did not get the lock at "CONT" tries again for the save;
    // without any lock, only the claim below keeps savers apart.
    DatabaseLock lock;
    bool exclusive = true;
    if (store.lockedElsewhere || store.withoutLock) {
        lock = DatabaseLock::acquire(dir, name);
        if (lock.state() == DatabaseLock::State::HeldElsewhere) {
            SaveResult result = failed(SaveStatus::LockedElsewhere, 0, dir + "/" + name);
            result.holder = lock.holder();
            return result;
        }
        exclusive = lock.state() == DatabaseLock::State::Held;
    }

    const std::string path = dir + "/" + name;
    std::string target;
    if (!resolveLinks(path, target))
        return failed(SaveStatus::NotAFile, errno, path);
    const std::string targetDir = folderOf(target);

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

    const FileIdentity &loaded = store.loadedFile;
    FileIdentity found;
    auto changed = [&](FileChange change) {
        SaveResult result = failed(SaveStatus::Changed, 0, path);
        if (change == FileChange::None)
            change = FileChange::Replaced;  // and back again meanwhile
        result.change = change;
        result.loaded = loaded;
        result.found = found;
        return result;
    };
    // The file's status: a change seen now is refused before anything is
    // written. Its bytes are compared where it is replaced.
    if (loaded.known) {
        const FileChange change = compareWithLoaded(loaded, target, found, false);
        if (change != FileChange::None)
            return changed(change);
    }

    // A write-protected file is not replaced, even where rename could (root
    // passes access(), so the mode bits count too).
    if (haveOld) {
        if (::access(target.c_str(), W_OK) != 0)
            return failed(SaveStatus::NotWritable, errno, target);
        if ((old.st_mode & 0222) == 0)
            return failed(SaveStatus::NotWritable, EACCES, target);
    }

    const std::string stem = dir + "/" + backupStem(date);
    int counter = 0;
    if (haveOld) {
        struct stat taken {};
        while (counter <= 10 && !(::lstat((stem + std::to_string(counter)).c_str(), &taken) != 0 && errno == ENOENT))
            ++counter;
        if (counter > 10)
            return failure(SaveStatus::NoBackupName);
    }

    std::string bytes = formatDatabase(store);
    if (store.loadOverflow)
        bytes += store.unloadedBytes();
    ReplacementFile fresh;
    if (!fresh.write(target, bytes, mode))
        return failed(SaveStatus::WriteFailed, errno, fresh.path());

    Claim claim;
    if (!exclusive && loaded.known && loaded.exists) {
        const int error = claim.make(target, loaded.inode);
        if (error == EEXIST) {
            SaveResult result = failed(SaveStatus::BeingSaved, 0, claim.path());
            result.holder = claim.holder;
            return result;
        }
        if (error != 0)
            return failed(SaveStatus::WriteFailed, error, claim.path());
        const FileChange change = compareWithLoaded(loaded, target, found, false);
        if (change != FileChange::None)
            return changed(change);
    }

    // The old bytes under the backup name: a hard link where the file system
    // has them, a synced copy otherwise. A name another saver took meanwhile
    // is passed over.
    MadeName backup;
    if (haveOld) {
        for (; counter <= 10 && backup.path.empty(); ++counter) {
            const std::string candidate = stem + std::to_string(counter);
            if (::link(target.c_str(), candidate.c_str()) == 0) {
                backup.path = candidate;
                continue;
            }
            if (errno == EEXIST)
                continue;
            std::string oldBytes;
            if (readWholeFile(target, oldBytes) && writeFileSynced(candidate, oldBytes, mode, O_EXCL)) {
                backup.path = candidate;
            } else if (errno != EEXIST) {
                SaveResult result = failed(SaveStatus::BackupFailed, errno, candidate);
                result.backupName = shownName(dir, candidate);
                return result;
            }
        }
        if (backup.path.empty())
            return failure(SaveStatus::NoBackupName);
        struct stat kept {};
        if (loaded.known && ::lstat(backup.path.c_str(), &kept) == 0 && kept.st_nlink > 1 &&
            (static_cast<uint64_t>(kept.st_ino) != loaded.inode || static_cast<uint64_t>(kept.st_dev) != loaded.device))
            return changed(compareWithLoaded(loaded, target, found, false));
    }

    if (beforeReplace())
        beforeReplace()();

    int error = 0;
    bool stillNamed = false;  // whether the new file's name still names a file
    if (!loaded.known) {
        if (::rename(fresh.path().c_str(), target.c_str()) != 0)
            error = errno;
    } else if (!loaded.exists) {
        // Nothing was there at the load: the new file takes the name only while it is free.
        if (::renameat2(AT_FDCWD, fresh.path().c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0)
            error = errno;
        if (unsupported(error)) {
            error = ::link(fresh.path().c_str(), target.c_str()) == 0 ? 0 : errno;
            stillNamed = error == 0;
        }
        if (error == EEXIST)
            return changed(compareWithLoaded(loaded, target, found, false));
        if (error == EPERM || unsupported(error)) {
            // Without hard links too: compared, then renamed.
            if (compareWithLoaded(loaded, target, found, false) != FileChange::None)
                return changed(FileChange::Appeared);
            error = ::rename(fresh.path().c_str(), target.c_str()) == 0 ? 0 : errno;
        }
    } else if (::renameat2(AT_FDCWD, fresh.path().c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) {
        // Swapped in one step: what now has the new file's name must be the
        // file loaded, or the swap is undone.
        const FileChange change = compareWithLoaded(loaded, fresh.path(), found);
        if (change != FileChange::None) {
            if (::renameat2(AT_FDCWD, fresh.path().c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) != 0)
                fresh.release();  // what that name holds now is another program's file
            return changed(change == FileChange::Removed ? FileChange::Replaced : change);
        }
        stillNamed = true;
    } else if (!unsupported(errno)) {
        error = errno;
        struct stat ours {};
        if (error == ENOENT && ::lstat(fresh.path().c_str(), &ours) == 0)
            return changed(compareWithLoaded(loaded, target, found, false));
    } else {
        // No swap on this file system: the bytes, then the status, are
        // compared just before the rename.
        const FileChange change = compareWithLoaded(loaded, target, found);
        if (change != FileChange::None)
            return changed(change);
        if (::rename(fresh.path().c_str(), target.c_str()) != 0)
            error = errno;
    }
    if (error != 0) {
        // ENOENT here: the new file was removed by someone else before it could take the place.
        SaveResult result = failed(SaveStatus::ReplaceFailed, error, error == ENOENT ? fresh.path() : target);
        result.temporaryName = shownName(dir, fresh.path());
        return result;
    }
    // After a swap its name holds the old file, kept under the backup name.
    if (stillNamed)
        fresh.remove();
    fresh.release();
    syncDirectory(targetDir);
    if (targetDir != dir)
        syncDirectory(dir);

    store.loadedFile = identityOfWritten(fresh.info(), bytes);

    SaveResult result;
    result.status = SaveStatus::Saved;
    result.backupName = haveOld ? shownName(dir, backup.path) : std::string();
    backup.path.clear();
    return result;
}

// Files that savers of the database (and takers of its lock) leave behind
// when they die midway, old enough that no save can be writing them still.
std::vector<Leftover> leftoversBeside(const std::string &dir, const std::string &name)
{
    std::vector<Leftover> found;
    std::string target;
    if (!resolveLinks(dir + "/" + name, target))
        return found;
    const std::string folder = folderOf(target);
    const std::string base = target.substr(target.rfind('/') + 1);
    DIR *listing = ::opendir(folder.c_str());
    if (!listing)
        return found;
    const int64_t now = std::time(nullptr);
    while (const dirent *entry = ::readdir(listing)) {
        const std::string file = entry->d_name;
        if (file.compare(0, base.size(), base) != 0)
            continue;
        const std::string rest = file.substr(base.size());
        if (rest != ".new" && rest.rfind(".new-", 0) != 0 && rest.rfind(".saving-", 0) != 0 &&
            rest.rfind(".lock-", 0) != 0)
            continue;
        struct stat info {};
        const std::string path = folder + "/" + file;
        if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && now - info.st_mtime >= kLeftoverSeconds)
            found.push_back({shownName(dir, path), static_cast<int64_t>(info.st_mtime)});
    }
    ::closedir(listing);
    std::sort(found.begin(), found.end(), [](const Leftover &a, const Leftover &b) { return a.name < b.name; });
    return found;
}

}  // namespace

SaveResult saveDatabase(DocumentStore &store, const std::string &dir, const LocalDate &date)
{
    return saveDatabaseAs(store, dir, kDatabaseName, date);
}

SaveResult saveDatabaseAs(DocumentStore &store, const std::string &dir, const std::string &name, const LocalDate &date)
{
    SaveResult result = save(store, dir, name, date);
    if (store.modified && (!store.loadOverflow || store.keepUnloaded) && !store.unreadFile)
        result.leftovers = leftoversBeside(dir, name);
    return result;
}

void setBeforeReplaceForTesting(std::function<void()> hook)
{
    beforeReplace() = std::move(hook);
}

}  // namespace kaldex
