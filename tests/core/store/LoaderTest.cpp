#include "TestFiles.h"
#include "core/report/PocketReport.h"
#include "core/store/DatabaseLoader.h"
#include "core/store/DatabaseWriter.h"

#include <array>

using namespace kaldex;

namespace {

// A record as the save writes it, LF-ended; fields that tests vary are arguments.
std::string record(const std::string &number, const std::string &authors = "A@@@@@@", const std::string &citation = "",
                   const std::string &notes = "")
{
    return "$\n" + number + "\n$\n0@1@0@0@0@0@0@0@0@0@0@1@1@2@1@2@1@0@0\n$\n" + authors +
           "\n$\n0@0@0@0@0@0@0@0@0@0@0@0@0@0@0@1980@0@0@0\n$\nAr@@@@@@@@\n$\n" + citation + "$\n$\n" + notes +
           "$\n$@$\n";
}

struct Loaded {
    std::unique_ptr<DocumentStore> store = std::make_unique<DocumentStore>();
    const DocumentRecord &operator[](int slot) const { return store->record(slot); }
};

Loaded load(const std::string &text)
{
    Loaded loaded;
    loadDatabase(*loaded.store, text);
    return loaded;
}

}  // namespace

// Loader.ReadsTheHandWrittenFileIntoEveryField is in WriterTest.cpp, beside the records it compares.

TEST(Loader, EmptyAndMissingFilesGiveNoDocuments)
{
    EXPECT_EQ(load("").store->documentCount, 0);
    EXPECT_EQ(load("\n\n  \n").store->documentCount, 0);

    DocumentStore store;
    store.documentCount = 7;
    EXPECT_FALSE(loadDatabaseFile(store, "/nonexistent/ba0").opened);
    EXPECT_EQ(store.documentCount, 0);
    EXPECT_FALSE(store.unreadFile) << "a missing file is a new database, free to save";

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
    EXPECT_EQ(names[1].year, 1980);
    EXPECT_EQ(names[1].authors[0], "Abc");
    EXPECT_EQ(names[1].authors[1], "D");
}

TEST(Loader, StrayLinesShortNumberLinesAndNumbersThatDifferFromTheSlot)
{
    std::string text = "garbage before\nmore\n" + record("17") +
                       "between records\n"
                       "$\n2\n$\n0@1@1\n$\nA@@@@@@\n$\n1@0@1\n$\nAr@@@@@@@@\n$\n$\n$\n$\n$@$\n";
    Loaded db = load(text);
    ASSERT_EQ(db.store->documentCount, 2);
    EXPECT_EQ(db[1].number, 17) << "kept as read, without a message";
    EXPECT_EQ(db[1].fileLine, 7);
    // Short number lines fill what they hold; the rest reads 0.
    EXPECT_EQ(test::fields(db[2]).substr(test::fields(db[2]).find("numbers")),
              "numbers 0 1 1 0 0 0 0 0 0 0 0 1 0 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\ntexts [] [] [] []");

    // A section without content takes the last content line read before it.
    Loaded carried = load("$\n5\n$\n$\nA@@@@@@\n$\n");
    EXPECT_EQ(carried[1].number, 5);
    EXPECT_EQ(carried[1].categoryFlags[0], 5);
}

