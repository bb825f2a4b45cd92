#include "orvcore/geometry/AnisotropicDisplacement.h"

#include <gtest/gtest.h>

using namespace Orvane;

namespace {

void ExpectRows(const Matrix3x3& m, const double (&rows)[3][3])
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(m.Get(r, c), rows[r][c]) << r << "," << c;
}

} // namespace

TEST(AnisotropicDisplacement, MatricesFromTheComponents)
{
    AnisotropicDisplacement d;
    ExpectRows(d.GetMatrix(), {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}});
    ExpectRows(d.GetUncertaintyMatrix(), {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}});
    d.SetU12(0.5f);
    EXPECT_EQ(d.GetMatrix().Get(0, 1), 0.5);
    EXPECT_EQ(d.GetMatrix().Get(1, 0), 0.5);

    AnisotropicDisplacement e(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12);
    ExpectRows(e.GetMatrix(), {{1, 4, 5}, {4, 2, 6}, {5, 6, 3}});
    ExpectRows(e.GetUncertaintyMatrix(), {{7, 10, 11}, {10, 8, 12}, {11, 12, 9}});
    AnisotropicDisplacement f;
    f = e;
    EXPECT_EQ(f.GetSigu23(), 12.0f);
    EXPECT_EQ(f.GetU13(), 5.0f);
}
