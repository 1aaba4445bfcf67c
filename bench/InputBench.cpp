// Inputs that once took the program minutes: an RTF of many list paragraphs,
// one of many distinct fonts, a help file of many topics. Each beside its
// floor: the same text put into a bare text document as plain text, or the
// help file's bytes cut into lines.
#include "bench/QtBenchMain.h"
#include "core/help/HelpFile.h"
#include "text/RtfReader.h"

#include <benchmark/benchmark.h>

#include <QTextDocument>

#include <memory>
#include <string>

using namespace kaldex;

namespace {

const char *const kHeader =
    "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\froman\\fcharset204 Times New Roman;}}\n";

// As LibreOffice writes a bulleted list: one list, every paragraph in it.
QByteArray listParagraphs(int count)
{
    QByteArray rtf = kHeader;
    rtf += "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc23\\leveljc0\\levelfollow0"
           "\\levelstartat1{\\leveltext\\'01\\u8226 ?;}{\\levelnumbers;}\\fi-360\\li720}\\listid1}}\n"
           "{\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}\n";
    for (int i = 0; i < count; ++i)
        rtf += "{\\listtext\\'95\\tab}\\ls1\\ilvl0 Item " + QByteArray::number(i) + "\\par\n";
    return rtf + "}";
}

// A font table of `count` fonts, each used once, ten to a paragraph.
QByteArray fontChanges(int count)
{
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl";
    for (int i = 0; i < count; ++i)
        rtf += "{\\f" + QByteArray::number(i) + "\\fnil\\fcharset204 Font " + QByteArray::number(i) + ";}";
    rtf += "}\n";
    for (int i = 0; i < count; ++i) {
        rtf += "\\f" + QByteArray::number(i) + " word " + QByteArray::number(i);
        rtf += i % 10 == 9 ? "\\par\n" : " ";
    }
    return rtf + "}";
}

std::string helpTopics(int count)
{
    std::string text = "# generated\n";
    for (int i = 0; i < count; ++i)
        text += "== " + std::to_string(1000 + i) + " Topic " + std::to_string(i) + "\nThe text of topic " +
                std::to_string(i) + ".\n\n";
    return text;
}

// The text the reader makes of them, as plain text.
QString listText(int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("Item %1\n").arg(i);
    return text;
}

QString fontText(int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("word %1").arg(i) + QLatin1String(i % 10 == 9 ? "\n" : " ");
    return text;
}

void readInto(benchmark::State &state, const QByteArray &rtf)
{
    for (auto _ : state) {
        auto document = std::make_unique<QTextDocument>();
        document->setUndoRedoEnabled(false);
        QString error;
        if (!ui::readRtf(rtf, *document, &error))
            state.SkipWithError("not read");
        benchmark::DoNotOptimize(document->blockCount());
        state.PauseTiming();
        document.reset();
        state.ResumeTiming();
    }
    state.counters["KB"] = static_cast<double>(rtf.size()) / 1e3;
}

void BM_RtfListParagraphs(benchmark::State &state)
{
    readInto(state, listParagraphs(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_RtfListParagraphs)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_RtfListParagraphsFloor(benchmark::State &state)
{
    plainTextIntoBareDocument(state, listText(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_RtfListParagraphsFloor)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_RtfFontChanges(benchmark::State &state)
{
    readInto(state, fontChanges(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_RtfFontChanges)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_RtfFontChangesFloor(benchmark::State &state)
{
    plainTextIntoBareDocument(state, fontText(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_RtfFontChangesFloor)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_HelpTopics(benchmark::State &state)
{
    const std::string text = helpTopics(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        HelpFile help;
        std::string error;
        if (!help.parse(text, &error))
            state.SkipWithError("not read");
        benchmark::DoNotOptimize(help.topics().size());
    }
    state.counters["KB"] = static_cast<double>(text.size()) / 1e3;
}
BENCHMARK(BM_HelpTopics)->Arg(160000)->Unit(benchmark::kMillisecond)->Iterations(1);

// The floor: the same bytes cut into lines.
void BM_HelpTopicsFloor(benchmark::State &state)
{
    const std::string text = helpTopics(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        size_t lines = 0;
        for (size_t at = 0; (at = text.find('\n', at)) != std::string::npos; ++at)
            ++lines;
        benchmark::DoNotOptimize(lines);
    }
}
BENCHMARK(BM_HelpTopicsFloor)->Arg(160000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char **argv)
{
    return runWindowBenchmarks(argc, argv);
}
