#pragma once

#include "core/store/DatabaseFile.h"
#include "core/store/DocumentStore.h"

#include <iosfwd>
#include <string>

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

/** The documents the entry window stored since the last load, numbered 1.. in slot order. */
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
    Overflow,          // the loaded file held more than the store: refused
    NotRead,           // the last load could not read "ba0" or found no database in it: refused
    NotAFile,          // "ba0" exists but is not a plain file
    Changed,           // "ba0" is no longer the file that was loaded: refused, see change
    LockedElsewhere,   // another program holds "ba0" for changes: refused, see holder
    NotWritable,       // "ba0" has no write permission (or is immutable): refused
    TemporaryBlocked,  // the temporary name is taken by something that is no file (a folder)
    NoBackupName,      // all eleven backup names of the day are taken
    WriteFailed,       // the new file could not be written completely
    BackupFailed,      // the old file could not be kept under its backup name
    ReplaceFailed,     // the new file could not take the place of "ba0"
};

struct SaveResult {
    SaveStatus status = SaveStatus::NotModified;
    int errorNumber = 0;                   // errno of the failed call, 0 when none
    std::string backupName;                // the name the old file was kept under, if any
    std::string fileName;                  // the file the failure concerns, as the user knows it
    FileChange change = FileChange::None;  // when Changed: how
    FileIdentity loaded;                   // when Changed: what the load saw,
    FileIdentity found;                    // and what is there now
    LockHolder holder;                     // when LockedElsewhere

    bool ok() const { return status == SaveStatus::Saved || status == SaveStatus::NotModified; }
    /** A refusal that pressing "OK" again cannot cure while this store is in memory. */
    bool never() const
    {
        return status == SaveStatus::Overflow || status == SaveStatus::NotRead || status == SaveStatus::Changed ||
               status == SaveStatus::LockedElsewhere || status == SaveStatus::NotWritable;
    }
};

constexpr const char *kDatabaseName = "ba0";
constexpr const char *kTemporaryName = "ba0.new";

/**
 * Saves the store as "ba0" in directory dir when the modified flag is set.
 * Refuses when the loaded file was not read whole, when "ba0" is no longer
 * the file that was loaded, when another program holds its lock (taken for
 * the save when store.lockedElsewhere says this program does not hold it),
 * or when "ba0" is write-protected. A "ba0" that is a symbolic link is saved
 * through: its target is replaced, the link stays. The new file is written
 * and synced beside the file it replaces first; the old bytes are kept under
 * the day's first free backup name in dir, and only then is the file
 * replaced, by rename. On any failure the file is left exactly as it was and
 * no backup name is used up. After a save, store.loadedFile is the new file.
 */
SaveResult saveDatabase(DocumentStore &store, const std::string &dir, const LocalDate &date);
/** As above, but store.loadedFile stays as it was: a further save of the same store is refused. */
SaveResult saveDatabase(const DocumentStore &store, const std::string &dir, const LocalDate &date);

/** As saveDatabase, for a database file of another name in dir ("ba0" in the text above). */
SaveResult saveDatabaseAs(DocumentStore &store, const std::string &dir, const std::string &name, const LocalDate &date);

}  // namespace kaldex
