#include "core/query/Query.h"

#include "core/encoding/CodePage.h"
#include "core/store/Number.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>

namespace kaldex {
namespace {

struct Switches {
    bool categories = false;
    bool substances = false;
    bool author = false;
    bool upperYear = false;
    bool lowerYear = false;
    bool text = false;
};

char foldLatin(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Position 1..count of the first substance equal to name, 0 when none is.
int firstPosition(const DocumentRecord &document, std::string_view name, int count)
{
    for (int i = 0; i < count; ++i)
        if (sameSubstance(document.substances[static_cast<size_t>(i)], name))
            return i + 1;
    return 0;
}

using TextSearcher = std::boyer_moore_horspool_searcher<std::string::const_iterator>;
constexpr size_t kSkipTableLength = 16;

bool matches(const DocumentRecord &document, const DocumentRecord &query, const Switches &on,
             const std::string &fragment, const std::optional<TextSearcher> &searcher)
{
    if (on.categories) {
        for (int i = 0; i < kCategoryCount; ++i)
            if (query.categoryFlags[static_cast<size_t>(i)] == 1 && document.categoryFlags[static_cast<size_t>(i)] != 1)
                return false;
    }
    if (on.substances && !matchesSubstances(document, query.substances[0], query.substances[1]))
        return false;
    if (on.author && !matchesAuthor(document, query.authors[0]))
        return false;
    if (on.upperYear && document.year > query.upperYear)
        return false;
    if (on.lowerYear && document.year < query.lowerYear)
        return false;
    if (on.text) {
        if (!searcher)
            return matchesText(document, fragment);
        const FieldText &notes = document.notes;
        if (notes.size() < fragment.size() || std::search(notes.begin(), notes.end(), *searcher) == notes.end())
            return false;
    }
    return true;
}

}  // namespace

bool sameSubstance(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (foldLatin(a[i]) != foldLatin(b[i]))
            return false;
    return true;
}

bool matchesSubstances(const DocumentRecord &document, std::string_view first, std::string_view second)
{
    const int k1 = firstPosition(document, first, kSubstanceCount);
    // One substance is asked for as that substance and a 7; the 7 must not
    // itself be a substance among the first four.
    if (k1 != 0 && firstPosition(document, second, 4) == 0 && readNumber(second) == 7)
        return true;
    const int k2 = firstPosition(document, second, kSubstanceCount);
    if (k1 == 0 || k2 == 0)
        return false;
    const int i = std::min(k1, k2);
    const int j = std::max(k1, k2);
    return document.pairFlags[static_cast<size_t>(pairIndex(i, j))] == 1;
}

bool matchesAuthor(const DocumentRecord &document, std::string_view prefix)
{
    for (const FieldText &author : document.authors)
        if (author.view().substr(0, prefix.size()) == prefix)
            return true;
    return false;
}

bool matchesText(const DocumentRecord &document, std::string_view fragment)
{
    const FieldText &notes = document.notes;
    if (notes.empty() || notes.size() < fragment.size())
        return false;
    return ::memmem(notes.data(), notes.size(), fragment.data(), fragment.size()) != nullptr;
}

QueryOutcome runQuery(DocumentStore &store, const QueryInput &input)
{
    store.foundCount = 0;
    DocumentRecord &query = store.query();

    if (input.byNumber) {
        if (input.number.empty())
            return QueryOutcome::Rejected;
        query.wantedNumber = readNumber(input.number);
        return query.wantedNumber >= 1 && query.wantedNumber <= store.documentCount ? QueryOutcome::NumberFound
                                                                                    : QueryOutcome::NumberNotFound;
    }

    query.authors[0] = input.author;
    query.substances[0] = input.substance1;
    query.substances[1] = input.substance2;
    query.upperYear = readNumber(input.upperYear);
    query.lowerYear = readNumber(input.lowerYear);
    query.wantedNumber = readNumber(input.number);

    int ticked = 0;
    for (int i = 0; i < kCategoryCount; ++i) {
        query.categoryFlags[static_cast<size_t>(i)] = input.categories[static_cast<size_t>(i)] ? 1 : 0;
        ticked += query.categoryFlags[static_cast<size_t>(i)];
    }
    query.authorCount = input.bySubstances;
    query.substanceCount = input.byAuthor;
    query.citationLines = input.byUpperYear;
    query.abstractLines = input.byLowerYear;

    if (ticked + query.authorCount + query.substanceCount + query.citationLines + query.abstractLines == 0 &&
        input.text.empty())
        return QueryOutcome::Rejected;

    Switches on;
    on.categories = ticked > 0;
    if (input.bySubstances) {
        if (input.substance1.empty() || input.substance2.empty())
            return QueryOutcome::Rejected;
        on.substances = true;
    }
    if (input.byAuthor) {
        if (input.author.empty())
            return QueryOutcome::Rejected;
        on.author = true;
    }
    if (input.byUpperYear) {
        if (input.upperYear.empty())
            return QueryOutcome::Rejected;
        on.upperYear = true;
    }
    if (input.byLowerYear) {
        if (input.lowerYear.empty())
            return QueryOutcome::Rejected;
        on.lowerYear = true;
    }
    if (on.upperYear && on.lowerYear && query.upperYear < query.lowerYear)
        return QueryOutcome::Contradiction;
    on.text = !input.text.empty();

    // Long fragments: one skip table for the whole scan outruns memmem, which
    // stays faster on short ones.
    std::optional<TextSearcher> searcher;
    if (input.text.size() >= kSkipTableLength)
        searcher.emplace(input.text.begin(), input.text.end());
    for (int slot = 1; slot <= store.documentCount; ++slot) {
        if (matches(store.record(slot), query, on, input.text, searcher))
            store.foundList[static_cast<size_t>(++store.foundCount)] = slot;
    }
    return store.foundCount == 0 ? QueryOutcome::NotFound : QueryOutcome::Found;
}

const std::string &outcomeMessage(QueryOutcome outcome)
{
    static const std::string none;
    static const std::string contradiction = cp1251FromUtf8("Год <=>= Противор.");
    static const std::string notFound = cp1251FromUtf8("Док.не найд.");
    static const std::string numberNotFound = cp1251FromUtf8("Ном.док.не найд.");
    switch (outcome) {
    case QueryOutcome::Contradiction: return contradiction;
    case QueryOutcome::NotFound: return notFound;
    case QueryOutcome::NumberNotFound: return numberNotFound;
    default: return none;
    }
}

}  // namespace kaldex
