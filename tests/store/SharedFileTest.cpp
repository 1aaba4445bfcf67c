// A "ba0" in a shared folder: the save writes only over the file it loaded,
// the lock dies with its holder, links are saved through, a write-protected
// file and a file that is no database are never replaced, and a refused save
// spends no backup name.
#include "TestFiles.h"
#include "store/DatabaseFile.h"
#include "store/DatabaseLoader.h"
#include "store/DatabaseWriter.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kaldex;
using test::exists;
using test::readBytes;
using test::writeBytes;
namespace fs = std::filesystem;

namespace {

const LocalDate kDay{6, 12, 2026};

std::string threeDocuments() { return readBytes(test::dataFile("store/expected.ba0")); }

// "ba0" of three documents in a fresh folder, loaded, with a fourth stored in this session.
struct Session {
    test::TempDir dir;
    std::unique_ptr<DocumentStore> store = std::make_unique<DocumentStore>();
    explicit Session(bool load = true)
    {
        writeBytes(dir.file("ba0"), threeDocuments());
        if (load)
            reload();
    }
    void reload()
    {
        loadDatabaseFile(*store, dir.file("ba0"));
        DocumentRecord &added = store->record(++store->documentCount);
        added = DocumentRecord{};
        added.number = store->documentCount;
        added.authors[0] = "Session";
        added.citation = "added\n";
        store->storedThisSession[static_cast<size_t>(store->documentCount)] = true;
        store->modified = 1;
    }
    SaveResult save() { return saveDatabase(*store, dir.path(), kDay); }
    std::vector<std::string> names() const
    {
        std::vector<std::string> all;
        for (const auto &entry : fs::directory_iterator(dir.path()))
            all.push_back(entry.path().filename());
        std::sort(all.begin(), all.end());
        return all;
    }
};

// Another program's save: a new file renamed over "ba0".
void saveFromElsewhere(const std::string &path, const std::string &bytes)
{
    writeBytes(path + ".other", bytes);
    fs::rename(path + ".other", path);
}

}  // namespace

TEST(SharedFile, AnOutsideChangeBetweenLoadAndSaveIsKept)
{
    const std::string theirs = threeDocuments() + threeDocuments();
    {
        Session s;  // replaced by another program's save
        saveFromElsewhere(s.dir.file("ba0"), theirs);
        SaveResult result = s.save();
        EXPECT_EQ(result.status, SaveStatus::Changed);
        EXPECT_EQ(result.change, FileChange::Replaced);
        EXPECT_EQ(result.found.size, static_cast<int64_t>(theirs.size()));
        EXPECT_TRUE(result.never());
        EXPECT_EQ(readBytes(s.dir.file("ba0")), theirs);
        EXPECT_EQ(s.names(), std::vector<std::string>{"ba0"});  // no backup, no temporary file
    }
    {
        Session s;  // the same bytes count and time, one byte changed in place: only the hash tells
        const std::string path = s.dir.file("ba0");
        struct stat before {};
        ::stat(path.c_str(), &before);
        std::string edited = threeDocuments();
        edited[edited.find("Kestin")] = 'k';
        int fd = ::open(path.c_str(), O_WRONLY);
        ASSERT_EQ(::pwrite(fd, edited.data(), edited.size(), 0), static_cast<ssize_t>(edited.size()));
        const struct timespec times[2] = {before.st_atim, before.st_mtim};
        ::futimens(fd, times);
        ::close(fd);
        SaveResult result = s.save();
        EXPECT_EQ(result.status, SaveStatus::Changed);
        EXPECT_EQ(result.change, FileChange::Modified);
        EXPECT_EQ(readBytes(path), edited);
    }
    {
        Session s;  // removed
        fs::remove(s.dir.file("ba0"));
        EXPECT_EQ(s.save().change, FileChange::Removed);
        EXPECT_FALSE(exists(s.dir.file("ba0")));
    }
    {
        Session s;  // missing at the load, there at the save
        fs::remove(s.dir.file("ba0"));
        s.reload();
        writeBytes(s.dir.file("ba0"), theirs);
        EXPECT_EQ(s.save().change, FileChange::Appeared);
        EXPECT_EQ(readBytes(s.dir.file("ba0")), theirs);
    }
    {
        Session s;  // unchanged: saved, and a second save of the same run goes through too
        ASSERT_EQ(s.save().status, SaveStatus::Saved);
        ASSERT_EQ(s.save().status, SaveStatus::Saved);
        EXPECT_EQ(s.names(), (std::vector<std::string>{"b61226_0", "b61226_1", "ba0"}));
        DocumentStore loaded;
        EXPECT_EQ(loadDatabaseFile(loaded, s.dir.file("ba0")).documents, 4);
        EXPECT_EQ(loaded.record(4).authors[0], "Session");
    }
}

