#include "core/store/DatabaseLoader.h"

#include "core/store/LineScan.h"
#include "core/store/Number.h"
#include "core/store/RecordFormat.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <istream>
#include <iterator>
#include <memory>
#include <sys/stat.h>
#include <type_traits>
#include <unistd.h>
#include <utility>

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

    const char *position() const { return next_; }

private:
    const char *next_;
    const char *end_;
};

// The number rule: missing items read as 0, items past the line's last are not read.
void splitNumbers(std::string_view line, std::array<int32_t, kNumberLineItems> &items)
{
    items.fill(0);
    forEachItem(line, [&items](size_t index, std::string_view item) {
        if (index >= items.size())
            return;
        // Most items are one digit: read without a call.
        items[index] = item.size() == 1 && item[0] >= '0' && item[0] <= '9' ? item[0] - '0' : readNumber(item);
    });
}

// The name rule. Names the list does not reach are left as they were. With
// own set each name gets its own copy, else it refers to the line's bytes.
void assignNames(std::string_view line, const SectionFormat &format, DocumentRecord &r, bool own)
{
    forEachName(line, [&](size_t index, std::string_view name) {
        if (index >= format.nameCount)
            return;
        FieldText &field = format.names[index].of(r);
        if (own)
            field.assign(name);
        else
            field.refer(name);
    });
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
    // Each section is read by code made for it from the description: a
    // look-up per item and field made the load a fifth slower.
    template <size_t... S> bool readRecord(DocumentRecord &r, std::index_sequence<S...>)
    {
        return (readSection<S>(r) && ...);
    }
    template <size_t S> bool readSection(DocumentRecord &r);
    bool readLines(FieldText *text);
    template <size_t S, size_t... I> void setNumbers(DocumentRecord &r, std::index_sequence<I...>);
    void moveTextLine(std::string_view line, size_t dollar);
    void setNameList(const SectionFormat &format, DocumentRecord &r);

    char *const begin_;
    char *const end_;
    char *out_;
    LineReader reader_;
    std::string_view lastContent_;  // kept across sections and records alike
    std::string held_;              // a moved text line that had a "$": its bytes as read
    std::string scratch_;
    long counter_ = 0;  // lines read
};

void BufferLoad::moveTextLine(std::string_view line, size_t dollar)
{
    const size_t keep = keptOfTextLine(line, dollar).size();
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

void BufferLoad::setNameList(const SectionFormat &format, DocumentRecord &r)
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
        assignNames(list, format, r, false);
    } else {
        // Read before and moved already (it has no "$" then), or held aside.
        assignNames(list, format, r, !(line.data() >= begin_ && line.data() < out_));
    }
}

template <size_t S, size_t... I> void BufferLoad::setNumbers(DocumentRecord &r, std::index_sequence<I...>)
{
    std::array<int32_t, kNumberLineItems> numbers;
    splitNumbers(withoutDollars(lastContent_, scratch_), numbers);
    auto set = [&](auto index) {
        constexpr const NumberItem &item = (*kSections[S].items)[index];
        if constexpr (item.onLoad == OnLoad::Read)
            item.field.of(r) = numbers[index];
        else if constexpr (item.onLoad == OnLoad::LineNumber)
            item.field.of(r) = static_cast<int32_t>(counter_);
    };
    (set(std::integral_constant<size_t, I>()), ...);
}

// Reads a section's lines up to its marker, moving a text's lines into
// place; false when the file ends before the first of them.
bool BufferLoad::readLines(FieldText *text)
{
    char *const textStart = out_;
    bool readAny = false;
    std::string_view line;
    size_t dollar = 0;
    long counter = counter_;
    while (reader_.next(line, dollar)) {
        readAny = true;
        ++counter;
        if (isMarker(line, dollar))
            break;
        lastContent_ = line;
        if (text)
            moveTextLine(line, dollar);
    }
    counter_ = counter;
    if (text)
        text->refer({textStart, static_cast<size_t>(out_ - textStart)});
    return readAny;
}

template <size_t S> bool BufferLoad::readSection(DocumentRecord &r)
{
    constexpr const SectionFormat &format = kSections[S];
    FieldText *text = nullptr;
    if constexpr (format.kind == SectionKind::Text)
        text = &format.text.of(r);
    if (!readLines(text))
        return false;
    if constexpr (format.kind == SectionKind::Number)
        format.number.of(r) = readNumber(withoutDollars(lastContent_, scratch_));
    else if constexpr (format.kind == SectionKind::Numbers)
        setNumbers<S>(r, std::make_index_sequence<kNumberLineItems>());
    else if constexpr (format.kind == SectionKind::Names)
        setNameList(format, r);
    return true;
}

LoadResult BufferLoad::run(DocumentStore &store)
{
    LoadResult result;
    result.opened = true;
    int slot = 1;
    while (slot <= DocumentStore::kMaxDocuments &&
           readRecord(store.record(slot), std::make_index_sequence<kSectionCount>()))
        ++slot;

    // A full table: what is left may hold a record that it cannot take.
    if (slot > DocumentStore::kMaxDocuments) {
        result.unloadedFrom = static_cast<size_t>(reader_.position() - begin_);
        OverflowRule rule;
        std::string_view line;
        size_t dollar = 0;
        while (reader_.next(line, dollar)) {
            if (rule.beyond(line, dollar, ++counter_)) {
                result.overflow = true;
                result.overflowLine = rule.firstLine();
                break;
            }
        }
    }

    store.forgetSession();
    store.documentCount = slot - 1;
    store.loadOverflow = result.overflow;
    store.unreadFile = false;
    store.loadedFile = {};
    store.overflowLine = result.overflowLine;
    result.documents = store.documentCount;
    result.lines = counter_;
    return result;
}

}  // namespace

LoadResult loadDatabase(DocumentStore &store, ByteBuffer bytes, size_t size)
{
    LoadResult result = BufferLoad(bytes.get(), size).run(store);
    store.keepLoadedBytes(std::move(bytes), size, result.unloadedFrom);
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
        store.forgetSession();
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
