#include "TestFiles.h"
#include "core/encoding/CodePage.h"
#include "core/report/PlainRtf.h"
#include "core/report/PocketReport.h"

using namespace kaldex;
using test::cp1251;

namespace {

// Two documents: slot 1 with three authors and a citation of two ended
// lines, slot 2 with one author and a citation without a final line feed.
std::unique_ptr<DocumentStore> twoDocuments()
{
    auto store = std::make_unique<DocumentStore>();
    store->documentCount = 2;
    test::Document(store->record(1))
        .authors({"Kestin", "Ro", "Wakeham"})
        .keys({Vis, Exp})
        .pairs({{1, 2}})
        .year(1972)
        .substances({"Ar", "Kr", "Xe"}, 2)  // Xe lies beyond the count
        .citation("Line one\nLine two\n")
        .abstract(cp1251("Реферат А\n"))
        .provenance(cp1251("Отдел\n"))
        .lineCounts(3, 2, 1, 2);
    test::Document(store->record(2))
        .authors({"Aziz", "Hidden"}, 1)
        .keys({Pot})
        .year(1993)
        .substances({"Ar"})
        .citation("One line")
        .notes(cp1251("Заметка\n"))
        .lineCounts(1, 1, 2, 1);
    return store;
}

std::string text(const DocumentStore &store)
{
    return utf8FromCp1251(reportText(buildReport(store)));
}

}  // namespace

TEST(PocketReport, BlocksInPocketOrderLineForLine)
{
    auto store = twoDocuments();
    store->pocketCount = 3;
    store->pocket[1] = 2;
    store->pocket[2] = 1;
    store->pocket[3] = 2;
    const std::string expected = test::readBytes(test::dataFile("editor/report.txt"));
    EXPECT_EQ(text(*store), expected);
    EXPECT_EQ(text(*store), expected);  // a second "View " builds the same text
    EXPECT_EQ(buildReport(*store).size(), 91u);

    // An empty pocket gives one empty line; an entry left from before "Clear" is no part of it.
    store->pocketCount = 0;
    EXPECT_EQ(buildReport(*store), std::vector<std::string>{""});
    EXPECT_EQ(reportText(buildReport(*store)), "");
}

TEST(PocketReport, NameRowsAndLineCountsBelowOne)
{
    auto store = twoDocuments();
    store->pocketCount = 1;
    store->pocket[1] = 1;
    DocumentRecord &d = store->record(1);
    d.authorCount = 2;
    test::Document(d).substances({"He", "Ne", "Ar", "Kr", "Xe"});
    std::vector<std::string> lines = buildReport(*store);
    EXPECT_EQ(utf8FromCp1251(lines[8]), " Kestin, Ro\n");
    EXPECT_EQ(utf8FromCp1251(lines[12]), "  Первое вещество: :  He  Второе: Ne Третье: Ar Четвертое : Kr Пятое: Xe\n");

    // Abstract and notes counts of 0 or less show their texts as a count of 1
    // would; the provenance's 0 keeps its layout, which hides nothing: the
    // end line follows at once.
    DocumentRecord shown = d;
    test::Document(shown).lineCounts(shown.citationLines, 1, 1, 1);
    store->record(2) = shown;
    test::Document(d).lineCounts(d.citationLines, 0, -4, 1);
    store->pocketCount = 2;
    store->pocket[2] = 2;
    auto blocks = [&] {
        lines = buildReport(*store);
        const auto half = static_cast<long>(lines.size() / 2);
        return std::make_pair(std::vector<std::string>(lines.begin(), lines.begin() + half),
                              std::vector<std::string>(lines.begin() + half, lines.end() - 1));
    };
    auto [block, same] = blocks();
    ASSERT_EQ(block.size(), same.size());
    for (size_t i = 0; i < block.size(); ++i) {
        if (i != 1 && i != block.size() - 3) {  // the lines that name the slot differ
            EXPECT_EQ(block[i], same[i]) << "line " << i;
        }
    }
    EXPECT_EQ(utf8FromCp1251(lines[19]), " Реферат А\n\n");

    d.provenanceLines = 0;
    lines = buildReport(*store);
    EXPECT_EQ(utf8FromCp1251(lines[25]), " Отдел\n\n");
    EXPECT_EQ(utf8FromCp1251(lines[26]), " Конец документа 1\n");

    // A count far beyond the text adds no lines beyond the text's own.
    d.provenanceLines = 30000000;
    d.abstractLines = 30000000;
    lines = buildReport(*store);
    EXPECT_LT(lines.size(), 2 * block.size() + 8);
}

TEST(PocketReport, AFullPocketGivesItsWholeReport)
{
    auto store = twoDocuments();
    store->pocketCount = DocumentStore::kMaxPocket;
    for (int entry = 1; entry <= store->pocketCount; ++entry)
        store->pocket[static_cast<size_t>(entry)] = 1 + entry % 2;
    const std::vector<std::string> lines = buildReport(*store);
    EXPECT_EQ(lines.size(), 2500u * 29 + 2499u * 32 + 1);  // far past 5000 lines
    EXPECT_EQ(utf8FromCp1251(lines[lines.size() - 4]), " Конец документа 2\n");
}

// The command-line tool's report RTF: the bytes the editor's writer gives a
// plain document, hand-written here.
TEST(PocketReport, PlainTextRtfEscapesLikeTheEditor)
{
    EXPECT_EQ(plainTextRtf("a{\\}\tb\n\xcf\xa0\xad\x98\x01z\n", "MS Sans Serif", 16),
              "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049\n{\\fonttbl{\\f0\\fswiss\\fcharset204 MS Sans Serif;}}\n"
              "\\uc1\n\\pard\\plain\\fi0\\li0\\ri0\\ql\\f0\\fs16 a\\{\\\\\\}\\tab b\\par\n"
              "\\pard\\plain\\fi0\\li0\\ri0\\ql\\f0\\fs16\\'cf\\~\\-z\\par\n"
              "\\pard\\plain\\fi0\\li0\\ri0\\ql\\f0\\fs16\\par\n}\n");
}
