#pragma once

// main() of the benchmarks that need windows: one application object on the
// offscreen platform unless a display is asked for.

#include "ui/common/KaldexApplication.h"

#include <benchmark/benchmark.h>

#include <QTextDocument>

#include <memory>

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

// The floor of filling a text control: the same text put into a text
// document that belongs to no window.
inline void plainTextIntoBareDocument(benchmark::State &state, const QString &text)
{
    for (auto _ : state) {
        auto document = std::make_unique<QTextDocument>();
        document->setUndoRedoEnabled(false);
        document->setPlainText(text);
        benchmark::DoNotOptimize(document->blockCount());
        state.PauseTiming();
        document.reset();
        state.ResumeTiming();
    }
}
