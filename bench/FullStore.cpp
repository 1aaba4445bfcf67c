#include "bench/FullStore.h"

#include "core/store/DatabaseLoader.h"
#include "core/store/DatabaseWriter.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>

namespace kaldex::bench {
namespace {

// Words of the field, Windows-1251 bytes written as UTF-8 would be unreadable here.
const std::array<const char *, 24> kWords = {
    "\xe2\xff\xe7\xea\xee\xf1\xf2\xfc",                                  // вязкость
    "\xf2\xe5\xef\xeb\xee\xef\xf0\xee\xe2\xee\xe4\xed\xee\xf1\xf2\xfc",  // теплопроводность
    "\xe4\xe8\xf4\xf4\xf3\xe7\xe8\xff",                                  // диффузия
    "\xf2\xe5\xf0\xec\xee\xe4\xe8\xf4\xf4\xf3\xe7\xe8\xff",              // термодиффузия
    "\xf1\xec\xe5\xf1\xe8",                                              // смеси
    "\xe3\xe0\xe7\xee\xe2",                                              // газов
    "\xef\xee\xf2\xe5\xed\xf6\xe8\xe0\xeb",                              // потенциал
    "\xe2\xe7\xe0\xe8\xec\xee\xe4\xe5\xe9\xf1\xf2\xe2\xe8\xff",          // взаимодействия
    "\xe8\xe7\xec\xe5\xf0\xe5\xed\xe0",                                  // измерена
    "\xf2\xe5\xec\xef\xe5\xf0\xe0\xf2\xf3\xf0",                          // температур
    "\xe8\xed\xf2\xe5\xf0\xe2\xe0\xeb\xe5",                              // интервале
    "\xea\xe0\xef\xe8\xeb\xeb\xff\xf0\xed\xfb\xec",                      // капиллярным
    "\xec\xe5\xf2\xee\xe4\xee\xec",                                      // методом
    "\xf0\xe0\xe7\xf0\xe5\xe6\xe5\xed\xed\xfb\xf5",                      // разреженных
    "\xea\xee\xfd\xf4\xf4\xe8\xf6\xe8\xe5\xed\xf2",                      // коэффициент
    "\xef\xf0\xe8",                                                      // при
    "\xe8",                                                              // и
    "\xe2",                                                              // в
    "300-700 K",
    "Lennard-Jones",
    "\xf0\xe5\xea\xee\xec\xe5\xed\xe4\xee\xe2\xe0\xed\xed\xfb\xe5",  // рекомендованные
    "\xe7\xed\xe0\xf7\xe5\xed\xe8\xff",                              // значения
    "\xe1\xe8\xed\xe0\xf0\xed\xfb\xf5",                              // бинарных
    "\xf2\xee\xf7\xed\xee\xf1\xf2\xfc\xfe",                          // точностью
};
const std::array<const char *, 10> kSubstances = {"He", "Ne", "Ar", "Kr", "Xe", "H2", "N2", "O2", "CO2", "CH4"};
const std::array<const char *, 8> kSurnames = {"Kestin", "Wakeham",  "Mason",   "Marrero",
                                               "Aziz",   "Maitland", "Vesovic", "Bich"};

struct Random {
    uint32_t state;
    uint32_t next(uint32_t bound)
    {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % bound;
    }
};

// About `bytes` of text in lines of up to 90 characters, each ending with LF.
std::string text(Random &random, size_t bytes, int32_t &lineCount)
{
    std::string out, line;
    int lines = 0;
    while (out.size() + line.size() < bytes) {
        const char *word = kWords[random.next(kWords.size())];
        if (line.size() + 1 + std::char_traits<char>::length(word) > 90) {
            out += line + "\n";
            line.clear();
            ++lines;
        }
        if (!line.empty())
            line += ' ';
        line += word;
    }
    if (!line.empty()) {
        out += line + "\n";
        ++lines;
    }
    lineCount = lines + 1;
    return out;
}

}  // namespace

void fillStore(DocumentStore &store, int count)
{
    Random random{12345};
    for (int slot = 1; slot <= count; ++slot) {
        DocumentRecord &r = store.record(slot);
        r.number = slot;
        for (auto &flag : r.categoryFlags)
            flag = random.next(3) == 0;
        r.authorCount = 3;
        for (auto &author : r.authors)
            author = kSurnames[random.next(kSurnames.size())];
        r.substanceCount = 1 + static_cast<int32_t>(random.next(5));
        for (int i = 0; i < kSubstanceCount; ++i)
            r.substances[static_cast<size_t>(i)] =
                i < r.substanceCount ? kSubstances[random.next(kSubstances.size())] : "";
        for (auto &flag : r.pairFlags)
            flag = random.next(4) == 0;
        r.year = 1950 + static_cast<int32_t>(random.next(60));
        r.citation = text(random, 220, r.citationLines);
        r.abstract = text(random, 700, r.abstractLines);
        r.notes = text(random, 420, r.notesLines);
        r.provenance = text(random, 160, r.provenanceLines);
    }
    store.documentCount = count;
}

std::string fullDatabaseFile(int count)
{
    auto store = std::make_unique<DocumentStore>();
    fillStore(*store, count);
    return formatDatabase(*store);
}

static const char *namedDatabase()
{
    const char *path = std::getenv("KALDEX_BENCH_DATABASE");
    return path && *path ? path : nullptr;
}

std::string benchDatabaseFile()
{
    const char *path = namedDatabase();
    if (!path)
        return fullDatabaseFile();
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in || bytes.empty()) {
        // A benchmark over an empty store would measure nothing and look fast.
        std::fprintf(stderr, "KALDEX_BENCH_DATABASE: cannot read %s\n", path);
        std::exit(2);
    }
    return bytes;
}

void fillBenchStore(DocumentStore &store)
{
    if (!namedDatabase()) {
        fillStore(store);
        return;
    }
    loadDatabase(store, benchDatabaseFile());
}

}  // namespace kaldex::bench
