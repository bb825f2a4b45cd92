#include "orvcore/graphics/primitives/TriangleMeshPrimitive.h"

#include "orvcore/core/ArchiveFields.h"
#include "orvcore/geometry/Matrix4x4.h"

namespace Orvane {

TriangleMeshPrimitive::TriangleMeshPrimitive()
{
    CreateData();
}

TriangleMeshPrimitive::TriangleMeshPrimitive(const VertexNormalArray& vertices, const TriangleIndexArray& triangles,
                                             unsigned int id)
    : LitPrimitive(id)
{
    CreateData();
    m_data->vertices.Copy(vertices);
    m_data->triangles.Copy(triangles);
}

TriangleMeshPrimitive::TriangleMeshPrimitive(const VertexNormalArray& vertices, const TriangleIndexArray& triangles,
                                             const OIDArray& oids)
    : TriangleMeshPrimitive(vertices, triangles, 0u)
{
    m_data->oids.Copy(oids);
}

TriangleMeshPrimitive::TriangleMeshPrimitive(const TriangleMeshPrimitive& other)
    : LitPrimitive(other), m_twoSided(other.m_twoSided), m_lineWidth(other.m_lineWidth)
{
    CopyData(other.m_data);
}

TriangleMeshPrimitive& TriangleMeshPrimitive::operator=(const TriangleMeshPrimitive& other)
{
    if (this != &other) {
        LitPrimitive::operator=(other);
        m_twoSided = other.m_twoSided;
        m_lineWidth = other.m_lineWidth;
        CopyData(other.m_data);
    }
    return *this;
}

TriangleMeshPrimitive::~TriangleMeshPrimitive()
{
    DeleteData();
}

// --- sharing

void TriangleMeshPrimitive::CreateData()
{
    m_data = new Data;
}

void TriangleMeshPrimitive::DeleteData()
{
    if (!m_data)
        return;
    if (m_data->refCount != 1)
        --m_data->refCount;
    else
        delete m_data;
    m_data = nullptr;
}

void TriangleMeshPrimitive::CopyData(const Data* data)
{
    if (data && data == m_data)
        return;
    if (!data) {
        Data* fresh = new Data;
        DeleteData();
        m_data = fresh;
        return;
    }
    DeleteData();
    ++data->refCount;
    m_data = const_cast<Data*>(data);
}

// Each detaching step builds the new record before it lets go of the shared
// one, so a failed allocation leaves the mesh as it was.
void TriangleMeshPrimitive::SaveData()
{
    if (m_data->refCount > 1) {
        Data* fresh = new Data;
        DeleteData();
        m_data = fresh;
    }
}

void TriangleMeshPrimitive::SaveDataKeepingOIDs()
{
    if (m_data->refCount > 1) {
        Data* fresh = new Data;
        fresh->oids = m_data->oids;
        DeleteData();
        m_data = fresh;
    }
}

void TriangleMeshPrimitive::UnlinkData()
{
    if (m_data->refCount >= 2) {
        Data* fresh = new Data(*m_data);
        fresh->refCount = 1;
        DeleteData();
        m_data = fresh;
    }
}

// --- write access

VertexNormal* TriangleMeshPrimitive::GetVertices()
{
    UnlinkData();
    return m_data->vertices.GetData();
}

TriangleIndexArray& TriangleMeshPrimitive::GetTriangleArray()
{
    UnlinkData();
    return m_data->triangles;
}

VertexNormalArray& TriangleMeshPrimitive::GetVertexArray()
{
    UnlinkData();
    return m_data->vertices;
}

void TriangleMeshPrimitive::SetTriangleAt(int i, const TriangleIndex& triangle)
{
    if (i < 0 || i >= GetNumTriangles())
        return;
    UnlinkData();
    TriangleIndex& target = m_data->triangles[i];
    if (&target != &triangle)
        target = triangle;
}

void TriangleMeshPrimitive::SetVertexAt(int i, const VertexNormal& vertex)
{
    if (i < 0 || i >= GetNumVertices())
        return;
    UnlinkData();
    VertexNormal& target = m_data->vertices[i];
    if (&target != &vertex)
        target = vertex;
}

void TriangleMeshPrimitive::SetOIDAt(int i, unsigned int oid)
{
    UnlinkData();
    m_data->oids[i] = oid;
}

void TriangleMeshPrimitive::Set(const VertexNormalArray& vertices, const TriangleIndexArray& triangles)
{
    // A shared record stays alive while the copies below read from it, even
    // when the arguments are its own arrays.
    SaveDataKeepingOIDs();
    m_data->triangles.Copy(triangles);
    m_data->vertices.Copy(vertices);
}

void TriangleMeshPrimitive::Clear()
{
    SaveData();
    m_data->triangles.RemoveAll();
    m_data->vertices.RemoveAll();
    m_data->oids.RemoveAll();
}

bool TriangleMeshPrimitive::IsTransparent() const
{
    return GetNumVertices() > 0 && m_data->vertices[0].GetColor().GetA() > 0;
}

// --- transformations

void TriangleMeshPrimitive::TransformPoints(const Matrix4x4& matrix)
{
    UnlinkData();
    for (VertexNormal& v : m_data->vertices)
        v.SetPoint(v.GetPoint() * matrix);
}

void TriangleMeshPrimitive::Rotate(const Point3d& axis, const Point3d& point, double degrees)
{
    TransformPoints(Matrix4x4(axis, point, degrees));
}

void TriangleMeshPrimitive::Rotate(const Point3d& axis, double degrees)
{
    TransformPoints(Matrix4x4(axis, degrees));
}

void TriangleMeshPrimitive::Transform(const Matrix4x4& matrix)
{
    TransformPoints(matrix);
}

void TriangleMeshPrimitive::Translate(const Point3d& offset)
{
    if (!(offset.Length2() > 0.0))
        return;
    UnlinkData();
    const float dx = offset[0], dy = offset[1], dz = offset[2];
    for (VertexNormal& v : m_data->vertices) {
        Point3d p = v.GetPoint();
        p[0] = p[0] + dx;
        p[1] = p[1] + dy;
        p[2] = p[2] + dz;
        v.SetPoint(p);
    }
}

void TriangleMeshPrimitive::TransformAll(const Matrix4x4& matrix)
{
    UnlinkData();
    for (VertexNormal& v : m_data->vertices) {
        const Point3d p = v.GetPoint();
        const Point3d image = matrix.Transform(p);
        const Point3d tip = matrix.Transform(p + v.GetNormal());
        v.SetPoint(image);
        v.SetNormal(tip - image);
    }
}

// --- archive

void TriangleMeshPrimitive::Serialize(CArchive& ar)
{
    LitPrimitive::Serialize(ar);
    if (ar.IsStoring()) {
        ar << static_cast<int>(GetNumTriangles());
        for (TriangleIndex& t : m_data->triangles)
            t.Serialize(ar);
        ar << static_cast<int>(GetNumVertices());
        for (VertexNormal& v : m_data->vertices)
            v.Serialize(ar);
        SerializeTwoSided(ar);
        return;
    }

    // The load replaces triangles and vertices only; it must not reach the
    // copies that share the record.
    SaveDataKeepingOIDs();
    try {
        const int numTriangles = ReadSignedCount(ar, 3 * sizeof(std::int32_t));
        m_data->triangles.SetSize(numTriangles);
        for (TriangleIndex& t : m_data->triangles)
            t.Serialize(ar);
        const int numVertices = ReadSignedCount(ar, sizeof(DWORD) + 2 * ArchivedPointSize(ar));
        m_data->vertices.SetSize(numVertices);
        for (VertexNormal& v : m_data->vertices)
            v.Serialize(ar);
        // Corners index the vertices: a document whose corners point elsewhere is
        // refused like any other damaged one.
        for (const TriangleIndex& t : m_data->triangles)
            for (int corner = 0; corner < 3; ++corner)
                if (t.GetIndex(corner) < 0 || t.GetIndex(corner) >= numVertices)
                    throw CArchiveException(CArchiveException::badIndex);
    } catch (...) {
        // No triangle survives a failed load: its corners may point past the vertices.
        m_data->triangles.RemoveAll();
        throw;
    }
    SerializeTwoSided(ar);
}

// Documents before schema 7 have no two-sided flag (compared unsigned, so an
// archive without a schema has one): nothing is stored for it there, and a
// loaded mesh keeps the flag it had.
void TriangleMeshPrimitive::SerializeTwoSided(CArchive& ar)
{
    if (SchemaAboveUnsigned(ar, 6))
        ArchiveFields::FlagNonZero(ar, m_twoSided);
}

} // namespace Orvane
