#include "orvcore/graphics/primitives/TextPrimitives.h"

#include "orvcore/core/ArchiveFields.h"

namespace Orvane {

namespace {

// Document formats that changed the text layouts: format 10 stores font faces
// as strings instead of codes, format 11 moved the 3D text's point forward.
// The format is compared as an unsigned number, so an archive without one
// (all bits set) reads as the newest.
constexpr UINT kFaceAsStringSchema = 10;
constexpr UINT kText3DPointFirstSchema = 11;

bool FaceStoredAsCode(const CArchive& ar)
{
    return ar.m_nObjectSchema < kFaceAsStringSchema;
}

} // namespace

// ---------------------------------------------------------------- Text3DPrimitive

Text3DPrimitive::Text3DPrimitive() = default;

Text3DPrimitive::Text3DPrimitive(const char* text, const Point3d& position, double zOffset, const Color& color,
                                 const Font& font, unsigned int id)
    : UnlitPointPrimitive(position, color, id), m_font(font), m_zOffset(zOffset)
{
    SetText(text);
}

Text3DPrimitive::Text3DPrimitive(const char* text, const Point3d& position, const Color& color, unsigned int id)
    : UnlitPointPrimitive(position, color, id)
{
    SetText(text);
}

Text3DPrimitive::~Text3DPrimitive() = default;

void Text3DPrimitive::SetText(const char* text)
{
    m_text = text ? text : "";
}

void Text3DPrimitive::Serialize(CArchive& ar)
{
    if (ar.m_nObjectSchema >= kText3DPointFirstSchema)
        SerializeCurrent(ar);
    else
        SerializeOlder(ar);
}

void Text3DPrimitive::SerializeCurrent(CArchive& ar)
{
    UnlitPointPrimitive::Serialize(ar);
    ArchiveFields::Value(ar, m_text);
    m_font.SerializeFace(ar, false);
    m_font.SerializeSize(ar);
    ArchiveFields::Value(ar, m_zOffset);
    ArchiveFields::FlagNonZero(ar, m_isAnnotation);
}

void Text3DPrimitive::SerializeOlder(CArchive& ar)
{
    GraphicsPrimitive::Serialize(ar);
    if (ar.IsStoring()) {
        Vertex::StoreColor(ar, GetColor());
    } else {
        Color color;
        color.Serialize(ar);
        SetColor(color);
    }
    ArchiveFields::Value(ar, m_text);
    // Format 10 already wrote faces as strings; earlier formats wrote codes.
    m_font.SerializeFace(ar, FaceStoredAsCode(ar));
    m_font.SerializeSize(ar);
    if (ar.IsStoring()) {
        ar << GetCoord();
    } else {
        Point3d position;
        ar >> position;
        SetCoord(position);
    }
    ArchiveFields::Value(ar, m_zOffset);
    ArchiveFields::FlagNonZero(ar, m_isAnnotation);
}

// ---------------------------------------------------------------- TextStringPrimitive

TextStringPrimitive::TextStringPrimitive() = default;

TextStringPrimitive::TextStringPrimitive(unsigned int id) : UnlitShapePrimitive(id) {}

TextStringPrimitive::TextStringPrimitive(const CString& text, const Font& font, const Point2d& origin,
                                         bool isOutlined, const Color& foreground, int outlineWidth, bool isFilled,
                                         const Color& background, unsigned int id)
    : UnlitShapePrimitive(origin, isOutlined, foreground, outlineWidth, isFilled, background, id),
      m_text(text),
      m_font(font)
{
}

TextStringPrimitive::TextStringPrimitive(const Point2d& origin, bool isOutlined, const Color& foreground,
                                         int outlineWidth, bool isFilled, const Color& background, unsigned int id)
    : UnlitShapePrimitive(origin, isOutlined, foreground, outlineWidth, isFilled, background, id)
{
}

TextStringPrimitive::~TextStringPrimitive() = default;

void TextStringPrimitive::Serialize(CArchive& ar)
{
    UnlitShapePrimitive::Serialize(ar);
    ArchiveFields::Value(ar, m_text);
    m_font.SerializeFace(ar, FaceStoredAsCode(ar));
    m_font.SerializeSize(ar);
    ArchiveFields::Value(ar, m_cursorPosition);
    ArchiveFields::FlagExactlyOne(ar, m_showCursor);
}

// ---------------------------------------------------------------- TextBoxPrimitive

TextBoxPrimitive::TextBoxPrimitive() = default;

TextBoxPrimitive::TextBoxPrimitive(unsigned int id) : TextStringPrimitive(id) {}

TextBoxPrimitive::TextBoxPrimitive(float boxWidth, bool showHandles, const CString& text, const Font& font,
                                   const Point2d& origin, bool isOutlined, const Color& foreground,
                                   int outlineWidth, bool isFilled, const Color& background, unsigned int id)
    : TextStringPrimitive(text, font, origin, isOutlined, foreground, outlineWidth, isFilled, background, id),
      m_boxWidth(boxWidth),
      m_showHandles(showHandles)
{
}

TextBoxPrimitive::TextBoxPrimitive(const CString& text, const Font& font, const Point2d& origin, bool isOutlined,
                                   const Color& foreground, int outlineWidth, bool isFilled,
                                   const Color& background, unsigned int id)
    : TextStringPrimitive(text, font, origin, isOutlined, foreground, outlineWidth, isFilled, background, id)
{
}

TextBoxPrimitive::~TextBoxPrimitive() = default;

void TextBoxPrimitive::Serialize(CArchive& ar)
{
    TextStringPrimitive::Serialize(ar);
    ArchiveFields::Value(ar, m_boxWidth);
    ArchiveFields::FlagExactlyOne(ar, m_showHandles);
}

// ---------------------------------------------------------------- TextCalloutPrimitive

TextCalloutPrimitive::TextCalloutPrimitive() = default;

TextCalloutPrimitive::TextCalloutPrimitive(unsigned int id) : TextBoxPrimitive(id) {}

TextCalloutPrimitive::TextCalloutPrimitive(const Point3d& location, float boxWidth, bool showHandles,
                                           const CString& text, const Font& font, const Point2d& origin,
                                           bool isOutlined, const Color& foreground, int outlineWidth,
                                           bool isFilled, const Color& background, unsigned int id)
    : TextBoxPrimitive(boxWidth, showHandles, text, font, origin, isOutlined, foreground, outlineWidth, isFilled,
                       background, id),
      m_location(location)
{
}

TextCalloutPrimitive::TextCalloutPrimitive(float boxWidth, bool showHandles, const CString& text,
                                           const Font& font, const Point2d& origin, bool isOutlined,
                                           const Color& foreground, int outlineWidth, bool isFilled,
                                           const Color& background, unsigned int id)
    : TextBoxPrimitive(boxWidth, showHandles, text, font, origin, isOutlined, foreground, outlineWidth, isFilled,
                       background, id)
{
}

TextCalloutPrimitive::~TextCalloutPrimitive() = default;

void TextCalloutPrimitive::Serialize(CArchive& ar)
{
    TextBoxPrimitive::Serialize(ar);
    m_location.Serialize(ar);
    m_location2d.Serialize(ar);
}

void TextCalloutPrimitive::Transform(const Matrix4x4& m)
{
    m.Transform(m_location);
}

} // namespace Orvane
