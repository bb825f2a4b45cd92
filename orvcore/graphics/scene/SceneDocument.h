#pragma once

/// \file
/// SceneDocument, a scene with its view and the atoms it shows, as one stored document.
#include "orvcore/Export.h"
#include "orvcore/core/Arrays.h"
#include "orvcore/core/CArchive.h"
#include "orvcore/core/CStringArray.h"
#include "orvcore/geometry/Point3d.h"
#include "orvcore/graphics/scene/DisplayList3D.h"
#include "orvcore/graphics/scene/GraphicsAttributes.h"

#include <cstddef>
#include <string>
#include <vector>

namespace Orvane {

/// A scene document: a summary of the structure a scene was built from, the
/// coordinates, serial numbers and labels of the atoms it shows (so that a
/// loaded document can be measured and picked like the structure itself),
/// the view attributes and the tree of display lists. docs/scene-document.md
/// gives the byte layout.
///
/// The document starts with the magic word "ORVS" and its schema (13), which
/// is also the object schema its primitives and view attributes are stored
/// under. Each display list is stored as its render mode, icon scale and local
/// transformation, then every primitive array of the list (in the display
/// list's table order, volumes left out since they point to data the document
/// does not own) as a count and the primitives' own archive forms, then the
/// count of nested lists and each of them in turn.
///
/// Loading checks what it reads: a document whose coordinates, radii, sizes,
/// angles or matrices are not all finite numbers is refused (notFinite), as
/// is one nested deeper than kMaxDepth or whose atom tables disagree in length
/// (damaged). A load that fails leaves the document unchanged.
///
/// \threadsafety{As a value, except that loading makes display lists, each of which
/// takes an identifier from the process-wide counter of DisplayList3D: documents are
/// loaded on one thread at a time.}
class ORVCORE_API SceneDocument
{
public:
    /// What a load or a write came to.
    enum Status : int
    {
        ok,           ///< Done.
        notADocument, ///< The bytes do not start with the magic word.
        newerSchema,  ///< The document's schema is newer than kSchema.
        truncated,    ///< The document ends early, or a count claims more than is left.
        damaged,      ///< The content is inconsistent (table lengths, nesting, a primitive's fields).
        notFinite,    ///< A coordinate, radius, size, angle or matrix element is NaN or infinite.
        cannotOpen,   ///< The file could not be opened for reading.
        readFailed,   ///< Reading the file failed.
        cannotCreate, ///< The file could not be created.
        writeFailed   ///< Writing the file failed.
    };

    static const DWORD kMagic = 0x5356524Fu; ///< "ORVS" as a little-endian word.
    static const UINT kSchema = 13;          ///< The schema documents are written under.
    static const int kMaxDepth = 64;         ///< Nesting deeper than this is taken as damage.

    std::string source;                         ///< Where the structure came from (a file name or title).
    /// The structure's summary: its numbers of atoms, bonds, residues and chains.
    ///@{
    int atoms = 0, bonds = 0, residues = 0, chains = 0;
    ///@}
    Point3d::Array coordinates;                 ///< The shown atoms' coordinates.
    IntArray serials;                           ///< Their serial numbers (the pick dots' identifiers).
    CStringArray labels;                        ///< Their labels.
    GraphicsAttributes attributes;              ///< The view attributes.
    DisplayList3D scene;                        ///< The scene tree.

    /// A fixed English text for a status (e.g. "not an orvscene document").
    static const char* Describe(Status status);

    /// Stores the document through a storing archive; sets the archive's object
    /// schema to kSchema. Archive errors pass through.
    void Store(CArchive& ar) const;
    /// Loads a document from a loading archive. Any failure is returned as a
    /// status and leaves this document unchanged; the archive's position is
    /// then unspecified.
    Status Load(CArchive& ar);

    /// The stored document as bytes.
    std::vector<BYTE> ToBytes() const;
    /// Loads a document from size bytes at data; trailing bytes make it damaged.
    Status FromBytes(const BYTE* data, std::size_t size);

    /// Writes the document to a file, creating or truncating it. On failure errno
    /// still holds the system's reason (0 when there is none).
    Status WriteFile(const char* path) const;
    /// Reads a document from a file; on failure the document is unchanged.
    Status ReadFile(const char* path);

    /// True when every coordinate, radius, size, angle and matrix element of the
    /// document (atoms, view attributes, every list and primitive) is finite.
    bool IsFinite() const;
};

} // namespace Orvane
