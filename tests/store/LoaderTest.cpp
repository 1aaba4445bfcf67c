#include "TestFiles.h"
#include "store/DatabaseLoader.h"
#include "store/DatabaseWriter.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

using namespace kaldex;
using kaldex::test::cp1251;

namespace {

// A record as the save writes it, LF-ended; fields that tests vary are arguments.
std::string record(const std::string &number, const std::string &authors = "A@@@@@@",
                   const std::string &citation = "", const std::string &notes = "")
{
    return "$\n" + number + "\n$\n0@1@0@0@0@0@0@0@0@0@0@1@1@2@1@2@1@0@0\n$\n" + authors +
           "\n$\n0@0@0@0@0@0@0@0@0@0@0@0@0@0@0@1980@0@0@0\n$\nAr@@@@@@@@\n$\n" + citation + "$\n$\n" +
           notes + "$\n$@$\n";
}

std::string repeatRecords(int count)
{
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += record(std::to_string(i), "A@@@@@@", "Line\n");
    return text;
}

struct Loaded {
    std::unique_ptr<DocumentStore> store = std::make_unique<DocumentStore>();
    LoadResult result;
    const DocumentRecord &operator[](int slot) const { return store->record(slot); }
};

Loaded load(const std::string &text)
{
    Loaded loaded;
    loaded.result = loadDatabase(*loaded.store, text);
    return loaded;
}

}  // namespace

TEST(Loader, ReadsTheHandWrittenFileIntoEveryField)
{
    Loaded db = load(test::readBytes(test::dataFile("store/expected.ba0")));
    ASSERT_EQ(db.store->documentCount, 3);
    EXPECT_EQ(db.result.lines, 52);

    const DocumentRecord &first = db[1];
    EXPECT_EQ(first.number, 1);
    EXPECT_EQ(first.categoryFlags[Vis], 1);
    EXPECT_EQ(first.categoryFlags[Exp], 1);
    EXPECT_EQ(first.authorCount, 3);
    EXPECT_EQ(first.substanceCount, 2);
    EXPECT_EQ(first.citationLines, 3);
    EXPECT_EQ(first.provenanceLines, 2);
    EXPECT_EQ(first.fileLine, 5);
    EXPECT_EQ(first.authors[2], "Wakeham");
    EXPECT_EQ(first.pairFlags[pairIndex(1, 2)], 1);
    EXPECT_EQ(first.year, 1972);
    EXPECT_EQ(first.substances[1], "Kr");
    EXPECT_EQ(first.citation,
              "Kestin J., Ro S.T., Wakeham W.A. Viscosity of the binary gaseous mixtures\n"
              "J. Chem. Phys. 56 (1972).\n");
    EXPECT_EQ(first.abstract, cp1251("Измерена вязкость смесей благородных газов.\n"));
    EXPECT_EQ(first.notes, "");

    const DocumentRecord &second = db[2];
    EXPECT_EQ(second.authors[0], cp1251("Голубев"));
    EXPECT_EQ(second.year, -5);
    EXPECT_EQ(second.upperYear, 1990);
    EXPECT_EQ(second.lowerYear, 1950);
    EXPECT_EQ(second.wantedNumber, 3);
    EXPECT_EQ(second.fileLine, 24);
    EXPECT_EQ(second.citation + second.abstract + second.notes + second.provenance, "");

    const DocumentRecord &third = db[3];
    EXPECT_EQ(third.substances[4], "Xe");
    EXPECT_EQ(third.pairFlags[pairIndex(3, 5)] + third.pairFlags[pairIndex(4, 5)] +
                  third.pairFlags[pairIndex(5, 5)], 3);
    EXPECT_EQ(third.notes, cp1251("Обзор: метод двух колб,\n  рекомендованные значения.\n"));
    EXPECT_EQ(third.fileLine, 39);
}

