#pragma once

/// \file
/// TriangleMeshPrimitive, an indexed triangle mesh with shared data.
#include "orvcore/graphics/primitives/GraphicsPrimitive.h"

namespace Orvane {

/// The vertices of a mesh.
typedef CArray<VertexNormal, VertexNormal&> VertexNormalArray;
/// The triangles of a mesh.
typedef CArray<TriangleIndex, TriangleIndex&> TriangleIndexArray;

/// An indexed triangle mesh. Copies share one reference-counted data record
/// until one of them changes: every member that changes the vertices, the
/// triangles or the object identifiers first detaches this mesh from a shared
/// record, so a change is never seen by the copies. Read access never copies.
///
/// The object identifiers are indexed by the caller and belong to the mesh:
/// replacing the triangles and vertices (Set, loading) keeps them, whether or
/// not the record happened to be shared.
///
/// \threadsafety{As a value, except that copies share one data record whose share count is not
/// atomic: meshes that are copies of one another (also inside copied display lists) are copied,
/// changed and destroyed by one thread at a time.}
class ORVCORE_API TriangleMeshPrimitive : public LitPrimitive
{
public:
    /// The shared record. `refCount` is the number of meshes holding it.
    struct Data
    {
        mutable std::int32_t refCount = 1; ///< The number of meshes holding the record.
        TriangleIndexArray triangles; ///< The triangles.
        VertexNormalArray vertices; ///< The vertices with their normals.
        OIDArray oids; ///< The object identifiers.
    };

    /// An empty mesh, one-sided, line width 1.
    TriangleMeshPrimitive();
    /// A mesh of copies of the vertices and triangles, without object identifiers.
    TriangleMeshPrimitive(const VertexNormalArray& vertices, const TriangleIndexArray& triangles,
                          unsigned int id = 0);
    /// A mesh of copies of the vertices, triangles and object identifiers.
    TriangleMeshPrimitive(const VertexNormalArray& vertices, const TriangleIndexArray& triangles,
                          const OIDArray& oids);
    /// Shares the source's record.
    TriangleMeshPrimitive(const TriangleMeshPrimitive& other);
    /// Shares other's record, releasing this mesh's own.
    TriangleMeshPrimitive& operator=(const TriangleMeshPrimitive& other);
    /// Releases the record.
    ~TriangleMeshPrimitive() override;

    /// The lit form; triangle count, signed 32-bit, and each triangle's
    /// indices; vertex count and each vertex with its normal; the two-sided
    /// flag as a 32-bit 0 or 1. The flag exists only for schema 7 or later
    /// (compared unsigned, so an archive without a schema has it): an older
    /// layout neither stores nor loads it, nor the representation (see
    /// LitPrimitive). Line width and object identifiers are not archived.
    virtual void Serialize(CArchive& ar);
    /// Rotations (degrees) about an axis through `point`, or through the
    /// origin; normals are not turned.
    virtual void Rotate(const Point3d& axis, const Point3d& point, double degrees);
    /// The same about an axis through the origin.
    virtual void Rotate(const Point3d& axis, double degrees);
    /// Moves the vertex points; normals stay.
    virtual void Transform(const Matrix4x4& matrix);
    /// Adds the offset to every vertex point; a zero offset changes nothing
    /// and keeps the record shared.
    virtual void Translate(const Point3d& offset);
    /// Moves the vertex points and carries the normals along (image of p + n
    /// minus image of p, not renormalized).
    virtual void TransformAll(const Matrix4x4& matrix);

    /// Number of triangles.
    int GetNumTriangles() const { return m_data->triangles.GetSize(); }
    /// Number of vertices.
    int GetNumVertices() const { return m_data->vertices.GetSize(); }
    /// Number of object identifiers.
    int GetNumOIDs() const { return m_data->oids.GetSize(); }

    /// Read access; the index must lie in range.
    ///@{
    const TriangleIndex& GetTriangleAt(int i) const { return m_data->triangles[i]; }
    const VertexNormal& GetVertexAt(int i) const { return m_data->vertices[i]; }
    unsigned int GetOIDAt(int i) const { return m_data->oids[i]; }
    const VertexNormal* GetVertices() const { return m_data->vertices.GetData(); }
    ///@}
    /// The triangles, read only.
    const TriangleIndexArray& GetTriangleArray() const { return m_data->triangles; }
    /// The vertices, read only.
    const VertexNormalArray& GetVertexArray() const { return m_data->vertices; }

    /// Write access: detaches first. The references stay valid until the
    /// array changes size or the mesh is detached, assigned or destroyed.
    ///@{
    VertexNormal* GetVertices();
    TriangleIndexArray& GetTriangleArray();
    VertexNormalArray& GetVertexArray();
    ///@}
    /// An index outside the array is ignored.
    ///@{
    void SetTriangleAt(int i, const TriangleIndex& triangle);
    void SetVertexAt(int i, const VertexNormal& vertex);
    ///@}
    /// The index must lie in range.
    void SetOIDAt(int i, unsigned int oid);
    /// Replaces the triangles and vertices; the object identifiers stay.
    void Set(const VertexNormalArray& vertices, const TriangleIndexArray& triangles);
    /// Empties all three arrays.
    void Clear();

    /// Whether both sides of the triangles are lit.
    ///@{
    bool GetTwoSided() const { return m_twoSided; }
    void SetTwoSided(bool twoSided) { m_twoSided = twoSided; }
    ///@}
    /// The line width for wireframe drawing (not archived).
    ///@{
    float GetLineWidth() const { return m_lineWidth; }
    void SetLineWidth(float width) { m_lineWidth = width; }
    ///@}

    /// Decided by the first vertex's colour; a mesh without vertices is opaque.
    bool IsTransparent() const;
    /// Meshes holding this mesh's record, this one included.
    int GetShareCount() const { return m_data->refCount; }
    /// True when both meshes hold the same record.
    bool SharesDataWith(const TriangleMeshPrimitive& other) const { return m_data == other.m_data; }

protected:
    /// A fresh record with count 1 and empty arrays.
    void CreateData();
    /// Releases the record: drops the count, or frees it when this was the
    /// last holder. The handle is empty afterwards.
    void DeleteData();
    /// Releases the current record and shares `data` (a fresh one if null).
    void CopyData(const Data* data);
    /// Before replacing the whole content: a shared record is left for a
    /// fresh empty one.
    void SaveData();
    /// Before changing part of the content: a shared record is left for a
    /// private copy of it.
    void UnlinkData();

private:
    /// Before replacing triangles and vertices: like SaveData, but the
    /// object identifiers move into the fresh record.
    void SaveDataKeepingOIDs();
    void SerializeTwoSided(CArchive& ar);
    void TransformPoints(const Matrix4x4& matrix);

    Data* m_data = nullptr;
    bool m_twoSided = false;
    float m_lineWidth = 1.0f;
};

} // namespace Orvane
