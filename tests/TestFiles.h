#pragma once

#include "core/store/DocumentStore.h"

// Every test file includes this: the headers they all use come with it.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <initializer_list>
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

/**
 * Compares two byte strings; a failure names both sizes and the first offset
 * where they differ, not the bytes (a file may be megabytes).
 */
::testing::AssertionResult sameBytes(const std::string &actual, const std::string &expected);

/** UTF-8 source text to the Windows-1251 bytes the file and store hold. */
std::string cp1251(const std::string &utf8);

/**
 * The nine documents of tests/data/search/query.ba0, loaded; found (the slots
 * a search put in the found list) and pocket (the slots in the pocket) as given.
 */
std::unique_ptr<DocumentStore> queryStore(std::initializer_list<int> found = {},
                                          std::initializer_list<int> pocket = {});

/** The three documents of tests/data/store/expected.ba0, as bytes. */
std::string threeDocuments();

/** The names in a directory, sorted, each followed by a space. */
std::string listing(const std::string &dir);

/**
 * The one way tests describe a document: each call sets one field, and a
 * name list sets its count too unless one is given.
 *   test::Document(store.record(1)).number(1).authors({"Kestin", "Ro"}).year(1972);
 */
class Document {
public:
    explicit Document(DocumentRecord &record) : record_(record) {}

    Document &number(int value);
    Document &fileLine(int line);
    Document &year(int value);
    Document &keys(std::initializer_list<Category> keys);
    Document &pairs(std::initializer_list<std::pair<int, int>> positions);
    Document &authors(std::initializer_list<std::string> names, int count = -1);
    Document &substances(std::initializer_list<std::string> names, int count = -1);
    Document &citation(const std::string &text);
    Document &abstract(const std::string &text);
    Document &notes(const std::string &text);
    Document &provenance(const std::string &text);
    /** The four texts' line counts, in the record's order. */
    Document &lineCounts(int citation, int abstract, int notes, int provenance);

private:
    DocumentRecord &record_;
};

/** The names of saves' and locks' files in dir ("ba0.new-…", "ba0.saving-…", "ba0.lock…"), as listing() gives them. */
std::string saveFiles(const std::string &dir);

/** What the entry window leaves after "Add" and "OK": a document by author, stored this session. */
void addDocument(DocumentStore &store, const std::string &author);

/** Every stored field of a record but fileLine, one per line, for comparing records. */
std::string fields(const DocumentRecord &record);

}  // namespace kaldex::test