TEST(Loader, EmptyAndMissingFilesGiveNoDocuments)
{
    EXPECT_EQ(load("").store->documentCount, 0);
    EXPECT_EQ(load("\n\n  \n").store->documentCount, 0);

    DocumentStore store;
    store.documentCount = 7;
    LoadResult missing = loadDatabaseFile(store, "/nonexistent/ba0");
    EXPECT_FALSE(missing.opened);
    EXPECT_EQ(store.documentCount, 0);

    EXPECT_FALSE(store.unreadFile);  // missing is a new database, free to save

    test::TempDir dir;  // a directory where the file should be
    EXPECT_FALSE(loadDatabaseFile(store, dir.path()).opened);
    EXPECT_EQ(store.documentCount, 0);
    EXPECT_TRUE(store.unreadFile);
    store.modified = 1;
    EXPECT_EQ(saveDatabase(store, dir.path(), LocalDate{}).status, SaveStatus::NotRead);

    test::writeBytes(dir.file("ba0"), "");
    loadDatabaseFile(store, dir.file("ba0"));
    EXPECT_FALSE(store.unreadFile);
}

TEST(Loader, MarkersAndDollarsInsideLines)
{
    // Three spaces before "$" still make a marker; four make a content line.
    Loaded shifted = load(record("1", "A@@@@@@", "one\n   $\n") + record("2"));
    EXPECT_EQ(shifted[1].citation, "one\n");
    EXPECT_EQ(shifted[1].abstract, "");
    EXPECT_EQ(shifted[2].number, 0);  // every later section moved by one line
    Loaded four = load(record("1", "A@@@@@@", "    $x\n"));
    EXPECT_EQ(four.store->documentCount, 1);
    EXPECT_EQ(four[1].citation, "    \n");  // a text line keeps what precedes its first "$"

    Loaded dollars = load(record("1", "A@@@@@@", "price 5$ and $6\n", "x$y\n"));
    EXPECT_EQ(dollars.store->documentCount, 1);
    EXPECT_EQ(dollars[1].citation, "price 5\n");
    EXPECT_EQ(dollars[1].notes, "x\n");

    // In number and name lines the "$" is dropped and the scan goes on.
    Loaded names = load("$\n1$2\n$\n0@1@0@0@0@0@0@0@0@0@0@1@1@1@1@1@1@0@0\n$\nAb$c@D@@@@@\n$\n"
                        "0@0@0@0@0@0@0@0@0@0@0@0@0@0@0@19$80@0@0@0\n$\nAr@@@@@@@@\n$\n$\n$\n$\n$@$\n");
    EXPECT_EQ(names[1].number, 12);
    EXPECT_EQ(names[1].authors[0], "Abc");
    EXPECT_EQ(names[1].authors[1], "D");
    EXPECT_EQ(names[1].year, 1980);
}

TEST(Loader, StrayLinesShortNumberLinesAndNumbersThatDifferFromTheSlot)
{
    std::string text = "garbage before\nmore\n" + record("17") +
                       "between records\n"
                       "$\n2\n$\n0@1@1\n$\nA@@@@@@\n$\n1@0@1\n$\nAr@@@@@@@@\n$\n$\n$\n$\n$@$\n";
    Loaded db = load(text);
    ASSERT_EQ(db.store->documentCount, 2);
    EXPECT_EQ(db[1].number, 17);  // kept as read, without a message
    EXPECT_EQ(db[1].fileLine, 7);
    EXPECT_EQ(db[2].categoryFlags[Vis], 1);
    EXPECT_EQ(db[2].categoryFlags[Con], 1);
    EXPECT_EQ(db[2].authorCount, 0);
    EXPECT_EQ(db[2].provenanceLines, 0);
    EXPECT_EQ(db[2].pairFlags[0], 1);
    EXPECT_EQ(db[2].pairFlags[2], 1);
    EXPECT_EQ(db[2].year, 0);

    // A section without content takes the last content line read before it.
    Loaded carried = load("$\n5\n$\n$\nA@@@@@@\n$\n");
    EXPECT_EQ(carried[1].number, 5);
    EXPECT_EQ(carried[1].categoryFlags[0], 5);
}

