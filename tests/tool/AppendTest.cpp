// "append": a side file's documents into the database, saved as the program
// saves; and every command opens files as the program does.
#include "ToolRun.h"

#include "TestFiles.h"
#include "store/DatabaseLoader.h"
#include "store/DatabaseWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace kaldex;
using namespace kaldex::test;

namespace {

std::string threeDocuments() { return readBytes(dataFile("store/expected.ba0")); }

// A database of the given records (each a copy of one of the three fixture records, changed by change).
std::string database(const std::vector<std::pair<int, std::string>> &records)
{
    DocumentStore fixture;
    loadDatabase(fixture, threeDocuments());
    auto store = std::make_unique<DocumentStore>();
    for (const auto &[from, citation] : records) {
        DocumentRecord &record = store->record(++store->documentCount);
        record = fixture.record(from);
        if (!citation.empty())
            record.citation = citation;
    }
    return formatDatabase(*store);
}

std::vector<std::string> names(const std::string &dir)
{
    std::vector<std::string> all;
    for (const auto &entry : std::filesystem::directory_iterator(dir))
        all.push_back(entry.path().filename());
    std::sort(all.begin(), all.end());
    return all;
}

}  // namespace

TEST(ToolAppend, AddsWhatIsNewSkipsWhatIsThereAndRenumbers)
{
    TempDir dir;
    writeBytes(dir.file("ba0"), threeDocuments());
    // A side file: document 2 again (skipped), a changed copy of 1 (new), a new one twice (added once).
    writeBytes(dir.file("side"), database({{2, ""}, {1, "changed\n"}, {3, "new\n"}, {3, "new\n"}}));

    ToolRun run = runTool({"append", "side"}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string backup = run.out.substr(run.out.rfind(' ') + 1, run.out.size() - run.out.rfind(' ') - 2);
    EXPECT_EQ(run.out, "added 2 documents to ba0 (now 5), skipped 2 already there; the old file is kept as " +
                           backup + "\n");
    EXPECT_EQ(backup.substr(backup.size() - 2), "_0");
    EXPECT_EQ(readBytes(dir.file(backup)), threeDocuments());
    EXPECT_EQ(names(dir.path()), (std::vector<std::string>{backup, "ba0", "side"}));

    // The result, numbered 1..5, is what the program would save of these five documents.
    DocumentStore saved;
    loadDatabase(saved, readBytes(dir.file("ba0")));
    ASSERT_EQ(saved.documentCount, 5);
    for (int slot = 1; slot <= 5; ++slot)
        EXPECT_EQ(saved.record(slot).number, slot);
    EXPECT_EQ(fields(saved.record(4)), [] {
        DocumentStore one;
        loadDatabase(one, database({{1, "changed\n"}}));
        one.record(1).number = 4;
        return fields(one.record(1));
    }());
    EXPECT_EQ(saved.record(5).citation, "new\n");

    // Again: everything is there now, nothing is written.
    run = runTool({"append", "side", "ba0"}, dir.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "added 0 documents to ba0, skipped 4 already there; nothing written\n");
    EXPECT_EQ(names(dir.path()).size(), 3u);
}

TEST(ToolAppend, RefusesWithoutWritingWhenTheResultWouldNotFitOrIntoIsNoDatabase)
{
    TempDir dir;
    std::vector<std::pair<int, std::string>> many;
    for (int i = 1; i <= DocumentStore::kMaxDocuments - 1; ++i)
        many.push_back({1, std::to_string(i) + "\n"});
    const std::string full = database(many);
    writeBytes(dir.file("ba0"), full);
    writeBytes(dir.file("side"), database({{2, ""}, {3, ""}}));
    ToolRun run = runTool({"append", "side"}, dir.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "kaldex-tool: ba0 holds 4998 documents and side adds 2: more than 4999; nothing written\n");
    EXPECT_EQ(readBytes(dir.file("ba0")), full);
    EXPECT_EQ(names(dir.path()), (std::vector<std::string>{"ba0", "side"}));

    // One fits.
    writeBytes(dir.file("side"), database({{2, ""}}));
    EXPECT_EQ(runTool({"append", "side"}, dir.path()).status, 0);

    for (const std::string &into : {std::string("missing"), std::string("zeros"), std::string("text")}) {
        SCOPED_TRACE(into);
        if (into == "zeros")
            writeBytes(dir.file(into), std::string(1 << 16, '\0'));
        if (into == "text")
            writeBytes(dir.file(into), "root:x:0:0:root:/root:/bin/bash\n");
        const auto before = names(dir.path());
        run = runTool({"append", "side", into}, dir.path());
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find(into), std::string::npos) << run.err;
        EXPECT_EQ(names(dir.path()), before);
    }
}

TEST(ToolAppend, EveryCommandOpensFilesAsTheProgramDoes)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0644), 0);
    writeBytes(dir.file("zeros"), std::string(1 << 16, '\0'));
    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    const Case cases[] = {
        {{"check", "/dev/zero"}, "/dev/zero is not a plain file but a device"},
        {{"check", "pipe"}, "pipe is not a plain file but a named pipe"},
        {{"find", "--key", "Visc", "pipe"}, "pipe is not a plain file but a named pipe"},
        {{"show", "1", "/dev/zero"}, "/dev/zero is not a plain file but a device"},
        {{"append", "pipe"}, "pipe is not a plain file but a named pipe"},
        {{"check", "zeros"}, "zeros is not a database: it holds binary data"},
        {{"export", "--csv", "zeros"}, "zeros is not a database: it holds binary data"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args.back());
        ToolRun run = runTool(c.args, dir.path());
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    }
}
