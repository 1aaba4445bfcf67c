#pragma once

#include "core/store/DocumentStore.h"

#include <string>

namespace kaldex::bench {

/**
 * Fills slots 1..count with documents shaped like real ones: three authors,
 * a few substances and pair flags, and about 1.5 KB of Russian text in
 * Windows-1251 across the four texts, with line counts that match.
 */
void fillStore(DocumentStore &store, int count = DocumentStore::kMaxDocuments);

/** The database file of such a store, as the save writes it. */
std::string fullDatabaseFile(int count = DocumentStore::kMaxDocuments);

/**
 * The database file the benchmarks work on: the file named by the environment
 * variable KALDEX_BENCH_DATABASE (kaldex-generate's output, or a real ba0), or
 * fullDatabaseFile() when it is not set. Exits when the named file is unreadable.
 */
std::string benchDatabaseFile();

/** A store holding benchDatabaseFile(): loaded from the named file, or filled directly. */
void fillBenchStore(DocumentStore &store);

}  // namespace kaldex::bench
