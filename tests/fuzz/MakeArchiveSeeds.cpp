// Writes the seed corpus of ArchiveFuzz into a folder: for every case of the
// golden archive corpus and every schema, the two bytes that choose them,
// then the populated object as the library stores it under that schema, in
// <class>.<schema>.
//
// usage: MakeArchiveSeeds FOLDER   (scripts/make-archive-fuzz-seeds.sh)

#include "tests/support/ArchiveCorpus.h"

#include <cstdio>
#include <fstream>
#include <string>

using namespace archive_corpus;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const auto& cases = Cases();
    const auto& schemas = Schemas();
    int written = 0;
    for (std::size_t c = 0; c < cases.size(); ++c) {
        for (std::size_t s = 0; s < schemas.size(); ++s) {
            Bytes seed{static_cast<BYTE>(c), static_cast<BYTE>(s)};
            const Bytes stored = cases[c]->Store(schemas[s].value);
            seed.insert(seed.end(), stored.begin(), stored.end());
            const std::string path = std::string(argv[1]) + "/" + cases[c]->Name() + "." + schemas[s].tag;
            std::ofstream out(path, std::ios::binary);
            out.write(reinterpret_cast<const char*>(seed.data()), static_cast<std::streamsize>(seed.size()));
            if (!out) {
                std::fprintf(stderr, "cannot write %s\n", path.c_str());
                return 1;
            }
            ++written;
        }
    }
    std::printf("%d seeds written to %s\n", written, argv[1]);
    return 0;
}
