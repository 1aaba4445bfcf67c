// Loading and saving a full store, beside a plain read and a plain synced
// write of the same file; the first load in a new process; the command-line
// tool's check, beside cat.
#include "bench/ChildProcess.h"
#include "bench/FullStore.h"
#include "core/store/DatabaseLoader.h"
#include "core/store/DatabaseWriter.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

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

// The first "CONT" of a run, in a new process each time: the store made as
// main() makes it at the start, then the load timed, with the resident memory
// the store and its load add.
void BM_LoadFullStoreNewProcess(benchmark::State &state)
{
    const Fixture &f = fixture();
    double resident = 0;
    for (auto _ : state) {
        bench::ProcessRun run = bench::runProcess("/proc/self/exe", {"--child-load", f.path}, true);
        if (!run.ok || run.figures.size() < 2) {
            state.SkipWithError("the loading process failed");
            return;
        }
        state.SetIterationTime(run.figures[0]);
        resident += run.figures[1];
    }
    state.counters["resident_MB"] = benchmark::Counter(resident, benchmark::Counter::kAvgIterations);
    state.counters["file_MB"] = static_cast<double>(f.bytes) / (1024.0 * 1024.0);
}
BENCHMARK(BM_LoadFullStoreNewProcess)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

[[noreturn]] void loadInChild(const char *path, int fd)
{
    const long before = residentKilobytes();
    auto store = std::make_unique<DocumentStore>();
    const auto start = std::chrono::steady_clock::now();
    loadDatabaseFile(*store, path);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    bench::reportFiguresAndEnd(fd, {seconds, static_cast<double>(residentKilobytes() - before) / 1024.0});
}

// The command-line tool's check of the full database as a whole process,
// beside cat of the same file.
std::string toolPath()
{
    if (const char *named = std::getenv("KALDEX_BENCH_TOOL"))
        return named;
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return (self.parent_path().parent_path() / "kaldex-tool").string();
}

void runWholeProcess(benchmark::State &state, const std::string &program, const std::vector<std::string> &arguments)
{
    for (auto _ : state) {
        bench::ProcessRun run = bench::runProcess(program, arguments, false);
        if (!run.ok) {
            state.SkipWithError((program + " failed").c_str());
            return;
        }
        state.SetIterationTime(run.wallSeconds);
    }
}

void BM_ToolCheckProcess(benchmark::State &state)
{
    runWholeProcess(state, toolPath(), {"check", fixture().path});
}
BENCHMARK(BM_ToolCheckProcess)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_CatFloorProcess(benchmark::State &state)
{
    runWholeProcess(state, "/bin/cat", {fixture().path});
}
BENCHMARK(BM_CatFloorProcess)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

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
        bool ok =
            fd >= 0 && write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) && fsync(fd) == 0;
        ok = fd >= 0 && close(fd) == 0 && ok && rename(temporary.c_str(), target.c_str()) == 0;
        if (!ok)
            state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes));
}
BENCHMARK(BM_SyncedWriteFloor)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv)
{
    // --child-load FILE FD: one load in this new process
    if (argc == 4 && std::strcmp(argv[1], "--child-load") == 0)
        loadInChild(argv[2], std::atoi(argv[3]));
    return bench::runBenchmarks(argc, argv);
}
