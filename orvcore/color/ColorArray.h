#pragma once

/// \file
/// ColorArray, a named list of colours.
#include "orvcore/Export.h"
#include "orvcore/color/Color.h"
#include "orvcore/core/CArchive.h"
#include "orvcore/core/CArray.h"
#include "orvcore/core/CString.h"

namespace Orvane {

/// A growable list of colours with a name ("Undefined" until one is given).
///
/// \valuethreads
class ORVCORE_API ColorArray : public CArray<Color, const Color&>
{
public:
    /// `size` colours (black) when above 0; a grow-by below 1 counts as 1.
    explicit ColorArray(int size = 0, int growBy = 1);
    /// Copies the colours and the name.
    ///@{
    ColorArray(const ColorArray&) = default;
    ColorArray& operator=(const ColorArray&) = default;
    ///@}
    ~ColorArray() override;

    /// The list's name.
    const CString& GetName() const { return m_name; }
    /// Sets the list's name.
    void SetName(const CString& name) { m_name = name; }

    /// Count, one block of 32-bit colours (all four channels), then the name.
    virtual void Serialize(CArchive& ar);

private:
    CString m_name;
};

} // namespace Orvane
