// Loads arbitrary bytes through the archive form of every class of the
// library. The first byte chooses the class and the second the schema, from
// the cases of the golden archive corpus (0, each side of every threshold the
// classes test, and unset); the rest is the archive. A load may fail only with
// the archive's exception. Whatever the load left behind, whole or part-way,
// is an object like any other: it stores, and what it stores loads back under
// the same schema to an object that stores the same bytes again.

#include "tests/support/ArchiveCorpus.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace archive_corpus;

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const auto& cases = Cases();
    const auto& schemas = Schemas();
    const ArchiveCase& archiveCase = *cases[data[0] % cases.size()];
    const UINT schema = schemas[data[1] % schemas.size()].value;

    const LoadOutcome first = archiveCase.Load(Bytes(data + 2, data + size), schema);
    const LoadOutcome second = archiveCase.Load(first.restored, schema);
    Check(!second.threw && second.unread == 0);
    Check(second.restored == first.restored);
    return 0;
}
