#include "TestFiles.h"
#include "core/store/DatabaseLoader.h"
#include "core/store/DatabaseWriter.h"

#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kaldex;
using namespace kaldex::test;

namespace {

const LocalDate kDay{6, 12, 2026};
const std::string kOldBytes = "old file, any bytes at all\r\n";

// A folder with the old "ba0", and a store with one changed document, as after "OK" in the entry window.
struct Saving {
    test::TempDir dir;
    DocumentStore store;
    explicit Saving(const std::string &citation = "new\n", bool oldFile = true)
    {
        if (oldFile)
            writeBytes(dir.file("ba0"), kOldBytes);
        store.documentCount = 1;
        store.record(1).citation = citation;
        store.modified = 1;
    }
    SaveResult save(LocalDate day = kDay) { return saveDatabase(store, dir.path(), day); }
    std::string ba0() const { return readBytes(dir.file("ba0")); }
};

// The bytes the save must write for one document with this citation (CR LF line ends).
std::string oneDocument(const std::string &citation)
{
    return "$\r\n1\r\n$\r\n0@0@0@0@0@0@0@0@0@0@0@0@0@0@0@0@0@0@0\r\n$\r\n@@@@@@\r\n$\r\n"
           "0@0@0@0@0@0@0@0@0@0@0@0@0@0@0@0@0@0@0\r\n$\r\n@@@@@@@@\r\n$\r\n" +
           citation + "\r\n$\r\n$\r\n$\r\n$@$\r\n";
}

// Runs a save in a child process, so that limits and identities set for it
// stay there. Returns the save's status, or -1 when the child died.
int saveInChild(const std::string &dir, void (*prepare)())
{
    pid_t child = fork();
    if (child == 0) {
        prepare();
        Saving big(std::string(1 << 16, 'x') + "\n", false);
        _exit(static_cast<int>(saveDatabase(big.store, dir, kDay).status));
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(Backup, NamesFollowTheDateWithoutLeadingZeros)
{
    EXPECT_EQ(backupStem({6, 12, 2026}), "b61226_");
    EXPECT_EQ(backupStem({1, 1, 2005}), "b115_");
    EXPECT_EQ(backupStem({31, 10, 1999}), "b311099_");
}

TEST(Backup, TwoSavesOnOneDayKeepBothOldFiles)
{
    Saving s("first\n");
    ASSERT_EQ(s.save().backupName, "b61226_0");
    EXPECT_EQ(s.ba0(), oneDocument("first"));
    EXPECT_EQ(readBytes(s.dir.file("b61226_0")), kOldBytes);

    s.store.record(1).citation = "second\n";
    ASSERT_EQ(s.save().backupName, "b61226_1");
    EXPECT_EQ(readBytes(s.dir.file("b61226_1")), oneDocument("first"));
    EXPECT_EQ(readBytes(s.dir.file("b61226_0")), kOldBytes);
    EXPECT_EQ(s.ba0(), oneDocument("second"));
    EXPECT_EQ(listing(s.dir.path()), "b61226_0 b61226_1 ba0 ");
}

TEST(Backup, NothingIsWrittenWithoutChangesAndNoBackupWithoutAFile)
{
    // Unchanged: tests/e2e/pocket.sh finds neither a new "ba0" nor a backup.
    Saving fresh("new\n", false);
    SaveResult result = fresh.save();
    EXPECT_EQ(result.status, SaveStatus::Saved);
    EXPECT_EQ(result.backupName, "") << "no old file, no backup";
    EXPECT_EQ(fresh.ba0(), oneDocument("new"));
    EXPECT_FALSE(exists(fresh.dir.file("b61226_0")));

    // Files of interrupted saves are another saver's as long as one might
    // be writing them: never removed, and named once they are old. The old
    // file's permissions stay.
    Saving interrupted;
    const std::string stale = "ba0.new-4242-aB3dE9";
    const std::string young = "ba0.new-4243-xY7zQ1";
    for (const std::string &name : {std::string("ba0.new"), stale, young})
        writeBytes(interrupted.dir.file(name), "half a file");
    chmod(interrupted.dir.file("ba0.new").c_str(), 0444);
    const struct timespec hourAgo[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
    utimensat(AT_FDCWD, interrupted.dir.file(stale).c_str(), hourAgo, 0);
    utimensat(AT_FDCWD, interrupted.dir.file("ba0.new").c_str(), hourAgo, 0);
    chmod(interrupted.dir.file("ba0").c_str(), 0640);
    result = interrupted.save();
    ASSERT_EQ(result.status, SaveStatus::Saved);
    EXPECT_EQ(interrupted.ba0(), oneDocument("new"));
    EXPECT_EQ(saveFiles(interrupted.dir.path()), "ba0.new " + stale + " " + young + " ");
    ASSERT_EQ(result.leftovers.size(), 2u);
    EXPECT_EQ(result.leftovers[0].name, "ba0.new");
    EXPECT_EQ(result.leftovers[1].name, stale);
    EXPECT_EQ(result.leftovers[1].modifiedSeconds, hourAgo[1].tv_sec);
    EXPECT_EQ(readBytes(interrupted.dir.file(young)), "half a file");
    struct stat info {};
    stat(interrupted.dir.file("ba0").c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(Backup, ElevenNamesADayThenRefusalsLeaveTheOldFileAsItWas)
{
    Saving s;
    // Names 0 to 9 taken (a directory takes a name as well as a file): 10 is the last.
    for (int counter = 0; counter <= 8; ++counter)
        writeBytes(s.dir.file("b61226_" + std::to_string(counter)), "taken");
    mkdir(s.dir.file("b61226_9").c_str(), 0755);
    EXPECT_EQ(s.save().backupName, "b61226_10");
    EXPECT_EQ(readBytes(s.dir.file("b61226_10")), kOldBytes);

    // Eleven taken: refused.
    s.store.modified = 1;
    EXPECT_EQ(s.save().status, SaveStatus::NoBackupName);
    EXPECT_EQ(s.ba0(), oneDocument("new"));
    EXPECT_EQ(readBytes(s.dir.file("b61226_0")), "taken");
    EXPECT_EQ(saveFiles(s.dir.path()), "");
    EXPECT_EQ(s.save({7, 12, 2026}).backupName, "b71226_0");  // the next day has names free again
}

TEST(Backup, FailedWritesLeaveTheOldFileByteIdentical)
{
    test::TempDir dir;
    writeBytes(dir.file("ba0"), kOldBytes);

    // A file-size limit below the new file: the write fails with EFBIG.
    int status = saveInChild(dir.path(), [] {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{1024, 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    EXPECT_EQ(status, static_cast<int>(SaveStatus::WriteFailed));
    EXPECT_EQ(readBytes(dir.file("ba0")), kOldBytes);
    EXPECT_FALSE(exists(dir.file("b61226_0")));
    EXPECT_EQ(saveFiles(dir.path()), "");

    // A directory the user may not write to. Root writes anywhere, so the
    // child gives up its identity first; the file itself it may write.
    chmod(dir.file("ba0").c_str(), 0666);
    chmod(dir.path().c_str(), 0555);
    status = saveInChild(dir.path(), [] {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(100);
    });
    chmod(dir.path().c_str(), 0755);
    EXPECT_EQ(status, static_cast<int>(SaveStatus::WriteFailed));
    EXPECT_EQ(readBytes(dir.file("ba0")), kOldBytes);
    EXPECT_FALSE(exists(dir.file("b61226_0")));
}
