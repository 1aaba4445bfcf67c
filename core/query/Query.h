#pragma once

#include "core/store/DocumentStore.h"

#include <array>
#include <string>
#include <string_view>

namespace kaldex {

/** The search window's criteria as the user left them; texts in Windows-1251. */
struct QueryInput {
    std::array<bool, kCategoryCount> categories{};  // in category flag order
    bool byNumber = false;                          // "N"
    std::string number;
    bool bySubstances = false;  // "Sub1+Sub2"
    std::string substance1;
    std::string substance2;
    bool byAuthor = false;  // "Aut"
    std::string author;
    bool byUpperYear = false;  // "Y<="
    std::string upperYear;
    bool byLowerYear = false;  // "Y>="
    std::string lowerYear;
    std::string text;  // fragment of the notes; on when not empty
};

enum class QueryOutcome {
    Rejected,        // the error banner: an empty query or an enabled criterion left empty
    Contradiction,   // both year bounds and the upper one below the lower one
    NotFound,        // no document matches
    Found,           // found count >= 1: the viewer pages through the found list
    NumberFound,     // "N" names a document: the viewer shows it with found count 0
    NumberNotFound,  // "N" outside 1..document count
};

/**
 * Runs "Find" over the store: writes the query record (slot 0), the found
 * count and the found list, exactly as the search window's button does.
 */
QueryOutcome runQuery(DocumentStore &store, const QueryInput &input);

/**
 * The line the outcome adds to the search window's message list, in
 * Windows-1251; empty for outcomes that show the banner or the viewer.
 */
const std::string &outcomeMessage(QueryOutcome outcome);

/** Whether "Find" clears the message list before its outcome: all but "N". */
inline bool clearsMessages(const QueryInput &input)
{
    return !input.byNumber;
}

// The single tests, for the benchmarks and for tools that search the same way.
bool sameSubstance(std::string_view a, std::string_view b);
bool matchesSubstances(const DocumentRecord &document, std::string_view first, std::string_view second);
bool matchesAuthor(const DocumentRecord &document, std::string_view prefix);
bool matchesText(const DocumentRecord &document, std::string_view fragment);

}  // namespace kaldex