TEST(Loader, NameListsEndAtTheFirstEmptyName)
{
    Loaded db = load(record("1", "A@@C@@@@") + record("2", "@@@@@@@") + record("3", "A@B@C@D@@@@"));
    EXPECT_EQ(db[1].authors[0], "A");
    EXPECT_EQ(db[1].authors[1], "");  // never assigned: a fresh store's empty value
    EXPECT_EQ(db[1].authors[2], "");
    EXPECT_EQ(db[2].authors[0], "");
    EXPECT_EQ(db[3].authors[2], "C");

    // A second load overwrites in place: names past a list's end stay.
    DocumentStore &store = *db.store;
    loadDatabase(store, record("1", "X@@@@@@", "new\n"));
    EXPECT_EQ(store.documentCount, 1);
    EXPECT_EQ(store.record(1).authors[0], "X");
    EXPECT_EQ(store.record(3).authors[2], "C");  // beyond the count, untouched
    EXPECT_EQ(store.record(1).citation, "new\n");

    loadDatabase(store, record("1", "P@Q@R@@@@"));
    loadDatabase(store, record("1", "S@@@@@@"));
    EXPECT_EQ(store.record(1).authors[0], "S");
    EXPECT_EQ(store.record(1).authors[1], "Q");
    EXPECT_EQ(store.record(1).authors[2], "R");
}

TEST(Loader, LongLinesAndNamesStayWhole)
{
    std::string longLine(300, 'x');
    std::string line126(126, 'y');
    std::string longName(40, 'N');
    Loaded db = load(record("1", longName + "@" + longName + "@@@@@", longLine + "\n" + line126 + "\n"));
    EXPECT_EQ(db[1].citation, longLine + "\n" + line126 + "\n");
    EXPECT_EQ(db[1].authors[0], longName);
    EXPECT_EQ(db[1].authors[1], longName);

    std::string manyItems;
    for (int i = 0; i < 40; ++i)
        manyItems += std::to_string(i) + "@";
    Loaded items = load("$\n1\n$\n" + manyItems + "\n$\n");
    EXPECT_EQ(items[1].categoryFlags[10], 10);
    EXPECT_EQ(items[1].provenanceLines, 16);
}

TEST(Loader, TruncatedFilesAndLineEnds)
{
    std::string full = record("1", "A@@@@@@", "c\n") + record("2", "B@@@@@@", "d\n");

    // Without "$@$" the last record still counts if its last section began.
    std::string unclosed = full.substr(0, full.size() - 4);
    EXPECT_EQ(load(unclosed).store->documentCount, 1);
    Loaded lastLine = load(unclosed + "prov\n");
    EXPECT_EQ(lastLine.store->documentCount, 2);
    EXPECT_EQ(lastLine[2].provenance, "prov\n");
    Loaded noFinalEnd = load(full.substr(0, full.size() - 1));
    EXPECT_EQ(noFinalEnd.store->documentCount, 2);
    EXPECT_EQ(noFinalEnd[2].citation, "d\n");
    size_t cut = full.find("d\n");
    Loaded cutInText = load(full.substr(0, cut + 2));
    EXPECT_EQ(cutInText.store->documentCount, 1);
    EXPECT_EQ(cutInText[2].citation, "d\n");  // written, but not counted

    std::string crlf;
    for (char c : full)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    Loaded windows = load(crlf);
    EXPECT_EQ(windows.store->documentCount, 2);
    EXPECT_EQ(windows[2].citation, "d\n");
    EXPECT_EQ(windows[2].authors[0], "B");
}

