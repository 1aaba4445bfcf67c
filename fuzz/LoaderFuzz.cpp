// Any bytes as "ba0": the load must not fail, and what a save writes of the
// loaded documents must load back as the same documents.
#include "store/DatabaseLoader.h"
#include "store/DatabaseWriter.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

using namespace kaldex;

namespace {

// Everything a save keeps. The number is rewritten as the slot and the file
// line is where the record was read, so neither survives by design.
bool sameDocument(const DocumentRecord &a, const DocumentRecord &b)
{
    return a.authors == b.authors && a.substances == b.substances && a.pairFlags == b.pairFlags &&
           a.year == b.year && a.upperYear == b.upperYear && a.lowerYear == b.lowerYear &&
           a.wantedNumber == b.wantedNumber && a.categoryFlags == b.categoryFlags &&
           a.authorCount == b.authorCount && a.substanceCount == b.substanceCount &&
           a.citationLines == b.citationLines && a.abstractLines == b.abstractLines &&
           a.notesLines == b.notesLines && a.provenanceLines == b.provenanceLines && a.citation == b.citation &&
           a.abstract == b.abstract && a.notes == b.notes && a.provenance == b.provenance;
}

// The loader overwrites slots in place; clear what it touched so that every
// input starts from an empty table, as the program does.
void clearUsed(DocumentStore &store)
{
    int last = std::min(store.documentCount + 1, DocumentStore::kMaxDocuments);
    for (int slot = 1; slot <= last; ++slot)
        store.record(slot) = DocumentRecord{};
    store.documentCount = 0;
}

[[noreturn]] void fail(const char *what, int slot)
{
    std::fprintf(stderr, "round trip: %s (slot %d)\n", what, slot);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static auto first = std::make_unique<DocumentStore>();
    static auto second = std::make_unique<DocumentStore>();

    std::string_view bytes(reinterpret_cast<const char *>(data), size);
    LoadResult loaded = loadDatabase(*first, bytes);
    if (loaded.documents != first->documentCount || first->documentCount < 0 ||
        first->documentCount > DocumentStore::kMaxDocuments)
        fail("document count", first->documentCount);

    if (!first->loadOverflow) {  // an overflowing file is never saved
        std::string saved = formatDatabase(*first);
        LoadResult reloaded = loadDatabase(*second, saved);
        if (reloaded.overflow || second->documentCount != first->documentCount)
            fail("document count after reload", second->documentCount);
        for (int slot = 1; slot <= first->documentCount; ++slot) {
            if (!sameDocument(first->record(slot), second->record(slot)))
                fail("document differs", slot);
            if (second->record(slot).number != slot)
                fail("number is not the slot", slot);
        }
        clearUsed(*second);
    }
    clearUsed(*first);
    return 0;
}
