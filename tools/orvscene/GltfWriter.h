#pragma once

#include "Jobs.h"
#include "Molecule.h"

#include "orvcore/graphics/scene/DisplayList3D.h"

#include <iosfwd>
#include <memory>
#include <string>

namespace orvscene {

// Writes a scene as glTF 2.0 binary (GLB): one node per display list with
// its local transformation, nested as the lists are; under it one node per
// colour for its spheres and for its cylinders, each an instanced unit mesh
// (EXT_mesh_gpu_instancing: translation, rotation and scale per instance)
// with a material of that colour, or with `instanced` false one plain mesh
// of all those shapes (for loaders without the extension); lines and dots as
// line and point meshes with vertex colours; every such node lists the
// object identifiers of what it draws in its extras; labels and icons in the
// list node's extras. The spheres' and cylinders' detail falls with their
// number, so that a scene of any size stays near 8 million triangles; the
// file names an extension as used and required only when it uses it.
//
// glTF composes a child's matrix after its parent's, where display lists
// apply the parent's first: each node carries the matrix that gives its list
// the same aggregate transformation. When that matrix is no translation,
// rotation and scale (a shear, a projection), the node carries none and its
// primitives are written already transformed.
class GltfWriter
{
public:
    // With `atoms`, the scene's extras carry the atom table: per object
    // identifier (atoms[id - 1]) its serial, name, element, residue, number,
    // insertion code, chain, segment, alternate location, occupancy and B-factor,
    // as parallel arrays; and the entry's ID and title where known.
    GltfWriter(const Orvane::DisplayList3D& scene, const std::string& title, const SceneAtoms* atoms = nullptr,
               bool instanced = true);
    ~GltfWriter();
    void Write(std::ostream& out);

    // The same bytes in steps, for writing beside other work: Make gathers
    // the scene and hands back the pieces that format the file's long parts;
    // once they have all run, WriteMade writes the file. The scene and the
    // atoms must stay as they are until then.
    Work Make();
    void WriteMade(std::ostream& out) const;

private:
    struct Made;
    std::unique_ptr<Made> m_made;
    const Orvane::DisplayList3D& m_scene;
    std::string m_title;
    const SceneAtoms* m_atoms;
    bool m_instanced;
};

// Sphere slices and stacks and cylinder slices for a scene of that many
// spheres and cylinder halves: the finest whose triangles stay within the
// budget.
struct MeshDetail {
    int sphereSlices, sphereStacks, cylinderSlices;
    long Triangles(long spheres, long halves) const
    {
        return spheres * 2L * sphereSlices * sphereStacks + halves * 2L * cylinderSlices;
    }
};
MeshDetail ChooseDetail(long spheres, long halves, long budget = 8000000);

} // namespace orvscene
