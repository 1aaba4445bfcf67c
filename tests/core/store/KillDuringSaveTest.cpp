// A save of a full database killed at random moments: "ba0" always holds the
// complete old or the complete new file, the backup is the old one, and the
// next save completes the change without touching what the killed one left.
#include "TestFiles.h"
#include "core/store/DatabaseLoader.h"
#include "core/store/DatabaseWriter.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <ctime>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

using namespace kaldex;
namespace fs = std::filesystem;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int kKills = 30;  // the same paths, at a fraction of the speed
#else
constexpr int kKills = 200;
#endif

const LocalDate kDay{6, 12, 2026};

// Every slot filled from the sample's documents, with the slot in the notes
// so that no two documents are alike.
std::unique_ptr<DocumentStore> fullStore(const std::string &edit)
{
    DocumentStore sample;
    loadDatabase(sample, test::readBytes(KALDEX_SAMPLE));
    auto store = std::make_unique<DocumentStore>();
    for (int slot = 1; slot <= DocumentStore::kMaxDocuments; ++slot) {
        DocumentRecord &r = store->record(slot);
        r = sample.record((slot - 1) % sample.documentCount + 1);
        r.notes = r.notes + "slot " + std::to_string(slot) + edit + "\n";
        r.notesLines += 1;
    }
    store->documentCount = DocumentStore::kMaxDocuments;
    store->modified = 1;
    return store;
}

// Starts the save in a child and kills it after delay; true when the child
// finished the save before the kill.
bool saveKilledAfter(DocumentStore &store, const std::string &dir, std::chrono::microseconds delay)
{
    pid_t child = fork();
    if (child == 0)
        _exit(saveDatabase(store, dir, kDay).ok() ? 0 : 1);
    int status = 0;
    auto deadline = std::chrono::steady_clock::now() + delay;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            break;
        }
        timespec pause{0, 50000};  // fine enough against a save of some ten milliseconds
        nanosleep(&pause, nullptr);
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<std::string> backups(const std::string &dir)
{
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(dir))
        if (entry.path().filename().string().rfind(backupStem(kDay), 0) == 0)
            names.push_back(entry.path());
    return names;
}

}  // namespace

TEST(KillDuringSave, TheFileIsAlwaysTheWholeOldOrTheWholeNewOne)
{
    auto oldStore = fullStore("");
    auto newStore = fullStore(", changed");
    const std::string oldBytes = formatDatabase(*oldStore);
    const std::string newBytes = formatDatabase(*newStore);

    // How long a whole save in a child takes here, fork included, so that the
    // kills fall across all of it even on a loaded machine.
    std::chrono::microseconds whole{0};
    for (int run = 0; run < 3; ++run) {
        test::TempDir dir;
        test::writeBytes(dir.file("ba0"), oldBytes);
        newStore->loadedFile = readDatabaseBytes(dir.file("ba0")).identity;  // as if loaded: replaced by a swap
        auto started = std::chrono::steady_clock::now();
        ASSERT_TRUE(saveKilledAfter(*newStore, dir.path(), std::chrono::seconds(30)));
        whole = std::max(
            whole, std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started));
    }

    std::mt19937 random(20261206);
    std::uniform_int_distribution<long> moment(0, whole.count() * 6 / 5);
    int killedMidway = 0;
    int sawOld = 0;
    int sawNew = 0;
    int leftovers = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        test::TempDir dir;
        test::writeBytes(dir.file("ba0"), oldBytes);
        newStore->loadedFile = readDatabaseBytes(dir.file("ba0")).identity;  // as if loaded: replaced by a swap
        if (!saveKilledAfter(*newStore, dir.path(), std::chrono::microseconds(moment(random))))
            ++killedMidway;

        std::string now = test::readBytes(dir.file("ba0"));
        ASSERT_TRUE(test::sameBytes(now, now.size() == oldBytes.size() ? oldBytes : newBytes))
            << "ba0 holds neither the old nor the new file";
        if (now == oldBytes)
            ++sawOld;
        else
            ++sawNew;
        for (const std::string &backup : backups(dir.path()))
            ASSERT_TRUE(test::sameBytes(test::readBytes(backup), oldBytes)) << backup;
        if (now == newBytes) {
            ASSERT_EQ(backups(dir.path()).size(), 1u);  // the new file never comes without the old one kept
        }

        DocumentStore loaded;
        loadDatabaseFile(loaded, dir.file("ba0"));
        ASSERT_EQ(loaded.documentCount, DocumentStore::kMaxDocuments);

        // The next save completes the change; a file the killed one left
        // might be a living saver's, and stays.
        const std::string left = test::saveFiles(dir.path());
        if (!left.empty()) {
            ++leftovers;
            newStore->loadedFile = {};  // whichever file is there now
            ASSERT_EQ(saveDatabase(*newStore, dir.path(), kDay).status, SaveStatus::Saved);
            EXPECT_TRUE(test::sameBytes(test::readBytes(dir.file("ba0")), newBytes));
            EXPECT_EQ(test::saveFiles(dir.path()), left);
        }
    }
    // The moments must really have fallen before, inside and after the save.
    EXPECT_GT(killedMidway, 0);
    EXPECT_GT(sawOld, 0);
    EXPECT_GT(sawNew, 0);
    RecordProperty("killed_midway", killedMidway);
    RecordProperty("left_a_temporary_file", leftovers);
    std::printf("%d kills: %d mid-save, ba0 old %d / new %d times, %d temporary files left\n", kKills, killedMidway,
                sawOld, sawNew, leftovers);
}
