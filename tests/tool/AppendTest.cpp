// "append": a side file's documents into the database, saved as the program saves.
#include "ToolRun.h"

#include "TestFiles.h"
#include "core/store/ChangeMark.h"
#include "core/store/DatabaseLoader.h"
#include "core/store/DatabaseWriter.h"

#include <algorithm>
#include <sys/stat.h>

using namespace kaldex;
using namespace kaldex::test;

namespace {

// A citation and its line count, as the entry window stores them.
void setCitation(DocumentRecord &record, const std::string &citation)
{
    record.citation = citation;
    record.citationLines = 1 + static_cast<int32_t>(std::count(citation.begin(), citation.end(), '\n'));
}

// A database of copies of the three fixture records (1..3), each citation replaced unless empty.
std::string database(const std::vector<std::pair<int, std::string>> &records)
{
    DocumentStore fixture;
    loadDatabase(fixture, threeDocuments());
    std::string out;
    int number = 0;
    for (const auto &[from, citation] : records) {
        DocumentRecord record = fixture.record(from);
        if (!citation.empty())
            setCitation(record, citation);
        appendRecord(out, record, ++number);
    }
    return out;
}

// The documents of two files, as a load reads them, are the same, numbered as a save numbers them; the file lines
// they were read from aside.
void expectDocuments(const std::string &actual, const std::string &expected)
{
    DocumentStore saved;
    DocumentStore wanted;
    loadDatabase(saved, actual);
    loadDatabase(wanted, expected);
    ASSERT_EQ(saved.documentCount, wanted.documentCount);
    for (int slot = 1; slot <= saved.documentCount; ++slot) {
        wanted.record(slot).number = slot;
        EXPECT_EQ(fields(saved.record(slot)), fields(wanted.record(slot))) << "document " << slot;
    }
}

// The side file of a session on bytes that changed each (slot, citation) and then, where there is room, added a
// copy of record 1.
std::string sideFile(const std::string &loaded, const std::vector<std::pair<int, std::string>> &changes)
{
    DocumentStore session;
    loadDatabase(session, loaded);
    for (const auto &[slot, citation] : changes) {
        session.loadedState[static_cast<size_t>(slot)] = storedState(session.record(slot));
        session.storedThisSession[static_cast<size_t>(slot)] = true;
        setCitation(session.record(slot), citation);
    }
    if (session.documentCount < DocumentStore::kMaxDocuments) {
        session.record(++session.documentCount) = session.record(1);
        setCitation(session.record(session.documentCount), "added\n");
        session.storedThisSession[static_cast<size_t>(session.documentCount)] = true;
    }
    return formatSessionDocuments(session);
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
    EXPECT_EQ(readBytes(dir.file(backup)), threeDocuments());
    EXPECT_EQ(listing(dir.path()), backup + " ba0 side ");

    // Numbered 1..5: the three, then the changed copy and the new one.
    expectDocuments(readBytes(dir.file("ba0")), threeDocuments() + database({{1, "changed\n"}, {3, "new\n"}}));

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

// A side file's changes replace the documents they changed, unless those changed meanwhile.
TEST(ToolAppend, ChangesLandInPlaceAndAConflictKeepsBoth)
{
    TempDir dir;
    writeBytes(dir.file("side"), sideFile(threeDocuments(), {{2, "session 2\n"}, {3, "session 3\n"}}));
    EXPECT_EQ(runTool({"check", "side"}, dir.path()).out, "") << "the marks are no problem";
    writeBytes(dir.file("ba0"), database({{1, ""}, {2, ""}, {3, "other 3\n"}}));
    ToolRun run = runTool({"append", "side"}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string backup = listing(dir.path()).substr(0, listing(dir.path()).find(' '));
    EXPECT_EQ(run.out, "added 2 documents to ba0 (now 5), changed 1 in place, skipped 0 already there; the old file "
                       "is kept as " +
                           backup + "\n");
    EXPECT_EQ(run.err, "kaldex-tool: document 3 of ba0 is no longer as the session that changed it loaded it; both "
                       "are kept: the session's version is document 4\n");
    expectDocuments(readBytes(dir.file("ba0")),
                    database({{1, ""}, {2, "session 2\n"}, {3, "other 3\n"}, {3, "session 3\n"}, {1, "added\n"}}));

    run = runTool({"append", "side"}, dir.path());
    EXPECT_EQ(run.out, "added 0 documents to ba0, skipped 3 already there; nothing written\n");
}

// Past the documents a store holds, changes still land and the rest of the file stays as it was.
TEST(ToolAppend, ChangesLandInADatabaseLargerThanTheStore)
{
    TempDir dir;
    std::vector<std::pair<int, std::string>> many;
    for (int i = 1; i <= DocumentStore::kMaxDocuments + 2; ++i)
        many.push_back({1, std::to_string(i) + "\n"});
    const std::string big = database(many);
    writeBytes(dir.file("ba0"), big);
    writeBytes(dir.file("side"), sideFile(big, {{2, "changed\n"}}));
    ToolRun run = runTool({"append", "side"}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "added 0 documents to ba0 (past its first 4999 documents kept as it was), changed 1 in place, "
                       "skipped 0 already there; the old file is kept as " +
                           listing(dir.path()).substr(0, listing(dir.path()).find(' ')) + "\n");
    many[1].second = "changed\n";
    const std::string saved = readBytes(dir.file("ba0"));
    expectDocuments(saved, database(many));
    const std::string unloaded = big.substr(database({many.begin(), many.end() - 2}).size());
    EXPECT_TRUE(sameBytes(saved.substr(saved.size() - unloaded.size()), unloaded));

    // Made on another file, the change no longer fits document 2 and must be added, as must the new one.
    writeBytes(dir.file("side"), sideFile(threeDocuments(), {{2, "changed\n"}}));
    run = runTool({"append", "side"}, dir.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "kaldex-tool: ba0 holds more than 4999 documents, so the 2 documents of side that must be "
                       "added cannot be; nothing written\n");
}
