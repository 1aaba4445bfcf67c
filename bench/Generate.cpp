// Writes a full database file for trying the program and the benchmarks on.
#include "bench/FullStore.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

int main(int argc, char **argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: kaldex-generate FILE [DOCUMENTS]\n");
        return 2;
    }
    int count = argc == 3 ? std::atoi(argv[2]) : kaldex::DocumentStore::kMaxDocuments;
    if (count < 0 || count > kaldex::DocumentStore::kMaxDocuments) {
        std::fprintf(stderr, "DOCUMENTS must be 0..%d\n", kaldex::DocumentStore::kMaxDocuments);
        return 2;
    }
    std::string bytes = kaldex::bench::fullDatabaseFile(count);
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return out ? 0 : 1;
}
