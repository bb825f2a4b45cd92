#include "orvcore/OrvCore.h"

#include <cstdio>

int main()
{
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    ar << CString("OrvCore57") << 57;
    ar.Close();
    std::printf("archive of %llu bytes written\n", static_cast<unsigned long long>(file.GetLength()));
    return 0;
}
