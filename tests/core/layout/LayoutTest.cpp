#include "TestFiles.h"
#include "core/encoding/CodePage.h"
#include "core/layout/DocumentLayout.h"

using namespace kaldex;
using test::cp1251;

namespace {

DocumentRecord fullRecord()
{
    DocumentRecord r;
    test::Document(r)
        .number(41)  // not shown: the layout shows the slot
        .keys({Oth, Vis, Dif, The, Exp})
        .year(1972)
        .authors({"Kestin", "Ro", "Wakeham"})
        .pairs({{1, 1}, {1, 2}, {5, 5}})
        .substances({"Ar", "Kr", "Xe", "He", "Ne"})
        .citation("Kestin J., Ro S.T., Wakeham W.A. Viscosity of the noble gases\nJ. Chem. Phys. 56 (1972).\n")
        .abstract(cp1251("Измерена вязкость пяти благородных газов.\n"))
        .provenance(cp1251("Отдел баз данных\n"))
        .lineCounts(3, 2, 1, 2);
    return r;
}

std::string joined(const std::vector<std::string> &lines)
{
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i)
        text += (i ? "\n" : "") + utf8FromCp1251(lines[i]);
    return text;
}

std::string line(const DocumentRecord &r, size_t index)
{
    return utf8FromCp1251(layoutDocument(r, 1).at(index));
}

}  // namespace

TEST(DocumentLayout, AFullRecordLineForLine)
{
    const std::string expected = test::readBytes(test::dataFile("viewer/full.txt"));
    const DocumentRecord record = fullRecord();
    EXPECT_EQ(joined(layoutDocument(record, 7)), expected);
    EXPECT_EQ(joined(layoutDocument(record, 7)), expected);  // nothing carries over between calls
}

TEST(DocumentLayout, NameRowsFollowTheCounts)
{
    const struct {
        int authors;
        int substances;
        size_t line;
        const char *text;
    } rows[] = {
        {1, 5, 7, "Первый автор:  Kestin "},
        {0, 5, 7, "Первый автор:  Kestin "},
        {2, 5, 7, "Первый автор:  Kestin     Второй автор: Ro"},  // a third author beyond the count is not shown
        {3, 1, 12, "Первое вещество:  Ar     Второе: "},
        {3, 3, 12, "Первое вещество:  Ar     Второе:     Третье : Xe"},
        {3, 4, 12, "Первое вещество:  Ar     Второе:     Третье : Xe    Четвертое : He"},
    };
    for (const auto &row : rows) {
        DocumentRecord r = fullRecord();
        r.substances[1] = "";
        r.authorCount = row.authors;
        r.substanceCount = row.substances;
        EXPECT_EQ(line(r, row.line), row.text);
    }
}

TEST(DocumentLayout, LineCountsThatDisagreeWithTheTextHideNothing)
{
    const DocumentRecord right = fullRecord();
    for (int32_t count : {0, 1, 2, 40, -3}) {
        DocumentRecord wrong = right;
        wrong.citationLines = count;
        wrong.notesLines = count;
        EXPECT_EQ(layoutDocument(wrong, 7), layoutDocument(right, 7)) << count;
    }

    // A text without its final line feed still keeps every later section.
    DocumentRecord unterminated = right;
    unterminated.citation = "no line end";
    const std::vector<std::string> lines = layoutDocument(unterminated, 7);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 15, lines.begin() + 18),
              std::vector<std::string>({"no line end", "", cp1251("    Реферат ....")}));
    EXPECT_EQ(utf8FromCp1251(lines[lines.size() - 2]), "   Конец документа 7");
}
