// Loading and saving a full store, beside a plain read and a plain synced
// write of the same file.
#include "bench/FullStore.h"
#include "store/DatabaseLoader.h"
#include "store/DatabaseWriter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <memory>
#include <string>
#include <unistd.h>

using namespace kaldex;

namespace {

struct Fixture {
    std::string dir;
    std::string path;
    size_t bytes = 0;

    Fixture()
    {
        char pattern[] = "/tmp/kaldex-bench-XXXXXX";
        dir = mkdtemp(pattern);
        path = dir + "/ba0";
        std::string file = bench::benchDatabaseFile();
        bytes = file.size();
        std::ofstream(path, std::ios::binary).write(file.data(), static_cast<std::streamsize>(file.size()));
    }
    ~Fixture() { std::filesystem::remove_all(dir); }
};

Fixture &fixture()
{
    static Fixture instance;
    return instance;
}

long residentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> value;
            return value;
        }
        status.ignore(1 << 10, '\n');
    }
    return 0;
}

// Resident memory that a loaded full store adds to the process.
void BM_ResidentMemoryOfFullStore(benchmark::State &state)
{
    const Fixture &f = fixture();
    double megabytes = 0;
    for (auto _ : state) {
        malloc_trim(0);
        long before = residentKilobytes();
        auto store = std::make_unique<DocumentStore>();
        loadDatabaseFile(*store, f.path);
        megabytes = static_cast<double>(residentKilobytes() - before) / 1024.0;
        benchmark::DoNotOptimize(store.get());
    }
    state.counters["resident_MB"] = megabytes;
    state.counters["file_MB"] = static_cast<double>(f.bytes) / (1024.0 * 1024.0);
}
BENCHMARK(BM_ResidentMemoryOfFullStore)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_ReadFileFloor(benchmark::State &state)
{
    const Fixture &f = fixture();
    for (auto _ : state) {
        std::string bytes(f.bytes, '\0');
        int fd = open(f.path.c_str(), O_RDONLY);
        ssize_t n = read(fd, bytes.data(), bytes.size());
        close(fd);
        benchmark::DoNotOptimize(n);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes));
}
BENCHMARK(BM_ReadFileFloor)->Unit(benchmark::kMillisecond);

void BM_LoadFullStore(benchmark::State &state)
{
    const Fixture &f = fixture();
    auto store = std::make_unique<DocumentStore>();
    for (auto _ : state) {
        LoadResult result = loadDatabaseFile(*store, f.path);
        benchmark::DoNotOptimize(result.documents);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes));
}
BENCHMARK(BM_LoadFullStore)->Unit(benchmark::kMillisecond);

// The first "CONT" of a run: an empty store, as main() makes it, whose texts
// take memory the process has not touched yet.
void BM_LoadFullStoreFresh(benchmark::State &state)
{
    const Fixture &f = fixture();
    for (auto _ : state) {
        state.PauseTiming();
        auto store = std::make_unique<DocumentStore>();
        malloc_trim(0);  // freed texts of the last round go back to the system
        state.ResumeTiming();
        LoadResult result = loadDatabaseFile(*store, f.path);
        benchmark::DoNotOptimize(result.documents);
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes));
}
BENCHMARK(BM_LoadFullStoreFresh)->Unit(benchmark::kMillisecond);

void BM_SaveFullStoreWithBackup(benchmark::State &state)
{
    const Fixture &f = fixture();
    auto store = std::make_unique<DocumentStore>();
    loadDatabaseFile(*store, f.path);
    store->modified = 1;
    const LocalDate day{6, 12, 2026};
    for (auto _ : state) {
        SaveResult result = saveDatabase(*store, f.dir, day);
        if (result.status != SaveStatus::Saved)
            state.SkipWithError("save failed");
        state.PauseTiming();
        std::remove((f.dir + "/" + result.backupName).c_str());
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes));
}
BENCHMARK(BM_SaveFullStoreWithBackup)->Unit(benchmark::kMillisecond);

// The floor for the save: the same bytes written to a new file, synced, and
// renamed over the old one; no formatting and no backup.
void BM_SyncedWriteFloor(benchmark::State &state)
{
    const Fixture &f = fixture();
    std::string bytes(f.bytes, '\0');
    {
        std::ifstream in(f.path, std::ios::binary);
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    const std::string temporary = f.dir + "/floor.new", target = f.dir + "/floor";
    for (auto _ : state) {
        int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        bool ok = fd >= 0 && write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) &&
                  fsync(fd) == 0;
        ok = fd >= 0 && close(fd) == 0 && ok && rename(temporary.c_str(), target.c_str()) == 0;
        if (!ok)
            state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes));
}
BENCHMARK(BM_SyncedWriteFloor)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
