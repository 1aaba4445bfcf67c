#include "store/DatabaseLoader.h"

#include "store/Number.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <fcntl.h>
#include <istream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace kaldex {
namespace {

class LineReader {
public:
    explicit LineReader(std::string_view bytes) : rest_(bytes) { findDollar(); }

    // One line without its end; CR LF and bare LF both end a line. dollar is
    // the offset of the line's first "$", npos when it has none.
    bool next(std::string_view &line, size_t &dollar)
    {
        if (rest_.empty())
            return false;
        size_t end = rest_.find('\n');
        if (end == std::string_view::npos) {
            line = rest_;
            rest_ = {};
        } else {
            line = rest_.substr(0, end);
            rest_.remove_prefix(end + 1);
        }
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        // "$" is rare outside markers: one search for the next one serves
        // every line up to it.
        dollar = std::string_view::npos;
        if (dollar_ && dollar_ < line.data() + line.size()) {
            dollar = static_cast<size_t>(dollar_ - line.data());
            findDollar();
        }
        return true;
    }

private:
    void findDollar()
    {
        dollar_ = rest_.empty() ? nullptr : static_cast<const char *>(std::memchr(rest_.data(), '$', rest_.size()));
    }

    std::string_view rest_;
    const char *dollar_ = nullptr;
};

// "$" after at most three spaces; dollar is the line's first "$".
bool isMarker(std::string_view line, size_t dollar)
{
    if (dollar > 3)
        return false;
    for (size_t i = 0; i < dollar; ++i)
        if (line[i] != ' ')
            return false;
    return true;
}

// Number and name lines are read with their "$" dropped; most have none.
std::string_view withoutDollars(std::string_view line, std::string &scratch)
{
    if (line.find('$') == std::string_view::npos)
        return line;
    scratch.clear();
    for (char c : line)
        if (c != '$')
            scratch += c;
    return scratch;
}

// Number rule: "@" separates items; missing items read as 0.
template <size_t N>
void splitNumbers(std::string_view line, std::array<int32_t, N> &items)
{
    items.fill(0);
    size_t index = 0;
    while (index < N) {
        size_t at = line.find('@');
        items[index++] = readNumber(line.substr(0, at));
        if (at == std::string_view::npos)
            break;
        line.remove_prefix(at + 1);
    }
}

// Name rule: "@@" ends the list, a single "@" starts the next name. Names the
// list does not reach are left as they were.
template <size_t N>
void assignNames(std::string_view line, std::array<std::string, N> &names)
{
    size_t index = 0;
    size_t start = 0;
    for (size_t i = 0;; ++i) {
        bool end = i == line.size();
        bool listEnd = end || (line[i] == '@' && i + 1 < line.size() && line[i + 1] == '@');
        if (listEnd || line[i] == '@') {
            if (index < N)
                names[index].assign(line.substr(start, i - start));
            if (listEnd)
                return;
            ++index;
            start = i + 1;
        }
    }
}

bool isBlank(std::string_view line)
{
    for (char c : line)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\f' && c != '\v')
            return false;
    return true;
}

std::string *textField(DocumentRecord &r, int section)
{
    switch (section) {
    case 6: return &r.citation;
    case 7: return &r.abstract;
    case 8: return &r.notes;
    case 9: return &r.provenance;
    default: return nullptr;
    }
}

}  // namespace

LoadResult loadDatabase(DocumentStore &store, std::string_view bytes)
{
    LoadResult result;
    result.opened = true;
    LineReader reader(bytes);
    std::string_view line;
    size_t dollar = 0;
    std::string_view lastContent;  // kept across sections and records alike
    long counter = 0;
    int slot = 1;
    std::array<int32_t, 19> numbers;
    std::string scratch;

    for (; slot <= DocumentStore::kMaxDocuments; ++slot) {
        DocumentRecord &r = store.record(slot);
        for (int section = 0; section < 10; ++section) {
            std::string *text = textField(r, section);
            if (text)
                text->clear();
            bool readAny = false;
            while (reader.next(line, dollar)) {
                readAny = true;
                ++counter;
                if (isMarker(line, dollar))
                    break;
                lastContent = line;
                if (text) {
                    text->append(line.substr(0, dollar));
                    text->push_back('\n');
                }
            }
            if (!readAny)
                goto done;

            switch (section) {
            case 1:
                r.number = readNumber(withoutDollars(lastContent, scratch));
                break;
            case 2:
                splitNumbers(withoutDollars(lastContent, scratch), numbers);
                std::copy(numbers.begin(), numbers.begin() + kCategoryCount, r.categoryFlags.begin());
                r.authorCount = numbers[11];
                r.substanceCount = numbers[12];
                r.citationLines = numbers[13];
                r.abstractLines = numbers[14];
                r.notesLines = numbers[15];
                r.provenanceLines = numbers[16];
                r.fileLine = static_cast<int32_t>(counter);
                break;
            case 3:
                assignNames(withoutDollars(lastContent, scratch), r.authors);
                break;
            case 4:
                splitNumbers(withoutDollars(lastContent, scratch), numbers);
                std::copy(numbers.begin(), numbers.begin() + kPairCount, r.pairFlags.begin());
                r.year = numbers[15];
                r.upperYear = numbers[16];
                r.lowerYear = numbers[17];
                r.wantedNumber = numbers[18];
                break;
            case 5:
                assignNames(withoutDollars(lastContent, scratch), r.substances);
                break;
            default:
                break;
            }
        }
    }

    // The table is full. What is left loses nothing unless it holds a record
    // that the loader would count: nine section ends and a line after them.
    {
        long firstContent = 0;
        int markers = 0;
        while (reader.next(line, dollar)) {
            ++counter;
            if (markers == 9) {
                result.overflow = true;
                result.overflowLine = firstContent ? firstContent : counter;
                break;
            }
            if (!firstContent && !isBlank(line))
                firstContent = counter;
            if (isMarker(line, dollar))
                ++markers;
        }
    }

done:
    store.storedThisSession.assign(DocumentStore::kSlots, false);
    store.documentCount = slot - 1;
    store.loadOverflow = result.overflow;
    store.unreadFile = false;
    store.loadedFile = {};
    store.overflowLine = result.overflowLine;
    result.documents = store.documentCount;
    result.lines = counter;
    return result;
}

LoadResult loadDatabase(DocumentStore &store, std::istream &in)
{
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return loadDatabase(store, bytes);
}

LoadResult loadDatabaseFile(DocumentStore &store, const std::string &path)
{
    DatabaseBytes file = readDatabaseBytes(path);
    LoadResult result;
    if (file.problem == FileProblem::None) {
        result = loadDatabase(store, file.bytes());
        if (result.documents == 0 && hasContent(file.bytes()))
            result.problem = FileProblem::NoDocuments;
    } else {
        result.opened = false;
        result.problem = file.problem;
        result.errorNumber = file.errorNumber;
        if (file.problem == FileProblem::NotText || file.problem == FileProblem::TooLarge)
            result.opened = true;
    }
    result.fileType = file.fileType;
    result.fileSize = file.size;
    if (result.problem != FileProblem::None) {
        store.documentCount = 0;
        store.storedThisSession.assign(DocumentStore::kSlots, false);
        store.loadOverflow = false;
        store.overflowLine = 0;
        result.documents = 0;
        result.overflow = false;
        // A file that is there but could not be read must not be saved over.
        store.unreadFile = result.problem != FileProblem::Missing;
        if (result.problem == FileProblem::Missing)
            result.problem = FileProblem::None;
    }
    store.loadedFile = file.identity;
    return result;
}

}  // namespace kaldex
