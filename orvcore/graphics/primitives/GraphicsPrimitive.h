#pragma once

/// \file
/// The roots of the primitives (GraphicsPrimitive, LitPrimitive, UnlitPrimitive),
/// vertices, triangle indices and the archive helpers the primitives share.
#include "orvcore/Export.h"
#include "orvcore/color/Color.h"
#include "orvcore/core/CArchive.h"
#include "orvcore/core/CArray.h"
#include "orvcore/geometry/Point3d.h"

#include <cstddef>
#include <cstdint>

namespace Orvane {

class Matrix4x4;

/// Root of every drawable primitive: the object identifier of the model
/// object it depicts (0 for content that is not picked). The roots declare no
/// virtual operation besides the destructor; the scene calls primitives
/// through their concrete types.
///
/// \valuethreads
class ORVCORE_API GraphicsPrimitive
{
public:
    /// A primitive with the given object identifier, or 0.
    ///@{
    GraphicsPrimitive() = default;
    explicit GraphicsPrimitive(unsigned int id) : m_id(id) {}
    ///@}
    /// Copies.
    ///@{
    GraphicsPrimitive(const GraphicsPrimitive&) = default;
    GraphicsPrimitive& operator=(const GraphicsPrimitive&) = default;
    ///@}
    /// Destroys the primitive.
    virtual ~GraphicsPrimitive();

    /// The object identifier of the model object depicted. With 0 the primitive
    /// gives no pick dots (a cylinder's ends then give none either).
    ///@{
    unsigned int GetID() const { return m_id; }
    void SetID(unsigned int id) { m_id = id; }
    ///@}

    /// The identifier as one unsigned 32-bit value.
    void Serialize(CArchive& ar);

private:
    std::uint32_t m_id = 0;
};

/// A primitive lit by the renderer: it adds a material and a drawing style,
/// which the library stores, copies and archives without interpreting them.
///
/// \valuethreads
class ORVCORE_API LitPrimitive : public GraphicsPrimitive
{
public:
    /// The material the renderer gives the surface.
    enum Material : std::int32_t { Matte = 0, Shiny = 1, Metallic = 2, Glossy = 3 };
    /// How the renderer draws the surface.
    enum Representation : std::int32_t { Solid = 0, Wireframe = 1, PointCloud = 2 };

    /// A matte solid primitive with the given identifier, or 0.
    ///@{
    LitPrimitive() = default;
    explicit LitPrimitive(unsigned int id) : GraphicsPrimitive(id) {}
    ///@}
    /// Copies.
    ///@{
    LitPrimitive(const LitPrimitive&) = default;
    LitPrimitive& operator=(const LitPrimitive&) = default;
    ///@}
    ~LitPrimitive() override;

    /// The material (Matte by default).
    ///@{
    Material GetMaterial() const { return m_material; }
    void SetMaterial(Material material) { m_material = material; }
    ///@}
    /// The drawing style (Solid by default).
    ///@{
    Representation GetRepresentation() const { return m_representation; }
    void SetRepresentation(Representation representation) { m_representation = representation; }
    ///@}

    /// Identifier, material and representation. The representation exists
    /// only in documents of schema 7 or later (compared signed, so an archive
    /// without a schema counts as older): under an older schema it is neither
    /// stored nor loaded, and a loaded primitive keeps the one it had.
    void Serialize(CArchive& ar);

private:
    Material m_material = Matte;
    Representation m_representation = Solid;
};

/// A primitive drawn with its colours only: lines, points, text, shapes.
///
/// \valuethreads
class ORVCORE_API UnlitPrimitive : public GraphicsPrimitive
{
public:
    /// An unlit primitive with the given identifier, or 0.
    ///@{
    UnlitPrimitive() = default;
    explicit UnlitPrimitive(unsigned int id) : GraphicsPrimitive(id) {}
    ///@}
    /// Copies.
    ///@{
    UnlitPrimitive(const UnlitPrimitive&) = default;
    UnlitPrimitive& operator=(const UnlitPrimitive&) = default;
    ///@}
    ~UnlitPrimitive() override;
};

/// A point with a colour.
///
/// \valuethreads
class ORVCORE_API Vertex
{
public:
    /// A black vertex at the origin.
    Vertex() = default;
    /// A vertex of the given point and colour.
    Vertex(const Point3d& point, const Color& color) : m_point(point), m_color(color) {}
    /// Copies.
    ///@{
    Vertex(const Vertex&) = default;
    Vertex& operator=(const Vertex&) = default;
    ///@}
    /// Destroys the vertex.
    virtual ~Vertex();

