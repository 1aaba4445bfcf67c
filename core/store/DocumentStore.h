#pragma once

#include "core/store/DatabaseFile.h"
#include "core/store/DatabaseLocation.h"
#include "core/store/DocumentRecord.h"

#include <array>
#include <memory>
#include <string_view>
#include <vector>

namespace kaldex {

/**
 * The fixed table of documents and the values every window shares. Made once
 * in main() and handed to each window by reference; windows read and write it
 * directly. Slot 0 is the query record, documents live in 1..documentCount.
 */
class DocumentStore {
public:
    static constexpr int kSlots = 5000;
    static constexpr int kMaxDocuments = kSlots - 1;
    static constexpr int kMaxPocket = kSlots - 1;
    static constexpr int kShownMaximum = 5000;  // the figure the windows show

    DocumentStore();

    DocumentRecord &record(int slot) { return records_[static_cast<size_t>(slot)]; }
    const DocumentRecord &record(int slot) const { return records_[static_cast<size_t>(slot)]; }
    DocumentRecord &query() { return records_[0]; }

    int documentCount = 0;
    std::array<int32_t, kSlots> foundList{};
    int foundCount = 0;
    std::array<int32_t, kSlots> pocket{};
    int pocketCount = 0;
    int modified = 0;
    int changeNumber = 0;
    int entrySlot = 0;

    /** The database file the program works on, and so where its backups, lock and side files go. */
    DatabaseLocation database;

    /**
     * Set by the last load when the file held more than kMaxDocuments records:
     * only the first ones are in memory, so saving over that file would drop
     * the rest. overflowLine is the file line where the unloaded part begins.
     */
    bool loadOverflow = false;
    long overflowLine = 0;

    /**
     * Set by kaldex-tool only: a store that overflowed is saved with the
     * records it did not load kept byte for byte after its own, so that
     * changes to loaded documents can land in a file of any size.
     */
    bool keepUnloaded = false;

    /** What the last load left unread when it overflowed; empty otherwise. */
    std::string_view unloadedBytes() const;

    /**
     * Set by the last load when "ba0" was there but could not be read (no
     * permission, a directory, an input error): the table is empty, and a
     * save would put the session's documents in place of the unread ones.
     */
    bool unreadFile = false;

    /**
     * What the last load from a file saw of it (a load from bytes clears
     * it). The save writes only over the very file that was loaded: one
     * another program changed meanwhile is kept.
     */
    FileIdentity loadedFile;

    /**
     * Set at "CONT" when another program held "ba0" for changes: this one may
     * search and read, and its save must first take the lock itself.
     */
    bool lockedElsewhere = false;

    /**
     * Set at "CONT" when no lock could be had at all (the lock name is taken
     * by a folder, the folder is read-only): the save tries again, and
     * without it replaces "ba0" only through its claim and comparison.
     */
    bool withoutLock = false;

    /** Slots whose document the entry window stored since the last load. */
    std::vector<bool> storedThisSession = std::vector<bool>(kSlots, false);

    /**
     * For a loaded document the entry window opened for a change: storedState()
     * of it as loaded, so that a side file can say which state its change
     * replaces. 0 for the rest.
     */
    std::vector<uint64_t> loadedState = std::vector<uint64_t>(kSlots, 0);

    /** Forgets what the entry window stored: a new load begins a new session. */
    void forgetSession();

    /**
     * Keeps the bytes that the documents just loaded refer to, in place of
     * the last load's. Fields that still refer to the old bytes (names past a
     * list's end, slots past the count) get their own copies first. From
     * unloadedFrom on, the bytes are as the file holds them.
     */
    void keepLoadedBytes(ByteBuffer bytes, size_t size, size_t unloadedFrom);

private:
    std::vector<DocumentRecord> records_;
    ByteBuffer loadedBytes_;
    size_t loadedSize_ = 0;
    size_t unloadedFrom_ = 0;
};

}  // namespace kaldex