TEST(Loader, NameListsEndAtTheFirstEmptyName)
{
    Loaded db = load(record("1", "A@@C@@@@") + record("2", "@@@@@@@") + record("3", "A@B@C@D@@@@"));
    // Unassigned names read as a fresh store's "".
    EXPECT_EQ(db[1].authors, (std::array<FieldText, 3>{"A", "", ""}));
    EXPECT_EQ(db[2].authors, (std::array<FieldText, 3>{}));
    EXPECT_EQ(db[3].authors, (std::array<FieldText, 3>{"A", "B", "C"}));

    // A second load overwrites in place: names past a list's end stay.
    DocumentStore &store = *db.store;
    loadDatabase(store, record("1", "X@@@@@@", "new\n"));
    EXPECT_EQ(store.documentCount, 1);
    EXPECT_EQ(store.record(1).authors[0], "X");
    EXPECT_EQ(store.record(1).citation, "new\n");
    EXPECT_EQ(store.record(3).authors[2], "C");  // beyond the count, untouched

    loadDatabase(store, record("1", "P@Q@R@@@@"));
    loadDatabase(store, record("1", "S@@@@@@"));
    EXPECT_EQ(store.record(1).authors, (std::array<FieldText, 3>{"S", "Q", "R"}));

    // What the entry window stored is the field's own; loads after it take the file's bytes.
    store.record(1).citation = "stored\n";
    store.record(1).authors[1] = "Own";
    loadDatabase(store, record("1", "T@@@@@@", "c\n"));
    loadDatabase(store, record("1", "U@@@@@@", "d\n"));
    EXPECT_EQ(store.record(1).authors[1], "Own");
    EXPECT_EQ(store.record(1).citation, "d\n");
}

// Names of more than twelve bytes refer into the loaded file's buffer; a
// second load frees that buffer, so whatever it leaves in the slots must
// have been copied first.
TEST(Reload, NamesLeftFromTheFirstLoadSurviveItsBuffer)
{
    test::TempDir dir;
    test::writeBytes(dir.file("ba0"), record("1", "Firstauthorname@Secondauthorname@Thirdauthorname@@@@") +
                                          record("2", "Anotherlongname@@@@@@") +
                                          record("3", "Slotthreesurname@@@@@@", "A citation of slot three\n"));
    DocumentStore store;
    loadDatabaseFile(store, dir.file("ba0"));
    ASSERT_EQ(store.documentCount, 3);

    test::writeBytes(dir.file("ba0"), record("1", "Short@@@@@@") + std::string(600, '\n'));
    loadDatabaseFile(store, dir.file("ba0"));
    ASSERT_EQ(store.documentCount, 1);
    store.modified = 1;
    ASSERT_EQ(saveDatabase(store, dir.path(), LocalDate{6, 5, 2024}).status, SaveStatus::Saved);
    const std::string saved = test::readBytes(dir.file("ba0"));
    EXPECT_NE(saved.find("\r\nShort@Secondauthorname@Thirdauthorname@@@@\r\n"), std::string::npos) << saved;

    store.pocketCount = 1;
    store.pocket[1] = 3;  // past the new count: still the first load's document
    const std::string report = reportText(buildReport(store));
    EXPECT_NE(report.find(" Slotthreesurname"), std::string::npos) << report;
    EXPECT_NE(report.find("A citation of slot three"), std::string::npos) << report;
}

TEST(Loader, TruncatedFilesAndLineEnds)
{
    // Long lines and names stay whole.
    const std::string name(40, 'B');
    const std::string longLine(300, 'd');
    std::string full = record("1", "A@@@@@@", "c\n") + record("2", name + "@@@@@@", longLine + "\nd\n");

    // Without "$@$" the last record still counts if its last section began.
    std::string unclosed = full.substr(0, full.size() - 4);
    EXPECT_EQ(load(unclosed).store->documentCount, 1);
    Loaded lastLine = load(unclosed + "prov\n");
    EXPECT_EQ(lastLine.store->documentCount, 2);
    EXPECT_EQ(lastLine[2].provenance, "prov\n");
    Loaded noFinalEnd = load(full.substr(0, full.size() - 1));
    EXPECT_EQ(noFinalEnd.store->documentCount, 2);
    EXPECT_EQ(noFinalEnd[2].citation, longLine + "\nd\n");
    size_t cut = full.find("\nd\n");
    Loaded cutInText = load(full.substr(0, cut + 3));
    EXPECT_EQ(cutInText.store->documentCount, 1);
    EXPECT_EQ(cutInText[2].citation, longLine + "\nd\n") << "written, not counted";

    std::string crlf;
    for (char c : full)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    Loaded windows = load(crlf);
    EXPECT_EQ(windows.store->documentCount, 2);
    EXPECT_EQ(windows[2].authors[0], name);
    EXPECT_EQ(windows[2].citation, longLine + "\nd\n");
}
