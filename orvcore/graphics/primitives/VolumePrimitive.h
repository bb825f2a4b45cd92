#pragma once

/// \file
/// VolumePrimitive, the display settings of a host's volume grid.
#include "orvcore/Export.h"
#include "orvcore/color/Color.h"
#include "orvcore/color/ColorArray.h"
#include "orvcore/core/CArchive.h"
#include "orvcore/geometry/Matrix4x4.h"
#include "orvcore/graphics/primitives/BoolArray.h"
#include "orvcore/graphics/primitives/GraphicsPrimitive.h"
#include "orvcore/graphics/primitives/NComponentVolume.h"

namespace Orvane {

/// How a host's volume grid is shown: the data range, the displayed range and
/// whether values outside it are clipped, a colour list, a transfer function
/// of on/off switches and an overall transparency. The grid itself is the
/// host's: the primitive points to it and never creates, copies or frees it.
///
/// \threadsafety{As a value; the volume grid it points to is the host's, and the host decides who
/// may use it.}
class ORVCORE_API VolumePrimitive : public UnlitPrimitive
{
public:
    /// No grid; colours blue then red; transfer function (true, true); transparency 0.3.
    VolumePrimitive();
    /// A volume showing the host's grid (not owned) with the given settings.
    VolumePrimitive(NComponentVolume<float>* volume, float dataMin, float dataMax, float displayMin,
                    float displayMax, bool clipOutsideRange, const ColorArray& colors, float transparency,
                    const BoolArray& transferFunction, unsigned int id);
    /// Copies share the grid.
    ///@{
    VolumePrimitive(const VolumePrimitive&) = default;
    VolumePrimitive& operator=(const VolumePrimitive&) = default;
    ///@}
    /// The grid is left to the host.
    ~VolumePrimitive() override;

    /// The host's grid, or null.
    ///@{
    const NComponentVolume<float>* GetVolume() const { return m_volume; }
    void SetVolume(NComponentVolume<float>* volume) { m_volume = volume; }
    ///@}

    /// The lowest value of the data.
    ///@{
    float GetDataMin() const { return m_dataMin; }
    void SetDataMin(float v) { m_dataMin = v; }
    ///@}
    /// The highest value of the data.
    ///@{
    float GetDataMax() const { return m_dataMax; }
    void SetDataMax(float v) { m_dataMax = v; }
    ///@}
    /// The lowest value shown.
    ///@{
    float GetDisplayMin() const { return m_displayMin; }
    void SetDisplayMin(float v) { m_displayMin = v; }
    ///@}
    /// The highest value shown.
    ///@{
    float GetDisplayMax() const { return m_displayMax; }
    void SetDisplayMax(float v) { m_displayMax = v; }
    ///@}
    /// The overall transparency (0.3 by default).
    ///@{
    float GetTransparency() const { return m_transparency; }
    void SetTransparency(float v) { m_transparency = v; }
    ///@}
    /// Whether values outside the displayed range are clipped.
    ///@{
    bool GetClipOutsideRange() const { return m_clipOutsideRange; }
    void SetClipOutsideRange(bool clip) { m_clipOutsideRange = clip; }
    ///@}

    /// The colour list.
    ///@{
    const ColorArray& GetColors() const { return m_colors; }
    ColorArray& GetColors() { return m_colors; }
    ///@}
    /// Copies the colours and the list's name.
    void SetColors(const ColorArray& colors);
    /// The transfer function: one on/off switch per step.
    ///@{
    const BoolArray& GetTransferFunction() const { return m_transferFunction; }
    BoolArray& GetTransferFunction() { return m_transferFunction; }
    ///@}
    /// Copies the switches.
    void SetTransferFunction(const BoolArray& transferFunction);

    /// Identifier; data and display ranges; clip flag; colour count and the
    /// colours; transparency; transfer-function count and its flags (all
    /// 32-bit). The grid is not stored: loading leaves the primitive without
    /// one, and keeps the colour list's name.
    virtual void Serialize(CArchive& ar);
    /// The grid's placement is the host's: nothing moves.
    virtual void Transform(const Matrix4x4& m);

private:
    void SerializeColors(CArchive& ar);
    void SerializeTransferFunction(CArchive& ar);

    NComponentVolume<float>* m_volume = nullptr;
    float m_dataMin = 0.0f;
    float m_dataMax = 0.0f;
    float m_displayMin = 0.0f;
    float m_displayMax = 0.0f;
    bool m_clipOutsideRange = false;
    ColorArray m_colors;
    float m_transparency = 0.3f;
    BoolArray m_transferFunction;
};

} // namespace Orvane
