#pragma once

// The "ba0" record, described once. The loader, the writer, kaldex-tool's
// check and the CSV export read it from here; the fuzz target's plain loader
// keeps its own reading, so that the two can be compared.
//
// A record is ten sections, each ended by a marker line. As the save writes
// one, lines ended by CR LF (a load takes LF alone too):
//
//   $                    section 0: whatever lies before the record
//   slot                 section 1: the document number
//   $
//   first number line    section 2: 19 items joined by "@"
//   $
//   Aut1@Aut2@Aut3@@@@   section 3: the author line
//   $
//   second number line   section 4
//   $
//   Sub1@...@Sub5@@@@    section 5: the substance line
//   $
//   citation lines       sections 6 to 9: the texts, a file line for each of
//   $                    their lines; the last one is ended by "$@$"
//   ...
//   provenance lines
//   $@$

#include "core/store/DocumentRecord.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace kaldex {

/** The sections of a record, in file order. */
enum Section {
    kLeadSection,
    kNumberSection,
    kFirstNumberSection,
    kAuthorSection,
    kSecondNumberSection,
    kSubstanceSection,
    kCitationSection,
    kAbstractSection,
    kNotesSection,
    kProvenanceSection,
    kSectionCount
};

/** Reads and writes one field of a record; empty for none. */
template <typename T> struct FieldRef {
    T &(*of)(DocumentRecord &) = nullptr;
    const T &(*in)(const DocumentRecord &) = nullptr;

    constexpr explicit operator bool() const { return of != nullptr; }
};

/** The record field Member. */
template <auto Member> constexpr auto fieldOf()
{
    using T = std::remove_reference_t<decltype(std::declval<DocumentRecord &>().*Member)>;
    return FieldRef<T>{[](DocumentRecord &r) -> T & { return r.*Member; },
                       [](const DocumentRecord &r) -> const T & { return r.*Member; }};
}

/** Element I of the record's array field Member. */
template <auto Member, size_t I> constexpr auto elementOf()
{
    using T = typename std::remove_reference_t<decltype(std::declval<DocumentRecord &>().*Member)>::value_type;
    return FieldRef<T>{[](DocumentRecord &r) -> T & { return (r.*Member)[I]; },
                       [](const DocumentRecord &r) -> const T & { return (r.*Member)[I]; }};
}

/** How a load treats an item of a number line. */
enum class OnLoad : uint8_t {
    Read,        // read from the line
    LineNumber,  // the number of the marker line that ends the number line, counting every line from 1
    Ignored,     // not read: the field keeps what it held
};

/** One item of a number line. */
struct NumberItem {
    const char *label;        // as kaldex-tool check names it
    const char *column;       // the field's column in the CSV export; null for no field
    FieldRef<int32_t> field;  // empty: written as 0
    OnLoad onLoad = OnLoad::Read;
    int countsLinesOf = -1;  // a text's line count (its lines plus one): that text's section
};

constexpr size_t kNumberLineItems = 19;
using NumberLine = std::array<NumberItem, kNumberLineItems>;

/** Items 1-11 the subject keys, 12-17 counts, 18 where the record was read, 19 reserved. */
inline constexpr NumberLine kFirstNumberLine = {{
    {"Oth", "Oth", elementOf<&DocumentRecord::categoryFlags, Oth>()},
    {"Vis", "Vis", elementOf<&DocumentRecord::categoryFlags, Vis>()},
    {"Con", "Con", elementOf<&DocumentRecord::categoryFlags, Con>()},
    {"Tdi", "Tdi", elementOf<&DocumentRecord::categoryFlags, Tdi>()},
    {"Dif", "Dif", elementOf<&DocumentRecord::categoryFlags, Dif>()},
    {"Pot", "Pot", elementOf<&DocumentRecord::categoryFlags, Pot>()},
    {"Vir", "Vir", elementOf<&DocumentRecord::categoryFlags, Vir>()},
    {"Bea", "Bea", elementOf<&DocumentRecord::categoryFlags, Bea>()},
    {"Spe", "Spe", elementOf<&DocumentRecord::categoryFlags, Spe>()},
    {"The", "The", elementOf<&DocumentRecord::categoryFlags, The>()},
    {"Exp", "Exp", elementOf<&DocumentRecord::categoryFlags, Exp>()},
    {"authorCount", "authorCount", fieldOf<&DocumentRecord::authorCount>()},
    {"substanceCount", "substanceCount", fieldOf<&DocumentRecord::substanceCount>()},
    {"citation line count", "citationLines", fieldOf<&DocumentRecord::citationLines>(), OnLoad::Read, kCitationSection},
    {"abstract line count", "abstractLines", fieldOf<&DocumentRecord::abstractLines>(), OnLoad::Read, kAbstractSection},
    {"notes line count", "notesLines", fieldOf<&DocumentRecord::notesLines>(), OnLoad::Read, kNotesSection},
    {"provenance line count", "provenanceLines", fieldOf<&DocumentRecord::provenanceLines>(), OnLoad::Read,
     kProvenanceSection},
    {"fileLine", "fileLine", fieldOf<&DocumentRecord::fileLine>(), OnLoad::LineNumber},
    {"last item", nullptr, {}, OnLoad::Ignored},
}};

