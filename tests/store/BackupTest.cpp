#include "TestFiles.h"
#include "store/DatabaseLoader.h"
#include "store/DatabaseWriter.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kaldex;
using test::exists;
using test::readBytes;
using test::writeBytes;

namespace {

const LocalDate kDay{6, 12, 2026};
const std::string kOldBytes = "old file, any bytes at all\r\n";

// A store with one changed document, as after "OK" in the entry window.
void makeChanged(DocumentStore &store, const std::string &citation)
{
    store.documentCount = 1;
    store.record(1).citation = citation;
    store.modified = 1;
}

// Runs a save in a child process, so that limits and identities set for it
// stay there. Returns the save's status, or -1 when the child died.
int saveInChild(const std::string &dir, void (*prepare)())
{
    pid_t child = fork();
    if (child == 0) {
        prepare();
        DocumentStore store;
        makeChanged(store, std::string(1 << 16, 'x') + "\n");
        _exit(static_cast<int>(saveDatabase(store, dir, kDay).status));
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
    test::TempDir dir;
    writeBytes(dir.file("ba0"), kOldBytes);

    DocumentStore store;
    makeChanged(store, "first\n");
    SaveResult first = saveDatabase(store, dir.path(), kDay);
    ASSERT_EQ(first.status, SaveStatus::Saved);
    EXPECT_EQ(first.backupName, "b61226_0");
    const std::string firstBytes = formatDatabase(store);
    EXPECT_EQ(readBytes(dir.file("ba0")), firstBytes);
    EXPECT_EQ(readBytes(dir.file("b61226_0")), kOldBytes);

    store.record(1).citation = "second\n";
    SaveResult second = saveDatabase(store, dir.path(), kDay);
    ASSERT_EQ(second.status, SaveStatus::Saved);
    EXPECT_EQ(second.backupName, "b61226_1");
    EXPECT_EQ(readBytes(dir.file("b61226_1")), firstBytes);
    EXPECT_EQ(readBytes(dir.file("b61226_0")), kOldBytes);
    EXPECT_EQ(readBytes(dir.file("ba0")), formatDatabase(store));
    EXPECT_FALSE(exists(dir.file(kTemporaryName)));

    DocumentStore reloaded;
    loadDatabaseFile(reloaded, dir.file("ba0"));
    EXPECT_EQ(reloaded.documentCount, 1);
    EXPECT_EQ(reloaded.record(1).citation, "second\n");
}

TEST(Backup, NothingIsWrittenWithoutChangesAndNoBackupWithoutAFile)
{
    test::TempDir dir;
    writeBytes(dir.file("ba0"), kOldBytes);
    DocumentStore store;
    store.documentCount = 1;
    EXPECT_EQ(saveDatabase(store, dir.path(), kDay).status, SaveStatus::NotModified);
    EXPECT_EQ(readBytes(dir.file("ba0")), kOldBytes);
    EXPECT_FALSE(exists(dir.file("b61226_0")));

    test::TempDir empty;
    makeChanged(store, "new\n");
    SaveResult result = saveDatabase(store, empty.path(), kDay);
    EXPECT_EQ(result.status, SaveStatus::Saved);
    EXPECT_EQ(result.backupName, "");
    EXPECT_EQ(readBytes(empty.file("ba0")), formatDatabase(store));
    EXPECT_FALSE(exists(empty.file("b61226_0")));
}

TEST(Backup, RefusalsLeaveTheOldFileAsItWas)
{
    test::TempDir dir;
    writeBytes(dir.file("ba0"), kOldBytes);
    DocumentStore store;
    makeChanged(store, "new\n");

    // Eleven taken names: 0 to 10. A directory takes a name as well as a file.
    for (int counter = 0; counter <= 9; ++counter)
        writeBytes(dir.file("b61226_" + std::to_string(counter)), "taken");
    mkdir(dir.file("b61226_10").c_str(), 0755);
    EXPECT_EQ(saveDatabase(store, dir.path(), kDay).status, SaveStatus::NoBackupName);
    EXPECT_EQ(readBytes(dir.file("ba0")), kOldBytes);
    EXPECT_EQ(readBytes(dir.file("b61226_0")), "taken");
    EXPECT_FALSE(exists(dir.file(kTemporaryName)));

    // The next day has names free again.
    SaveResult nextDay = saveDatabase(store, dir.path(), {7, 12, 2026});
    EXPECT_EQ(nextDay.backupName, "b71226_0");

    // A file the store could not hold whole is never saved over.
    writeBytes(dir.file("ba0"), kOldBytes);
    store.loadOverflow = true;
    EXPECT_EQ(saveDatabase(store, dir.path(), {8, 12, 2026}).status, SaveStatus::Overflow);
    EXPECT_EQ(readBytes(dir.file("ba0")), kOldBytes);

    test::TempDir other;
    mkdir(other.file("ba0").c_str(), 0755);
    store.loadOverflow = false;
    EXPECT_EQ(saveDatabase(store, other.path(), kDay).status, SaveStatus::NotAFile);
    EXPECT_FALSE(exists(other.file(kTemporaryName)));
}

TEST(Backup, LeftoversOfAnInterruptedSaveAreReplaced)
{
    test::TempDir dir;
    writeBytes(dir.file("ba0"), kOldBytes);
    writeBytes(dir.file(kTemporaryName), "half a file");
    chmod(dir.file(kTemporaryName).c_str(), 0444);

    DocumentStore store;
    makeChanged(store, "new\n");
    ASSERT_EQ(saveDatabase(store, dir.path(), kDay).status, SaveStatus::Saved);
    EXPECT_EQ(readBytes(dir.file("ba0")), formatDatabase(store));
    EXPECT_FALSE(exists(dir.file(kTemporaryName)));
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
    EXPECT_FALSE(exists(dir.file(kTemporaryName)));

    // A directory the user may not write to. Root writes anywhere, so the
    // child gives up its identity first.
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

TEST(Backup, KeepsThePermissionsOfTheOldFile)
{
    test::TempDir dir;
    writeBytes(dir.file("ba0"), kOldBytes);
    chmod(dir.file("ba0").c_str(), 0640);
    DocumentStore store;
    makeChanged(store, "new\n");
    ASSERT_EQ(saveDatabase(store, dir.path(), kDay).status, SaveStatus::Saved);
    struct stat info {};
    stat(dir.file("ba0").c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}
