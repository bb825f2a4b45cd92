#pragma once

/// \file
/// NComponentVolume, the placement of a host's volume grid.
#include "orvcore/geometry/Matrix3x3.h"
#include "orvcore/geometry/Point3d.h"

namespace Orvane {

/// The placement of a volume grid whose points carry N values of type T. The
/// grid and its values belong to the host; the library reads only where the
/// grid lies: its box, given by two opposite corner points in model space, and
/// the cell the grid is laid on (three edge lengths and the three angles, in
/// degrees, between b and c, a and c, a and b).
///
/// In a cell whose angles are all 90 degrees the box is axis-aligned. In an
/// oblique cell the box is the parallelepiped whose edges run along the cell
/// axes: its corners are formed in fractional cell coordinates and taken back
/// to model space through the cell matrix.
///
/// \valuethreads
template <class T>
class NComponentVolume
{
public:
    /// The type of the grid's values.
    typedef T ValueType;

    /// A box from the origin to the origin in a cubic cell of edge 1.
    NComponentVolume() = default;

    /// The first corner point of the box.
    const Point3d& GetBoxCorner1() const { return m_corner1; }
    /// The second corner point of the box, opposite the first.
    const Point3d& GetBoxCorner2() const { return m_corner2; }
    /// Sets the first corner point.
    void SetBoxCorner1(const Point3d& p) { m_corner1 = p; }
    /// Sets the second corner point.
    void SetBoxCorner2(const Point3d& p) { m_corner2 = p; }
    /// Sets both corner points.
    void SetBox(const Point3d& corner1, const Point3d& corner2)
    {
        m_corner1 = corner1;
        m_corner2 = corner2;
    }

    /// The cell's edge lengths a, b, c.
    void GetCellLengths(double& a, double& b, double& c) const
    {
        a = m_lengths[0];
        b = m_lengths[1];
        c = m_lengths[2];
    }
    /// Sets the cell's edge lengths.
    void SetCellLengths(double a, double b, double c)
    {
        m_lengths[0] = a;
        m_lengths[1] = b;
        m_lengths[2] = c;
    }
    /// The cell's angles in degrees: alpha (between b and c), beta (a and c), gamma (a and b).
    void GetCellAngles(double& alpha, double& beta, double& gamma) const
    {
        alpha = m_angles[0];
        beta = m_angles[1];
        gamma = m_angles[2];
    }
    /// Sets the cell's angles, in degrees.
    void SetCellAngles(double alpha, double beta, double gamma)
    {
        m_angles[0] = alpha;
        m_angles[1] = beta;
        m_angles[2] = gamma;
    }

    /// True when all three cell angles are exactly 90 degrees.
    bool IsOrthogonal() const { return m_angles[0] == 90.0 && m_angles[1] == 90.0 && m_angles[2] == 90.0; }

    /// Fractional to Cartesian coordinates of the cell (the identity when a
    /// cell parameter is 0).
    Matrix3x3 GetCellMatrix() const
    {
        Matrix3x3 m(Matrix3x3::IdentityMatrix);
        m.FractionalToCartesian(m_lengths[0], m_lengths[1], m_lengths[2], m_angles[0], m_angles[1], m_angles[2]);
        return m;
    }

    /// The eight corners of the box in the order of the unit-cube corners
    /// (0,0,0), (1,0,0), (1,1,0), (0,1,0), (0,0,1), (1,0,1), (1,1,1), (0,1,1):
    /// a 0 takes that coordinate from the first corner point, a 1 from the second.
    void GetBoxCorners(Point3d corners[8]) const
    {
        static const int select[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                         {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
        const bool oblique = !IsOrthogonal();
        const Matrix3x3 toCartesian = oblique ? GetCellMatrix() : Matrix3x3(Matrix3x3::IdentityMatrix);
        Point3d ends[2] = {m_corner1, m_corner2};
        if (oblique) {
            Matrix3x3 toFractional = toCartesian;
            toFractional.Invert();
            toFractional.Transform(ends[0]);
            toFractional.Transform(ends[1]);
        }
        for (int i = 0; i < 8; ++i) {
            corners[i] = Point3d(ends[select[i][0]].GetX(), ends[select[i][1]].GetY(), ends[select[i][2]].GetZ());
            if (oblique)
                toCartesian.Transform(corners[i]);
        }
    }

private:
    Point3d m_corner1;
    Point3d m_corner2;
    double m_lengths[3] = {1.0, 1.0, 1.0};
    double m_angles[3] = {90.0, 90.0, 90.0};
};

} // namespace Orvane
