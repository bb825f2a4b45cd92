#include "orvcore/graphics/primitives/Font.h"

namespace Orvane {

Font::Font() : m_face("Arial"), m_size(12) {}

Font::Font(CString face, int size) : m_face(face), m_size(size) {}

bool Font::operator==(const Font& other) const
{
    return m_face == other.m_face && m_size == other.m_size;
}

void Font::SetSize(int size)
{
    if (size > 0)
        m_size = size;
}

namespace {

// The faces that old documents named by a code, at index code - 1.
const char* const kCodedFaces[] = {"Arial", "Times New Roman", "Courier New"};
const int kNumCodedFaces = 3;

} // namespace

void Font::SetFaceFromCode(int code)
{
    if (code >= 1 && code <= kNumCodedFaces)
        m_face = kCodedFaces[code - 1];
}

int Font::GetFaceCode() const
{
    for (int i = 0; i < kNumCodedFaces; ++i) {
        if (m_face == CString(kCodedFaces[i]))
            return i + 1;
    }
    return 0;
}

Font Font::DefaultFont()
{
    return Font("Arial", 12);
}

Font Font::DefaultBigFont()
{
    return Font("Arial", 16);
}

void Font::Serialize(CArchive& ar)
{
    SerializeFace(ar, false);
    SerializeSize(ar);
}

void Font::SerializeFace(CArchive& ar, bool faceAsCode)
{
    if (ar.IsStoring()) {
        if (faceAsCode)
            ar << static_cast<std::int32_t>(GetFaceCode());
        else
            ar << m_face;
    } else if (faceAsCode) {
        std::int32_t code = 0;
        ar >> code;
        SetFaceFromCode(code);
    } else {
        ar >> m_face;
    }
}

void Font::SerializeSize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << m_size;
    } else {
        std::int32_t size = 0;
        ar >> size;
        SetSize(size);
    }
}

} // namespace Orvane
