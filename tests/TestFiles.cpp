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
    record.number = store.documentCount;
    record.authors[0] = author;
    record.authorCount = 1;
    store.storedThisSession[static_cast<size_t>(store.documentCount)] = true;
    store.modified = 1;
}

std::unique_ptr<DocumentStore> queryStore()
{
    auto store = std::make_unique<DocumentStore>();
    loadDatabase(*store, readBytes(dataFile("search/query.ba0")));
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
