// Paging in the viewer: the next document laid out and put on screen, beside
// a repaint of the same window with nothing changed.
#include "bench/FullStore.h"
#include "bench/QtBenchMain.h"
#include "ui/common/SpinControl.h"
#include "ui/viewer/ResultViewer.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace kaldex;

namespace {

// Every document found, as after a "Find" that matches all.
std::unique_ptr<DocumentStore> everythingFound()
{
    auto store = std::make_unique<DocumentStore>();
    bench::fillBenchStore(*store);
    for (int slot = 1; slot <= store->documentCount; ++slot)
        store->foundList[static_cast<size_t>(slot)] = slot;
    store->foundCount = store->documentCount;
    return store;
}

void BM_PageToNextDocument(benchmark::State &state)
{
    auto store = everythingFound();
    ui::ResultViewer viewer(*store);
    auto *pager = viewer.findChild<ui::SpinControl *>(QStringLiteral("UpDown1"));
    viewer.show();
    for (auto _ : state) {
        if (pager->position() == pager->maximum())
            pager->setPosition(1);
        pager->step(ui::SpinControl::Direction::Up);
        QApplication::processEvents();  // the repaint belongs to the step
    }
}
BENCHMARK(BM_PageToNextDocument)->Unit(benchmark::kMillisecond);

// The floor for paging: the whole window painted again, the same document.
void BM_RepaintViewerFloor(benchmark::State &state)
{
    auto store = everythingFound();
    ui::ResultViewer viewer(*store);
    viewer.show();
    QApplication::processEvents();
    for (auto _ : state)
        viewer.repaint();
}
BENCHMARK(BM_RepaintViewerFloor)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv)
{
    return runWindowBenchmarks(argc, argv);
}
