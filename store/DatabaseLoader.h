#pragma once

#include "store/DocumentStore.h"

#include <iosfwd>
#include <string>
#include <string_view>

namespace kaldex {

/** What a load found, beyond what it put into the store. */
struct LoadResult {
    bool opened = false;     // the file existed and could be read
    int errorNumber = 0;     // errno when it could not be read
    int documents = 0;       // the document count it set
    long lines = 0;          // lines read
    bool overflow = false;   // more records than the store holds; see DocumentStore
    long overflowLine = 0;
};

/**
 * Reads a database file into slots 1.. of the store and sets the document
 * count. Slots are overwritten in place, not cleared first: a name list keeps
 * the old names past its end. Never fails; unreadable input gives no documents.
 */
LoadResult loadDatabase(DocumentStore &store, std::string_view bytes);
LoadResult loadDatabase(DocumentStore &store, std::istream &in);

/** As above from a file; a missing or unreadable file gives an empty store. */
LoadResult loadDatabaseFile(DocumentStore &store, const std::string &path);

}  // namespace kaldex
