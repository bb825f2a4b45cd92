#pragma once

// Checks a point's coordinates against expected values within a tolerance.

#include "orvcore/geometry/Point3d.h"

#include <gtest/gtest.h>

inline void ExpectPoint(const Orvane::Point3d& p, double x, double y, double z, double tol = 1e-6)
{
    EXPECT_NEAR(p.GetX(), x, tol);
    EXPECT_NEAR(p.GetY(), y, tol);
    EXPECT_NEAR(p.GetZ(), z, tol);
}
