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
    DocumentRecord &a = store->record(1);
    a.authors = {"Kestin", "Ro", "Wakeham"}, a.authorCount = 3;
    a.categoryFlags[Vis] = a.categoryFlags[Exp] = a.pairFlags[pairIndex(1, 2)] = 1, a.year = 1972;
    a.substances = {"Ar", "Kr", "Xe", "", ""}, a.substanceCount = 2;  // Xe lies beyond the count
    a.citation = "Line one\nLine two\n", a.abstract = cp1251("Реферат А\n"), a.provenance = cp1251("Отдел\n");
    a.citationLines = 3, a.abstractLines = 2, a.notesLines = 1, a.provenanceLines = 2;

    DocumentRecord &b = store->record(2);
    b.authors = {"Aziz", "Hidden", ""}, b.authorCount = 1;
    b.categoryFlags[Pot] = 1, b.year = 1993;
    b.substances = {"Ar", "", "", "", ""}, b.substanceCount = 1;
    b.citation = "One line", b.notes = cp1251("Заметка\n");
    b.citationLines = 1, b.abstractLines = 1, b.notesLines = 2, b.provenanceLines = 1;
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
    store->pocketCount = 3, store->pocket[1] = store->pocket[3] = 2, store->pocket[2] = 1;
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
    store->pocketCount = 1, store->pocket[1] = 1;
    DocumentRecord &d = store->record(1);
    d.authorCount = 2, d.substanceCount = 5, d.substances = {"He", "Ne", "Ar", "Kr", "Xe"};
    std::vector<std::string> lines = buildReport(*store);
    EXPECT_EQ(utf8FromCp1251(lines[8]), " Kestin, Ro\n");
    EXPECT_EQ(utf8FromCp1251(lines[12]), "  Первое вещество: :  He  Второе: Ne Третье: Ar Четвертое : Kr Пятое: Xe\n");

    // Abstract and notes counts of 0 or less show their texts as a count of 1
    // would; the provenance's 0 keeps its layout, which hides nothing: the
    // end line follows at once.
    DocumentRecord shown = d;
    shown.abstractLines = shown.notesLines = shown.provenanceLines = 1;
    store->record(2) = shown;
    d.abstractLines = 0, d.notesLines = -4, d.provenanceLines = 1;
    store->pocketCount = 2, store->pocket[2] = 2;
    auto blocks = [&] {
        lines = buildReport(*store);
        const auto half = static_cast<long>(lines.size() / 2);
        return std::make_pair(std::vector<std::string>(lines.begin(), lines.begin() + half),
                              std::vector<std::string>(lines.begin() + half, lines.end() - 1));
    };
    auto [block, same] = blocks();
    ASSERT_EQ(block.size(), same.size());
    for (size_t i = 0; i < block.size(); ++i)
        EXPECT_TRUE(i == 1 || i == block.size() - 3 || block[i] == same[i]) << i;  // the slot number differs
    EXPECT_EQ(utf8FromCp1251(lines[19]), " Реферат А\n\n");

    d.provenanceLines = 0;
    lines = buildReport(*store);
    EXPECT_EQ(utf8FromCp1251(lines[25] + lines[26]), " Отдел\n\n Конец документа 1\n");

    // A count far beyond the text adds no lines beyond the text's own.
    d.provenanceLines = d.abstractLines = 30000000;
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
