#pragma once

/// \file
/// Umbrella header: every public header of the library, by subsystem.

#include "orvcore/Export.h"

/// \namespace Orvane
/// OrvCore57, the core class library of a molecular-structure viewer: the
/// geometry of coordinates, colours, the scene description a renderer walks,
/// the archive forms of documents, text utilities and a neighbour search.
///
/// The namespace holds every class and function of the library except the host
/// framework's own names (CString, CArray, CMap, CFile, CMemFile, CArchive,
/// CArchiveException, the fixed-width integer names), which are in the global
/// namespace as the framework has them. The main page of the reference and the
/// guide introduce the library; its conventions in brief:
/// - Points are row vectors multiplied on the left by a matrix, p' = p * M, and
///   a product A * B applies A first (Matrix3x3, Matrix4x4, display lists).
/// - Angles are in degrees everywhere in the interface: rotations, bond and
///   torsion angles, cell angles, arcs, the perspective angle.
/// - Point3d keeps its coordinates as floats and computes in double precision;
///   Point2d and the matrices keep doubles.
/// - Degenerate input has a defined outcome: normalising a zero vector keeps it,
///   division by zero leaves the value unchanged, a vanishing cross product is
///   replaced by a unit vector perpendicular to the first operand, an index out
///   of range is clamped or ignored as each member says.
/// - Failures: the library throws nothing of its own. Loading a short or damaged
///   document raises CArchiveException with cause endOfFile, before anything is
///   allocated for a count the document cannot back; a value in the wrong
///   direction raises readOnly or writeOnly; disk errors raise CFileException;
///   exhausted memory raises std::bad_alloc. Text that does not parse leaves its
///   target unchanged.
/// - Archive forms depend on the archive's object schema (CArchive::m_nObjectSchema):
///   points, for instance, are stored as doubles up to schema 6 and without a
///   schema, and as floats from schema 7 on.

// --- core: the host-framework seam and the library's lifecycle
#include "orvcore/core/Arrays.h"
#include "orvcore/core/CArchive.h"
#include "orvcore/core/CArchiveException.h"
#include "orvcore/core/CArray.h"
#include "orvcore/core/CFile.h"
#include "orvcore/core/CMap.h"
#include "orvcore/core/CMapStringToPtr.h"
#include "orvcore/core/CMemFile.h"
#include "orvcore/core/CString.h"
#include "orvcore/core/CStringArray.h"
#include "orvcore/core/EntryExitFunctions.h"
#include "orvcore/core/ExtensionModule.h"
#include "orvcore/core/LibraryLifecycle.h"
#include "orvcore/core/LoadOrder.h"
#include "orvcore/core/Types.h"

// --- geometry: points, matrices, measures, planes
#include "orvcore/geometry/Matrix3x3.h"
#include "orvcore/geometry/Matrix4x4.h"
#include "orvcore/geometry/Measures.h"
#include "orvcore/geometry/Plane.h"
#include "orvcore/geometry/Point2d.h"
#include "orvcore/geometry/Point3d.h"

// --- geometry: superposition, splines, displacement tensors
#include "orvcore/geometry/AnisotropicDisplacement.h"
#include "orvcore/geometry/Spline.h"
#include "orvcore/geometry/Superposition.h"

// --- color
#include "orvcore/color/Color.h"
#include "orvcore/color/ColorMap.h"

// --- graphics/primitives: base classes, solids, lines, icons
#include "orvcore/graphics/primitives/ArchiveFields.h"
#include "orvcore/graphics/primitives/GraphicsPrimitive.h"
#include "orvcore/graphics/primitives/IconPrimitive.h"
#include "orvcore/graphics/primitives/LinePrimitives.h"
#include "orvcore/graphics/primitives/LitSolidPrimitives.h"
#include "orvcore/graphics/primitives/PointPrimitives.h"
#include "orvcore/graphics/primitives/TriangleMeshPrimitive.h"

// --- graphics/primitives: shapes, text, tetrahedra, volumes
#include "orvcore/color/ColorArray.h"
#include "orvcore/graphics/primitives/BoolArray.h"
#include "orvcore/graphics/primitives/Font.h"
#include "orvcore/graphics/primitives/NComponentVolume.h"
#include "orvcore/graphics/primitives/ShapePrimitives.h"
#include "orvcore/graphics/primitives/TetrahedronPrimitive.h"
#include "orvcore/graphics/primitives/TextPrimitives.h"
#include "orvcore/graphics/primitives/VolumePrimitive.h"

// --- graphics/scene: display lists and pick dots
#include "orvcore/graphics/scene/DisplayList3D.h"
#include "orvcore/graphics/scene/DisplayListKinds.h"

// --- graphics/scene: view attributes, lights, icon library
#include "orvcore/graphics/scene/GraphicsAttributes.h"
#include "orvcore/graphics/scene/IconLibrary.h"
#include "orvcore/graphics/scene/LightSource.h"
#include "orvcore/graphics/scene/SceneDocument.h"

// --- text: string utilities and interned strings
#include "orvcore/text/StringUtils.h"
#include "orvcore/text/UniqueString.h"

// --- text: patterns
#include "orvcore/text/Pattern.h"
#include "orvcore/text/RegExpression.h"
#include "orvcore/text/RegNumber.h"

// --- spatial
#include "orvcore/spatial/CellTable.h"
#include "orvcore/spatial/NeighborList.h"

// --- numerics
#include "orvcore/numerics/Rational.h"
#include "orvcore/numerics/RandomSequences.h"
