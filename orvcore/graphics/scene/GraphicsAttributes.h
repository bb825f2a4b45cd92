#pragma once

/// \file
/// GraphicsAttributes, the rendering settings of a view.
#include "orvcore/Export.h"
#include "orvcore/color/Color.h"
#include "orvcore/core/CArchive.h"
#include "orvcore/geometry/Matrix4x4.h"
#include "orvcore/graphics/scene/LightSource.h"

#include <cstdint>

namespace Orvane {

/// The rendering settings of one view: size, quality, projection, four
/// lights, fog, stereo, line width, font scale, perspective angle, background
/// colour, a view matrix and depth adjustments. The library keeps and
/// archives them; the renderer interprets them. Values given as double are
/// kept in single precision.
///
/// \valuethreads
class ORVCORE_API GraphicsAttributes
{
public:
    enum { NumLights = 4 }; ///< The number of lights of a view.

    /// The defaults: view size 18, quality 0, projection 0, lights as LightSource(),
    /// no fog, no stereo (angle 3.5, separation and skew factors 1), perspective angle
    /// 45, black background, line width 1.6, font scale 1, fast rendering on, depth
    /// adjustments 0 and the null matrix as view matrix.
    GraphicsAttributes();
    /// Copies.
    ///@{
    GraphicsAttributes(const GraphicsAttributes& other);
    GraphicsAttributes& operator=(const GraphicsAttributes& other);
    ///@}
    /// Destroys the settings.
    virtual ~GraphicsAttributes();

    /// The size of the view, in model units (kept as a float).
    ///@{
    double GetViewSize() const { return m_viewSize; }
    void SetViewSize(double size) { m_viewSize = static_cast<float>(size); }
    ///@}
    /// The rendering quality, for the renderer.
    ///@{
    int GetQuality() const { return m_quality; }
    void SetQuality(int quality) { m_quality = quality; }
    ///@}
    /// The projection, for the renderer.
    ///@{
    int GetProjection() const { return m_projection; }
    void SetProjection(int projection) { m_projection = projection; }
    ///@}

    /// A copy of light `index` (0 to 3); a default light for any other index.
    const LightSource GetLight(int index) const;
    /// Sets light `index`; indices outside 0 to 3 are ignored.
    void SetLight(int index, const LightSource& light);

    /// Whether fog is on.
    ///@{
    bool GetFog() const { return m_fog != 0; }
    void SetFog(bool fog) { m_fog = fog ? 1 : 0; }
    ///@}
    /// Whether stereo is on.
    ///@{
    bool GetStereo() const { return m_stereo != 0; }
    void SetStereo(bool stereo) { m_stereo = stereo ? 1 : 0; }
    ///@}
    /// The stereo angle in degrees (kept as a float).
    ///@{
    double GetStereoAngle() const { return m_stereoAngle; }
    void SetStereoAngle(double angle) { m_stereoAngle = static_cast<float>(angle); }
    ///@}
    /// The stereo separation factor.
    ///@{
    double GetStereoSeparationFactor() const { return m_stereoSeparationFactor; }
    void SetStereoSeparationFactor(double factor) { m_stereoSeparationFactor = static_cast<float>(factor); }
    ///@}
    /// The stereo skew factor.
    ///@{
    double GetStereoSkewFactor() const { return m_stereoSkewFactor; }
    void SetStereoSkewFactor(double factor) { m_stereoSkewFactor = static_cast<float>(factor); }
    ///@}
    /// The perspective angle in degrees (kept as a float).
    ///@{
    double GetPerspectiveAngle() const { return m_perspectiveAngle; }
    void SetPerspectiveAngle(double angle) { m_perspectiveAngle = static_cast<float>(angle); }
    ///@}
    /// The background colour.
    ///@{
    Color GetBkColor() const { return m_bkColor; }
    void SetBkColor(const Color& color) { m_bkColor = color; }
    ///@}
    /// The line width (kept as a float).
    ///@{
    double GetLineWidth() const { return m_lineWidth; }
    void SetLineWidth(double width) { m_lineWidth = static_cast<float>(width); }
    ///@}
    /// The font scale.
    ///@{
    double GetFontScale() const { return m_fontScale; }
    void SetFontScale(double scale) { m_fontScale = static_cast<float>(scale); }
    ///@}
    /// Whether fast rendering is on.
    ///@{
    bool GetFastRender() const { return m_fastRender != 0; }
    void SetFastRender(bool fast) { m_fastRender = fast ? 1 : 0; }
    ///@}
    /// The adjustment of the far depth plane.
    ///@{
    float GetZFarAdj() const { return m_zFarAdj; }
    void SetZFarAdj(float adjustment) { m_zFarAdj = adjustment; }
    ///@}
    /// The adjustment of the near depth plane.
    ///@{
    float GetZNearAdj() const { return m_zNearAdj; }
    void SetZNearAdj(float adjustment) { m_zNearAdj = adjustment; }
    ///@}
    /// The view matrix.
    ///@{
    const Matrix4x4& GetMatrix() const { return m_matrix; }
    void SetMatrix(const Matrix4x4& matrix) { m_matrix = matrix; }
    ///@}

    /// The background colour first, then (from schema 7 on, and without a
    /// schema, compared unsigned) the lights and the other settings.
    /// Documents older than schema 7 hold only the background: under such a
    /// schema the lights and view settings are neither stored nor loaded, and
    /// loading leaves them as they are.
    void Serialize(CArchive& ar);

private:
    void StoreSettings(CArchive& ar);
    void LoadSettings(CArchive& ar);
    void LoadLights(CArchive& ar);

    float m_viewSize;
    std::int32_t m_quality;
    std::int32_t m_projection;
    LightSource m_lights[NumLights];
    std::int32_t m_fog;
    std::int32_t m_stereo;
    float m_stereoAngle;
    float m_stereoSeparationFactor;
    float m_stereoSkewFactor;
    float m_perspectiveAngle;
    Color m_bkColor;
    float m_lineWidth;
    float m_fontScale;
    std::int32_t m_fastRender;
    float m_zFarAdj;
    float m_zNearAdj;
    Matrix4x4 m_matrix;
};

} // namespace Orvane
