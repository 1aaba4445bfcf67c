#pragma once

// The texts of the windows' messages, kept apart from the windows that show
// them. Each is built from the facts it names and nothing else.

#include <QString>

namespace kaldex {
struct LoadResult;
struct LockHolder;
struct SaveResult;
struct DatabaseLocation;
}  // namespace kaldex

namespace kaldex::ui {

/** What a failed system call's error number means, in Russian, for messages. */
QString systemErrorText(int error);
/** Why a file could not be written into folder ("рабочую папку" or "папку «…»"). */
QString writeErrorText(int error, const QString &folder = QStringLiteral("рабочую папку"));

// The start window's "CONT".

/** What "CONT" says when "ba0" is there but could not be read (errno error). */
QString unreadText(int error);
/** What "CONT" says when "ba0" is there but gives no database (not read, no text, no document). */
QString unreadText(const LoadResult &loaded);
/** What "CONT" says when another program holds "ba0" for changes. */
QString lockedText(const LockHolder &holder);
/** What "CONT" says when no lock could be had (errno error; the lock file's name). */
QString unlockedText(int error, const QString &lockName);
/** What "CONT" says when the database file is not there: an empty database starts. */
QString missingText(const DatabaseLocation &database);
/** What "CONT" says of side files that wait beside the database (names joined by newlines). */
QString waitingSideFilesText(const QString &names, const DatabaseLocation &database);
/** The database in use, in full, for tooltips and the information window. */
QString databaseText(const DatabaseLocation &database);

/** The information window's text: whom to ask about the database. */
QString contactText();

// The search window.

/** What the search window says on opening when "ba0" held more documents than the store. */
QString overflowText(long line);
/** The text shown when a save did not happen, or empty when it did. */
QString saveFailureText(const SaveResult &result);
/** The offer to write the session's documents to a file of their own, and what was done. */
QString sideFileQuestion();
QString sideFileText(const QString &name, const DatabaseLocation &database);
/** The files that saves which never finished left beside "ba0", or empty when there are none. */
QString leftoverText(const SaveResult &result);
/** Said after a failed save that leaves the search window open. */
QString stillOpenText();
/** The question when the search window is closed with documents not saved. */
QString unsavedQuestion();
/** What "Add" says when the store has no room. */
QString storeFullText();

/** What the viewer's "Add" says when the pocket has no room. */
QString pocketFullText();

}  // namespace kaldex::ui