TEST(SharedFile, TheLockIsRefusedWhileHeldAndFreedWhenItsHolderIsKilled)
{
    Session s;
    const test::TempDir &dir = s.dir;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    pid_t child = ::fork();
    if (child == 0) {
        DatabaseLock lock = DatabaseLock::acquire(dir.path(), "ba0");
        char state = lock.state() == DatabaseLock::State::Held ? 'y' : 'n';
        (void)!::write(ready[1], &state, 1);
        for (;;)
            ::pause();
    }
    char state = 0;
    ASSERT_EQ(::read(ready[0], &state, 1), 1);
    ASSERT_EQ(state, 'y');

    DatabaseLock refused = DatabaseLock::acquire(dir.path(), "ba0");
    EXPECT_EQ(refused.state(), DatabaseLock::State::HeldElsewhere);
    EXPECT_EQ(refused.holder().pid, child);
    EXPECT_FALSE(refused.holder().host.empty());

    // A program that could not lock at "CONT" cannot save while the holder lives.
    s.store->lockedElsewhere = true;
    SaveResult result = s.save();
    EXPECT_EQ(result.status, SaveStatus::LockedElsewhere);
    EXPECT_EQ(result.holder.pid, child);
    EXPECT_EQ(readBytes(s.dir.file("ba0")), threeDocuments());

    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_TRUE(exists(dir.file("ba0.lock")));  // left by the killed holder, but no longer locked
    {
        DatabaseLock taken = DatabaseLock::acquire(dir.path(), "ba0");
        EXPECT_EQ(taken.state(), DatabaseLock::State::Held);
        EXPECT_EQ(DatabaseLock::acquire(dir.path(), "ba0").state(), DatabaseLock::State::HeldElsewhere);
    }
    EXPECT_FALSE(exists(dir.file("ba0.lock")));  // a clean release removes it
}

TEST(SharedFile, ALinkedDatabaseIsSavedThroughToItsTarget)
{
    test::TempDir shared;
    Session s(false);
    fs::remove(s.dir.file("ba0"));
    writeBytes(shared.file("kaldex.db"), threeDocuments());
    fs::create_symlink(shared.file("kaldex.db"), s.dir.file("ba0"));
    s.reload();
    {
        DatabaseLock lock = DatabaseLock::acquire(s.dir.path(), "ba0");  // beside the target
        EXPECT_EQ(lock.path(), shared.file("kaldex.db") + ".lock");
        SaveResult result = s.save();
        ASSERT_EQ(result.status, SaveStatus::Saved);
        EXPECT_EQ(result.backupName, "b61226_0");
    }
    EXPECT_TRUE(fs::is_symlink(s.dir.file("ba0")));
    EXPECT_EQ(fs::read_symlink(s.dir.file("ba0")), shared.file("kaldex.db"));
    EXPECT_EQ(readBytes(shared.file("kaldex.db")), formatDatabase(*s.store));
    EXPECT_FALSE(fs::is_symlink(s.dir.file("b61226_0")));
    EXPECT_EQ(readBytes(s.dir.file("b61226_0")), threeDocuments());
    EXPECT_EQ(s.names(), (std::vector<std::string>{"b61226_0", "ba0"}));
    EXPECT_FALSE(exists(shared.file("kaldex.db.new")));
    EXPECT_FALSE(exists(shared.file("kaldex.db.lock")));
}

