#include "orvcore/graphics/scene/SceneDocument.h"

#include "orvcore/core/CArchiveException.h"
#include "orvcore/core/CFile.h"
#include "orvcore/core/CMemFile.h"

#include <cerrno>
#include <cmath>
#include <limits>
#include <type_traits>

namespace Orvane {

namespace {

// --- finiteness of what a document holds

bool Finite(double v) { return std::isfinite(v); }
bool Finite(const Point3d& p) { return Finite(p[0]) && Finite(p[1]) && Finite(p[2]); }
bool Finite(const Point2d& p) { return Finite(p.GetX()) && Finite(p.GetY()); }
bool Finite(const Matrix4x4& m)
{
    const double* e = m;
    for (int i = 0; i < 16; ++i)
        if (!Finite(e[i]))
            return false;
    return true;
}
bool Finite(const LinePrimitive& p);
template <class A>
bool AllFinite(const A& array)
{
    for (int i = 0; i < array.GetSize(); ++i)
        if (!Finite(array[i]))
            return false;
    return true;
}

bool Finite(const LinePrimitive& p) { return Finite(p.GetEnd1()) && Finite(p.GetEnd2()); }
bool Finite(const LineArrayPrimitive& p) { return Finite(p.GetLineWidth()) && AllFinite(p.GetLineArray()); }
bool Finite(const TetrahedronPrimitive& p)
{
    Point3d v[4];
    p.GetTetrahedronVertices(v[0], v[1], v[2], v[3]);
    return Finite(v[0]) && Finite(v[1]) && Finite(v[2]) && Finite(v[3]);
}
bool Finite(const SpherePrimitive& p) { return Finite(p.GetCenter()) && Finite(p.GetRadius()); }
bool Finite(const EllipsoidPrimitive& p)
{
    return Finite(p.GetCenter()) && Finite(p.GetSize()) && Finite(p.GetMatrix());
}
bool Finite(const CylinderPrimitive& p)
{
    return Finite(p.GetEnd1()) && Finite(p.GetEnd2()) && Finite(p.GetRadius());
}
bool Finite(const ConePrimitive& p) { return Finite(p.GetBase()) && Finite(p.GetTip()) && Finite(p.GetRadius()); }
bool Finite(const TrianglePrimitive& p)
{
    return Finite(p.GetEnd1()) && Finite(p.GetEnd2()) && Finite(p.GetEnd3()) && Finite(p.GetNormal());
}
bool Finite(const TriangleMeshPrimitive& p)
{
    if (!Finite(p.GetLineWidth()))
        return false;
    for (int i = 0; i < p.GetNumVertices(); ++i)
        if (!Finite(p.GetVertexAt(i).GetPoint()) || !Finite(p.GetVertexAt(i).GetNormal()))
            return false;
    return true;
}
bool Finite(const UnlitPointPrimitive& p) { return Finite(p.GetCoord()); }
bool Finite(const IconPrimitive& p) { return Finite(p.GetCoord()) && Finite(p.GetIconScale()); }
bool Finite(const Text3DPrimitive& p) { return Finite(p.GetCoord()) && Finite(p.GetZOffset()); }
bool Finite(const ArcPrimitive& p)
{
    return Finite(p.GetCenter()) && Finite(p.GetNormal()) && Finite(p.GetStart()) && Finite(p.GetAngle());
}
bool Finite(const UnlitTrianglePrimitive& p) { return Finite(p.GetEnd1()) && Finite(p.GetEnd2()) && Finite(p.GetEnd3()); }
bool Finite(const Rect2DPrimitive& p) { return Finite(p.GetCoord()); }
bool Finite(const UnlitLinePrimitive& p) { return AllFinite(p.GetPoints()); }
bool Finite(const RectanglePrimitive& p) { return Finite(p.GetOrigin()) && Finite(p.GetSize()); }
bool Finite(const TriangleShapePrimitive& p)
{
    return Finite(p.GetOrigin()) && Finite(p.GetPoint1()) && Finite(p.GetPoint2()) && Finite(p.GetPoint3());
}
bool Finite(const TextStringPrimitive& p) { return Finite(p.GetOrigin()); }
bool Finite(const TextBoxPrimitive& p) { return Finite(p.GetOrigin()) && Finite(p.GetBoxWidth()); }
bool Finite(const TextCalloutPrimitive& p)
{
    return Finite(p.GetOrigin()) && Finite(p.GetBoxWidth()) && Finite(p.GetLocation()) &&
           Finite(p.GetLocation2d());
}

bool Finite(const GraphicsAttributes& a)
{
    for (int i = 0; i < GraphicsAttributes::NumLights; ++i)
        if (!Finite(a.GetLight(i).GetPosition()))
            return false;
    return Finite(a.GetViewSize()) && Finite(a.GetStereoAngle()) && Finite(a.GetStereoSeparationFactor()) &&
           Finite(a.GetStereoSkewFactor()) && Finite(a.GetPerspectiveAngle()) && Finite(a.GetLineWidth()) &&
           Finite(a.GetFontScale()) && Finite(a.GetZFarAdj()) && Finite(a.GetZNearAdj()) && Finite(a.GetMatrix());
}

// --- the primitive arrays a document holds, in the display list's table order

// Calls visit(Type(), count, get) for every primitive array of a list that a
// document stores: all but the volumes, which point to grids the document does
// not hold.
template <class Visitor, class Type, class Count, class Get>
void VisitStored(Visitor& visit, Type type, Count count, Get get)
{
    visit(type, count, get);
}
template <class Visitor, class Count, class Get>
void VisitStored(Visitor&, VolumePrimitive, Count, Get)
{
}

template <class Visitor>
void ForEachStoredArray(Visitor&& visit)
{
#define ORVCORE_DOC_ONE(Type, member, Plural, Singular)                                                         \
    VisitStored(visit, Type(), [](const DisplayList3D& l) { return l.GetNum##Plural(); },                       \
                [](const DisplayList3D& l, int i) -> const Type& { return l.Get##Singular(i); });
#define ORVCORE_DOC_SPLIT(Type, opaque, transparent, Plural, Singular)                                          \
    VisitStored(visit, Type(), [](const DisplayList3D& l) { return l.GetNumOpaque##Plural(); },                 \
                [](const DisplayList3D& l, int i) -> const Type& { return l.GetOpaque##Singular(i); });          \
    VisitStored(visit, Type(), [](const DisplayList3D& l) { return l.GetNumTransparent##Plural(); },            \
                [](const DisplayList3D& l, int i) -> const Type& { return l.GetTransparent##Singular(i); });
    ORVCORE_DISPLAYLIST_KINDS(ORVCORE_DOC_ONE, ORVCORE_DOC_SPLIT)
#undef ORVCORE_DOC_SPLIT
#undef ORVCORE_DOC_ONE
}

bool Finite(const DisplayList3D& list)
{
    if (!Finite(list.GetIconScale()) || !Finite(list.GetLocalTransformation()))
        return false;
    bool finite = true;
    ForEachStoredArray([&](auto, auto count, auto get) {
        for (int i = 0, n = count(list); finite && i < n; ++i)
            finite = Finite(get(list, i));
    });
    for (int i = 0; finite && i < list.GetNumDisplayLists(); ++i)
        finite = Finite(list.GetDisplayList(i));
    return finite;
}

// --- storing and loading the tree

void StoreList(CArchive& ar, const DisplayList3D& list)
{
    ar << static_cast<int>(list.GetRenderMode());
    ar << list.GetIconScale();
    ar << list.GetLocalTransformation();
    ForEachStoredArray([&](auto type, auto count, auto get) {
        using Primitive = decltype(type);
        const int n = count(list);
        ar.WriteCount(static_cast<DWORD>(n));
        for (int i = 0; i < n; ++i) {
            Primitive copy(get(list, i)); // Serialize is not const
            copy.Serialize(ar);
        }
    });
    ar.WriteCount(static_cast<DWORD>(list.GetNumDisplayLists()));
    for (int i = 0; i < list.GetNumDisplayLists(); ++i)
        StoreList(ar, list.GetDisplayList(i));
}

// Damage found in the content rather than by the archive.
struct Refused {
    SceneDocument::Status status;
};

void LoadList(CArchive& ar, DisplayList3D& list, int depth)
{
    if (depth > SceneDocument::kMaxDepth)
        throw Refused{SceneDocument::damaged};
    int mode = 0;
    ar >> mode;
    list.SetRenderMode(static_cast<DisplayList3D::RenderMode>(mode));
    Point3d scale;
    ar >> scale;
    list.SetIconScale(scale);
    Matrix4x4 local;
    ar >> local;
    list.SetLocalTransformation(local);
    ForEachStoredArray([&](auto type, auto, auto) {
        using Primitive = decltype(type);
        // Every stored primitive takes at least one byte.
        const DWORD n = ar.ReadCheckedCount(1);
        for (DWORD i = 0; i < n; ++i) {
            Primitive p;
            p.Serialize(ar);
            list.Add(p);
        }
    });
    const DWORD nested = ar.ReadCheckedCount(1);
    for (DWORD i = 0; i < nested; ++i) {
        DisplayList3D child;
        LoadList(ar, child, depth + 1);
        list.Add(child);
    }
}

} // namespace

const char* SceneDocument::Describe(Status status)
{
    switch (status) {
    case ok:
        return "no error";
    case notADocument:
        return "not an orvscene document";
    case newerSchema:
        return "written under a newer schema than this library reads";
    case truncated:
        return "damaged document (it ends early)";
    case damaged:
        return "damaged document (its content is inconsistent)";
    case notFinite:
        return "damaged document (a coordinate, radius, size, angle or matrix is not a finite number)";
    case cannotOpen:
        return "cannot open the document";
    case readFailed:
        return "cannot read the document";
    case cannotCreate:
        return "cannot create the file";
    case writeFailed:
        return "write failed";
    }
    return "unknown status";
}

bool SceneDocument::IsFinite() const
{
    return AllFinite(coordinates) && Finite(attributes) && Finite(scene);
}

void SceneDocument::Store(CArchive& ar) const
{
    ar.m_nObjectSchema = kSchema;
    ar << kMagic << kSchema;
    ar << CString(source.c_str()) << atoms << bonds << residues << chains;
    // The arrays' Serialize is not const: store copies.
    Point3d::Array(coordinates).Serialize(ar);
    IntArray(serials).Serialize(ar);
    CStringArray(labels).Serialize(ar);
    GraphicsAttributes(attributes).Serialize(ar);
    StoreList(ar, scene);
}

namespace {

// Loads a document into d, a new one; whole: the archive must end with it.
SceneDocument::Status LoadInto(CArchive& ar, SceneDocument& d, bool whole)
{
    try {
        DWORD magic = 0;
        UINT schema = 0;
        ar >> magic;
        if (magic != SceneDocument::kMagic)
            return SceneDocument::notADocument;
        ar >> schema;
        if (schema > SceneDocument::kSchema)
            return SceneDocument::newerSchema;
        ar.m_nObjectSchema = schema;
        CString text;
        ar >> text >> d.atoms >> d.bonds >> d.residues >> d.chains;
        d.source = text.GetString();
        d.coordinates.Serialize(ar);
        d.serials.Serialize(ar);
        d.labels.Serialize(ar);
        if (d.serials.GetSize() != d.coordinates.GetSize() || d.labels.GetSize() != d.coordinates.GetSize())
            return SceneDocument::damaged;
        d.attributes.Serialize(ar);
        LoadList(ar, d.scene, 0);
        if (whole && ar.GetBytesAvailable() != 0)
            return SceneDocument::damaged;
    } catch (const Refused& r) {
        return r.status;
    } catch (const CArchiveException& e) {
        return e.m_cause == CArchiveException::endOfFile ? SceneDocument::truncated : SceneDocument::damaged;
    } catch (const CFileException&) {
        return SceneDocument::readFailed;
    }
    return d.IsFinite() ? SceneDocument::ok : SceneDocument::notFinite;
}

} // namespace

SceneDocument::Status SceneDocument::Load(CArchive& ar)
{
    SceneDocument d;
    const Status status = LoadInto(ar, d, false);
    if (status == ok)
        *this = std::move(d);
    return status;
}

std::vector<BYTE> SceneDocument::ToBytes() const
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        Store(ar);
        ar.Close();
    }
    return file.GetBytes();
}

SceneDocument::Status SceneDocument::FromBytes(const BYTE* data, std::size_t size)
{
    if (size > std::numeric_limits<UINT>::max())
        return truncated; // more than an archive can count is not a document of this library
    CMemFile file(data, static_cast<UINT>(size));
    CArchive ar(&file, CArchive::load);
    SceneDocument d;
    const Status status = LoadInto(ar, d, true);
    if (status == ok)
        *this = std::move(d);
    return status;
}

SceneDocument::Status SceneDocument::WriteFile(const char* path) const
{
    CFile file;
    errno = 0;
    if (!file.Open(path, CFile::modeCreate | CFile::modeWrite))
        return cannotCreate;
    try {
        CArchive ar(&file, CArchive::store);
        Store(ar);
        ar.Close();
        errno = 0;
        file.Close();
    } catch (const CFileException&) {
        return writeFailed;
    }
    return ok;
}

SceneDocument::Status SceneDocument::ReadFile(const char* path)
{
    CFile file;
    if (!file.Open(path, CFile::modeRead))
        return cannotOpen;
    SceneDocument d;
    Status status = readFailed;
    try {
        CArchive ar(&file, CArchive::load);
        status = LoadInto(ar, d, true);
    } catch (const CFileException&) {
        status = readFailed;
    }
    if (status == ok)
        *this = std::move(d);
    return status;
}

} // namespace Orvane
