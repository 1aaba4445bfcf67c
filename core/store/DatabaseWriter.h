#pragma once

#include "core/store/DatabaseFile.h"
#include "core/store/DocumentStore.h"

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace kaldex {

/** Appends one record as the database file holds it, lines ended by CR LF. */
void appendRecord(std::string &out, const DocumentRecord &record, int slot);

/** The whole file for documents 1..documentCount, numbered by slot. */
std::string formatDatabase(const DocumentStore &store);

/** Writes formatDatabase(); false when the stream failed. */
bool writeDatabase(const DocumentStore &store, std::ostream &out);

struct LocalDate {
    int day = 1;    // 1..31
    int month = 1;  // 1..12
    int year = 2000;

    static LocalDate today();
};

/** "b", day, month, year modulo 100, "_": the backup names' common start. */
std::string backupStem(const LocalDate &date);

/**
 * The documents the entry window stored since the last load, numbered 1.. in
 * slot order; a changed one led by its changeMarkLine().
 */
std::string formatSessionDocuments(const DocumentStore &store);

/**
 * Writes formatSessionDocuments() to a new file in dir named "ba0.session-"
 * day, month, year modulo 100, "-" and the first counter that names no file
 * yet; never overwrites one. Returns the file's name, or empty with errno set.
 */
std::string saveSessionDocuments(const DocumentStore &store, const std::string &dir, const LocalDate &date);

enum class SaveStatus {
    NotModified,  // nothing was stored in this run: nothing written
    Saved,
    Overflow,         // the loaded file held more than the store: refused
    NotRead,          // the last load could not read "ba0" or found no database in it: refused
    NotAFile,         // "ba0" exists but is not a plain file
    Changed,          // "ba0" is no longer the file that was loaded: refused, see change
    LockedElsewhere,  // another program holds "ba0" for changes: refused, see holder
    BeingSaved,       // another program without the lock is saving it this moment (or died doing so): see holder
    NotWritable,      // "ba0" has no write permission (or is immutable): refused
    NoBackupName,     // all eleven backup names of the day are taken
    WriteFailed,      // the new file could not be written completely
    BackupFailed,     // the old file could not be kept under its backup name
    ReplaceFailed,    // the new file could not take the place of "ba0"
};

/** A file that a save which never finished left beside the database file. */
struct Leftover {
    std::string name;  // as the user knows it
    int64_t modifiedSeconds = 0;
};

/** How old a save's file must be before it counts as left behind: no save takes that long. */
constexpr int64_t kLeftoverSeconds = 600;

struct SaveResult {
    SaveStatus status = SaveStatus::NotModified;
    int errorNumber = 0;                   // errno of the failed call, 0 when none
    std::string backupName;                // the name the old file was kept under, if any
    std::string fileName;                  // the file the failure concerns, as the user knows it
    std::string temporaryName;             // when ReplaceFailed: the new file that was to take the place
    FileChange change = FileChange::None;  // when Changed: how
    FileIdentity loaded;                   // when Changed: what the load saw,
    FileIdentity found;                    // and what is there now
    LockHolder holder;                     // when LockedElsewhere or BeingSaved
    std::vector<Leftover> leftovers;       // left by saves that never finished; never removed by a save

    bool ok() const { return status == SaveStatus::Saved || status == SaveStatus::NotModified; }
    /** A refusal that pressing "OK" again cannot cure while this store is in memory. */
    bool never() const
    {
        return status == SaveStatus::Overflow || status == SaveStatus::NotRead || status == SaveStatus::Changed ||
               status == SaveStatus::LockedElsewhere || status == SaveStatus::BeingSaved ||
               status == SaveStatus::NotWritable;
    }
};

constexpr const char *kDatabaseName = "ba0";

/**
 * Saves the store as "ba0" in directory dir when the modified flag is set.
 * Refuses when the loaded file was not read whole, when "ba0" is no longer
 * the file that was loaded, when another program holds its lock (taken for
 * the save when store.lockedElsewhere or store.withoutLock says this program
 * does not hold it), or when "ba0" is write-protected. A "ba0" that is a
 * symbolic link is saved through: its target is replaced, the link stays.
 *
 * The new file is written and synced beside the file it replaces, under a
 * name of its own; the old one is kept under the day's first free backup
 * name in dir; then the new one takes the old one's place. Where the file
 * system can swap two names in one step, it does, and the file swapped out
 * must be the very one loaded, bytes and all, or the swap is undone and the
 * save refused: nothing that changed "ba0" meanwhile is lost. Elsewhere the
 * file is compared just before the rename. A saver without the lock first
 * claims the loaded file ("ba0.saving-INODE"): of several that loaded it,
 * only the claimant may replace it. On any failure the file is left exactly
 * as it was, no backup name is used up and nothing of the save's is left;
 * files of other savers are never removed, and those old enough to be left
 * behind are listed. After a save, store.loadedFile is the new file.
 */
SaveResult saveDatabase(DocumentStore &store, const std::string &dir, const LocalDate &date);

/** As saveDatabase, for a database file of another name in dir ("ba0" in the text above). */
SaveResult saveDatabaseAs(DocumentStore &store, const std::string &dir, const std::string &name, const LocalDate &date);

/** For tests: called by every save between its last look at the file and its replacing it. */
void setBeforeReplaceForTesting(std::function<void()> hook);

}  // namespace kaldex
