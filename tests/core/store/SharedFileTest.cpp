// A shared "ba0": saves only over the file loaded, even when it changes during the save, a lock
// that dies with its holder, a claim where no lock can be had, links saved through,
// write-protected files kept, no backup name spent on a refusal, side files. Many savers at
// once with the lock out of action: tests/tool/SharedAppendTest.cpp.
#include "TestFiles.h"
#include "core/store/DatabaseFile.h"
#include "core/store/DatabaseLoader.h"
#include "core/store/DatabaseWriter.h"

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kaldex;
using namespace kaldex::test;
namespace fs = std::filesystem;

namespace {

const LocalDate kDay{6, 12, 2026};

// "ba0" of three documents in a fresh folder, loaded, with a fourth stored in this session.
struct Session {
    test::TempDir dir;
    std::unique_ptr<DocumentStore> store = std::make_unique<DocumentStore>();
    explicit Session(bool load = true)
    {
        writeBytes(dir.file("ba0"), test::threeDocuments());
        if (load)
            reload();
    }
    void reload()
    {
        loadDatabaseFile(*store, dir.file("ba0"));
        test::addDocument(*store, "Session");
    }
    SaveResult save() { return saveDatabase(*store, dir.path(), kDay); }
    std::string names() const { return test::listing(dir.path()); }
};

}  // namespace

// A replacing save by another program: SharedDatabase.AChangeByAnotherProgramBetweenContAndOkIsKept.
TEST(SharedFile, AnOutsideChangeBetweenLoadAndSaveIsKept)
{
    const std::string theirs = threeDocuments() + threeDocuments();
    const struct {
        const char *name;
        std::function<void(Session &)> change;
        FileChange found;
    } rows[] = {
        {"one byte changed in place, same size and time: only the hash tells",
         [](Session &s) {
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
         },
         FileChange::Modified},
        {"removed", [](Session &s) { fs::remove(s.dir.file("ba0")); }, FileChange::Removed},
        {"missing at the load, there at the save",
         [&](Session &s) {
             fs::remove(s.dir.file("ba0"));
             s.reload();
             writeBytes(s.dir.file("ba0"), theirs);
         },
         FileChange::Appeared},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Session s;
        row.change(s);
        const std::string left = exists(s.dir.file("ba0")) ? readBytes(s.dir.file("ba0")) : "(none)";
        SaveResult result = s.save();
        EXPECT_EQ(result.status, SaveStatus::Changed);
        EXPECT_EQ(result.change, row.found);
        EXPECT_TRUE(result.never());
        EXPECT_EQ(exists(s.dir.file("ba0")) ? readBytes(s.dir.file("ba0")) : "(none)", left);
        EXPECT_EQ(s.names(), left == "(none)" ? "" : "ba0 ");  // no backup, no temporary file
    }
    Session s;  // unchanged: saved, and a second save of the same run goes through too
    ASSERT_EQ(s.save().status, SaveStatus::Saved);
    ASSERT_EQ(s.save().status, SaveStatus::Saved);
    EXPECT_EQ(s.names(), "b61226_0 b61226_1 ba0 ");
    DocumentStore loaded;
    EXPECT_EQ(loadDatabaseFile(loaded, s.dir.file("ba0")).documents, 4);
    EXPECT_EQ(loaded.record(4).authors[0], "Session");
}

// Another program edits or replaces "ba0" between the save's last look at it and the replace: the
// file swapped out is compared whole, so the edit comes back into place and the save is refused.
TEST(SharedFile, AnEditDuringTheSaveIsKeptAndTheSaveRefused)
{
    const struct {
        const char *name;
        bool lockFolder;  // no lock to be had: the save claims the file it loaded
        std::function<void(const std::string &)> edit;
        FileChange found;
    } rows[] = {
        {"a line appended in place", false,
         [](const std::string &path) {
             int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
             ASSERT_EQ(::write(fd, "$\r\n", 3), 3);
             ::close(fd);
         },
         FileChange::Modified},
        {"one byte changed in place, size and time kept", true,
         [](const std::string &path) {
             struct stat before {};
             ::stat(path.c_str(), &before);
             int fd = ::open(path.c_str(), O_WRONLY);
             ASSERT_EQ(::pwrite(fd, "k", 1, static_cast<off_t>(threeDocuments().find("Kestin"))), 1);
             const struct timespec times[2] = {before.st_atim, before.st_mtim};
             ::futimens(fd, times);
             ::close(fd);
         },
         FileChange::Modified},
        {"replaced by a rename", false,
         [](const std::string &path) {
             writeBytes(path + ".theirs", threeDocuments() + threeDocuments());
             fs::rename(path + ".theirs", path);
         },
         FileChange::Replaced},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Session s;
        if (row.lockFolder)
            fs::create_directory(s.dir.file("ba0.lock"));
        s.store->withoutLock = row.lockFolder;
        std::string edited;
        setBeforeReplaceForTesting([&] {
            row.edit(s.dir.file("ba0"));
            edited = readBytes(s.dir.file("ba0"));
        });
        const SaveResult result = s.save();
        setBeforeReplaceForTesting(nullptr);
        EXPECT_EQ(result.status, SaveStatus::Changed);
        EXPECT_EQ(result.change, row.found);
        EXPECT_NE(edited, threeDocuments()) << "the edit did not happen";
        EXPECT_EQ(readBytes(s.dir.file("ba0")), edited);
        EXPECT_EQ(s.names(), row.lockFolder ? "ba0 ba0.lock " : "ba0 ");  // no backup, new file or claim left
    }
}

