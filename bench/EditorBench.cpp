// "View " with a full pocket: the report built and put into the editor; the
// report saved as RTF and opened again.
#include "bench/FullStore.h"
#include "bench/QtBenchMain.h"
#include "editor/PocketReport.h"
#include "editor/RtfReader.h"
#include "editor/RtfWriter.h"
#include "app/Toolkit.h"
#include "editor/TMainForm.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTextDocument>
#include <QTextEdit>

#include <memory>

using namespace kaldex;

namespace {

DocumentStore &fullPocket()
{
    static std::unique_ptr<DocumentStore> store = [] {
        auto made = std::make_unique<DocumentStore>();
        bench::fillStore(*made);
        made->pocketCount = DocumentStore::kMaxPocket;
        for (int entry = 1; entry <= made->pocketCount; ++entry)
            made->pocket[static_cast<size_t>(entry)] = entry;
        return made;
    }();
    return *store;
}

void BM_BuildReport(benchmark::State &state)
{
    for (auto _ : state) {
        auto lines = buildReport(fullPocket());
        benchmark::DoNotOptimize(lines.data());
    }
}
BENCHMARK(BM_BuildReport)->Unit(benchmark::kMillisecond);

// The window on screen; its text follows from a worker.
void BM_ViewFullPocketShown(benchmark::State &state)
{
    for (auto _ : state) {
        auto editor = std::make_unique<ui::TMainForm>(fullPocket());
        editor->show();
        QApplication::processEvents();
        state.PauseTiming();
        editor.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ViewFullPocketShown)->Unit(benchmark::kMillisecond)->Iterations(3);

// The window with the whole report in its text control.
void BM_ViewFullPocketFilled(benchmark::State &state)
{
    for (auto _ : state) {
        auto editor = std::make_unique<ui::TMainForm>(fullPocket());
        editor->show();
        QApplication::processEvents();
        editor->waitForReport();
        QApplication::processEvents();
        state.PauseTiming();
        editor.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ViewFullPocketFilled)->Unit(benchmark::kMillisecond)->Iterations(3);

QTextDocument &reportDocument()
{
    static QTextDocument document;
    if (document.isEmpty())
        document.setPlainText(ui::fromCp1251(reportText(buildReport(fullPocket()))));
    return document;
}

void BM_WriteRtf(benchmark::State &state)
{
    QByteArray bytes;
    for (auto _ : state)
        bytes = ui::writeRtf(reportDocument());
    state.counters["MB"] = bytes.size() / 1e6;
    QFile file(QStringLiteral("/tmp/kaldex-bench-report.rtf"));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}
BENCHMARK(BM_WriteRtf)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ReadRtf(benchmark::State &state)
{
    const QByteArray bytes = ui::writeRtf(reportDocument());
    for (auto _ : state) {
        QTextDocument document;
        QString error;
        if (!ui::readRtf(bytes, document, &error))
            state.SkipWithError("not read");
        benchmark::DoNotOptimize(document.blockCount());
    }
}
BENCHMARK(BM_ReadRtf)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char **argv)
{
    return runWindowBenchmarks(argc, argv);
}
