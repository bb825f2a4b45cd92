#include "orvcore/core/ArchiveFields.h"

namespace Orvane {

int ReadSignedCount(CArchive& ar, std::size_t elementBytes)
{
    int count = 0;
    ar >> count;
    if (count < 0)
        throw CArchiveException(CArchiveException::endOfFile);
    ar.RequireAvailable(static_cast<ULONGLONG>(count) * elementBytes);
    return count;
}

} // namespace Orvane
