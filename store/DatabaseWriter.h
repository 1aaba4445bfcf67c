#pragma once

#include "store/DocumentStore.h"

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
    NotModified,     // nothing was stored in this run: nothing written
    Saved,
    Overflow,        // the loaded file held more than the store: refused
    NotRead,         // the last load could not read "ba0": refused
    NotAFile,        // "ba0" exists but is not a plain file
    NoBackupName,    // all eleven backup names of the day are taken
    WriteFailed,     // the new file could not be written completely
    BackupFailed,    // the old file could not be kept under its backup name
    ReplaceFailed,   // the new file could not take the place of "ba0"
};

struct SaveResult {
    SaveStatus status = SaveStatus::NotModified;
    int errorNumber = 0;     // errno of the failed call, 0 when none
    std::string backupName;  // the name the old file was kept under, if any

    bool ok() const { return status == SaveStatus::Saved || status == SaveStatus::NotModified; }
};

constexpr const char *kDatabaseName = "ba0";
constexpr const char *kTemporaryName = "ba0.new";

/**
 * Saves the store as "ba0" in directory dir when the modified flag is set.
 * The new file is written and synced beside the old one first; the old file
 * is kept under the day's first free backup name and only then replaced, by
 * rename. On any failure "ba0" is left exactly as it was.
 */
SaveResult saveDatabase(const DocumentStore &store, const std::string &dir, const LocalDate &date);

}  // namespace kaldex
