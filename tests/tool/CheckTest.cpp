#include "ToolRun.h"

#include "TestFiles.h"
#include "core/store/DatabaseWriter.h"

#include <sstream>

using namespace kaldex::test;

namespace {

const std::string kSample = KALDEX_SAMPLE;

std::string fixture(const std::string &name)
{
    return dataFile("tool/" + name);
}

struct Planted {
    const char *prefix;  // "document D, line L: "
    const char *words;   // part of the message
};

void expectFinds(const ToolRun &run, std::initializer_list<Planted> planted)
{
    for (const Planted &p : planted) {
        std::istringstream lines(run.out);
        bool found = false;
        for (std::string line; std::getline(lines, line);)
            found = found || (line.rfind(p.prefix, 0) == 0 && line.find(p.words) != std::string::npos);
        EXPECT_TRUE(found) << p.prefix << p.words << "\nin:\n" << run.out;
    }
}

}  // namespace

TEST(ToolCheck, SoundFilesPass)
{
    for (const std::string &path : {kSample, dataFile("search/query.ba0")}) {
        ToolRun run = runTool({"check", path});
        EXPECT_EQ(run.status, 0) << path << run.out;
        EXPECT_EQ(run.out, "") << path;
    }
}

TEST(ToolCheck, FindsEachPlantedProblem)
{
    ToolRun run = runTool({"check", fixture("problems.ba0")});
    EXPECT_EQ(run.status, 1);
    expectFinds(run, {
                         {"document 2, line 21: ", "(abstract line count) \"x\" is not a number"},
                         {"document 3, line 40: ", "gap in the author names"},
                         {"document 4, line 55: ", "citation: 1 text line(s), but the line count says 5"},
                         {"document 5, line 80: ", "cut at its \"$\""},
                         {"document 5, line 83: ", "byte 0x98 at column 5"},
                         {"document 6, line 95: ", "more than 5 substance names"},
                         {"document 7, line 110: ", "18 items where 19 belong"},
                         {"document 8, line 135: ", "looks like a marker cuts the notes short: \"$5 per sample\""},
                         {"document 8, line 137: ", "end line \"$@$\" is missing"},
                     });
    EXPECT_EQ(run.out.find("document 1,"), std::string::npos) << "the first record is sound";
    EXPECT_NE(run.err.find("8 documents"), std::string::npos) << run.err;

    run = runTool({"check", fixture("truncated.ba0")});
    EXPECT_EQ(run.status, 1);
    expectFinds(run, {{"document 2, line 24: ", "truncated in its second number line"}});

    // The last record's provenance runs to the end of the file: loaded, and said so.
    const std::string first = readBytes(kSample).substr(0, readBytes(kSample).find("$@$\r\n"));
    TempDir dir;
    writeBytes(dir.file("ba0"), first);
    run = runTool({"check", dir.file("ba0")});
    EXPECT_EQ(run.status, 1);
    expectFinds(run, {{"document 1, line ", "its end line \"$@$\" is missing"}});
    EXPECT_NE(run.err.find(": 1 document, 1 problem\n"), std::string::npos) << run.err;
}

TEST(ToolCheck, AgreesWithTheProgramOnWhatIsLost)
{
    // 4999 records: the sample 104 times, then its first 7.
    const std::string sample = readBytes(kSample);
    size_t seven = 0;
    for (int k = 0; k < 7; ++k)
        seven = sample.find("$@$\r\n", seven) + 5;
    std::string full;
    for (int i = 0; i <= 104; ++i)
        full += i < 104 ? sample : sample.substr(0, seven);

    // Only a record the loader would count is beyond the table; an add left
    // without "OK" (counts 0, texts empty) is what the program itself writes.
    std::string abandoned;
    kaldex::appendRecord(abandoned, kaldex::DocumentRecord{}, 1);
    TempDir dir;
    const std::pair<std::string, int> rows[] = {
        {full, 0}, {full + "stray line\r\n", 0}, {full + sample.substr(0, seven), 1}, {abandoned, 0}};
    for (const auto &[bytes, status] : rows) {
        writeBytes(dir.file("ba0"), bytes);
        ToolRun run = runTool({"check", dir.file("ba0")});
        EXPECT_EQ(run.status, status) << bytes.size() << run.out;
        if (status)
            expectFinds(run, {{"document 5000, line ", "the program refuses to save over this file"}});
        EXPECT_EQ(run.out.empty(), status == 0);
    }

    // The file is read a piece at a time: a byte deep in it is found where it is.
    std::string planted = full;
    const size_t at = planted.rfind("\r\n", planted.size() - 50000) + 2;  // a line start near the end
    planted.insert(at, "\x98");
    writeBytes(dir.file("ba0"), planted);
    const auto before = [&](const std::string &what) {
        size_t n = 0;
        for (size_t i = planted.find(what); i < at; i = planted.find(what, i + 1))
            ++n;
        return n;
    };
    ToolRun run = runTool({"check", dir.file("ba0")});
    const std::string where =
        "document " + std::to_string(before("$@$\r\n") + 1) + ", line " + std::to_string(before("\n") + 1) + ": ";
    expectFinds(run, {{where.c_str(), "byte 0x98 at column 1"}});
}
