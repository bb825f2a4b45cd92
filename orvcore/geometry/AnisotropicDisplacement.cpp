#include "orvcore/geometry/AnisotropicDisplacement.h"

namespace Orvane {

namespace {

// The symmetric matrix of six components in the order 11, 22, 33, 12, 13, 23.
Matrix3x3 Symmetric(const float (&c)[6])
{
    return Matrix3x3(c[0], c[3], c[4], c[3], c[1], c[5], c[4], c[5], c[2]);
}

} // namespace

AnisotropicDisplacement::AnisotropicDisplacement() : m_u{1, 1, 1, 0, 0, 0}, m_sig{0, 0, 0, 0, 0, 0} {}

AnisotropicDisplacement::AnisotropicDisplacement(float u11, float u22, float u33, float u12, float u13, float u23,
                                                 float sigU11, float sigU22, float sigU33, float sigU12,
                                                 float sigU13, float sigU23)
    : m_u{u11, u22, u33, u12, u13, u23}, m_sig{sigU11, sigU22, sigU33, sigU12, sigU13, sigU23}
{
}

Matrix3x3 AnisotropicDisplacement::GetMatrix() const { return Symmetric(m_u); }

Matrix3x3 AnisotropicDisplacement::GetUncertaintyMatrix() const { return Symmetric(m_sig); }

} // namespace Orvane