// With no lock to be had, a save first claims the file it loaded: while another saver's claim is
// there, the save is refused and says whose it is.
TEST(SharedFile, WithoutALockOnlyTheSaverThatClaimedTheLoadedFileReplacesIt)
{
    Session s;
    fs::create_directory(s.dir.file("ba0.lock"));
    s.store->withoutLock = true;
    struct stat info {};
    ASSERT_EQ(::stat(s.dir.file("ba0").c_str(), &info), 0);
    const std::string claim = "ba0.saving-" + std::to_string(info.st_ino);
    writeBytes(s.dir.file(claim), holderLine());
    SaveResult result = s.save();
    EXPECT_EQ(result.status, SaveStatus::BeingSaved);
    EXPECT_EQ(result.fileName, claim);
    EXPECT_EQ(result.holder.pid, ::getpid());
    EXPECT_TRUE(result.never());
    EXPECT_EQ(s.names(), "ba0 ba0.lock " + claim + " ");  // another's claim is not removed

    fs::remove(s.dir.file(claim));
    result = s.save();
    EXPECT_EQ(result.status, SaveStatus::Saved);
    EXPECT_EQ(s.names(), "b61226_0 ba0 ba0.lock ");  // its own claim is gone
    DocumentStore loaded;
    EXPECT_EQ(loadDatabaseFile(loaded, s.dir.file("ba0")).documents, 4);
}

TEST(SharedFile, TheLockIsRefusedWhileHeldAndFreedWhenItsHolderIsKilled)
{
    Session s;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    pid_t child = ::fork();
    if (child == 0) {
        DatabaseLock lock = DatabaseLock::acquire(s.dir.path(), "ba0");
        (void)!::write(ready[1], lock.state() == DatabaseLock::State::Held ? "y" : "n", 1);
        for (;;)
            ::pause();
    }
    char state = 0;
    ASSERT_EQ(::read(ready[0], &state, 1), 1);
    ::close(ready[0]), ::close(ready[1]);
    ASSERT_EQ(state, 'y');

    DatabaseLock refused = DatabaseLock::acquire(s.dir.path(), "ba0");
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
    EXPECT_TRUE(exists(s.dir.file("ba0.lock")));  // left by the killed holder, but no longer locked
    {
        DatabaseLock taken = DatabaseLock::acquire(s.dir.path(), "ba0");
        EXPECT_EQ(taken.state(), DatabaseLock::State::Held);
        EXPECT_EQ(DatabaseLock::acquire(s.dir.path(), "ba0").state(), DatabaseLock::State::HeldElsewhere);
    }
    EXPECT_FALSE(exists(s.dir.file("ba0.lock")));  // a clean release removes it
    // The holder is gone and "ba0" unchanged: the late save goes through.
    EXPECT_EQ(s.save().status, SaveStatus::Saved);
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
        ASSERT_EQ(s.save().backupName, "b61226_0");
    }
    EXPECT_EQ(fs::read_symlink(s.dir.file("ba0")), shared.file("kaldex.db"));
    EXPECT_EQ(readBytes(shared.file("kaldex.db")), formatDatabase(*s.store));
    EXPECT_FALSE(fs::is_symlink(s.dir.file("b61226_0")));
    EXPECT_EQ(readBytes(s.dir.file("b61226_0")), threeDocuments());
    EXPECT_EQ(s.names(), "b61226_0 ba0 ");
    EXPECT_EQ(test::listing(shared.path()), "kaldex.db ");  // no .new, no .lock
}

TEST(SharedFile, AWriteProtectedDatabaseIsNotReplacedAndRefusalsSpendNoBackupName)
{
    Session s;
    fs::permissions(s.dir.file("ba0"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    // More refusals than a day has backup names; as root too: the mode bits count.
    for (int attempt = 0; attempt < 12; ++attempt)
        ASSERT_EQ(s.save().status, SaveStatus::NotWritable);
    EXPECT_EQ(readBytes(s.dir.file("ba0")), threeDocuments());
    EXPECT_EQ(s.names(), "ba0 ");

    fs::permissions(s.dir.file("ba0"), fs::perms::owner_write, fs::perm_options::add);
    fs::create_directory(s.dir.file("ba0.new"));  // the name older programs wrote to is in nobody's way now
    EXPECT_EQ(s.save().backupName, "b61226_0");   // the first name of the day: none was spent
}

// Refused for good, the session's documents go to files of their own, never over one.
TEST(SharedFile, SideFilesAreNewFilesOfTheSessionsDocumentsRenumbered)
{
    Session s;  // documents 1-3 loaded, 4 stored in this session
    const std::string first = saveSessionDocuments(*s.store, s.dir.path(), kDay);
    EXPECT_EQ(first + " " + saveSessionDocuments(*s.store, s.dir.path(), kDay),
              "ba0.session-61226-0 ba0.session-61226-1");
    DocumentStore side;
    EXPECT_EQ(loadDatabaseFile(side, s.dir.file(first)).documents, 1);
    EXPECT_EQ(side.record(1).authors[0] + std::to_string(side.record(1).number), "Session1");
}
