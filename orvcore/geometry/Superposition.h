#pragma once

/// \file
/// RMSBestFit and IsPlanar: fitting tools on point sets.
///
/// Rigid superposition, and planarity by principal axes (the axes themselves
/// are Matrix3x3::PCA, BestFittingLine and BestFittingPlane).
#include "orvcore/Export.h"
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
ORVCORE_API void RMSBestFit(const Point3d::Array& mobile, const Point3d::Array& target, Point3d::Array& coords);

/// True when no point lies farther than tol from the plane through the
/// centroid across the axis of least spread, on either side; sets of fewer
/// than three points are planar.
ORVCORE_API bool IsPlanar(const Point3d::Array& pts, double tol);

} // namespace Orvane