    /// The point.
    ///@{
    const Point3d& GetPoint() const { return m_point; }
    void SetPoint(const Point3d& point) { m_point = point; }
    ///@}
    /// The colour.
    ///@{
    Color GetColor() const { return m_color; }
    void SetColor(const Color& color) { m_color = color; }
    ///@}

    /// Equal points and equal R, G, B; the alpha is not compared.
    bool operator==(const Vertex& other) const;
    /// Not operator==.
    bool operator!=(const Vertex& other) const { return !(*this == other); }

    /// The point becomes its image under the matrix; the colour stays.
    void Transform(const Matrix4x4& matrix);

    /// The colour with its alpha cleared (a transparent vertex reloads
    /// opaque), then the point.
    void Serialize(CArchive& ar);

    /// The colour as a vertex stores it: R, G, B and a zero top byte.
    static void StoreColor(CArchive& ar, const Color& color);

private:
    Point3d m_point;
    Color m_color;
};

/// A vertex with a normal, which is kept as given (not unit length).
///
/// \valuethreads
class ORVCORE_API VertexNormal : public Vertex
{
public:
    /// A black vertex at the origin with a zero normal.
    VertexNormal() = default;
    /// A vertex of the given point, normal and colour.
    VertexNormal(const Point3d& point, const Point3d& normal, const Color& color)
        : Vertex(point, color), m_normal(normal)
    {
    }
    /// Copies.
    ///@{
    VertexNormal(const VertexNormal&) = default;
    VertexNormal& operator=(const VertexNormal&) = default;
    ///@}
    ~VertexNormal() override;

    /// The normal, as given.
    ///@{
    const Point3d& GetNormal() const { return m_normal; }
    void SetNormal(const Point3d& normal) { m_normal = normal; }
    ///@}
    /// Scales the normal to unit length; a zero normal stays zero.
    void Normalize() { m_normal.Normalize(); }

    /// Equal as vertices and with equal normals.
    bool operator==(const VertexNormal& other) const;
    /// Not operator==.
    bool operator!=(const VertexNormal& other) const { return !(*this == other); }

    /// The vertex form, then the normal.
    void Serialize(CArchive& ar);

private:
    Point3d m_normal;
};

/// The three corner indices of a triangle in its mesh's vertex array.
///
/// \valuethreads
class ORVCORE_API TriangleIndex
{
public:
    /// The indices (0, 0, 0).
    TriangleIndex() = default;
    /// The indices (a, b, c).
    TriangleIndex(int a, int b, int c) : m_index{a, b, c} {}
    /// Copies.
    ///@{
    TriangleIndex(const TriangleIndex&) = default;
    TriangleIndex& operator=(const TriangleIndex&) = default;
    ///@}
    /// Destroys the index triple.
    virtual ~TriangleIndex();

    /// Index of corner 0, 1 or 2; any other corner reads 0 and is not written.
    int GetIndex(int corner) const { return corner >= 0 && corner < 3 ? m_index[corner] : 0; }
    /// Sets the index of corner 0, 1 or 2; any other corner is ignored.
    void SetIndex(int corner, int index)
    {
        if (corner >= 0 && corner < 3)
            m_index[corner] = index;
    }
    /// The three indices.
    void Get(int& a, int& b, int& c) const
    {
        a = m_index[0];
        b = m_index[1];
        c = m_index[2];
    }
    /// Sets the three indices.
    void Set(int a, int b, int c)
    {
        m_index[0] = a;
        m_index[1] = b;
        m_index[2] = c;
    }

    /// Equal when the three indices are equal, in order.
    bool operator==(const TriangleIndex& other) const
    {
        return m_index[0] == other.m_index[0] && m_index[1] == other.m_index[1] && m_index[2] == other.m_index[2];
    }
    /// Not operator==.
    bool operator!=(const TriangleIndex& other) const { return !(*this == other); }

    /// The three indices, 32 bits each, in order.
    void Serialize(CArchive& ar);

private:
    std::int32_t m_index[3] = {0, 0, 0};
};

/// Object identifiers of a mesh, indexed by the caller.
typedef CArray<UINT, UINT> OIDArray;

} // namespace Orvane
