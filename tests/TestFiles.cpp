#include "TestFiles.h"

#include "core/encoding/CodePage.h"
#include "core/store/DatabaseLoader.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <stdexcept>

namespace kaldex::test {

TempDir::TempDir()
{
    char pattern[] = "/tmp/kaldex-test-XXXXXX";
    if (!mkdtemp(pattern))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string readBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

bool exists(const std::string &path)
{
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

::testing::AssertionResult sameBytes(const std::string &actual, const std::string &expected)
{
    if (actual == expected)
        return ::testing::AssertionSuccess();
    size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
        ++at;
    return ::testing::AssertionFailure() << actual.size() << " bytes where " << expected.size()
                                         << " were expected; they differ first at offset " << at;
}

std::string dataFile(const std::string &name)
{
    return std::string(KALDEX_TEST_DATA) + "/" + name;
}

std::string cp1251(const std::string &utf8)
{
    return cp1251FromUtf8(utf8);
}

std::string threeDocuments()
{
    return readBytes(dataFile("store/expected.ba0"));
}

std::string listing(const std::string &dir)
{
    std::set<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(dir))
        names.insert(entry.path().filename());
    std::string joined;
    for (const std::string &name : names)
        joined += name + " ";
    return joined;
}

Document &Document::number(int value)
{
    record_.number = value;
    return *this;
}

Document &Document::fileLine(int line)
{
    record_.fileLine = line;
    return *this;
}

Document &Document::year(int value)
{
    record_.year = value;
    return *this;
}

Document &Document::keys(std::initializer_list<Category> keys)
{
    for (Category key : keys)
        record_.categoryFlags[static_cast<size_t>(key)] = 1;
    return *this;
}

Document &Document::pairs(std::initializer_list<std::pair<int, int>> positions)
{
    for (const auto &[first, second] : positions)
        record_.pairFlags[static_cast<size_t>(pairIndex(first, second))] = 1;
    return *this;
}

namespace {

template <size_t N> int setNames(std::array<FieldText, N> &slots, std::initializer_list<std::string> names, int count)
{
    EXPECT_LE(names.size(), N) << "more names than the record holds";
    size_t at = 0;
    for (const std::string &name : names)
        if (at < N)
            slots[at++] = name;
    for (; at < N; ++at)
        slots[at] = "";
    return count >= 0 ? count : static_cast<int>(names.size());
}

}  // namespace

Document &Document::authors(std::initializer_list<std::string> names, int count)
{
    record_.authorCount = setNames(record_.authors, names, count);
    return *this;
}

Document &Document::substances(std::initializer_list<std::string> names, int count)
{
    record_.substanceCount = setNames(record_.substances, names, count);
    return *this;
}

Document &Document::citation(const std::string &text)
{
    record_.citation = text;
    return *this;
}

Document &Document::abstract(const std::string &text)
{
    record_.abstract = text;
    return *this;
}

Document &Document::notes(const std::string &text)
{
    record_.notes = text;
    return *this;
}

Document &Document::provenance(const std::string &text)
{
    record_.provenance = text;
    return *this;
}

Document &Document::lineCounts(int citation, int abstract, int notes, int provenance)
{
    record_.citationLines = citation;
    record_.abstractLines = abstract;
    record_.notesLines = notes;
    record_.provenanceLines = provenance;
    return *this;
}

std::string saveFiles(const std::string &dir)
{
    std::istringstream names(listing(dir));
    std::string joined;
    for (std::string name; names >> name;)
        if (name.find(".new") != std::string::npos || name.find(".saving-") != std::string::npos ||
            name.find(".lock") != std::string::npos)
            joined += name + " ";
    return joined;
}

void addDocument(DocumentStore &store, const std::string &author)
{
    DocumentRecord &record = store.record(++store.documentCount);
    record = DocumentRecord{};
    Document(record).number(store.documentCount).authors({author});
    store.storedThisSession[static_cast<size_t>(store.documentCount)] = true;
    store.modified = 1;
}

std::unique_ptr<DocumentStore> queryStore(std::initializer_list<int> found, std::initializer_list<int> pocket)
{
    auto store = std::make_unique<DocumentStore>();
    loadDatabase(*store, readBytes(dataFile("search/query.ba0")));
    for (int slot : found)
        store->foundList[static_cast<size_t>(++store->foundCount)] = slot;
    for (int slot : pocket)
        store->pocket[static_cast<size_t>(++store->pocketCount)] = slot;
    return store;
}

std::string fields(const DocumentRecord &r)
{
    std::string out = "number " + std::to_string(r.number) + "\nnames";
    for (const FieldText &name : r.authors)
        out += " [" + name + "]";
    for (const FieldText &name : r.substances)
        out += " [" + name + "]";
    out += "\nnumbers";
    for (int32_t value : r.categoryFlags)
        out += " " + std::to_string(value);
    for (int32_t value : r.pairFlags)
        out += " " + std::to_string(value);
    for (int32_t value : {r.year, r.upperYear, r.lowerYear, r.wantedNumber, r.authorCount, r.substanceCount,
                          r.citationLines, r.abstractLines, r.notesLines, r.provenanceLines})
        out += " " + std::to_string(value);
    return out + "\ntexts [" + r.citation + "] [" + r.abstract + "] [" + r.notes + "] [" + r.provenance + "]";
}

}  // namespace kaldex::test
