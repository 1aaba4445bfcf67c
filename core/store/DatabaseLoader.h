#pragma once

#include "core/store/DatabaseFile.h"
#include "core/store/DocumentStore.h"

#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

namespace kaldex {

/** What a load found, beyond what it put into the store. */
struct LoadResult {
    bool opened = false;    // the file existed and could be read
    int errorNumber = 0;    // errno when it could not be read
    int documents = 0;      // the document count it set
    long lines = 0;         // lines read
    bool overflow = false;  // more records than the store holds; see DocumentStore
    long overflowLine = 0;
    size_t unloadedFrom = 0;                  // when overflow: the offset of the bytes after the last loaded record
    FileProblem problem = FileProblem::None;  // why a file gave no documents (loadDatabaseFile)
    unsigned fileType = 0;                    // st_mode & S_IFMT of what was there
    int64_t fileSize = 0;
};

/**
 * Reads a database file into slots 1.. of the store and sets the document
 * count. Slots are overwritten in place, not cleared first: a name list keeps
 * the old names past its end. Never fails; unreadable input gives no documents.
 */
LoadResult loadDatabase(DocumentStore &store, std::string_view bytes);
LoadResult loadDatabase(DocumentStore &store, std::istream &in);

/** As above without a copy: the load rewrites the bytes in place, and the store keeps them. */
LoadResult loadDatabase(DocumentStore &store, ByteBuffer bytes, size_t size);

/**
 * As above from a file, opened as readDatabaseBytes() does. A missing file
 * gives an empty store, free to save. A file that is there but gives no
 * documents it could hold (unreadable, not a plain file, over
 * kMaxDatabaseBytes, no text, or text without a document) gives an empty
 * store with unreadFile set, so that no save replaces it; problem says why.
 * Notes the file's identity in loadedFile.
 */
LoadResult loadDatabaseFile(DocumentStore &store, const std::string &path);

}  // namespace kaldex
