// The program's start, each time in a new process: from the process made to
// the start window painted (and the part of it inside main), beside an empty
// window of the toolkit started the same way; and "CONT" on a full database,
// from the click to the search window painted, with the peak resident memory
// of the process by then.
//
// The processes are this program started again with --child: they do what
// app/main.cpp does, then write a figure to the pipe they are handed and end.
#include "bench/ChildProcess.h"
#include "bench/FullStore.h"
#include "core/store/DocumentStore.h"
#include "ui/common/KaldexApplication.h"
#include "ui/search/SearchWindow.h"
#include "ui/start/StartWindow.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEvent>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

using namespace kaldex;

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// ---- the child processes

// Calls back once, after the first paint of a wanted window is done and on
// its way to the screen.
class FirstPaint : public QObject {
public:
    FirstPaint(std::function<bool(QObject *)> wanted, std::function<void()> then)
        : wanted_(std::move(wanted)), then_(std::move(then))
    {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!seen_ && event->type() == QEvent::Paint && wanted_(watched)) {
            seen_ = true;
            QTimer::singleShot(0, this, then_);
        }
        return false;
    }

private:
    std::function<bool(QObject *)> wanted_;
    std::function<void()> then_;
    bool seen_ = false;
};

void reportAndEnd(int fd, double seconds)
{
    bench::reportFiguresAndEnd(fd, {seconds});
}

int childMain(const std::string &what, int fd, const char *dir, char *program)
{
    const Clock::time_point start = Clock::now();
    int argc = 1;
    char *argv[] = {program, nullptr};

    if (what == "empty") {
        QApplication app(argc, argv);
        QWidget window;
        window.resize(489, 360);
        FirstPaint painted([&](QObject *o) { return o == &window; }, [&] { reportAndEnd(fd, secondsSince(start)); });
        window.installEventFilter(&painted);
        window.show();
        return app.exec();
    }

    // As app/main.cpp.
    std::signal(SIGXFSZ, SIG_IGN);
    auto store = std::make_unique<DocumentStore>();
    ui::KaldexApplication app(argc, argv);
    ui::StartWindow form(*store);

    if (what == "start") {
        FirstPaint painted([&](QObject *o) { return o == &form; }, [&] { reportAndEnd(fd, secondsSince(start)); });
        form.installEventFilter(&painted);
        form.show();
        return app.exec();
    }

    if (what == "cont" && dir && chdir(dir) == 0) {
        Clock::time_point clicked;
        FirstPaint searchPainted([](QObject *o) { return qobject_cast<ui::SearchWindow *>(o) != nullptr; },
                                 [&] { reportAndEnd(fd, secondsSince(clicked)); });
        FirstPaint startPainted([&](QObject *o) { return o == &form; },
                                [&] {
                                    app.installEventFilter(&searchPainted);
                                    clicked = Clock::now();
                                    form.findChild<QPushButton *>(QStringLiteral("Button1"))
                                        ->click();  // returns when the search window closes
                                });
        form.installEventFilter(&startPainted);
        form.show();
        return app.exec();
    }
    return 2;
}

// ---- the benchmarks

bench::ProcessRun runChild(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "--child");
    return bench::runProcess("/proc/self/exe", std::move(arguments), true);
}

// Times from the process made to the window painted; counts the part inside
// main and the peak resident memory.
void runStartProcesses(benchmark::State &state, const std::string &what)
{
    double inMain = 0, peak = 0;
    for (auto _ : state) {
        bench::ProcessRun run = runChild({what});
        if (!run.ok) {
            state.SkipWithError("the child process failed");
            return;
        }
        state.SetIterationTime(run.wallSeconds);
        inMain += run.figures[0];
        peak = std::max(peak, run.peakMegabytes);
    }
    state.counters["in_main_ms"] = benchmark::Counter(inMain * 1e3, benchmark::Counter::kAvgIterations);
    state.counters["peak_resident_MB"] = peak;
}

void BM_StartWindowProcess(benchmark::State &state)
{
    runStartProcesses(state, "start");
}
BENCHMARK(BM_StartWindowProcess)->UseManualTime()->Unit(benchmark::kMillisecond);

// The floor: a bare application object and an empty window of the same size.
void BM_EmptyWindowProcess(benchmark::State &state)
{
    runStartProcesses(state, "empty");
}
BENCHMARK(BM_EmptyWindowProcess)->UseManualTime()->Unit(benchmark::kMillisecond);

// A folder holding the full database as "ba0", for "CONT" to load.
struct DatabaseFolder {
    std::string dir;
    double megabytes = 0;

    DatabaseFolder()
    {
        char pattern[] = "/tmp/kaldex-bench-XXXXXX";
        dir = mkdtemp(pattern);
        const std::string bytes = bench::benchDatabaseFile();
        megabytes = static_cast<double>(bytes.size()) / (1024.0 * 1024.0);
        std::ofstream(dir + "/ba0", std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    ~DatabaseFolder() { std::filesystem::remove_all(dir); }
};

// Times from the click to the search window painted, the load included.
void BM_ContFullStoreProcess(benchmark::State &state)
{
    static DatabaseFolder folder;
    double peak = 0;
    for (auto _ : state) {
        bench::ProcessRun run = runChild({"cont", folder.dir});
        if (!run.ok) {
            state.SkipWithError("the child process failed");
            return;
        }
        state.SetIterationTime(run.figures[0]);
        peak = std::max(peak, run.peakMegabytes);
    }
    state.counters["peak_resident_MB"] = peak;
    state.counters["file_MB"] = folder.megabytes;
}
BENCHMARK(BM_ContFullStoreProcess)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char **argv)
{
    // --child WHAT [DIR] FD
    if (argc >= 4 && std::strcmp(argv[1], "--child") == 0)
        return childMain(argv[2], std::atoi(argv[argc - 1]), argc == 5 ? argv[3] : nullptr, argv[0]);

    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return bench::runBenchmarks(argc, argv);
}
