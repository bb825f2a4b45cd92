#pragma once

/// \file
/// The text primitives: 3D labels and the overlay string, box and callout.
#include "orvcore/Export.h"
#include "orvcore/color/Color.h"
#include "orvcore/core/CArchive.h"
#include "orvcore/core/CString.h"
#include "orvcore/geometry/Matrix4x4.h"
#include "orvcore/geometry/Point2d.h"
#include "orvcore/geometry/Point3d.h"
#include "orvcore/graphics/primitives/Font.h"
#include "orvcore/graphics/primitives/PointPrimitives.h"
#include "orvcore/graphics/primitives/ShapePrimitives.h"

#include <cstdint>

namespace Orvane {

/// A text label anchored at a point in model space; the point's colour is the
/// text's colour, and the label moves with the model when transformed.
///
/// \valuethreads
class ORVCORE_API Text3DPrimitive : public UnlitPointPrimitive
{
public:
    /// An empty black label at the origin in the default font.
    Text3DPrimitive();
    /// A label of the text (a null pointer: empty) at position with a depth offset,
    /// colour, font and identifier.
    Text3DPrimitive(const char* text, const Point3d& position, double zOffset, const Color& color, const Font& font,
                    unsigned int id);
    /// A label in the default font without depth offset.
    Text3DPrimitive(const char* text, const Point3d& position, const Color& color, unsigned int id);
    /// Copies.
    ///@{
    Text3DPrimitive(const Text3DPrimitive&) = default;
    Text3DPrimitive& operator=(const Text3DPrimitive&) = default;
    ///@}
    ~Text3DPrimitive() override;

    /// The text, never null.
    const char* GetText() const { return m_text; }
    /// A null pointer sets the empty text.
    void SetText(const char* text);
    /// The font.
    ///@{
    Font GetFont() const { return m_font; }
    void SetFont(const Font& font) { m_font = font; }
    ///@}
    /// The anchor point in model space: the point of the base class.
    ///@{
    const Point3d& GetPosition() const { return GetCoord(); }
    void SetPosition(const Point3d& position) { SetCoord(position); }
    ///@}
    /// The depth offset the renderer applies.
    ///@{
    double GetZOffset() const { return m_zOffset; }
    void SetZOffset(double zOffset) { m_zOffset = zOffset; }
    ///@}
    /// Whether the label is an annotation (stored, not interpreted).
    ///@{
    bool GetIsAnnotation() const { return m_isAnnotation; }
    void SetIsAnnotation(bool isAnnotation) { m_isAnnotation = isAnnotation; }
    ///@}

    /// Documents of format 11 and later (and those without a format) keep the
    /// point first; older ones keep the position after the font, and those
    /// before format 10 name the face by a code. A face with no code (see
    /// Font::GetFaceCode) has no place there: it is stored as code 0 and a
    /// loaded text keeps its face.
    void Serialize(CArchive& ar);

private:
    void SerializeCurrent(CArchive& ar);
    void SerializeOlder(CArchive& ar);

    CString m_text;
    Font m_font;
    double m_zOffset = 0.0;
    bool m_isAnnotation = false;
};

/// A string placed in the 2D overlay at the shape's origin, with an optional
/// text cursor at a character index.
///
/// \valuethreads
class ORVCORE_API TextStringPrimitive : public UnlitShapePrimitive
{
public:
    /// An empty string in the default font with the shape's defaults and the given
    /// identifier, or 0.
    ///@{
    TextStringPrimitive();
    explicit TextStringPrimitive(unsigned int id);
    ///@}
    /// A string of the text and font with the given origin, outline, fill and identifier.
    TextStringPrimitive(const CString& text, const Font& font, const Point2d& origin, bool isOutlined,
                        const Color& foreground, int outlineWidth, bool isFilled, const Color& background,
                        unsigned int id);
    /// An empty string in the default font.
    TextStringPrimitive(const Point2d& origin, bool isOutlined, const Color& foreground, int outlineWidth,
                        bool isFilled, const Color& background, unsigned int id);
    /// Copies.
    ///@{
    TextStringPrimitive(const TextStringPrimitive&) = default;
    TextStringPrimitive& operator=(const TextStringPrimitive&) = default;
    ///@}
    ~TextStringPrimitive() override;

