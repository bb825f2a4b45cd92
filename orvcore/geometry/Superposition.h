#pragma once

/// \file
/// RMSBestFit, Superpose and IsPlanar: fitting tools on point sets.
///
/// Rigid superposition, and planarity by principal axes (the axes themselves
/// are Matrix3x3::PCA, BestFittingLine and BestFittingPlane).
#include "orvcore/Export.h"
#include "orvcore/core/Arrays.h"
#include "orvcore/geometry/Matrix3x3.h"
#include "orvcore/geometry/Point3d.h"

namespace Orvane {

/// Finds the rigid motion (rotation about the centroid of the first
/// mobile.GetSize() points of mobile, then translation) that lays them onto
/// as many points of target with the least RMSD, and applies it to every
/// point of coords; coords may be mobile itself. Nothing happens when mobile is
/// empty, target holds fewer points than mobile or a point used is not finite;
/// with one point, coords are translated by target[0] - mobile[0]. Where the
/// best rotation is not unique (collinear or coincident points), the one
/// turning the sets least is taken.
///
/// The rotation is the unit quaternion of the largest eigenvalue of a
/// symmetric 4x4 matrix built from the correlation of the centred sets
/// (B. K. P. Horn, "Closed-form solution of absolute orientation using unit
/// quaternions", J. Opt. Soc. Am. A 4 (1987) 629-642). That eigenvalue is the
/// largest root of the matrix's characteristic polynomial, found by Newton's
/// method from above (D. L. Theobald, "Rapid calculation of RMSDs using a
/// quaternion-based characteristic polynomial", Acta Cryst. A61 (2005)
/// 478-480), and its eigenvector a column of the adjugate of K - lambda I
/// (P. Liu, D. K. Agrafiotis, D. L. Theobald, "Fast determination of the
/// optimal rotational matrix for macromolecular superpositions", J. Comput.
/// Chem. 31 (2010) 1561-1563). Where eigenvalues lie too close for the
/// adjugate, cyclic Jacobi rotations decompose the matrix instead (G. H. Golub,
/// C. F. Van Loan, "Matrix Computations", 4th ed., 2013, section 8.5).
ORVCORE_API void RMSBestFit(const Point3d::Array& mobile, const Point3d::Array& target, Point3d::Array& coords);

/// What Superpose found: the rigid motion that lays mobile onto target, and
/// how well it does. Points are row vectors, as everywhere in the library: a
/// point p of mobile moves to p * rotation + translation.
struct ORVCORE_API SuperpositionResult
{
    /// Whether the fit was made, or why not.
    enum Status : int
    {
        ok,           ///< The motion and the RMSDs are valid.
        empty,        ///< mobile holds no points.
        sizeMismatch, ///< target (or the weights) do not hold as many entries as mobile.
        notFinite,    ///< A coordinate is NaN or infinite.
        badWeights    ///< A weight is negative or not finite, or all of them are 0.
    };

    Status status = empty;                               ///< ok, or why nothing was fitted.
    Matrix3x3 rotation{Matrix3x3::IdentityMatrix};        ///< A proper rotation (determinant +1).
    double translation[3] = {0, 0, 0};                   ///< Added after the rotation.
    double rmsdBefore = 0;                               ///< The (weighted) RMSD of the sets as given.
    double rmsdAfter = 0;                                ///< The (weighted) RMSD after the motion.
    int count = 0;                                       ///< The number of point pairs fitted.

    /// True when status is ok.
    bool IsValid() const { return status == ok; }
    /// Moves every point p of coords to p * rotation + translation, rounded to
    /// float; unweighted, the points come out equal to RMSBestFit's. Does nothing
    /// unless the result is valid.
    void Apply(Point3d::Array& coords) const;
    /// A fixed English text for a status.
    static const char* Describe(Status status);
};

/// Fits mobile onto target (the same number of points) by the rigid motion
/// with the least RMSD, the same solver as RMSBestFit: a proper rotation (a
/// mirrored set is not reflected) about the centroid, then a translation. With
/// one point the motion is a translation; where the best rotation is not unique
/// (collinear or coincident points) the one turning the sets least is taken.
/// The result's status says when nothing could be fitted: no points, sizes that
/// differ, or a coordinate that is not finite.
ORVCORE_API SuperpositionResult Superpose(const Point3d::Array& mobile, const Point3d::Array& target);
/// The same fit with a weight per point pair (as many as the points, finite and
/// not negative, not all 0): centroids, fit and RMSDs are weighted, so pairs of
/// weight 0 do not count. Weights all equal give the unweighted fit.
ORVCORE_API SuperpositionResult Superpose(const Point3d::Array& mobile, const Point3d::Array& target,
                                          const DoubleArray& weights);

/// True when no point lies farther than tol from the plane through the
/// centroid across the axis of least spread, on either side; sets of fewer
/// than three points are planar.
ORVCORE_API bool IsPlanar(const Point3d::Array& pts, double tol);

} // namespace Orvane
