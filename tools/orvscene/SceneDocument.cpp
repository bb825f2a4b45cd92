#include "SceneDocument.h"

#include "AtomicFile.h"
#include "SceneKinds.h"

#include "orvcore/core/CArchive.h"
#include "orvcore/core/CFile.h"

#include <cerrno>

using namespace Orvane;

namespace orvscene {

namespace {

void StoreList(CArchive& ar, const DisplayList3D& list)
{
    ar << static_cast<int>(list.GetRenderMode());
    ar << list.GetIconScale();
    ar << list.GetLocalTransformation();
    ForEachPrimitiveArray([&](auto type, const char*, auto count, auto get) {
        using Primitive = decltype(type);
        const int n = count(list);
        ar.WriteCount(static_cast<DWORD>(n));
        for (int i = 0; i < n; ++i) {
            Primitive copy(get(list, i));
            copy.Serialize(ar);
        }
    });
    ar.WriteCount(static_cast<DWORD>(list.GetNumDisplayLists()));
    for (int i = 0; i < list.GetNumDisplayLists(); ++i)
        StoreList(ar, list.GetDisplayList(i));
}

// Nesting deeper than this is taken as damage rather than followed.
const int kMaxDepth = 64;

void LoadList(CArchive& ar, DisplayList3D& list, int depth)
{
    if (depth > kMaxDepth)
        throw CArchiveException(CArchiveException::badIndex);
    int mode = 0;
    ar >> mode;
    list.SetRenderMode(static_cast<DisplayList3D::RenderMode>(mode));
    Point3d scale;
    ar >> scale;
    list.SetIconScale(scale);
    Matrix4x4 local;
    ar >> local;
    list.SetLocalTransformation(local);
    ForEachPrimitiveArray([&](auto type, const char*, auto, auto) {
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

void StoreDocument(CArchive& ar, const SceneDocument& d)
{
    ar.m_nObjectSchema = kDocumentSchema;
    ar << kDocumentMagic << kDocumentSchema;
    ar << CString(d.source.c_str()) << d.atoms << d.bonds << d.residues << d.chains;
    Point3d::Array coordinates(d.coordinates);
    coordinates.Serialize(ar);
    IntArray serials(d.serials);
    serials.Serialize(ar);
    CStringArray labels(d.labels);
    labels.Serialize(ar);
    GraphicsAttributes attributes(d.attributes);
    attributes.Serialize(ar);
    StoreList(ar, d.scene);
}

void LoadDocument(CArchive& ar, SceneDocument& d)
{
    DWORD magic = 0;
    UINT schema = 0;
    ar >> magic;
    if (magic != kDocumentMagic)
        throw CArchiveException(CArchiveException::badClass);
    ar >> schema;
    if (schema > kDocumentSchema)
        throw CArchiveException(CArchiveException::badSchema);
    ar.m_nObjectSchema = schema;
    CString source;
    ar >> source >> d.atoms >> d.bonds >> d.residues >> d.chains;
    d.source = source.GetString();
    d.coordinates.Serialize(ar);
    d.serials.Serialize(ar);
    d.labels.Serialize(ar);
    if (d.serials.GetSize() != d.coordinates.GetSize() || d.labels.GetSize() != d.coordinates.GetSize())
        throw CArchiveException(CArchiveException::badIndex);
    d.attributes.Serialize(ar);
    d.scene.Clear();
    LoadList(ar, d.scene, 0);
}

bool WriteDocumentFile(const std::string& path, const SceneDocument& document, std::string& error)
{
    CFile file;
    errno = 0;
    if (!file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite)) {
        error = "cannot create the file: " + SystemReason();
        return false;
    }
    try {
        CArchive ar(&file, CArchive::store);
        StoreDocument(ar, document);
        ar.Close();
        errno = 0;
        file.Close();
    } catch (const CFileException&) {
        error = "write failed: " + SystemReason();
        return false;
    }
    return true;
}

bool ReadDocumentFile(const std::string& path, SceneDocument& document, std::string& error)
{
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeRead)) {
        error = path + ": cannot open the document";
        return false;
    }
    try {
        CArchive ar(&file, CArchive::load);
        LoadDocument(ar, document);
    } catch (const CArchiveException& e) {
        error = path + ": " +
                (e.m_cause == CArchiveException::badClass ? std::string("not an orvscene document")
                                                          : std::string("damaged document (") + e.what() + ")");
        return false;
    } catch (const CFileException&) {
        error = path + ": cannot read the document";
        return false;
    }
    return true;
}

} // namespace orvscene
