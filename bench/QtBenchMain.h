#pragma once

// main() of the benchmarks that need windows: one application object on the
// offscreen platform unless a display is asked for.

#include "app/KaldexApplication.h"

#include <benchmark/benchmark.h>

inline int runWindowBenchmarks(int argc, char **argv)
{
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    kaldex::ui::KaldexApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
