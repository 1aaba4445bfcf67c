#include "TestFiles.h"
#include "core/store/DatabaseLoader.h"
#include "core/store/DatabaseWriter.h"

#include <sstream>

using namespace kaldex;
using kaldex::test::cp1251;

namespace {

// The documents of tests/data/store/expected.ba0, built field by field.
void fillExpectedDocuments(DocumentStore &store)
{
    store.documentCount = 3;

    DocumentRecord &a = store.record(1);
    a.number = 1, a.fileLine = 5, a.year = 1972;
    a.categoryFlags[Vis] = a.categoryFlags[Exp] = a.pairFlags[pairIndex(1, 2)] = 1;
    a.authors = {"Kestin", "Ro", "Wakeham"}, a.authorCount = 3;
    a.substances = {"Ar", "Kr", "", "", ""}, a.substanceCount = 2;
    a.citation = "Kestin J., Ro S.T., Wakeham W.A. Viscosity of the binary gaseous mixtures\n"
                 "J. Chem. Phys. 56 (1972).\n";
    a.abstract = cp1251("Измерена вязкость смесей благородных газов.\n");
    a.provenance = cp1251("Отдел баз данных; хранится в библиотеке\n");
    a.citationLines = 3, a.abstractLines = 2, a.notesLines = 1, a.provenanceLines = 2;

    DocumentRecord &b = store.record(2);
    b.number = 2, b.fileLine = 24, b.year = -5, b.upperYear = 1990, b.lowerYear = 1950, b.wantedNumber = 3;
    b.authors = {cp1251("Голубев"), "", ""}, b.authorCount = 1;
    b.substances = {"He", "", "", "", ""}, b.substanceCount = 1;
    b.pairFlags[pairIndex(2, 2)] = 1;
    b.citationLines = b.abstractLines = b.notesLines = b.provenanceLines = 1;

    DocumentRecord &c = store.record(3);
    c.number = 3, c.fileLine = 39, c.year = 1970;
    c.categoryFlags[Dif] = c.categoryFlags[The] = 1;
    c.authors = {"Mason", "Marrero", ""}, c.authorCount = 2;
    c.substances = {"He", "Ne", "Ar", "Kr", "Xe"}, c.substanceCount = 5;
    c.pairFlags[pairIndex(3, 5)] = c.pairFlags[pairIndex(4, 5)] = c.pairFlags[pairIndex(5, 5)] = 1;
    c.citation = "Mason E.A., Marrero T.R. The diffusion of atoms and molecules.\n";
    c.notes = cp1251("Обзор: метод двух колб,\n  рекомендованные значения.\n");
    c.citationLines = 2, c.abstractLines = 1, c.notesLines = 3, c.provenanceLines = 1;
}

}  // namespace

TEST(Loader, ReadsTheHandWrittenFileIntoEveryField)
{
    DocumentStore expected, loaded;
    fillExpectedDocuments(expected);
    EXPECT_EQ(loadDatabase(loaded, test::readBytes(test::dataFile("store/expected.ba0"))).lines, 52);
    ASSERT_EQ(loaded.documentCount, 3);
    for (int slot = 1; slot <= 3; ++slot) {
        EXPECT_EQ(test::fields(loaded.record(slot)), test::fields(expected.record(slot)));
        EXPECT_EQ(loaded.record(slot).fileLine, expected.record(slot).fileLine);
    }
}

TEST(Writer, WritesTheHandWrittenFileByteForByte)
{
    const std::string expected = test::readBytes(test::dataFile("store/expected.ba0"));
    DocumentStore store;
    fillExpectedDocuments(store);
    store.record(2).number = 40;  // written as its slot
    EXPECT_EQ(formatDatabase(store), expected);

    // The same bytes come out of a load followed by a save; every LF goes to disk as CR LF.
    DocumentStore reloaded;
    loadDatabase(reloaded, expected);
    std::ostringstream out;
    ASSERT_TRUE(writeDatabase(reloaded, out));
    EXPECT_EQ(out.str(), expected);
    reloaded.record(1).citation = "a\nb\n";
    const std::string bytes = formatDatabase(reloaded);
    EXPECT_NE(bytes.find("\r\na\r\nb\r\n$\r\n"), std::string::npos);
}

TEST(Writer, WritesEverySlotUpToTheCountEvenWhenEmpty)
{
    DocumentStore store;
    store.documentCount = 2;
    EXPECT_EQ(formatDatabase(store),
              "$\r\n1\r\n$\r\n0@0@0@0@0@0@0@0@0@0@0@0@0@0@0@0@0@0@0\r\n$\r\n@@@@@@\r\n$\r\n"
              "0@0@0@0@0@0@0@0@0@0@0@0@0@0@0@0@0@0@0\r\n$\r\n@@@@@@@@\r\n$\r\n$\r\n$\r\n$\r\n$@$\r\n"
              "$\r\n2\r\n$\r\n0@0@0@0@0@0@0@0@0@0@0@0@0@0@0@0@0@0@0\r\n$\r\n@@@@@@\r\n$\r\n"
              "0@0@0@0@0@0@0@0@0@0@0@0@0@0@0@0@0@0@0\r\n$\r\n@@@@@@@@\r\n$\r\n$\r\n$\r\n$\r\n$@$\r\n");
    std::ostringstream failing;  // a failing stream is reported
    failing.setstate(std::ios::badbit);
    EXPECT_FALSE(writeDatabase(store, failing));
}
