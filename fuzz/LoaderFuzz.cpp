// Any bytes as "ba0": the load must give what the plain loader gives, also
// when a shorter file is loaded over it, kaldex-tool check must count the
// same documents, and what a save writes of the loaded documents must load
// back as the same documents.
#include "core/exchange/Check.h"
#include "core/store/DatabaseLoader.h"
#include "core/store/DatabaseWriter.h"
#include "fuzz/PlainLoader.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

using namespace kaldex;

namespace {

// Everything a save keeps. The number is rewritten as the slot and the file
// line is where the record was read, so neither survives by design.
bool sameDocument(const DocumentRecord &a, const DocumentRecord &b)
{
    return a.authors == b.authors && a.substances == b.substances && a.pairFlags == b.pairFlags && a.year == b.year &&
           a.upperYear == b.upperYear && a.lowerYear == b.lowerYear && a.wantedNumber == b.wantedNumber &&
           a.categoryFlags == b.categoryFlags && a.authorCount == b.authorCount &&
           a.substanceCount == b.substanceCount && a.citationLines == b.citationLines &&
           a.abstractLines == b.abstractLines && a.notesLines == b.notesLines &&
           a.provenanceLines == b.provenanceLines && a.citation == b.citation && a.abstract == b.abstract &&
           a.notes == b.notes && a.provenance == b.provenance;
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
    std::fprintf(stderr, "loader: %s (slot %d)\n", what, slot);
    std::abort();
}

bool samePlain(const DocumentRecord &a, const fuzz::PlainRecord &b)
{
    auto same = [](const auto &fields, const auto &strings) {
        for (size_t i = 0; i < strings.size(); ++i)
            if (fields[i] != strings[i])
                return false;
        return true;
    };
    const std::array<int32_t, 8> counts = {a.authorCount,   a.substanceCount, a.citationLines,
                                           a.abstractLines, a.notesLines,     a.provenanceLines};
    const std::array<int32_t, 4> years = {a.year, a.upperYear, a.lowerYear, a.wantedNumber};
    return a.number == b.number && a.fileLine == b.fileLine && same(a.authors, b.authors) &&
           same(a.substances, b.substances) &&
           std::equal(a.categoryFlags.begin(), a.categoryFlags.end(), b.first.begin()) &&
           std::equal(counts.begin(), counts.begin() + 6, b.first.begin() + kCategoryCount) &&
           std::equal(a.pairFlags.begin(), a.pairFlags.end(), b.second.begin()) &&
           std::equal(years.begin(), years.end(), b.second.begin() + kPairCount) &&
           same(std::array<std::string_view, 4>{a.citation, a.abstract, a.notes, a.provenance}, b.texts);
}

// Every slot either load wrote to, and the one after.
void checkAgainstPlain(const DocumentStore &store, const std::vector<fuzz::PlainRecord> &plain, int last)
{
    for (int slot = 1; slot <= std::min(last + 1, DocumentStore::kMaxDocuments); ++slot)
        if (!samePlain(store.record(slot), plain[static_cast<size_t>(slot)]))
            fail("differs from the plain load", slot);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static auto first = std::make_unique<DocumentStore>();
    static auto second = std::make_unique<DocumentStore>();
    static std::vector<fuzz::PlainRecord> plain(DocumentStore::kSlots);

    std::string_view bytes(reinterpret_cast<const char *>(data), size);
    LoadResult loaded = loadDatabase(*first, bytes);
    const int whole = fuzz::plainLoad(plain, bytes);
    if (loaded.documents != first->documentCount || first->documentCount != whole)
        fail("document count", first->documentCount);
    checkAgainstPlain(*first, plain, whole);
    tool::CheckSummary checked;
    tool::checkDatabase(bytes, &checked);
    if (checked.documents != whole)
        fail("check counts other documents", checked.documents);

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

    // Half the file over the whole one: names past a list's end and slots
    // past the count keep what the first load gave them. One field holds a
    // value of its own first, as after the entry window stored it.
    first->record(1).authors[1] = "own";
    plain[1].authors[1] = "own";
    const int half = fuzz::plainLoad(plain, bytes.substr(0, size / 2));
    if (loadDatabase(*first, bytes.substr(0, size / 2)).documents != half)
        fail("document count of the half", half);
    checkAgainstPlain(*first, plain, whole);

    first->documentCount = whole;
    clearUsed(*first);
    for (int slot = 1; slot <= std::min(whole + 1, DocumentStore::kMaxDocuments); ++slot)
        plain[static_cast<size_t>(slot)] = fuzz::PlainRecord{};
    return 0;
}
