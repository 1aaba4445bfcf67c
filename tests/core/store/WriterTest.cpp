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

    test::Document(store.record(1))
        .number(1)
        .fileLine(5)
        .year(1972)
        .keys({Vis, Exp})
        .pairs({{1, 2}})
        .authors({"Kestin", "Ro", "Wakeham"})
        .substances({"Ar", "Kr"})
        .citation("Kestin J., Ro S.T., Wakeham W.A. Viscosity of the binary gaseous mixtures\n"
                  "J. Chem. Phys. 56 (1972).\n")
        .abstract(cp1251("Измерена вязкость смесей благородных газов.\n"))
        .provenance(cp1251("Отдел баз данных; хранится в библиотеке\n"))
        .lineCounts(3, 2, 1, 2);

    DocumentRecord &b = store.record(2);
    test::Document(b).number(2).fileLine(24).year(-5).pairs({{2, 2}}).authors({cp1251("Голубев")}).substances({"He"});
    b.upperYear = 1990;  // the query record's fields, saved with every document
    b.lowerYear = 1950;
    b.wantedNumber = 3;
    test::Document(b).lineCounts(1, 1, 1, 1);

    test::Document(store.record(3))
        .number(3)
        .fileLine(39)
        .year(1970)
        .keys({Dif, The})
        .authors({"Mason", "Marrero"})
        .substances({"He", "Ne", "Ar", "Kr", "Xe"})
        .pairs({{3, 5}, {4, 5}, {5, 5}})
        .citation("Mason E.A., Marrero T.R. The diffusion of atoms and molecules.\n")
        .notes(cp1251("Обзор: метод двух колб,\n  рекомендованные значения.\n"))
        .lineCounts(2, 1, 3, 1);
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