/** Items 1-15 the pair flags (11 12 22 13 23 33 ...), then the year and the query's three values. */
inline constexpr NumberLine kSecondNumberLine = {{
    {"pair11", "pair11", elementOf<&DocumentRecord::pairFlags, pairIndex(1, 1)>()},
    {"pair12", "pair12", elementOf<&DocumentRecord::pairFlags, pairIndex(1, 2)>()},
    {"pair22", "pair22", elementOf<&DocumentRecord::pairFlags, pairIndex(2, 2)>()},
    {"pair13", "pair13", elementOf<&DocumentRecord::pairFlags, pairIndex(1, 3)>()},
    {"pair23", "pair23", elementOf<&DocumentRecord::pairFlags, pairIndex(2, 3)>()},
    {"pair33", "pair33", elementOf<&DocumentRecord::pairFlags, pairIndex(3, 3)>()},
    {"pair14", "pair14", elementOf<&DocumentRecord::pairFlags, pairIndex(1, 4)>()},
    {"pair24", "pair24", elementOf<&DocumentRecord::pairFlags, pairIndex(2, 4)>()},
    {"pair34", "pair34", elementOf<&DocumentRecord::pairFlags, pairIndex(3, 4)>()},
    {"pair44", "pair44", elementOf<&DocumentRecord::pairFlags, pairIndex(4, 4)>()},
    {"pair15", "pair15", elementOf<&DocumentRecord::pairFlags, pairIndex(1, 5)>()},
    {"pair25", "pair25", elementOf<&DocumentRecord::pairFlags, pairIndex(2, 5)>()},
    {"pair35", "pair35", elementOf<&DocumentRecord::pairFlags, pairIndex(3, 5)>()},
    {"pair45", "pair45", elementOf<&DocumentRecord::pairFlags, pairIndex(4, 5)>()},
    {"pair55", "pair55", elementOf<&DocumentRecord::pairFlags, pairIndex(5, 5)>()},
    {"year", "year", fieldOf<&DocumentRecord::year>()},
    {"upperYear", "upperYear", fieldOf<&DocumentRecord::upperYear>()},
    {"lowerYear", "lowerYear", fieldOf<&DocumentRecord::lowerYear>()},
    {"wantedNumber", "wantedNumber", fieldOf<&DocumentRecord::wantedNumber>()},
}};

/** What a section holds. */
enum class SectionKind : uint8_t {
    Lead,     // nothing: lines before a record's first marker are read and ignored
    Number,   // the document number; the save writes the slot in its place
    Numbers,  // a number line
    Names,    // a name line
    Text,     // a text, a file line for each of its lines
};

constexpr size_t kMaxNames = kSubstanceCount;

struct SectionFormat {
    SectionKind kind;
    const char *title;         // as kaldex-tool check names it
    std::string_view marker;   // the line the save ends it with
    const char *column;        // the field's CSV column; of a name line the stem ("author": author1...)
    FieldRef<int32_t> number;  // Number
    const NumberLine *items;   // Numbers
    std::array<FieldRef<FieldText>, kMaxNames> names;  // Names: the first nameCount
    size_t nameCount;
    FieldRef<FieldText> text;  // Text
};

/** The marker line that ends a section, and the one that ends the last section: the record. */
constexpr std::string_view kSectionEnd = "$";
constexpr std::string_view kRecordEnd = "$@$";

namespace sections {

constexpr SectionFormat lead(const char *title)
{
    return {SectionKind::Lead, title, kSectionEnd, nullptr, {}, nullptr, {}, 0, {}};
}
constexpr SectionFormat number(const char *title, const char *column, FieldRef<int32_t> field)
{
    return {SectionKind::Number, title, kSectionEnd, column, field, nullptr, {}, 0, {}};
}
constexpr SectionFormat numbers(const char *title, const NumberLine &items)
{
    return {SectionKind::Numbers, title, kSectionEnd, nullptr, {}, &items, {}, 0, {}};
}
template <auto Member, size_t... I>
constexpr SectionFormat names(const char *title, const char *column, std::index_sequence<I...>)
{
    return {SectionKind::Names, title, kSectionEnd, column, {}, nullptr, {elementOf<Member, I>()...}, sizeof...(I), {}};
}
constexpr SectionFormat text(const char *title, const char *column, std::string_view marker, FieldRef<FieldText> field)
{
    return {SectionKind::Text, title, marker, column, {}, nullptr, {}, 0, field};
}

}  // namespace sections

