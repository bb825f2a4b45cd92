// The smallest program against the installed library: one include, one
// namespace, one call. If this builds, links and prints, the package is found.
#include "orvcore/OrvCore.h"

#include <iostream>

int main()
{
    using namespace Orvane;

    const Point3d a(1, 2, 3);
    const Point3d b(4, 6, 3);
    std::cout << "distance from (" << a << ") to (" << b << ") = " << a.Distance(b) << "\n";
    std::cout << "a Point3d holds three floats: " << sizeof(Point3d) << " bytes\n";
    return 0;
}
