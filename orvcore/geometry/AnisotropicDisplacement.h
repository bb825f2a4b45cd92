#pragma once

/// \file
/// AnisotropicDisplacement, a displacement tensor with its uncertainties.
#include "orvcore/Export.h"
#include "orvcore/geometry/Matrix3x3.h"

namespace Orvane {

/// The six independent components of a symmetric anisotropic displacement
/// tensor U (U11, U22, U33, U12, U13, U23) and their six uncertainties, held
/// as floats. The default tensor is the identity with zero uncertainties.
///
/// \valuethreads
class ORVCORE_API AnisotropicDisplacement
{
public:
    /// The identity tensor with zero uncertainties.
    AnisotropicDisplacement();
    /// The tensor of the six components and their six uncertainties.
    AnisotropicDisplacement(float u11, float u22, float u33, float u12, float u13, float u23, float sigU11,
                            float sigU22, float sigU33, float sigU12, float sigU13, float sigU23);
    /// Copies.
    ///@{
    AnisotropicDisplacement(const AnisotropicDisplacement&) = default;
    AnisotropicDisplacement& operator=(const AnisotropicDisplacement&) = default;

    ///@}
    /// Component Uij of the tensor.
    ///@{
    float GetU11() const { return m_u[0]; }
    float GetU22() const { return m_u[1]; }
    float GetU33() const { return m_u[2]; }
    float GetU12() const { return m_u[3]; }
    float GetU13() const { return m_u[4]; }
    float GetU23() const { return m_u[5]; }
    ///@}
    /// Sets component Uij.
    ///@{
    void SetU11(float v) { m_u[0] = v; }
    void SetU22(float v) { m_u[1] = v; }
    void SetU33(float v) { m_u[2] = v; }
    void SetU12(float v) { m_u[3] = v; }
    void SetU13(float v) { m_u[4] = v; }
    void SetU23(float v) { m_u[5] = v; }

    ///@}
    /// Uncertainty of component Uij.
    ///@{
    float GetSigu11() const { return m_sig[0]; }
    float GetSigu22() const { return m_sig[1]; }
    float GetSigu33() const { return m_sig[2]; }
    float GetSigu12() const { return m_sig[3]; }
    float GetSigu13() const { return m_sig[4]; }
    float GetSigu23() const { return m_sig[5]; }
    ///@}
    /// Sets the uncertainty of component Uij.
    ///@{
    void SetSigu11(float v) { m_sig[0] = v; }
    void SetSigu22(float v) { m_sig[1] = v; }
    void SetSigu33(float v) { m_sig[2] = v; }
    void SetSigu12(float v) { m_sig[3] = v; }
    void SetSigu13(float v) { m_sig[4] = v; }
    void SetSigu23(float v) { m_sig[5] = v; }

    ///@}
    /// The full symmetric tensor: rows (U11, U12, U13), (U12, U22, U23),
    /// (U13, U23, U33).
    Matrix3x3 GetMatrix() const;
    /// The uncertainties arranged the same way.
    Matrix3x3 GetUncertaintyMatrix() const;

private:
    float m_u[6];   ///< U11, U22, U33, U12, U13, U23
    float m_sig[6]; ///< their uncertainties, same order
};

static_assert(sizeof(AnisotropicDisplacement) == 48, "twelve floats");

} // namespace Orvane
