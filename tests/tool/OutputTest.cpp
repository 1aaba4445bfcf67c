#include "ToolRun.h"

#include "TestFiles.h"
#include "editor/PocketReport.h"
#include "search/Query.h"
#include "store/CodePage.h"
#include "store/DatabaseLoader.h"
#include "store/DatabaseWriter.h"
#include "viewer/DocumentLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace kaldex;
using namespace kaldex::test;

namespace {

const std::string kQuery = dataFile("search/query.ba0");

std::unique_ptr<DocumentStore> loaded(const std::string &path)
{
    auto store = std::make_unique<DocumentStore>();
    loadDatabase(*store, readBytes(path));
    return store;
}

// RFC 4180 reader: quoted fields may hold commas, doubled quotes and line ends.
std::vector<std::vector<std::string>> parseCsv(const std::string &text, bool &wellFormed)
{
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    wellFormed = true;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '"') {
            for (++i;; ++i) {
                if (i >= text.size()) {
                    wellFormed = false;
                    return rows;
                }
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        field += '"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += text[i];
            }
        }
        if (i < text.size() && text[i] == ',') {
            row.push_back(field);
            field.clear();
            ++i;
        } else if (text.compare(i, 2, "\r\n") == 0) {
            row.push_back(field);
            field.clear();
            rows.push_back(row);
            row.clear();
            i += 2;
        } else if (i < text.size()) {
            if (text[i] == '"' || text[i] == '\r' || text[i] == '\n')
                wellFormed = false;
            field += text[i++];
        }
    }
    wellFormed = wellFormed && row.empty() && field.empty();
    return rows;
}

std::string utf8(const std::string &cp1251Bytes)
{
    return utf8FromCp1251(cp1251Bytes);
}

}  // namespace

