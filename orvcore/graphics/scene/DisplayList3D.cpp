#include "orvcore/graphics/scene/DisplayList3D.h"
#include "orvcore/graphics/scene/detail/DisplayList3DWalks.h"

#include <array>
#include <iterator>
#include <type_traits>
#include <utility>

namespace Orvane
{

using namespace DisplayListRules;

unsigned int DisplayList3D::m_lastID = 0;

namespace
{

template <class Array>
using ElementOf = typename std::remove_const<typename std::remove_reference<Array>::type>::type::value_type;

const Matrix4x4& Identity()
{
    static const Matrix4x4 identity(Matrix4x4::IdentityMatrix);
    return identity;
}

// Appends copies of source behind target; source may be target itself.
template <class T>
void AppendCopies(std::vector<T>& target, const std::vector<T>& source)
{
    if (&target == &source) {
        const std::size_t n = source.size();
        target.reserve(2 * n);
        for (std::size_t i = 0; i < n; ++i)
            target.push_back(target[i]);
    } else {
        target.insert(target.end(), source.begin(), source.end());
    }
}

// Moves the elements of source behind target and leaves source empty.
template <class T>
void AppendMoved(std::vector<T>& target, std::vector<T>& source)
{
    target.insert(target.end(), std::make_move_iterator(source.begin()), std::make_move_iterator(source.end()));
    source.clear();
}

} // namespace

// --- construction, copying

DisplayList3D::DisplayList3D()
    : m_renderMode(DefaultRenderMode),
      m_id(++m_lastID),
      m_iconScale(1.0, 1.0, 1.0),
      m_localTransformation(Matrix4x4::IdentityMatrix)
{
}

DisplayList3D::DisplayList3D(const DisplayList3D& source) = default;
DisplayList3D::DisplayList3D(DisplayList3D&& source) noexcept = default;
DisplayList3D& DisplayList3D::operator=(DisplayList3D&& source) noexcept = default;
DisplayList3D::~DisplayList3D() = default;

DisplayList3D& DisplayList3D::operator=(const DisplayList3D& source)
{
    // Built aside first: the source may be a list nested in this one.
    if (this != &source) {
        DisplayList3D copy(source);
        *this = std::move(copy);
    }
    return *this;
}

void DisplayList3D::Copy(const DisplayList3D& source)
{
    if (this == &source)
        return;
    const unsigned int id = m_id;
    DisplayList3D copy(source);
    *this = std::move(copy);
    m_id = id;
}

void DisplayList3D::ResetPlacement()
{
    m_iconScale = Point3d(1.0, 1.0, 1.0);
    m_localTransformation = Identity();
    for (ClipPlaneEntry& entry : m_clipPlanes)
        entry = ClipPlaneEntry();
}

void DisplayList3D::Clear()
{
    ForEachArray(*this, [](auto& array) { array.clear(); });
    for (DisplayList3D& list : m_displayLists)
        list.Clear();
    ResetPlacement();
}

int DisplayList3D::GetNumPrim() const
{
    int n = 0;
    ForEachArray(*this, [&n](const auto& array) { n += PrimitiveCount(array); });
    for (const DisplayList3D& list : m_displayLists)
        n += list.GetNumPrim();
    return n;
}

bool DisplayList3D::HasOwnPrimitives() const
{
    bool any = false;
    ForEachArray(*this, [&any](const auto& array) { any = any || PrimitiveCount(array) > 0; });
    return any;
}

bool DisplayList3D::IsEmpty() const
{
    if (HasOwnPrimitives())
        return false;
    for (const DisplayList3D& list : m_displayLists)
        if (!list.IsEmpty())
            return false;
    return true;
}

// --- the tree

unsigned int DisplayList3D::Add(const DisplayList3D& list)
{
    // Copied aside first: the argument may be this list or one inside it.
    DisplayList3D copy(list);
    m_displayLists.push_back(std::move(copy));
    return m_displayLists.back().GetID();
}

DisplayList3D* DisplayList3D::LookupDisplayList(unsigned int id)
{
    if (m_id == id)
        return this;
    for (DisplayList3D& list : m_displayLists)
        if (DisplayList3D* found = list.LookupDisplayList(id))
            return found;
    return nullptr;
}

void DisplayList3D::SetOID(unsigned int oid)
{
    ForEachArray(*this, [oid](auto& array) {
        for (auto& primitive : array)
            Kind<ElementOf<decltype(array)>>::SetOID(primitive, oid);
    });
    for (DisplayList3D& list : m_displayLists)
        list.SetOID(oid);
}

void DisplayList3D::TranslateOIDs(const OIDMap& map)
{
    if (map.IsEmpty())
        return;
    ForEachArray(*this, [&map](auto& array) {
        for (auto& primitive : array)
            Kind<ElementOf<decltype(array)>>::TranslateOIDs(primitive, map);
    });
    for (DisplayList3D& list : m_displayLists)
        list.TranslateOIDs(map);
}

int DisplayList3D::AppendArrays(const DisplayList3D& source)
{
    int n = 0;
    ForEachArrayPair(*this, source, [&n](auto& target, const auto& from) {
        n += static_cast<int>(from.size());
        AppendCopies(target, from);
    });
    return n;
}

int DisplayList3D::Append(const DisplayList3D& source)
{
    int n = AppendArrays(source);
    // Copied aside first: source may be this list or one inside it.
    std::vector<DisplayList3D> lists(source.m_displayLists);
    n += static_cast<int>(lists.size());
    m_displayLists.insert(m_displayLists.end(), std::make_move_iterator(lists.begin()),
                          std::make_move_iterator(lists.end()));
    return n;
}

void DisplayList3D::TransformPrimitives(const Matrix4x4& matrix)
{
    ForEachArray(*this, [&matrix](auto& array) {
        using T = ElementOf<decltype(array)>;
        if constexpr (!IsOverlay<T>)
            for (T& primitive : array)
                Kind<T>::Transform(primitive, matrix);
    });
    m_localTransformation = Identity();
}

void DisplayList3D::ApplyLocalTransformationTree(const Matrix4x4& parent)
{
    const Matrix4x4 aggregate = parent * m_localTransformation;
    for (DisplayList3D& list : m_displayLists)
        list.ApplyLocalTransformationTree(aggregate);
    TransformPrimitives(aggregate);
}

void DisplayList3D::ApplyLocalTransformation()
{
    ApplyLocalTransformationTree(Identity());
}

void DisplayList3D::GatherSubtree(DisplayList3D& list)
{
    ForEachArrayPair(*this, list, [](auto& target, auto& from) { AppendMoved(target, from); });
    for (DisplayList3D& nested : list.m_displayLists)
        GatherSubtree(nested);
}

void DisplayList3D::AddArraySizes(std::size_t* totals) const
{
    std::size_t* total = totals;
    ForEachArray(*this, [&total](const auto& array) { *total++ += array.size(); });
    for (const DisplayList3D& list : m_displayLists)
        list.AddArraySizes(totals);
}

void DisplayList3D::Flatten()
{
    ApplyLocalTransformation();
    if (m_displayLists.empty())
        return;
    std::array<std::size_t, kNumArrays> totals{};
    AddArraySizes(totals.data());
    std::size_t* total = totals.data();
    ForEachArray(*this, [&total](auto& array) { array.reserve(*total++); });
    // Every list below contributes its own primitives in depth-first order,
    // which is the order of flattening each nested list and appending it.
    for (DisplayList3D& nested : m_displayLists)
        GatherSubtree(nested);
    m_displayLists.clear();
}

void DisplayList3D::GetAggregateTransformation(const DisplayList3D& root, unsigned int id,
                                               Matrix4x4& result) const
{
    GetAggregateTransformationTree(root, id, Identity(), result);
}

void DisplayList3D::GetAggregateTransformationTree(const DisplayList3D& list, unsigned int id,
                                                   Matrix4x4 parent, Matrix4x4& result) const
{
    const Matrix4x4 aggregate = parent * list.m_localTransformation;
    if (list.m_id == id) {
        result = aggregate;
        return;
    }
    for (const DisplayList3D& nested : list.m_displayLists)
        GetAggregateTransformationTree(nested, id, aggregate, result);
}

// --- clip planes

const Plane& DisplayList3D::GetClipPlane(int index) const
{
    if (index < 0 || index >= kMaxClipPlanes)
        index = 0;
    return m_clipPlanes[static_cast<std::size_t>(index)].plane;
}

void DisplayList3D::SetClipPlane(int index, const Plane& plane)
{
    if (index >= 0 && index < kMaxClipPlanes)
        m_clipPlanes[static_cast<std::size_t>(index)].plane = plane;
}

bool DisplayList3D::GetClipPlaneEnabled(int index) const
{
    return index >= 0 && index < kMaxClipPlanes && m_clipPlanes[static_cast<std::size_t>(index)].enabled;
}

void DisplayList3D::SetClipPlaneEnabled(int index, bool enabled)
{
    if (index >= 0 && index < kMaxClipPlanes)
        m_clipPlanes[static_cast<std::size_t>(index)].enabled = enabled;
}

} // namespace Orvane
