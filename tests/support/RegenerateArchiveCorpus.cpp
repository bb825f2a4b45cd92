// Writes the golden archive corpus into a directory: for every case of
// tests/support/ArchiveCorpus.h and every schema, the populated object as the
// library stores it, in <class>.<schema>.bin. Nothing is written unless every
// case loads back whole under its schema.
//
// The corpus pins the bytes of every archive form; rewriting it is a
// deliberate step (scripts/regenerate-archive-corpus.sh) whose difference is
// reviewed before it is committed.

#include "tests/support/ArchiveCorpus.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

using namespace archive_corpus;

namespace {

// Why a stored image does not load back whole, or an empty text.
std::string Problem(const ArchiveCase& c, const Bytes& bytes, UINT schema)
{
    const LoadOutcome outcome = c.Load(bytes, schema);
    if (outcome.threw)
        return "the load raised the archive's error";
    if (outcome.unread != 0)
        return std::to_string(outcome.unread) + " bytes left unread";
    if (!outcome.mismatches.empty())
        return outcome.mismatches.front();
    if (outcome.restored != bytes)
        return "stored again, the bytes differ";
    return std::string();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
        return 2;
    }
    std::vector<std::pair<std::string, Bytes>> files;
    bool sound = true;
    for (const auto& c : Cases()) {
        for (const Schema& schema : Schemas()) {
            Bytes bytes = c->Store(schema.value);
            const std::string problem = Problem(*c, bytes, schema.value);
            if (!problem.empty()) {
                std::fprintf(stderr, "%s under schema %s: %s\n", c->Name().c_str(), schema.tag, problem.c_str());
                sound = false;
            }
            files.emplace_back(FileName(*c, schema), std::move(bytes));
        }
    }
    if (!sound) {
        std::fprintf(stderr, "nothing written\n");
        return 1;
    }
    for (const auto& file : files) {
        const std::string path = std::string(argv[1]) + "/" + file.first;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.second.data()), static_cast<std::streamsize>(file.second.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    std::printf("%d files written to %s\n", static_cast<int>(files.size()), argv[1]);
    return 0;
}
