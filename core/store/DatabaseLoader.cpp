#include "core/store/DatabaseLoader.h"

#include "core/store/LineScan.h"
#include "core/store/Number.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <istream>
#include <iterator>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace kaldex {
namespace {

class LineReader {
public:
    explicit LineReader(std::string_view bytes) : next_(bytes.data()), end_(bytes.data() + bytes.size()) {}

    // One line without its end; CR LF and bare LF both end a line. dollar is
    // the offset of the line's first "$", npos when it has none.
    bool next(std::string_view &line, size_t &dollar)
    {
        if (next_ == end_)
            return false;
        const LineFacts facts = scanLine<false>(next_, end_);
        line = {next_, static_cast<size_t>(facts.feed - next_)};
        next_ = facts.feed == end_ ? end_ : facts.feed + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        dollar = facts.dollar ? static_cast<size_t>(facts.dollar - line.data()) : std::string_view::npos;
        return true;
    }

private:
    const char *next_;
    const char *end_;
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
template <size_t N> void splitNumbers(std::string_view line, std::array<int32_t, N> &items)
{
    items.fill(0);
    const char *p = line.data(), *end = p + line.size();
    for (size_t index = 0; index < N; ++index) {
        // Most items are one digit: read without a call.
        if (end - p >= 2 && p[0] >= '0' && p[0] <= '9' && p[1] == '@') {
            items[index] = p[0] - '0';
            p += 2;
            continue;
        }
        const char *at = p;
        while (at != end && *at != '@')
            ++at;
        items[index] = readNumber({p, static_cast<size_t>(at - p)});
        if (at == end)
            break;
        p = at + 1;
    }
}

// Name rule: "@@" ends the list, a single "@" starts the next name. Names the
// list does not reach are left as they were. With own set each name gets its
// own copy, else it refers to the line's bytes.
template <size_t N> void assignNames(std::string_view line, std::array<FieldText, N> &names, bool own)
{
    size_t index = 0;
    size_t start = 0;
    for (size_t i = 0;; ++i) {
        bool end = i == line.size();
        bool listEnd = end || (line[i] == '@' && i + 1 < line.size() && line[i + 1] == '@');
        if (listEnd || line[i] == '@') {
            if (index < N) {
                std::string_view name = line.substr(start, i - start);
                if (own)
                    names[index].assign(name);
                else
                    names[index].refer(name);
            }
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

FieldText *textField(DocumentRecord &r, int section)
{
    switch (section) {
    case 6: return &r.citation;
    case 7: return &r.abstract;
    case 8: return &r.notes;
    case 9: return &r.provenance;
    default: return nullptr;
    }
}

// The file's bytes are read once into a buffer that the store keeps, and the
// load rewrites it in place: each text's lines without their line ends and
// anything from their "$" on, and each name list without its "$", are moved
// down to where the fields written so far end. A field is then a run of the
// buffer. Below "out" lies what was written, from "out" on the bytes as read;
// what is written never passes the line being read, since every marker line
// is dropped. lastContent always points at bytes that stay as they are.
class BufferLoad {
public:
    BufferLoad(char *bytes, size_t size) : begin_(bytes), end_(bytes + size), out_(bytes), reader_({bytes, size}) {}

    LoadResult run(DocumentStore &store);

private:
    void moveTextLine(std::string_view line, size_t dollar);
    template <size_t N> void setNameList(std::array<FieldText, N> &names);

    char *const begin_;
    char *const end_;
    char *out_;
    LineReader reader_;
    std::string_view lastContent_;  // kept across sections and records alike
    std::string held_;              // a moved text line that had a "$": its bytes as read
    std::string scratch_;
};

void BufferLoad::moveTextLine(std::string_view line, size_t dollar)
{
    const size_t keep = std::min(dollar, line.size());
    if (dollar != std::string_view::npos) {
        held_.assign(line);
        lastContent_ = held_;
    }
    std::memmove(out_, line.data(), keep);
    if (dollar == std::string_view::npos)
        lastContent_ = {out_, keep};
    out_ += keep;
    *out_++ = '\n';
}

template <size_t N> void BufferLoad::setNameList(std::array<FieldText, N> &names)
{
    const std::string_view line = lastContent_;
    std::string_view list = withoutDollars(line, scratch_);
    if (line.data() >= out_ && line.data() < end_) {
        // Still where it was read: moved down, so that the texts after it
        // cannot cover it. It is no longer than the line.
        if (list.data() != line.data()) {
            held_.assign(line);  // before the move covers it
            lastContent_ = held_;
        }
        std::memmove(out_, list.data(), list.size());
        if (list.data() == line.data())
            lastContent_ = {out_, list.size()};
        list = {out_, list.size()};
        out_ += list.size();
        assignNames(list, names, false);
    } else {
        // Read before and moved already (it has no "$" then), or held aside.
        assignNames(list, names, !(line.data() >= begin_ && line.data() < out_));
    }
}

LoadResult BufferLoad::run(DocumentStore &store)
{
    LoadResult result;
    result.opened = true;
    std::string_view line;
    size_t dollar = 0;
    long counter = 0;
    int slot = 1;
    std::array<int32_t, 19> numbers;

    for (; slot <= DocumentStore::kMaxDocuments; ++slot) {
        DocumentRecord &r = store.record(slot);
        for (int section = 0; section < 10; ++section) {
            FieldText *text = textField(r, section);
            char *const textStart = out_;
            bool readAny = false;
            while (reader_.next(line, dollar)) {
                readAny = true;
                ++counter;
                if (isMarker(line, dollar))
                    break;
                lastContent_ = line;
                if (text)
                    moveTextLine(line, dollar);
            }
            if (text)
                text->refer({textStart, static_cast<size_t>(out_ - textStart)});
            if (!readAny)
                goto done;

            switch (section) {
            case 1: r.number = readNumber(withoutDollars(lastContent_, scratch_)); break;
            case 2:
                splitNumbers(withoutDollars(lastContent_, scratch_), numbers);
                std::copy(numbers.begin(), numbers.begin() + kCategoryCount, r.categoryFlags.begin());
                r.authorCount = numbers[11];
                r.substanceCount = numbers[12];
                r.citationLines = numbers[13];
                r.abstractLines = numbers[14];
                r.notesLines = numbers[15];
                r.provenanceLines = numbers[16];
                r.fileLine = static_cast<int32_t>(counter);
                break;
            case 3: setNameList(r.authors); break;
            case 4:
                splitNumbers(withoutDollars(lastContent_, scratch_), numbers);
                std::copy(numbers.begin(), numbers.begin() + kPairCount, r.pairFlags.begin());
                r.year = numbers[15];
                r.upperYear = numbers[16];
                r.lowerYear = numbers[17];
                r.wantedNumber = numbers[18];
                break;
            case 5: setNameList(r.substances); break;
            default: break;
            }
        }
    }

    // The table is full. What is left loses nothing unless it holds a record
    // that the loader would count: nine section ends and a line after them.
    {
        long firstContent = 0;
        int markers = 0;
        while (reader_.next(line, dollar)) {
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

}  // namespace

LoadResult loadDatabase(DocumentStore &store, ByteBuffer bytes, size_t size)
{
    LoadResult result = BufferLoad(bytes.get(), size).run(store);
    store.keepLoadedBytes(std::move(bytes), size);
    return result;
}

LoadResult loadDatabase(DocumentStore &store, std::string_view bytes)
{
    ByteBuffer copy = allocateBytes(bytes.size() + 1);
    std::memcpy(copy.get(), bytes.data(), bytes.size());
    return loadDatabase(store, std::move(copy), bytes.size());
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
        const bool content = hasContent(file.bytes());  // before the load rewrites the bytes
        result = loadDatabase(store, std::move(file.data), file.used);
        if (result.documents == 0 && content)
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
