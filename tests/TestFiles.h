#pragma once

#include "core/store/DocumentStore.h"

// Every test file includes this: the headers they all use come with it.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kaldex::test {

/** A fresh directory under /tmp, removed with everything in it. */
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::string &path() const { return path_; }
    std::string file(const std::string &name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string readBytes(const std::string &path);
void writeBytes(const std::string &path, const std::string &bytes);
bool exists(const std::string &path);
std::string dataFile(const std::string &name);  // a file under tests/data

/** UTF-8 source text to the Windows-1251 bytes the file and store hold. */
std::string cp1251(const std::string &utf8);

/** The nine documents of tests/data/search/query.ba0, loaded. */
std::unique_ptr<DocumentStore> queryStore();

/** The three documents of tests/data/store/expected.ba0, as bytes. */
std::string threeDocuments();

/** The names in a directory, sorted, each followed by a space. */
std::string listing(const std::string &dir);

/** The names of saves' and locks' files in dir ("ba0.new-…", "ba0.saving-…", "ba0.lock…"), as listing() gives them. */
std::string saveFiles(const std::string &dir);

/** What the entry window leaves after "Add" and "OK": a document by author, stored this session. */
void addDocument(DocumentStore &store, const std::string &author);

/** Every stored field of a record but fileLine, one per line, for comparing records. */
std::string fields(const DocumentRecord &record);

}  // namespace kaldex::test
