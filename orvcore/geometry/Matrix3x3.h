#pragma once

/// \file
/// Matrix3x3, the 3x3 matrix of rotations and frames, and the Axis names.
#include "orvcore/Export.h"
#include "orvcore/core/CArchive.h"
#include "orvcore/geometry/Point3d.h"

#include <iosfwd>

namespace Orvane {

/// A coordinate axis.
enum Axis { XAxis = 0, YAxis = 1, ZAxis = 2 };

class Matrix4x4;

/// A 3x3 matrix of doubles, row-major. Points are row vectors multiplied on
/// the left (p' = p * M), so a product A * B applies A first.
///
/// \valuethreads
class ORVCORE_API Matrix3x3
{
public:
    /// Constructor tag: the identity.
    enum IdentityMatrix { IdentityMatrix };
    /// Constructor tag: the null matrix.
    enum NullMatrix { NullMatrix };
    /// Constructor tag: elements left unset.
    enum UninitializedMatrix { UninitializedMatrix };

    Matrix3x3(); ///< the null matrix
    /// The identity, the null matrix, or (UninitializedMatrix) elements left unset.
    ///@{
    explicit Matrix3x3(enum IdentityMatrix);
    explicit Matrix3x3(enum NullMatrix);
    explicit Matrix3x3(enum UninitializedMatrix) {}
    ///@}
    /// The rotation of SetRotation(axis, degrees).
    Matrix3x3(Axis axis, double degrees);
    /// The rotation of SetRotation(axis, degrees).
    Matrix3x3(const Point3d& axis, double degrees);
    /// The rotation of SetRotation(from, to).
    Matrix3x3(const Point3d& from, const Point3d& to);
    /// The matrix of the nine elements, row by row (mRC: row R, column C).
    Matrix3x3(double m00, double m01, double m02, double m10, double m11, double m12, double m20, double m21,
              double m22);
    /// The matrix of nine elements, row by row.
    explicit Matrix3x3(const double* elements);
    /// Copies.
    ///@{
    Matrix3x3(const Matrix3x3&) = default;
    Matrix3x3& operator=(const Matrix3x3&) = default;
    ///@}
    /// Takes the upper-left 3x3 block.
    Matrix3x3& operator=(const Matrix4x4& m);

    // --- elements
    /// The nine elements, row by row.
    ///@{
    operator double*() { return m_m; }
    operator const double*() const { return m_m; }
    ///@}
    /// Element (row, col) with both indices clamped into 0..2.
    ///@{
    double& operator()(int row, int col) { return m_m[3 * Clamp(row) + Clamp(col)]; }
    const double& operator()(int row, int col) const { return m_m[3 * Clamp(row) + Clamp(col)]; }
    ///@}
    /// Indices must be in range.
    double Get(int row, int col) const { return m_m[3 * row + col]; }
    /// Does nothing when an index is out of range.
    Matrix3x3& Set(int row, int col, double value);
    /// Copies the nine elements out, row by row.
    void Get(double* elements) const;
    /// Sets the nine elements, row by row.
    ///@{
    Matrix3x3& Set(const double* elements);
    Matrix3x3& Set(double m00, double m01, double m02, double m10, double m11, double m12, double m20, double m21,
                   double m22);
                   ///@}

    // --- setters (angles in degrees)
    /// The identity.
    Matrix3x3& SetIdentity();
    /// Every element 0.
    Matrix3x3& SetNull();
    /// A diagonal scale matrix: s on the diagonal, or sx, sy, sz.
    ///@{
    Matrix3x3& SetScale(double s);
    Matrix3x3& SetScale(double sx, double sy, double sz);
    Matrix3x3& SetScale(const Point3d& s);
    ///@}
    /// The identity with -1 for the given axis: a mirror through the plane of the other
    /// two. Any other value of axis gives the identity.
    Matrix3x3& SetReflection(Axis axis);
    /// Rotation by degrees about a coordinate axis. p * M turns y towards z about XAxis
    /// and x towards y about ZAxis (counter-clockwise seen from the axis' tip); about
    /// YAxis it turns x towards z, the opposite sense of SetRotation(Point3d(0, 1, 0), degrees).
    Matrix3x3& SetRotation(Axis axis, double degrees);
    /// Right-handed rotation by degrees about axis (normalised first): seen from the
    /// axis' tip the rotation of p * M is counter-clockwise. A zero axis gives
    /// cos(degrees) times the identity.
    Matrix3x3& SetRotation(const Point3d& axis, double degrees);
    /// The rotation turning the direction of from into that of to.
    /// Zero vectors, or equal directions, give the identity; opposite directions
    /// give a half turn.
    Matrix3x3& SetRotation(const Point3d& from, const Point3d& to);
    /// An orthonormal right-handed frame whose third row is dir normalised.
    /// The other two rows are fixed by a built-in reference direction; the result is
    /// not meaningful for a zero dir.
    Matrix3x3& SetRotation(const Point3d& dir);
    /// Crystallographic cell: lengths a, b, c and angles alpha, beta, gamma.
    /// Left unchanged when any argument is 0.
    /// Lengths in any unit (the result is in that unit), angles in degrees. The
    /// rows are the cell axes a, b, c, with a along x and b in the xy plane, so
    /// fractional coordinates f map to f * M (the orthogonalisation convention
    /// of the PDB format's CRYST1 and SCALEn records: a along x, c* along z).
    Matrix3x3& FractionalToCartesian(double a, double b, double c, double alpha, double beta, double gamma);
    /// The same, with lengths (a, b, c) and angles (alpha, beta, gamma) as points.
    Matrix3x3& FractionalToCartesian(const Point3d& lengths, const Point3d& angles);
    /// Swaps rows and columns.
    Matrix3x3& Transpose();
    /// Left unchanged when the matrix is singular.
    /// Gauss-Jordan elimination; only an exactly zero pivot counts as singular.
    Matrix3x3& Invert();

