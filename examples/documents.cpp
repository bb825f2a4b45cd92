// Storing and loading a document. The host owns the document and its format
// version, which it sets as the archive's object schema before it stores or
// loads; each class writes and reads its own fields through Serialize, in
// the layout that schema selects (docs/archive-format.md). A short or
// damaged document raises CArchiveException with cause endOfFile.
#include "orvcore/OrvCore.h"

#include <cstdio>
#include <iostream>
#include <vector>

using namespace Orvane;

// The format version of this host's documents: the newest selects every
// class's newest layout.
const UINT kDocumentSchema = kNewestSchema;

static void PrintBytes(const char* title, const std::vector<BYTE>& bytes)
{
    std::cout << title << " (" << bytes.size() << " bytes):";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02X", bytes[i]);
        std::cout << (i % 16 == 0 ? "\n  " : "") << hex + (i % 16 == 0 ? 1 : 0);
    }
    std::cout << "\n";
}

// A document of this host: the view settings, a sphere count, the spheres.
static void SerializeDocument(CArchive& ar, GraphicsAttributes& view, std::vector<SpherePrimitive>& spheres)
{
    view.Serialize(ar);
    if (ar.IsStoring()) {
        ar << static_cast<int>(spheres.size());
    } else {
        int count = 0;
        ar >> count;
        // A count that the rest of the document cannot hold is damage, refused
        // before anything is allocated for it (a sphere takes at least 32 bytes).
        if (count < 0 || static_cast<ULONGLONG>(count) * 32 > ar.GetBytesAvailable())
            throw CArchiveException(CArchiveException::endOfFile);
        spheres.assign(static_cast<std::size_t>(count), SpherePrimitive());
    }
    for (SpherePrimitive& s : spheres)
        s.Serialize(ar);
}

int main()
{
    // One sphere alone: identifier, material, representation, colour with
    // its alpha byte written as 0, the centre as three floats, the radius.
    Color glass(200, 10, 10);
    glass.SetA(static_cast<unsigned char>(128));
    SpherePrimitive sphere(Point3d(1, 2, 3), 0.5, glass, 7);
    CMemFile one;
    {
        CArchive ar(&one, CArchive::store);
        ar.m_nObjectSchema = kDocumentSchema;
        sphere.Serialize(ar);
        ar.Close();
    }
    PrintBytes("a sphere at schema 13", one.GetBytes());

    // The schema picks the layout: a point is three floats from schema 7 on,
    // three doubles in older documents.
    for (UINT schema : {13u, 6u}) {
        CMemFile file;
        CArchive ar(&file, CArchive::store);
        ar.m_nObjectSchema = schema;
        ar << Point3d(1, 2, 3);
        ar.Close();
        std::cout << "a point at schema " << schema << ": " << file.GetLength() << " bytes\n";
    }

    // A whole document, stored and loaded back.
    GraphicsAttributes view;
    view.SetBkColor(Color::White());
    view.SetViewSize(30);
    std::vector<SpherePrimitive> spheres = {sphere, SpherePrimitive(Point3d(4, 5, 6), 1.0, Color::Blue(), 8)};
    CMemFile document;
    {
        CArchive ar(&document, CArchive::store);
        ar.m_nObjectSchema = kDocumentSchema;
        SerializeDocument(ar, view, spheres);
        ar.Close();
    }
    const std::vector<BYTE> bytes = document.GetBytes();
    std::cout << "document: " << bytes.size() << " bytes\n";

    GraphicsAttributes loadedView;
    std::vector<SpherePrimitive> loaded;
    {
        CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
        CArchive ar(&file, CArchive::load);
        ar.m_nObjectSchema = kDocumentSchema;
        SerializeDocument(ar, loadedView, loaded);
    }
    std::cout << "loaded: background " << loadedView.GetBkColor() << ", view size " << loadedView.GetViewSize()
              << ", " << loaded.size() << " spheres\n";
    for (const SpherePrimitive& s : loaded)
        std::cout << "  sphere " << s.GetID() << " at " << s.GetCenter() << " radius " << s.GetRadius() << " colour "
                  << s.GetColor() << "\n";
    std::cout << "(the alpha byte is not stored: the glass sphere comes back opaque)\n";

    // A damaged document: the last 10 bytes are missing.
    try {
        CMemFile file(bytes.data(), static_cast<UINT>(bytes.size() - 10));
        CArchive ar(&file, CArchive::load);
        ar.m_nObjectSchema = kDocumentSchema;
        GraphicsAttributes v;
        std::vector<SpherePrimitive> s;
        SerializeDocument(ar, v, s);
        std::cout << "loaded a damaged document?\n";
    } catch (const CArchiveException& e) {
        std::cout << "damaged document: " << e.what()
                  << (e.m_cause == CArchiveException::endOfFile ? " (endOfFile)" : "") << "\n";
    }
    return 0;
}