TEST(SharedFile, AWriteProtectedDatabaseIsNotReplacedAndRefusalsSpendNoBackupName)
{
    Session s;
    fs::permissions(s.dir.file("ba0"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    for (int attempt = 0; attempt < 12; ++attempt) {
        SaveResult result = s.save();
        ASSERT_EQ(result.status, SaveStatus::NotWritable);  // as root too: the mode bits count
        EXPECT_EQ(result.fileName, "ba0");
    }
    EXPECT_EQ(readBytes(s.dir.file("ba0")), threeDocuments());
    EXPECT_EQ(s.names(), std::vector<std::string>{"ba0"});

    fs::permissions(s.dir.file("ba0"), fs::perms::owner_write, fs::perm_options::add);
    fs::create_directory(s.dir.file("ba0.new"));  // in the way of the new file
    for (int attempt = 0; attempt < 12; ++attempt) {
        SaveResult result = s.save();
        ASSERT_EQ(result.status, SaveStatus::TemporaryBlocked);
        EXPECT_EQ(result.fileName, "ba0.new");
        EXPECT_EQ(result.errorNumber, EISDIR);
    }
    fs::remove(s.dir.file("ba0.new"));
    SaveResult saved = s.save();
    EXPECT_EQ(saved.status, SaveStatus::Saved);
    EXPECT_EQ(saved.backupName, "b61226_0");  // the first name of the day: none was spent
}

TEST(SharedFile, AFileThatIsNoDatabaseIsNotLoadedAndNotReplaced)
{
    struct Row {
        const char *name;
        std::function<void(const std::string &)> make;
        FileProblem problem;
    };
    const Row rows[] = {
        {"zeros", [](const std::string &p) { writeBytes(p, std::string(1 << 20, '\0')); }, FileProblem::NotText},
        {"a password list",
         [](const std::string &p) { writeBytes(p, "root:x:0:0:root:/root:/bin/bash\nuser:x:1000:1000::/home/user:\n"); },
         FileProblem::NoDocuments},
        {"CR line ends",
         [](const std::string &p) {
             std::string bytes = threeDocuments();
             for (size_t at; (at = bytes.find("\r\n")) != std::string::npos;)
                 bytes.erase(at + 1, 1);
             writeBytes(p, bytes);
         },
         FileProblem::NoDocuments},
        {"over the bound (sparse, never read)",
         [](const std::string &p) {
             int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
             ASSERT_EQ(::ftruncate(fd, kMaxDatabaseBytes + 1), 0);
             ::close(fd);
         },
         FileProblem::TooLarge},
        {"blank lines only (an empty database)", [](const std::string &p) { writeBytes(p, "\r\n  \r\n"); },
         FileProblem::None},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        test::TempDir dir;
        row.make(dir.file("ba0"));
        DocumentStore store;
        LoadResult loaded = loadDatabaseFile(store, dir.file("ba0"));
        EXPECT_EQ(loaded.problem, row.problem);
        EXPECT_EQ(store.documentCount, 0);
        EXPECT_EQ(store.unreadFile, row.problem != FileProblem::None);
        store.modified = 1;
        SaveResult result = saveDatabase(store, dir.path(), kDay);
        if (row.problem != FileProblem::None) {
            EXPECT_EQ(result.status, SaveStatus::NotRead);
            EXPECT_FALSE(exists(dir.file("b61226_0")));
        }
    }
    EXPECT_EQ(classifyBytes(std::string(200, 'x') + '\0' + "one NUL\r\n"), FileProblem::None);
    EXPECT_EQ(classifyBytes(std::string(7, '\0') + std::string(700, 'x')), FileProblem::None);
    EXPECT_EQ(classifyBytes(std::string(8, '\0') + std::string(700, 'x')), FileProblem::NotText);
}