TEST(ToolFind, AgreesWithTheSearchCode)
{
    struct Case {
        std::vector<std::string> args;
        QueryInput input;
    };
    auto with = [](auto set) {
        QueryInput input;
        set(input);
        return input;
    };
    const Case cases[] = {
        {{"--key", "Visc"}, with([](QueryInput &q) { q.categories[Vis] = true; })},
        {{"--key", "vis", "--key", "Cond"}, with([](QueryInput &q) { q.categories[Vis] = q.categories[Con] = true; })},
        {{"--sub", "Ar", "7"}, with([](QueryInput &q) { q.bySubstances = true, q.substance1 = "Ar", q.substance2 = "7"; })},
        {{"--sub", "Аргон", "Ксенон"}, with([](QueryInput &q) {
             q.bySubstances = true, q.substance1 = cp1251("Аргон"), q.substance2 = cp1251("Ксенон");
         })},
        {{"--aut", "Kes"}, with([](QueryInput &q) { q.byAuthor = true, q.author = "Kes"; })},
        {{"--aut", "Го"}, with([](QueryInput &q) { q.byAuthor = true, q.author = cp1251("Го"); })},
        {{"--aut", ""}, with([](QueryInput &q) { q.byAuthor = true; })},
        {{"--ymax", "1959"}, with([](QueryInput &q) { q.byUpperYear = true, q.upperYear = "1959"; })},
        {{"--ymax", "1970", "--ymin", "1980"}, with([](QueryInput &q) {
             q.byUpperYear = q.byLowerYear = true, q.upperYear = "1970", q.lowerYear = "1980";
         })},
        {{"--text", "колб"}, with([](QueryInput &q) { q.text = cp1251("колб"); })},
        {{"--text", "аргона,\nточность"}, with([](QueryInput &q) { q.text = cp1251("аргона,\nточность"); })},
        {{"--key", "Exp", "--number", "3"}, with([](QueryInput &q) { q.categories[Exp] = true, q.byNumber = true, q.number = "3"; })},
        {{"--number", "10"}, with([](QueryInput &q) { q.byNumber = true, q.number = "10"; })},
        {{"--aut", "Zz"}, with([](QueryInput &q) { q.byAuthor = true, q.author = "Zz"; })},
        {{}, QueryInput{}},
    };
    for (const Case &c : cases) {
        auto store = loaded(kQuery);
        std::string expected;
        int status = 0;
        switch (QueryOutcome outcome = runQuery(*store, c.input)) {
        case QueryOutcome::Found:
            for (int i = 1; i <= store->foundCount; ++i)
                expected += std::to_string(store->foundList[static_cast<size_t>(i)]) + "\n";
            break;
        case QueryOutcome::NumberFound:
            expected = std::to_string(store->query().wantedNumber) + "\n";
            break;
        case QueryOutcome::Rejected:
            expected = "Ошибки в задании\n";
            status = 1;
            break;
        default:
            expected = utf8(outcomeMessage(outcome)) + "\n";
            status = outcome == QueryOutcome::Contradiction ? 1 : 3;
        }
        std::vector<std::string> args = {"find"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.push_back(kQuery);
        ToolRun run = runTool(args);
        std::string name = args.size() > 2 ? args[1] + " " + args[2] : "no criteria";
        EXPECT_EQ(run.out, expected) << name;
        EXPECT_EQ(run.status, status) << name;
    }
    EXPECT_EQ(runTool({"find", "--key", "Visc", kQuery}).out, "1\n4\n5\n");
    EXPECT_EQ(runTool({"find", "--sub", "Ar", "7", kQuery}).out, "1\n2\n3\n5\n6\n9\n");
    EXPECT_EQ(runTool({"--cp1251", "find", "--number", "0", kQuery}).out, cp1251("Ном.док.не найд.\n"));
}

TEST(ToolShowReport, EqualTheWindowTexts)
{
    auto store = loaded(kQuery);
    for (int slot : {1, 5, 9}) {
        std::string expected;
        for (const std::string &line : layoutDocument(store->record(slot), slot))
            expected += line + "\n";
        EXPECT_EQ(runTool({"show", std::to_string(slot), kQuery}).out, utf8(expected)) << slot;
        EXPECT_EQ(runTool({"show", "--cp1251", std::to_string(slot), kQuery}).out, expected) << slot;
    }
    for (const char *outside : {"0", "10"}) {
        ToolRun run = runTool({"show", outside, kQuery});
        EXPECT_EQ(run.status, 1) << outside;
        EXPECT_NE(run.err.find("no document"), std::string::npos) << run.err;
    }

    store->pocket[1] = 3;
    store->pocket[2] = 1;
    store->pocket[3] = 3;
    store->pocketCount = 3;
    ToolRun run = runTool({"report", "3", "1", "3", kQuery});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, utf8(reportText(buildReport(*store))));
    EXPECT_EQ(runTool({"report", "3", "12", kQuery}).status, 1);
}

