// "import": references from journals and reference managers into the database.
#include "ToolRun.h"

#include "TestFiles.h"
#include "core/store/DatabaseLoader.h"
#include "core/store/DatabaseWriter.h"

using namespace kaldex;
using namespace kaldex::test;

namespace {

// A folder with the sample as ba0 and the hand-written reference files beside it.
void prepare(const TempDir &dir)
{
    writeBytes(dir.file("ba0"), readBytes(KALDEX_SAMPLE));
    for (const char *name : {"journal.ris", "manager.bib", "broken.bib", "letter.txt"})
        writeBytes(dir.file(name), readBytes(dataFile(std::string("tool/import/") + name)));
}

std::string today()
{
    const LocalDate date = LocalDate::today();
    char text[16];
    std::snprintf(text, sizeof text, "%02d.%02d.%04d", date.day, date.month, date.year);
    return text;
}

}  // namespace

// tests/data/tool/import/expected.ba0 is written by hand: documents 49 to 51
// as the two files should give them, with DD.MM.YYYY for the day of the import.
TEST(ToolImport, AddsTheNewReferencesInTheHouseStyle)
{
    TempDir dir;
    prepare(dir);
    ToolRun run = runTool({"import", "journal.ris"}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string first = listing(dir.path()).substr(0, listing(dir.path()).find(' '));
    EXPECT_EQ(run.out, "imported 1 reference into ba0 (now 49), skipped 1 already there; the old file is kept as " +
                           first + "\n");
    EXPECT_EQ(run.err, "kaldex-tool: journal.ris, line 1: Muller 2008: ü → u, α → alpha, ≤ → <=\n"
                       "kaldex-tool: journal.ris, line 23: Aziz 1977 is already in ba0 as document 12; skipped\n");

    run = runTool({"import", "--classify", "manager.bib", "ba0"}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, run.out.find(';')), "imported 2 references into ba0 (now 51), skipped 1 already there");
    EXPECT_EQ(run.err, "kaldex-tool: manager.bib, line 12: Ferziger 1972 is already in ba0 as document 5; skipped\n"
                       "kaldex-tool: manager.bib, line 20: Lopez 2001: ó → o, ö → o, ř → r, á → a, Ø → O, ß → ss, "
                       "α → alpha, $ dropped\n");

    std::string expectedText = readBytes(dataFile("tool/import/expected.ba0"));
    for (size_t at; (at = expectedText.find("DD.MM.YYYY")) != std::string::npos;)
        expectedText.replace(at, 10, today());
    DocumentStore saved, expected;
    loadDatabase(saved, readBytes(dir.file("ba0")));
    loadDatabase(expected, readBytes(KALDEX_SAMPLE) + cp1251(expectedText));
    ASSERT_EQ(saved.documentCount, 51);
    for (int slot = 49; slot <= 51; ++slot)
        EXPECT_EQ(fields(saved.record(slot)), fields(expected.record(slot))) << "document " << slot;

    // Found by author and year, and the same files again add nothing.
    EXPECT_EQ(runTool({"find", "--aut", "Mul", "--ymin", "2008", "ba0"}, dir.path()).out, "49\n");
    run = runTool({"import", "journal.ris"}, dir.path());
    EXPECT_EQ(run.out, "imported 0 references into ba0, skipped 2 already there; nothing written\n");
    EXPECT_EQ(runTool({"import", "manager.bib"}, dir.path()).out,
              "imported 0 references into ba0, skipped 3 already there; nothing written\n");
}

TEST(ToolImport, WritesNothingForABrokenFileOrPastTheLimit)
{
    TempDir dir;
    prepare(dir);
    DocumentStore fixture;
    loadDatabase(fixture, threeDocuments());
    auto full = std::make_unique<DocumentStore>();
    while (full->documentCount < DocumentStore::kMaxDocuments - 2)
        full->record(++full->documentCount) = fixture.record(1);
    writeBytes(dir.file("full"), formatDatabase(*full));
    const struct {
        std::vector<std::string> args;
        int status;
        std::string says;
    } rows[] = {
        {{"import", "broken.bib"},
         2,
         "kaldex-tool: broken.bib, line 8: the braces of this entry do not close (1 more { than }); nothing "
         "imported\n"},
        {{"import", "letter.txt"},
         2,
         "kaldex-tool: letter.txt, line 1: no reference format recognised (RIS, BibTeX, EndNote, MEDLINE, NBIB, ISI, "
         "MODS); name it with --from\n"},
        {{"import", "--from", "ris", "letter.txt"},
         2,
         "kaldex-tool: letter.txt, line 1: no reference in it (read as ris)\n"},
        {{"import", "missing.ris"}, 2, "kaldex-tool: cannot read missing.ris: No such file or directory\n"},
        {{"import", "manager.bib", "full"},
         1,
         "kaldex-tool: full holds 4997 documents and manager.bib adds 3: more than 4999; nothing written\n"},
    };
    const std::string before = listing(dir.path());
    const std::string sample = readBytes(dir.file("ba0"));
    for (const auto &row : rows) {
        SCOPED_TRACE(row.args.back());
        ToolRun run = runTool(row.args, dir.path());
        EXPECT_EQ(run.status, row.status);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, row.says);
        EXPECT_EQ(listing(dir.path()), before);
    }
    EXPECT_EQ(readBytes(dir.file("ba0")), sample);
}
