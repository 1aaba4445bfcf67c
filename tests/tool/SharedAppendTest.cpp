// Many appends to one "ba0" at once with the lock out of action in each way it can be: "ba0"
// ends up holding exactly what each of them reported, and is never empty or partial meanwhile.
// The lock's refusals say why and whose; a file-size limit is a failed write like any other.
#include "ToolRun.h"

#include "TestFiles.h"
#include "core/store/DatabaseLoader.h"
#include "core/store/DatabaseWriter.h"
#include "core/store/FileBytes.h"

#include <atomic>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <set>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

using namespace kaldex;
using namespace kaldex::test;

namespace {

// A kaldex-tool started in dir with words added to its environment, under a file-size limit.
class Started {
public:
    Started(const std::vector<std::string> &args, const std::string &dir, const std::vector<std::string> &env,
            rlim_t fileSize = RLIM_INFINITY)
    {
        std::vector<std::string> words = {KALDEX_TOOL};
        words.insert(words.end(), args.begin(), args.end());
        std::vector<std::string> all = env;
        for (char **entry = environ; *entry; ++entry) {
            const std::string word = *entry;
            bool replaced = false;
            for (const std::string &added : env)
                replaced = replaced || word.compare(0, added.find('=') + 1, added, 0, added.find('=') + 1) == 0;
            if (!replaced)
                all.push_back(word);
        }
        std::vector<char *> argv, envp;
        for (std::string &word : words)
            argv.push_back(word.data());
        for (std::string &word : all)
            envp.push_back(word.data());
        argv.push_back(nullptr);
        envp.push_back(nullptr);
        pid_ = ::fork();
        if (pid_ == 0) {
            const int out = ::open(capture_.file("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int err = ::open(capture_.file("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const rlimit limit{fileSize, fileSize};
            if (::chdir(dir.c_str()) != 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 ||
                ::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                ::_exit(126);
            ::execve(KALDEX_TOOL, argv.data(), envp.data());
            ::_exit(127);
        }
    }

    /** Waits for it: status -1 when a signal ended it. */
    ToolRun finish()
    {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        ToolRun run;
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.out = readBytes(capture_.file("out"));
        run.err = readBytes(capture_.file("err"));
        return run;
    }

private:
    TempDir capture_;
    pid_t pid_ = -1;
};

std::vector<std::string> preloaded(std::vector<std::string> env)
{
    env.push_back(std::string("LD_PRELOAD=") + KALDEX_LOCK_SHIM);
    env.push_back("ASAN_OPTIONS=verify_asan_link_order=0");  // the sanitizer tree's tool
    return env;
}

}  // namespace

TEST(SharedFile, ManyAppendsAtOnceWithoutAWorkingLockAddExactlyWhatTheyReport)
{
    constexpr int kAppends = 20;
    const struct {
        const char *name;
        bool lockFolder;  // then no lock can be had, and the appends are told to write without one
        std::vector<std::string> env;
    } rows[] = {
        {"ba0.lock is a folder", true, preloaded({"KALDEX_RENAME_DELAY_MS=5"})},
        {"flock fails with ENOLCK", false, preloaded({"KALDEX_FLOCK=fails", "KALDEX_RENAME_DELAY_MS=5"})},
        {"flock succeeds in every process", false, preloaded({"KALDEX_FLOCK=everyone", "KALDEX_RENAME_DELAY_MS=5"})},
        {"ba0.lock is a folder, and the file system cannot swap", true,
         preloaded({"KALDEX_EXCHANGE=unsupported", "KALDEX_RENAME_DELAY_MS=5"})},
    };
    DocumentStore original;
    loadDatabase(original, threeDocuments());
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        writeBytes(dir.file("ba0"), threeDocuments());
        if (row.lockFolder)
            std::filesystem::create_directory(dir.file("ba0.lock"));
        for (int i = 0; i < kAppends; ++i) {
            DocumentStore side;
            addDocument(side, "Append" + std::to_string(i));
            writeBytes(dir.file("side" + std::to_string(i)), formatDatabase(side));
        }

        // Whatever a reader finds meanwhile is a whole database of at least the three.
        std::atomic<bool> done{false};
        int reads = 0;
        int broken = 0;
        std::thread reader([&] {
            while (!done) {
                std::string bytes;
                DocumentStore seen;
                if (!readWholeFile(dir.file("ba0"), bytes) || bytes.size() < threeDocuments().size() ||
                    bytes.compare(bytes.size() - 5, 5, "$@$\r\n") != 0 || loadDatabase(seen, bytes).documents < 3)
                    ++broken;
                ++reads;
            }
        });
        std::vector<std::unique_ptr<Started>> started;
        for (int i = 0; i < kAppends; ++i) {
            std::vector<std::string> args = {"append", "side" + std::to_string(i), "ba0"};
            if (row.lockFolder)
                args.push_back("--without-lock");
            started.push_back(std::make_unique<Started>(args, dir.path(), row.env));
        }
        std::vector<ToolRun> runs;
        for (auto &append : started)
            runs.push_back(append->finish());
        done = true;
        reader.join();
        EXPECT_GT(reads, 0);
        EXPECT_EQ(broken, 0) << "of " << reads << " reads";

        // The three as they were, then exactly the documents of the appends that said "added".
        DocumentStore saved;
        loadDatabaseFile(saved, dir.file("ba0"));
        ASSERT_GE(saved.documentCount, 3);
        for (int slot = 1; slot <= 3; ++slot)
            EXPECT_EQ(fields(saved.record(slot)), fields(original.record(slot)));
        std::multiset<std::string> inFile;
        for (int slot = 4; slot <= saved.documentCount; ++slot)
            inFile.insert(std::string(saved.record(slot).authors[0].view()));
        std::multiset<std::string> added;
        for (int i = 0; i < kAppends; ++i) {
            SCOPED_TRACE("append " + std::to_string(i));
            const ToolRun &run = runs[static_cast<size_t>(i)];
            if (run.status == 0) {
                added.insert("Append" + std::to_string(i));
                EXPECT_EQ(run.out.rfind("added 1 document to ba0 (now ", 0), 0u) << run.out;
                continue;
            }
            EXPECT_GE(run.status, 1) << "ended by a signal";
            EXPECT_EQ(run.out, "");
            EXPECT_EQ(run.err.rfind("kaldex-tool: ba0 ", 0), 0u) << run.err;
        }
        EXPECT_EQ(inFile, added);
        EXPECT_FALSE(added.empty());
        EXPECT_EQ(saveFiles(dir.path()), row.lockFolder ? "ba0.lock " : "");
    }
}

TEST(SharedFile, AppendSaysWhyItCannotLockAndWhoHoldsTheLock)
{
    TempDir dir;
    writeBytes(dir.file("ba0"), threeDocuments());
    DocumentStore side;
    addDocument(side, "Side");
    writeBytes(dir.file("side"), formatDatabase(side));

    std::filesystem::create_directory(dir.file("ba0.lock"));
    ToolRun run = runTool({"append", "side"}, dir.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("kaldex-tool: cannot lock ba0: ba0.lock is a directory; nothing written. Without the "
                            "lock another program may save ba0 at the same moment; --without-lock writes",
                            0),
              0u)
        << run.err;
    EXPECT_EQ(readBytes(dir.file("ba0")), threeDocuments());
    std::filesystem::remove(dir.file("ba0.lock"));

    // Another kaldex-tool on this computer, still running, left its line in the lock file.
    TempDir bin;
    std::filesystem::create_symlink("/bin/sleep", bin.file("kaldex-tool"));
    const pid_t holder = ::fork();
    if (holder == 0) {
        ::execl(bin.file("kaldex-tool").c_str(), "kaldex-tool", "60", static_cast<char *>(nullptr));
        ::_exit(127);
    }
    char host[128] = {};
    ::gethostname(host, sizeof host - 1);
    writeBytes(dir.file("ba0.lock"),
               std::to_string(holder) + " " + host + " " + std::to_string(std::time(nullptr)) + " kaldex-tool\n");
    for (int wait = 0; wait < 5000 && readBytes("/proc/" + std::to_string(holder) + "/comm") != "kaldex-tool\n"; ++wait)
        ::usleep(1000);  // until it runs as itself
    run = runTool({"append", "side"}, dir.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "kaldex-tool: ba0 is being changed by another kaldex-tool (process " + std::to_string(holder) +
                           " on " + host + "); nothing written, try again when it has finished\n");
    EXPECT_EQ(readBytes(dir.file("ba0")), threeDocuments());

    // Once it has ended, the lock file it left is taken over and removed at the end.
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    run = runTool({"append", "side"}, dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(saveFiles(dir.path()), "");
}

TEST(SharedFile, AppendUnderAFileSizeLimitSaysSoAndLeavesEverythingAsItWas)
{
    TempDir dir;
    writeBytes(dir.file("ba0"), threeDocuments());
    DocumentStore side;
    addDocument(side, "Side");
    writeBytes(dir.file("side"), formatDatabase(side));
    // Room for the lock file's line, not for the new "ba0".
    ToolRun run = Started({"append", "side"}, dir.path(), {}, threeDocuments().size()).finish();
    EXPECT_EQ(run.status, 2) << "-1: ended by a signal";
    EXPECT_NE(run.err.find("kaldex-tool: ba0 not saved: cannot write the new file ba0.new-"), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find(": File too large (the file-size limit, see ulimit -f); it is left as it was\n"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(readBytes(dir.file("ba0")), threeDocuments());
    EXPECT_EQ(listing(dir.path()), "ba0 side ");
}
