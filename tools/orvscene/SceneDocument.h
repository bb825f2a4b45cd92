#pragma once

#include "orvcore/core/Arrays.h"
#include "orvcore/core/CStringArray.h"
#include "orvcore/geometry/Point3d.h"
#include "orvcore/graphics/scene/DisplayList3D.h"
#include "orvcore/graphics/scene/GraphicsAttributes.h"

#include <string>

namespace orvscene {

// What a scene document holds: the structure's summary, the shown atoms'
// coordinates, serial numbers and labels (so that a loaded document can be
// measured and picked like the structure itself), the view attributes and
// the scene tree.
struct SceneDocument {
    std::string source;
    int atoms = 0, bonds = 0, residues = 0, chains = 0;
    Orvane::Point3d::Array coordinates;
    Orvane::IntArray serials;
    CStringArray labels;
    Orvane::GraphicsAttributes attributes;
    Orvane::DisplayList3D scene;
};

// The document's magic word ("ORVS") and the schema its primitives are stored under.
const DWORD kDocumentMagic = 0x5356524Fu;
const UINT kDocumentSchema = 13;

// Stores the document through a CArchive: magic, schema, summary, atoms,
// attributes, then the scene tree (each list's render mode, icon scale and
// local transformation, every primitive array as a count and its elements'
// archive forms, then its nested lists).
void StoreDocument(CArchive& ar, const SceneDocument& document);
// Loads a document; a damaged one raises CArchiveException.
void LoadDocument(CArchive& ar, SceneDocument& document);

// File forms: false with the reason on failure (reading names the file).
// Writing goes straight to `path`: callers write a temporary of an
// AtomicFileSet through it.
bool WriteDocumentFile(const std::string& path, const SceneDocument& document, std::string& error);
bool ReadDocumentFile(const std::string& path, SceneDocument& document, std::string& error);

} // namespace orvscene
