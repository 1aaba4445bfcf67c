#pragma once

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace kaldex::bench {

/** What a process started by runProcess() did. */
struct ProcessRun {
    bool ok = false;              // it ran and ended with status 0 (and gave its figures)
    double wallSeconds = 0;       // from its start to its figures read, or to its end
    std::vector<double> figures;  // the numbers it wrote on its figure line
    double peakMegabytes = 0;     // its peak resident memory
};

/**
 * Starts program with arguments and waits for it. With figures set, the
 * number of a pipe is added as the last argument; the process writes one
 * line of numbers to it, and the wall time ends when that line arrives.
 * Otherwise its output goes to /dev/null and the wall time ends with it.
 */
ProcessRun runProcess(const std::string &program, std::vector<std::string> arguments, bool figures);

/** Writes the figure line a process started by runProcess() reports on fd. */
[[noreturn]] void reportFiguresAndEnd(int fd, const std::vector<double> &figures);

/** The rest of main() once it is no child process: the benchmarks asked for. */
inline int runBenchmarks(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace kaldex::bench