TEST(ToolShowReport, RtfIsWrittenWholeAndNeverOverTheDatabase)
{
    TempDir dir;
    writeBytes(dir.file("ba0"), readBytes(kQuery));
    ToolRun run = runTool({"report", "2", "4", "--rtf", "out.rtf"}, dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    std::string rtf = readBytes(dir.file("out.rtf"));
    EXPECT_EQ(rtf.rfind("{\\rtf", 0), 0u);
    EXPECT_NE(rtf.find("Mason"), std::string::npos) << "the report of document 2";

    EXPECT_EQ(runTool({"report", "1", "--rtf", "ba0"}, dir.path()).status, 2);
    EXPECT_EQ(runTool({"report", "1", "--rtf", "./ba0"}, dir.path()).status, 2);
    EXPECT_EQ(runTool({"report", "99", "--rtf", "late.rtf"}, dir.path()).status, 1);
    EXPECT_FALSE(exists(dir.file("late.rtf"))) << "nothing written for a failed report";
    EXPECT_EQ(readBytes(dir.file("ba0")), readBytes(kQuery));
}

TEST(ToolExport, CsvRoundTrips)
{
    // A document whose fields need quoting, beside the fixture's own.
    auto store = loaded(kQuery);
    DocumentRecord &odd = store->record(++store->documentCount);
    odd = store->record(1);
    odd.authors[0] = cp1251("Smith, \"Jr\"");
    odd.citation = cp1251("Первая, строка\n\"вторая\"\n");
    odd.notes = "a\rb\n";
    TempDir dir;
    writeBytes(dir.file("db"), formatDatabase(*store));
    auto expected = loaded(dir.file("db"));

    ToolRun run = runTool({"export", "--csv", dir.file("db")});
    ASSERT_EQ(run.status, 0) << run.err;
    bool wellFormed = false;
    auto rows = parseCsv(run.out, wellFormed);
    EXPECT_TRUE(wellFormed);
    ASSERT_EQ(rows.size(), static_cast<size_t>(expected->documentCount) + 1);
    const std::vector<std::string> &header = rows[0];
    ASSERT_EQ(header.size(), 50u);
    EXPECT_EQ(header[9], "pair11");
    EXPECT_EQ(header[10], "pair12");
    EXPECT_EQ(header[23], "pair55");
    auto column = [&](const char *name) {
        return static_cast<size_t>(std::find(header.begin(), header.end(), name) - header.begin());
    };
    for (int slot = 1; slot <= expected->documentCount; ++slot) {
        const DocumentRecord &r = expected->record(slot);
        const std::vector<std::string> &row = rows[static_cast<size_t>(slot)];
        ASSERT_EQ(row.size(), header.size()) << slot;
        EXPECT_EQ(row[column("number")], std::to_string(r.number));
        EXPECT_EQ(row[column("author1")], utf8(r.authors[0]));
        EXPECT_EQ(row[column("substance2")], utf8(r.substances[1]));
        EXPECT_EQ(row[column("year")], std::to_string(r.year));
        EXPECT_EQ(row[column("Vis")], std::to_string(r.categoryFlags[Vis]));
        EXPECT_EQ(row[column("notesLines")], std::to_string(r.notesLines));
        EXPECT_EQ(row[column("citation")], utf8(r.citation));
        EXPECT_EQ(row[column("notes")], utf8(r.notes));
        EXPECT_EQ(row[column("provenance")], utf8(r.provenance));
    }
    EXPECT_EQ(rows.back()[column("author1")], "Smith, \"Jr\"");
    EXPECT_EQ(rows.back()[column("citation")], "Первая, строка\n\"вторая\"\n");
}

TEST(ToolUsage, WrongUseExitsTwo)
{
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"frobnicate"},
        {"find", "--bogus", kQuery},
        {"find", "--key", "Nope", kQuery},
        {"find", "--sub", "Ar"},
        {"find", kQuery, kQuery},
        {"show", kQuery},
        {"show", "x", kQuery},
        {"report", kQuery},
        {"export", kQuery},
        {"check", "--csv", kQuery},
    };
    for (const auto &args : wrong) {
        ToolRun run = runTool(args);
        EXPECT_EQ(run.status, 2) << (args.empty() ? "" : args[0]) << " " << (args.size() > 1 ? args[1] : "");
        EXPECT_NE(run.err.find("usage: kaldex-tool"), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    for (const char *command : {"check", "find", "show", "report", "export"}) {
        ToolRun run = runTool({command, "--help"});
        EXPECT_EQ(run.status, 0) << command;
        EXPECT_EQ(run.out.rfind(std::string("usage: kaldex-tool ") + command, 0), 0u) << run.out;
    }
    EXPECT_EQ(runTool({"--help"}).status, 0);

    ToolRun outside = runTool({"find", "--aut", "ẞ", kQuery});
    EXPECT_EQ(outside.status, 2);
    EXPECT_NE(outside.err.find("Windows-1251"), std::string::npos);
    EXPECT_EQ(runTool({"export", "--csv", "/nonexistent/ba0"}).status, 2);
}