TEST(Loader, FullTableAndOverflow)
{
    Loaded full = load(repeatRecords(DocumentStore::kMaxDocuments) + "\n  \n");
    EXPECT_EQ(full.store->documentCount, 4999);
    EXPECT_EQ(full[4999].number, 4999);
    EXPECT_FALSE(full.result.overflow);
    EXPECT_FALSE(full.store->loadOverflow);

    Loaded over = load(repeatRecords(DocumentStore::kMaxDocuments + 1));
    EXPECT_EQ(over.store->documentCount, 4999);
    EXPECT_TRUE(over.result.overflow);
    EXPECT_TRUE(over.store->loadOverflow);
    EXPECT_EQ(over.store->overflowLine, 4999L * 16 + 1);

    // A load of a sound file clears the refusal.
    loadDatabase(*over.store, record("1"));
    EXPECT_FALSE(over.store->loadOverflow);
}

TEST(Loader, SaveThenLoadGivesBackEveryField)
{
    DocumentStore store;
    store.documentCount = 3;
    for (int slot = 1; slot <= 3; ++slot) {
        DocumentRecord &r = store.record(slot);
        r.number = slot * 10;  // the save renumbers by slot
        for (int i = 0; i < kCategoryCount; ++i)
            r.categoryFlags[static_cast<size_t>(i)] = (i + slot) % 2;
        for (int i = 0; i < kPairCount; ++i)
            r.pairFlags[static_cast<size_t>(i)] = (i * slot) % 3 == 0;
        r.authors = {cp1251("Кестин"), slot > 1 ? "Ro" : "", slot > 2 ? "Wakeham" : ""};
        r.authorCount = slot;
        r.substances = {"Ar", "Kr", slot > 1 ? "Xe" : "", "", ""};
        r.substanceCount = slot > 1 ? 3 : 2;
        r.year = 1950 + slot;
        r.upperYear = -slot;
        r.lowerYear = 2147483647;
        r.wantedNumber = slot;
        r.citation = slot == 2 ? "" : "first\nsecond line\n";
        r.abstract = cp1251("Реферат\n");
        r.notes = slot == 3 ? "" : "note\n";
        r.provenance = std::string(200, 'p') + "\n";
        r.citationLines = 3;
        r.abstractLines = 2;
        r.notesLines = slot == 3 ? 1 : 2;
        r.provenanceLines = 2;
    }

    std::stringstream file;
    ASSERT_TRUE(writeDatabase(store, file));
    DocumentStore loaded;
    loadDatabase(loaded, file);
    ASSERT_EQ(loaded.documentCount, 3);
    for (int slot = 1; slot <= 3; ++slot) {
        DocumentRecord expected = store.record(slot);
        expected.number = slot;
        DocumentRecord actual = loaded.record(slot);
        EXPECT_GT(actual.fileLine, 0);
        actual.fileLine = expected.fileLine;
        EXPECT_EQ(actual.number, expected.number);
        EXPECT_EQ(actual.authors, expected.authors);
        EXPECT_EQ(actual.substances, expected.substances);
        EXPECT_EQ(actual.categoryFlags, expected.categoryFlags);
        EXPECT_EQ(actual.pairFlags, expected.pairFlags);
        EXPECT_EQ(actual.year, expected.year);
        EXPECT_EQ(actual.upperYear, expected.upperYear);
        EXPECT_EQ(actual.lowerYear, expected.lowerYear);
        EXPECT_EQ(actual.wantedNumber, expected.wantedNumber);
        EXPECT_EQ(actual.authorCount, expected.authorCount);
        EXPECT_EQ(actual.substanceCount, expected.substanceCount);
        EXPECT_EQ(actual.citationLines, expected.citationLines);
        EXPECT_EQ(actual.abstractLines, expected.abstractLines);
        EXPECT_EQ(actual.notesLines, expected.notesLines);
        EXPECT_EQ(actual.provenanceLines, expected.provenanceLines);
        EXPECT_EQ(actual.citation, expected.citation);
        EXPECT_EQ(actual.abstract, expected.abstract);
        EXPECT_EQ(actual.notes, expected.notes);
        EXPECT_EQ(actual.provenance, expected.provenance);
    }
}
