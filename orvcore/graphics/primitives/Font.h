#pragma once

/// \file
/// Font, a typeface name and a type size.
#include "orvcore/Export.h"
#include "orvcore/core/CArchive.h"
#include "orvcore/core/CString.h"

#include <cstdint>

namespace Orvane {

/// A typeface name and a type size. The size set through SetSize is always
/// greater than 0; the constructor stores what it is given.
///
/// \valuethreads
class ORVCORE_API Font
{
public:
    /// The default font, "Arial" at 12.
    Font();
    /// The font of the given face and size, stored as given.
    Font(CString face, int size);
    /// Copies.
    ///@{
    Font(const Font&) = default;
    Font& operator=(const Font&) = default;
    ///@}

    /// Faces compare byte for byte (case matters), then sizes.
    bool operator==(const Font& other) const;
    /// Not operator==.
    bool operator!=(const Font& other) const { return !(*this == other); }

    /// The typeface name (set as given).
    ///@{
    CString GetFace() const { return m_face; }
    void SetFace(CString face) { m_face = face; }
    ///@}
    /// The type size.
    int GetSize() const { return m_size; }
    /// A size of 0 or less is ignored.
    void SetSize(int size);

    /// Old documents named the face by a code: 1 "Arial", 2 "Times New Roman",
    /// 3 "Courier New". Any other code leaves the face as it is.
    void SetFaceFromCode(int code);
    /// The code of the face (the name matched byte for byte), or 0 for a
    /// face that old documents had no code for.
    int GetFaceCode() const;

    /// "Arial" at 12.
    static Font DefaultFont();
    /// "Arial" at 16.
    static Font DefaultBigFont();

    /// Face (string form), then size, signed 32-bit (loaded through SetSize).
    void Serialize(CArchive& ar);

    /// The face alone: as a string, or as a signed 32-bit code when
    /// `faceAsCode` is set (the older documents' form). A face without a code
    /// is stored as code 0, which loading passes over: the older form has no
    /// place for it, and the loaded font keeps its face.
    void SerializeFace(CArchive& ar, bool faceAsCode);
    /// The size alone, loaded through SetSize.
    void SerializeSize(CArchive& ar);

private:
    CString m_face;
    std::int32_t m_size;
};

} // namespace Orvane
