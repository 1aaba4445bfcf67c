#include "ToolRun.h"

#include "TestFiles.h"

using namespace kaldex;
using namespace kaldex::test;

namespace {

const std::string kQuery = dataFile("search/query.ba0");

}  // namespace

// The hits of tests/data/search/query.ba0, as the Query cases give them, alone
// on standard output; the search window's message on standard error.
TEST(ToolFind, AgreesWithTheSearchCode)
{
    const struct {
        std::vector<std::string> args;
        const char *out;
        const char *err;
        int status;
    } cases[] = {
        {{"--key", "vis", "--key", "Cond"}, "5\n", "", 0},
        {{"--sub", "Аргон", "Ксенон"}, "4\n", "", 0},
        {{"--aut", "Kes"}, "1\n", "", 0},
        {{"--ymax", "1959"}, "4\n7\n", "", 0},
        {{"--text", "аргона,\nточность"}, "5\n", "", 0},
        {{"--key", "Exp", "--number", "3"}, "3\n", "", 0},
        {{}, "", "Ошибки в задании\n", 1},
        {{"--ymax", "1970", "--ymin", "1980"}, "", "Год <=>= Противор.\n", 1},
        {{"--aut", "Zz"}, "", "Док.не найд.\n", 3},
        {{"--number", "10"}, "", "Ном.док.не найд.\n", 3},
    };
    for (const auto &c : cases) {
        std::vector<std::string> args = {"find"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.push_back(kQuery);
        ToolRun run = runTool(args);
        EXPECT_EQ(run.out, c.out) << args[1];
        EXPECT_EQ(run.err, c.err) << args[1];
        EXPECT_EQ(run.status, c.status) << args[1];
    }
    EXPECT_EQ(runTool({"--cp1251", "find", "--number", "0", kQuery}).err, cp1251("Ном.док.не найд.\n"));
    const ToolRun latin1 = runTool({"find", "--aut", "M\xfcller", kQuery});
    EXPECT_EQ(latin1.err, "kaldex-tool: the argument \"M\\xFCller\" is not UTF-8 (byte 2); arguments are read as "
                          "UTF-8: set a UTF-8 locale or convert them\n");
    EXPECT_EQ(runTool({"--version"}).out, "kaldex-tool 0.1\n");
}

// The texts themselves: DocumentLayout and PocketReport tests.
TEST(ToolShowReport, EqualTheWindowTexts)
{
    ToolRun show = runTool({"show", "5", kQuery});
    EXPECT_EQ(show.out.substr(0, show.out.find('\n')), "Номер документа= 5");
    EXPECT_NE(show.out.find("\nПрецизионные измерения вязкости гелия и аргона,\nточность 0.1%\n"), std::string::npos);
    EXPECT_EQ(runTool({"show", "--cp1251", "5", kQuery}).out, cp1251(show.out));
    EXPECT_EQ(runTool({"show", "10", kQuery}).status, 1);
    // Byte 0x98, which Windows-1251 leaves unassigned, is U+0098, as the windows show it.
    const std::string unassigned = runTool({"show", "5", dataFile("tool/problems.ba0")}).out;
    EXPECT_NE(unassigned.find("\nbad \xC2\x98 byte\n"), std::string::npos) << unassigned;

    // The pocket report of 3, 1, 3: three blocks in that order.
    ToolRun run = runTool({"report", "3", "1", "3", kQuery});
    EXPECT_EQ(run.status, 0);
    size_t blocks = 0;
    for (size_t at = 0; (at = run.out.find("$$                              KALDEX\n", at)) != std::string::npos; ++at)
        ++blocks;
    EXPECT_EQ(blocks, 3u);
    const size_t first = run.out.find("Номер документа= 3\n");
    const size_t second = run.out.find("Номер документа= 1\n");
    EXPECT_LT(first, second);
    EXPECT_NE(run.out.find("Номер документа= 3\n", second), std::string::npos);
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
        {"find", "--aut", "ẞ", kQuery},
        {"export", "--csv", "/nonexistent/ba0"},
    };
    for (const auto &args : wrong) {
        ToolRun run = runTool(args);
        const std::string name = (args.empty() ? "" : args[0]) + " " + (args.size() > 1 ? args[1] : "");
        EXPECT_EQ(run.status, 2) << name;
        EXPECT_NE(run.err.find(args.size() == 4 && args[2] == "ẞ" ? "Windows-1251" : "kaldex-tool"), std::string::npos)
            << run.err;
        EXPECT_EQ(run.out, "") << name;
    }
    ToolRun help = runTool({"report", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: kaldex-tool report", 0), 0u) << help.out;
}
