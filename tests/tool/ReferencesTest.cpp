#include "ToolRun.h"

#include "TestFiles.h"
#include "core/exchange/CitationSplit.h"
#include "core/exchange/References.h"

using namespace kaldex;
using namespace kaldex::test;

namespace {

DocumentRecord sampleRecord()
{
    DocumentRecord r;
    r.authors = {cp1251("Гиршфельдер Дж."), "Smith and Sons", "van der Waals J.D."};
    r.year = 1954;
    r.citation = "Theory of {gases}_1: 50% & $\\alpha$\n#2 ^ ~ end.\n";
    r.notes = cp1251("Таблицы\n  интегралов\n");
    r.categoryFlags[Vis] = r.categoryFlags[Tdi] = 1;
    r.substances = {"Ar", cp1251("Ксенон"), "", "", ""};
    return r;
}

}  // namespace

TEST(References, RisAndBibtexOfOneRecord)
{
    const DocumentRecord r = sampleRecord();
    EXPECT_EQ(tool::risReference(r, 7), cp1251("TY  - GEN\r\nID  - kaldex7\r\n"
                                               "AU  - Гиршфельдер, Дж.\r\nAU  - Smith and Sons\r\n"
                                               "AU  - van der Waals, J.D.\r\nPY  - 1954\r\n"
                                               "N1  - Theory of {gases}_1: 50% & $\\alpha$ #2 ^ ~ end.\r\n"
                                               "N1  - Таблицы интегралов\r\n"
                                               "KW  - viscosity\r\nKW  - thermal diffusion\r\nKW  - Ar\r\n"
                                               "KW  - Ксенон\r\nER  - \r\n"));
    EXPECT_EQ(tool::bibtexReference(r, 7),
              cp1251("@misc{kaldex7,\n"
                     "  author = {Гиршфельдер, Дж. and {Smith and Sons} and van der Waals, J.D.},\n"
                     "  year = {1954},\n"
                     "  howpublished = {Theory of \\textbraceleft{}gases\\textbraceright{}\\_1: 50\\% \\& "
                     "\\$\\textbackslash{}alpha\\$ \\#2 \\^{} \\~{} end.},\n"
                     "  annote = {Таблицы интегралов},\n"
                     "  keywords = {viscosity, thermal diffusion, Ar, Ксенон}\n}\n"));
    // Nothing but the number: every empty field is left out.
    EXPECT_EQ(tool::risReference(DocumentRecord{}, 1), "TY  - GEN\r\nID  - kaldex1\r\nER  - \r\n");
    EXPECT_EQ(tool::bibtexReference(DocumentRecord{}, 1), "@misc{kaldex1\n}\n");
    for (const char *kept : {"Aziz", "Smith, J.", "Lee Y.T. Jr", "U.S."})
        EXPECT_EQ(tool::invertedName(kept), kept);
}

// The period before the year also ends an abbreviated journal's last word.
TEST(References, AbbreviatedJournalsKeepTheirLastPeriod)
{
    const struct {
        const char *source;
        const char *journal;
    } rows[] = {
        {"J. Chem. Phys. 1977. V. 67.", "J. Chem. Phys."},
        {"Phys. Fluids. 1958. V. 1.", "Phys. Fluids"},
        {"J. Phys. Chem. Ref. Data. 1990. V. 19.", "J. Phys. Chem. Ref. Data"},
        {"Physica. 1980. V. 1.", "Physica"},
        {"Phys. Rev. A. 1970. V. 1.", "Phys. Rev. A"},
        {"Журн. техн. физ. 1970. Т. 1.", "Журн. техн. физ."},
        {"Докл. АН СССР. 1970. Т. 1.", "Докл. АН СССР"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(tool::splitCitation(cp1251(std::string("Aziz R.A. Title // ") + row.source)).journal,
                  cp1251(row.journal));
}

TEST(References, ExportTakesSlotsInOrderOrEverything)
{
    const std::string sample = KALDEX_SAMPLE;
    ToolRun ris = runTool({"export", "--ris", "3", "1", sample});
    EXPECT_EQ(ris.status, 0) << ris.err;
    EXPECT_EQ(ris.out.rfind("TY  - BOOK\r\nID  - kaldex3\r\nAU  - Hirschfelder, J.O.\r\n", 0), 0u) << ris.out;
    EXPECT_NE(ris.out.find("ER  - \r\nTY  - BOOK\r\nID  - kaldex1\r\n"), std::string::npos);
    ToolRun all = runTool({"export", "--bibtex", sample});
    EXPECT_EQ(all.err, "kaldex-tool: 48 references, 48 split into fields\n");
    EXPECT_NE(all.out.find("author = {Чепмен, С. and Каулинг, Т.}"), std::string::npos) << "UTF-8 out";
    ToolRun twice = runTool({"export", "--bibtex", "12", "12", sample});
    EXPECT_EQ(twice.out.find("@article{kaldex12,"), twice.out.rfind("@article{kaldex12,")) << "one key, once";
    EXPECT_EQ(runTool({"export", "--bibtex", "49", sample}).status, 1);
    EXPECT_EQ(runTool({"export", "--ris", "--bibtex", sample}).status, 2);
    EXPECT_EQ(runTool({"export", sample}).status, 2);
}