    // --- arithmetic
    /// Elementwise sum and difference.
    ///@{
    Matrix3x3& operator+=(const Matrix3x3& m);
    Matrix3x3& operator-=(const Matrix3x3& m);
    ///@}
    Matrix3x3& operator*=(const Matrix3x3& m); ///< this * m
    Matrix3x3& operator*=(double s); ///< Every element times s.
    Matrix3x3& operator/=(double s); ///< skipped when s is 0

    // --- applied to points: p * M
    /// The image p * M of a row vector p; Rotate and Transform are the same.
    ///@{
    Point3d Rotate(const Point3d& p) const;
    void Rotate(Point3d& p) const;
    Point3d Transform(const Point3d& p) const;
    void Transform(Point3d& p) const;
    ///@}

    // --- persistence and text
    /// Stores or loads the nine elements as doubles, row by row (72 bytes).
    void Serialize(CArchive& ar);
    /// Rows of fixed-point fields of width 10, one row per line.
    void Print(std::ostream& os) const;

    // --- principal axes of point sets (defined in Superposition.cpp)
    /// Principal axes of a point set. Adds the points into centroid (pass the
    /// origin) and divides by their count; axis1..3 are the unit principal axes
    /// in order of decreasing spread; maxK / minK the farthest reach of the set
    /// along +axisK / -axisK. The axes are the singular vectors of the centred
    /// points' scatter matrix, by a Golub-Kahan singular value decomposition
    /// with implicit shifts (Golub and Kahan 1965, Golub and Reinsch 1970).
    static void PCA(const Point3d::Array& pts, Point3d& centroid, Point3d& axis1, Point3d& axis2, Point3d& axis3,
                    double& max1, double& min1, double& max2, double& min2, double& max3, double& min3);
    /// The segment of the first principal axis that spans the points.
    static void BestFittingLine(const Point3d::Array& pts, Point3d& start, Point3d& end);
    /// corners[0..3]: the rectangle in the plane of the first two principal
    /// axes that spans the points, in order around it.
    static void BestFittingPlane(const Point3d::Array& pts, Point3d* const corners);

private:
    static int Clamp(int i) { return i < 0 ? 0 : i > 2 ? 2 : i; }

    /// Singular value decomposition by plane rotations: A becomes diagonal
    /// with non-negative values in decreasing order, (A before) = U * A * V.
    /// Givens rotations reduce A to upper bidiagonal form; implicitly shifted
    /// QR steps, the shift the eigenvalue of the trailing 2x2 block of A^T A
    /// nearer its last element, chase the superdiagonal to zero (G. H. Golub,
    /// W. Kahan, "Calculating the singular values and pseudo-inverse of a
    /// matrix", SIAM J. Numer. Anal. B 2 (1965) 205-224; G. H. Golub,
    /// C. Reinsch, "Singular value decomposition and least squares solutions",
    /// Numer. Math. 14 (1970) 403-420).
    friend class Matrix3x3Decomposition; ///< the unit tests' window on it
    static void SVD(Matrix3x3& A, Matrix3x3& U, Matrix3x3& V);
    static void ComGiv(double a, double b, double& co, double& si);
    static void PreGiv(Matrix3x3& A, int i, int k, int col, Matrix3x3& U);
    static void PosGiv(Matrix3x3& A, int i, int k, int row, Matrix3x3& V);
    static void PreGMU(Matrix3x3& A, Matrix3x3& U, double co, double si, int i, int k);
    static void PosGMU(Matrix3x3& A, Matrix3x3& V, double co, double si, int i, int k);
    static void SVDiag(Matrix3x3& U, Matrix3x3& A, Matrix3x3& V);
    static void MatrixToVector(Matrix3x3& M, int n, Point3d& p);

    double m_m[9];
};

static_assert(sizeof(Matrix3x3) == 72, "Matrix3x3 is nine doubles");

/// Elementwise sum, difference, scaling; a * b is the matrix product (apply a,
/// then b); division by 0 gives m unchanged.
///@{
ORVCORE_API Matrix3x3 operator+(const Matrix3x3& a, const Matrix3x3& b);
ORVCORE_API Matrix3x3 operator-(const Matrix3x3& a, const Matrix3x3& b);
ORVCORE_API Matrix3x3 operator*(const Matrix3x3& a, const Matrix3x3& b);
ORVCORE_API Matrix3x3 operator*(const Matrix3x3& m, double s);
ORVCORE_API Matrix3x3 operator*(double s, const Matrix3x3& m);
ORVCORE_API Matrix3x3 operator/(const Matrix3x3& m, double s);
///@}
/// The row vector p times m.
ORVCORE_API Point3d operator*(const Point3d& p, const Matrix3x3& m);

/// Archive form: the nine elements as doubles, row by row.
///@{
ORVCORE_API CArchive& operator<<(CArchive& ar, const Matrix3x3& m);
/// A short archive raises CArchiveException(endOfFile) and leaves m unchanged.
ORVCORE_API CArchive& operator>>(CArchive& ar, Matrix3x3& m);
///@}
/// Text: the elements in row-major order, each followed by a space, or each
/// in a field of the stream's width when one is set.
ORVCORE_API std::ostream& operator<<(std::ostream& os, const Matrix3x3& m);
/// Reads nine numbers; on failure the matrix is left unchanged.
ORVCORE_API std::istream& operator>>(std::istream& is, Matrix3x3& m);

} // namespace Orvane