    /// The text.
    ///@{
    const CString& GetTextString() const { return m_text; }
    void SetTextString(const CString& text) { m_text = text; }
    ///@}
    /// The font.
    ///@{
    Font GetFont() const { return m_font; }
    void SetFont(const Font& font) { m_font = font; }
    ///@}
    /// The character index of the text cursor.
    ///@{
    int GetCursorPosition() const { return m_cursorPosition; }
    void SetCursorPosition(int position) { m_cursorPosition = position; }
    ///@}
    /// Whether the cursor is shown.
    ///@{
    bool GetShowCursor() const { return m_showCursor; }
    void SetShowCursor(bool show) { m_showCursor = show; }
    ///@}

    /// The shape form; text; face (a code in documents before format 10,
    /// where a face with no code is stored as 0 and a loaded string keeps its
    /// face); size; cursor position; show cursor (true only when stored as 1).
    void Serialize(CArchive& ar) override;

private:
    CString m_text;
    Font m_font;
    std::int32_t m_cursorPosition = 0;
    bool m_showCursor = false;
};

/// A text string laid out in a box of a given width, with optional handles.
///
/// \valuethreads
class ORVCORE_API TextBoxPrimitive : public TextStringPrimitive
{
public:
    /// An empty box of width 0 without handles, with the given identifier or 0.
    ///@{
    TextBoxPrimitive();
    explicit TextBoxPrimitive(unsigned int id);
    ///@}
    /// A box of the given width and handles around the text string.
    TextBoxPrimitive(float boxWidth, bool showHandles, const CString& text, const Font& font, const Point2d& origin,
                     bool isOutlined, const Color& foreground, int outlineWidth, bool isFilled,
                     const Color& background, unsigned int id);
    /// A box of width 0 without handles.
    TextBoxPrimitive(const CString& text, const Font& font, const Point2d& origin, bool isOutlined,
                     const Color& foreground, int outlineWidth, bool isFilled, const Color& background,
                     unsigned int id);
    /// Copies.
    ///@{
    TextBoxPrimitive(const TextBoxPrimitive&) = default;
    TextBoxPrimitive& operator=(const TextBoxPrimitive&) = default;
    ///@}
    ~TextBoxPrimitive() override;

    /// The width of the box.
    ///@{
    float GetBoxWidth() const { return m_boxWidth; }
    void SetBoxWidth(float width) { m_boxWidth = width; }
    ///@}
    /// Whether handles are shown.
    ///@{
    bool GetShowHandles() const { return m_showHandles; }
    void SetShowHandles(bool show) { m_showHandles = show; }
    ///@}

    /// The text-string form; box width; show handles (true only when stored as 1).
    void Serialize(CArchive& ar) override;

private:
    float m_boxWidth = 0.0f;
    bool m_showHandles = false;
};

/// A text box tied to a point in model space; the 2D location is kept for
/// the renderer.
///
/// \valuethreads
class ORVCORE_API TextCalloutPrimitive : public TextBoxPrimitive
{
public:
    /// An empty callout at the origin, with the given identifier or 0.
    ///@{
    TextCalloutPrimitive();
    explicit TextCalloutPrimitive(unsigned int id);
    ///@}
    /// A callout tied to location, around the text box.
    TextCalloutPrimitive(const Point3d& location, float boxWidth, bool showHandles, const CString& text,
                         const Font& font, const Point2d& origin, bool isOutlined, const Color& foreground,
                         int outlineWidth, bool isFilled, const Color& background, unsigned int id);
    /// A callout tied to the origin.
    TextCalloutPrimitive(float boxWidth, bool showHandles, const CString& text, const Font& font,
                         const Point2d& origin, bool isOutlined, const Color& foreground, int outlineWidth,
                         bool isFilled, const Color& background, unsigned int id);
    /// Copies.
    ///@{
    TextCalloutPrimitive(const TextCalloutPrimitive&) = default;
    TextCalloutPrimitive& operator=(const TextCalloutPrimitive&) = default;
    ///@}
    ~TextCalloutPrimitive() override;

    /// The point in model space the callout is tied to.
    ///@{
    const Point3d& GetLocation() const { return m_location; }
    void SetLocation(const Point3d& location) { m_location = location; }
    ///@}
    /// The 2D location kept for the renderer.
    ///@{
    const Point2d& GetLocation2d() const { return m_location2d; }
    void SetLocation2d(const Point2d& location) { m_location2d = location; }
    ///@}

    /// The text-box form; location; location 2d.
    void Serialize(CArchive& ar) override;
    /// Moves the model-space location only.
    virtual void Transform(const Matrix4x4& m);

private:
    Point3d m_location;
    Point2d m_location2d;
};

} // namespace Orvane
