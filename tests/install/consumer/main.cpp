#include "orvcore/OrvCore.h"

#include <cstdio>

int main()
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ar << 42 << CString("orv");
        ar.Close();
    }
    file.SeekToBegin();
    CArchive ar(&file, CArchive::load);
    int n = 0;
    CString s;
    ar >> n >> s;
    if (n != 42 || s != "orv")
        return 1;
    std::printf("consumer ok\n");
    return 0;
}
