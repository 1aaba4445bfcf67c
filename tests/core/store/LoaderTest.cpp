#include "TestFiles.h"
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
    EXPECT_EQ(load("").store->documentCount + load("\n\n  \n").store->documentCount, 0);

    DocumentStore store;
    store.documentCount = 7;
    EXPECT_FALSE(loadDatabaseFile(store, "/nonexistent/ba0").opened);
    EXPECT_FALSE(store.documentCount || store.unreadFile);  // missing is a new database, free to save

    test::TempDir dir;  // a directory where the file should be
    EXPECT_FALSE(loadDatabaseFile(store, dir.path()).opened);
    EXPECT_TRUE(store.documentCount == 0 && store.unreadFile);
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
    EXPECT_EQ(shifted[1].citation + "|" + shifted[1].abstract, "one\n|");
    EXPECT_EQ(shifted[2].number, 0);  // every later section moved by one line
    Loaded four = load(record("1", "A@@@@@@", "    $x\n"));
    EXPECT_EQ(four.store->documentCount, 1);
    EXPECT_EQ(four[1].citation, "    \n");  // a text line keeps what precedes its first "$"

    Loaded dollars = load(record("1", "A@@@@@@", "price 5$ and $6\n", "x$y\n"));
    EXPECT_EQ(dollars.store->documentCount, 1);
    EXPECT_EQ(dollars[1].citation + dollars[1].notes, "price 5\nx\n");

    // In number and name lines the "$" is dropped and the scan goes on.
    Loaded names = load("$\n1$2\n$\n0@1@0@0@0@0@0@0@0@0@0@1@1@1@1@1@1@0@0\n$\nAb$c@D@@@@@\n$\n"
                        "0@0@0@0@0@0@0@0@0@0@0@0@0@0@0@19$80@0@0@0\n$\nAr@@@@@@@@\n$\n$\n$\n$\n$@$\n");
    EXPECT_EQ(names[1].number + names[1].year, 12 + 1980);
    EXPECT_EQ(names[1].authors[0] + "/" + names[1].authors[1], "Abc/D");
}

TEST(Loader, StrayLinesShortNumberLinesAndNumbersThatDifferFromTheSlot)
{
    std::string text = "garbage before\nmore\n" + record("17") +
                       "between records\n"
                       "$\n2\n$\n0@1@1\n$\nA@@@@@@\n$\n1@0@1\n$\nAr@@@@@@@@\n$\n$\n$\n$\n$@$\n";
    Loaded db = load(text);
    ASSERT_EQ(db.store->documentCount, 2);
    EXPECT_TRUE(db[1].number == 17 && db[1].fileLine == 7);  // kept as read, without a message
    // Short number lines fill what they hold; the rest reads 0.
    EXPECT_EQ(test::fields(db[2]).substr(test::fields(db[2]).find("numbers")),
              "numbers 0 1 1 0 0 0 0 0 0 0 0 1 0 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\ntexts [] [] [] []");

    // A section without content takes the last content line read before it.
    Loaded carried = load("$\n5\n$\n$\nA@@@@@@\n$\n");
    EXPECT_TRUE(carried[1].number == 5 && carried[1].categoryFlags[0] == 5);
}

TEST(Loader, NameListsEndAtTheFirstEmptyName)
{
    Loaded db = load(record("1", "A@@C@@@@") + record("2", "@@@@@@@") + record("3", "A@B@C@D@@@@"));
    const std::array<FieldText, 3> a{"A", "", ""}, none{}, abc{"A", "B", "C"};  // unassigned: a fresh store's ""
    EXPECT_EQ(db[1].authors, a);
    EXPECT_EQ(db[2].authors, none);
    EXPECT_EQ(db[3].authors, abc);

    // A second load overwrites in place: names past a list's end stay.
    DocumentStore &store = *db.store;
    loadDatabase(store, record("1", "X@@@@@@", "new\n"));
    EXPECT_EQ(store.documentCount, 1);
    EXPECT_EQ(store.record(1).authors[0] + store.record(1).citation, "Xnew\n");
    EXPECT_EQ(store.record(3).authors[2], "C");  // beyond the count, untouched

    loadDatabase(store, record("1", "P@Q@R@@@@"));
    loadDatabase(store, record("1", "S@@@@@@"));
    EXPECT_EQ(store.record(1).authors, (std::array<FieldText, 3>{"S", "Q", "R"}));

    // What the entry window stored is the field's own; loads after it take the file's bytes.
    store.record(1).citation = "stored\n";
    store.record(1).authors[1] = "Own";
    loadDatabase(store, record("1", "T@@@@@@", "c\n"));
    loadDatabase(store, record("1", "U@@@@@@", "d\n"));
    EXPECT_EQ(store.record(1).authors[1] + store.record(1).citation, "Ownd\n");
}

TEST(Loader, TruncatedFilesAndLineEnds)
{
    // Long lines and names stay whole.
    const std::string name(40, 'B'), longLine(300, 'd');
    std::string full = record("1", "A@@@@@@", "c\n") + record("2", name + "@@@@@@", longLine + "\nd\n");

    // Without "$@$" the last record still counts if its last section began.
    std::string unclosed = full.substr(0, full.size() - 4);
    EXPECT_EQ(load(unclosed).store->documentCount, 1);
    Loaded lastLine = load(unclosed + "prov\n"), noFinalEnd = load(full.substr(0, full.size() - 1));
    EXPECT_TRUE(lastLine.store->documentCount == 2 && lastLine[2].provenance == "prov\n");
    EXPECT_TRUE(noFinalEnd.store->documentCount == 2 && noFinalEnd[2].citation == longLine + "\nd\n");
    size_t cut = full.find("\nd\n");
    Loaded cutInText = load(full.substr(0, cut + 3));
    EXPECT_TRUE(cutInText.store->documentCount == 1 &&
                cutInText[2].citation == longLine + "\nd\n");  // written, not counted

    std::string crlf;
    for (char c : full)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    Loaded windows = load(crlf);
    EXPECT_TRUE(windows.store->documentCount == 2 && windows[2].authors[0] == name);
    EXPECT_EQ(windows[2].citation, longLine + "\nd\n");
}
