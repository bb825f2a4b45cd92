#include "orvcore/geometry/Point3d.h"
#include "orvcore/numerics/RandomSequences.h"

namespace Orvane {

namespace {

// Three draws in order, as x, y, z.
Point3d Draw(RandomSequence& s)
{
    const double x = s();
    const double y = s();
    const double z = s();
    return Point3d(x, y, z);
}

} // namespace

Point3d Point3d::Random(RandomSequence& s)
{
    return Draw(s);
}

Point3d Point3d::Random()
{
    UniformRandomSequence s(-1.0, 1.0);
    return Draw(s).Normalize();
}

Point3d& Point3d::Randomize(RandomSequence& s)
{
    const double length = Length();
    *this = Draw(s);
    if (length > 0.0)
        ChangeLength(length);
    return *this;
}

Point3d& Point3d::Randomize()
{
    UniformRandomSequence s(-1.0, 1.0);
    return Randomize(s);
}

} // namespace Orvane