/** The record, section by section; see the top of this file. */
inline constexpr std::array<SectionFormat, kSectionCount> kSections = {{
    sections::lead("space before the record"),
    sections::number("document number", "number", fieldOf<&DocumentRecord::number>()),
    sections::numbers("first number line", kFirstNumberLine),
    sections::names<&DocumentRecord::authors>("author line", "author", std::make_index_sequence<kAuthorCount>()),
    sections::numbers("second number line", kSecondNumberLine),
    sections::names<&DocumentRecord::substances>("substance line", "substance",
                                                 std::make_index_sequence<kSubstanceCount>()),
    sections::text("citation", "citation", kSectionEnd, fieldOf<&DocumentRecord::citation>()),
    sections::text("abstract", "abstract", kSectionEnd, fieldOf<&DocumentRecord::abstract>()),
    sections::text("notes", "notes", kSectionEnd, fieldOf<&DocumentRecord::notes>()),
    sections::text("provenance", "provenance", kRecordEnd, fieldOf<&DocumentRecord::provenance>()),
}};

/** How the save ends every line. */
constexpr std::string_view kLineEnd = "\r\n";

/** Between the items of a number line and between the names of a name line. */
constexpr char kSeparator = '@';
/** What the save writes after the last name. */
constexpr std::string_view kNameLineEnd = "@@@@";

/**
 * Whether a line ends a section: "$" after at most three spaces. dollar is
 * the offset of the line's first "$", npos when it has none.
 */
inline bool isMarker(std::string_view line, size_t dollar)
{
    if (dollar > 3)
        return false;
    for (size_t i = 0; i < dollar; ++i)
        if (line[i] != ' ')
            return false;
    return true;
}

/** A text line keeps what precedes its first "$" (dollar as for isMarker). */
inline std::string_view keptOfTextLine(std::string_view line, size_t dollar)
{
    return line.substr(0, dollar);
}

/**
 * A number or name line is read with every "$" dropped: the line itself when
 * it has none, which most do, else the rest copied into scratch.
 */
inline std::string_view withoutDollars(std::string_view line, std::string &scratch)
{
    if (line.find('$') == std::string_view::npos)
        return line;
    scratch.clear();
    for (char c : line)
        if (c != '$')
            scratch += c;
    return scratch;
}

/** Calls f(index, item) for each item of a number line, index from 0. */
template <typename F> void forEachItem(std::string_view line, F &&f)
{
    const char *p = line.data(), *const end = p + line.size();
    for (size_t index = 0;; ++index) {
        if (end - p >= 2 && p[0] != kSeparator && p[1] == kSeparator) {
            f(index, std::string_view(p, 1));  // most items are one digit
            p += 2;
            continue;
        }
        const char *at = p;
        while (at != end && *at != kSeparator)
            ++at;
        f(index, std::string_view(p, static_cast<size_t>(at - p)));
        if (at == end)
            return;
        p = at + 1;
    }
}

/**
 * Calls f(index, name) for each name of a name line (its "$" dropped), index
 * from 0: "@@" ends the list, a single "@" starts the next name. Returns
 * where the list ends: at its "@@", or the line's end.
 */
template <typename F> size_t forEachName(std::string_view line, F &&f)
{
    for (size_t i = 0, index = 0, start = 0;; ++i) {
        const bool end = i == line.size();
        const bool listEnd = end || (line[i] == kSeparator && i + 1 < line.size() && line[i + 1] == kSeparator);
        if (listEnd || line[i] == kSeparator) {
            f(index++, line.substr(start, i - start));
            if (listEnd)
                return i;
            start = i + 1;
        }
    }
}

/** White space only, as a line before a record may be. */
inline bool isBlank(std::string_view line)
{
    return line.find_first_not_of(" \t\r\f\v") == std::string_view::npos;
}

/**
 * What follows a full table of records loses nothing unless it holds a record
 * that a load would count: nine section ends and a line after them. Fed the
 * lines after the last record that fits, one by one.
 */
class OverflowRule {
public:
    /** The next line and its number in the file; true once a record is there. */
    bool beyond(std::string_view line, size_t dollar, long number)
    {
        if (markers_ == kSectionCount - 1) {
            if (!first_)
                first_ = number;
            return true;
        }
        if (!first_ && !isBlank(line))
            first_ = number;
        if (isMarker(line, dollar))
            ++markers_;
        return false;
    }
    /** Once beyond(): the line where what is not loaded begins, its first that is not blank. */
    long firstLine() const { return first_; }

private:
    int markers_ = 0;
    long first_ = 0;
};

}  // namespace kaldex
