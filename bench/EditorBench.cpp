// "View " with a full pocket: the report built and put into the editor, beside
// the window with an empty pocket and the report text put into a bare text
// document; the report saved from the editor as RTF and opened into it again.
// KALDEX_BENCH_REPORT_RTF names where the saved report is left (for comparing
// with other programs); /tmp/kaldex-bench-report.rtf otherwise.
#include "bench/FullStore.h"
#include "bench/QtBenchMain.h"
#include "core/report/PocketReport.h"
#include "text/RtfReader.h"
#include "text/RtfWriter.h"
#include "ui/common/Dialogs.h"
#include "ui/common/Messages.h"
#include "ui/common/Toolkit.h"
#include "ui/editor/PocketEditor.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QSaveFile>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>
#include <cstdlib>
#include <memory>

using namespace kaldex;

namespace {

DocumentStore &fullPocket()
{
    static std::unique_ptr<DocumentStore> store = [] {
        auto made = std::make_unique<DocumentStore>();
        bench::fillBenchStore(*made);
        made->pocketCount = std::min(made->documentCount, DocumentStore::kMaxPocket);
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
        auto editor = std::make_unique<ui::PocketEditor>(fullPocket());
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
        auto editor = std::make_unique<ui::PocketEditor>(fullPocket());
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

// The floor for the window: the same window with an empty pocket.
void BM_ViewEmptyPocketShown(benchmark::State &state)
{
    DocumentStore &full = fullPocket();
    const int pocketCount = full.pocketCount;
    full.pocketCount = 0;
    for (auto _ : state) {
        auto editor = std::make_unique<ui::PocketEditor>(full);
        editor->show();
        QApplication::processEvents();
        state.PauseTiming();
        editor.reset();
        state.ResumeTiming();
    }
    full.pocketCount = pocketCount;
}
BENCHMARK(BM_ViewEmptyPocketShown)->Unit(benchmark::kMillisecond)->Iterations(3);

// The floor for the filled window: the report's text put into a text document
// that belongs to no window.
void BM_ReportIntoBareDocument(benchmark::State &state)
{
    plainTextIntoBareDocument(state, ui::fromCp1251(reportText(buildReport(fullPocket()))));
}
BENCHMARK(BM_ReportIntoBareDocument)->Unit(benchmark::kMillisecond)->Iterations(3);

// An editor on screen with the whole report in it. Each benchmark makes its
// own: a window must be gone before the application object.
std::unique_ptr<ui::PocketEditor> filledEditor()
{
    auto editor = std::make_unique<ui::PocketEditor>(fullPocket());
    editor->show();
    editor->waitForReport();
    QApplication::processEvents();
    return editor;
}

const QTextDocument &textOf(const ui::PocketEditor &editor)
{
    return *editor.findChild<QTextEdit *>(QStringLiteral("RichEdit1"))->document();
}

QString reportPath()
{
    const char *path = std::getenv("KALDEX_BENCH_REPORT_RTF");
    return QString::fromLocal8Bit(path && *path ? path : "/tmp/kaldex-bench-report.rtf");
}

// As the editor's save does it: the text control's document as RTF, written
// beside the file and put in its place.
void BM_WriteRtf(benchmark::State &state)
{
    auto editor = filledEditor();
    const QTextDocument &document = textOf(*editor);
    qint64 bytes = 0;
    for (auto _ : state) {
        QSaveFile file(reportPath());
        bytes = file.open(QIODevice::WriteOnly) ? file.write(ui::writeRtf(document)) : -1;
        if (bytes < 0 || !file.commit())
            state.SkipWithError("not saved");
    }
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_WriteRtf)->Unit(benchmark::kMillisecond)->Iterations(3);

// The report's RTF as the editor saves it, left in a file.
bool saveReport()
{
    auto editor = filledEditor();
    QSaveFile file(reportPath());
    return file.open(QIODevice::WriteOnly) && file.write(ui::writeRtf(textOf(*editor))) >= 0 && file.commit();
}

// The editor's own "Open" on the report, shown and laid out, the file named
// through the dialog hook.
void BM_ReadRtf(benchmark::State &state)
{
    if (!saveReport()) {
        state.SkipWithError("not saved");
        return;
    }
    auto editor = filledEditor();
    ui::DialogHook dialogs;
    dialogs.openName = reportPath();
    ui::MessageHook messages;  // a question would mean the text was taken as changed
    for (auto _ : state) {
        editor->openFile();
        QApplication::processEvents();
        if (editor->currentFile() != reportPath())
            state.SkipWithError("not read");
        benchmark::DoNotOptimize(textOf(*editor).blockCount());
    }
}
BENCHMARK(BM_ReadRtf)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same file read into a text document that belongs to no window.
void BM_ReadRtfBareDocument(benchmark::State &state)
{
    if (!saveReport()) {
        state.SkipWithError("not saved");
        return;
    }
    for (auto _ : state) {
        QFile file(reportPath());
        auto document = std::make_unique<QTextDocument>();
        QString error;
        if (!file.open(QIODevice::ReadOnly) || !ui::readRtf(file.readAll(), *document, &error))
            state.SkipWithError("not read");
        benchmark::DoNotOptimize(document->blockCount());
        state.PauseTiming();
        document.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ReadRtfBareDocument)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char **argv)
{
    return runWindowBenchmarks(argc, argv);
}
