// "append": a side file's documents into the database, saved as the program saves.
#include "ToolRun.h"

#include "TestFiles.h"
#include "core/store/DatabaseLoader.h"
#include "core/store/DatabaseWriter.h"

#include <sys/stat.h>

using namespace kaldex;
using namespace kaldex::test;

namespace {

// A database of copies of the three fixture records (1..3), each citation replaced unless empty.
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

}  // namespace

TEST(ToolAppend, AddsWhatIsNewSkipsWhatIsThereAndRenumbers)
{
    TempDir dir;
    writeBytes(dir.file("ba0"), threeDocuments());
    // A side file: document 2 again (skipped), a changed copy of 1 (new), a new one twice (added once).
    writeBytes(dir.file("side"), database({{2, ""}, {1, "changed\n"}, {3, "new\n"}, {3, "new\n"}}));
    ToolRun run = runTool({"append", "side"}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string backup = listing(dir.path()).substr(0, listing(dir.path()).find(' '));
    EXPECT_EQ(run.out,
              "added 2 documents to ba0 (now 5), skipped 2 already there; the old file is kept as " + backup + "\n");
    EXPECT_EQ(backup.substr(backup.size() - 2), "_0");
    EXPECT_EQ(readBytes(dir.file(backup)), threeDocuments());
    EXPECT_EQ(listing(dir.path()), backup + " ba0 side ");

    // Numbered 1..5: the three, then the changed copy and the new one.
    DocumentStore saved, expected;
    loadDatabase(saved, readBytes(dir.file("ba0")));
    loadDatabase(expected, threeDocuments() + database({{1, "changed\n"}, {3, "new\n"}}));
    ASSERT_EQ(saved.documentCount, 5);
    for (int slot = 1; slot <= 5; ++slot) {
        expected.record(slot).number = slot;
        EXPECT_EQ(fields(saved.record(slot)), fields(expected.record(slot)));
    }

    // Again: everything is there now, nothing is written.
    run = runTool({"append", "side", "ba0"}, dir.path());
    EXPECT_EQ(run.out + std::to_string(run.status),
              "added 0 documents to ba0, skipped 4 already there; nothing written\n0");
    EXPECT_EQ(listing(dir.path()), backup + " ba0 side ");
}

TEST(ToolAppend, RefusesWithoutWritingPastTheLimitOrFromAndIntoWhatIsNoDatabase)
{
    TempDir dir;
    std::vector<std::pair<int, std::string>> many;
    for (int i = 1; i <= DocumentStore::kMaxDocuments - 1; ++i)
        many.push_back({1, std::to_string(i) + "\n"});
    writeBytes(dir.file("ba0"), database(many));
    writeBytes(dir.file("side"), database({{2, ""}, {3, ""}}));
    writeBytes(dir.file("one"), database({{2, ""}}));
    writeBytes(dir.file("zeros"), std::string(1 << 16, '\0'));
    std::string controls;  // binary in lines: check stops listing them and names the file binary
    for (int i = 0; i < 3000; ++i)
        controls += "\x01\x02x\n";
    writeBytes(dir.file("controls"), controls);
    writeBytes(dir.file("text"), "root:x:0:0:root:/root:/bin/bash\n");
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0644), 0);
    const struct {
        std::vector<std::string> args;
        int status;
        std::string says;
    } rows[] = {
        {{"append", "side"},
         1,
         "kaldex-tool: ba0 holds 4998 documents and side adds 2: more than 4999; nothing written\n"},
        {{"append", "one", "missing"}, 2, "missing"},
        {{"append", "one", "zeros"}, 2, "zeros is not a database: it holds binary data"},
        {{"append", "one", "text"}, 2, "text"},
        {{"append", "pipe"}, 2, "pipe is not a plain file but a named pipe"},
        {{"check", "/dev/zero"}, 2, "/dev/zero is not a plain file but a device"},
        {{"check", "zeros"}, 2, "zeros is not a database: it holds binary data"},
        {{"check", "controls"}, 2, "controls is not a database: it holds binary data"},
        {{"export", "--csv", "zeros"}, 2, "zeros is not a database: it holds binary data"},
    };
    const std::string before = listing(dir.path());
    const std::string full = readBytes(dir.file("ba0"));
    for (const auto &row : rows) {
        SCOPED_TRACE(row.args[0] + " " + row.args.back());
        ToolRun run = runTool(row.args, dir.path());
        EXPECT_EQ(std::to_string(run.status) + run.out, std::to_string(row.status));
        EXPECT_NE(run.err.find(row.says), std::string::npos) << run.err;
        EXPECT_EQ(listing(dir.path()), before);
    }
    EXPECT_EQ(readBytes(dir.file("ba0")), full);
    EXPECT_EQ(runTool({"append", "one"}, dir.path()).status, 0);  // one more fits
}
