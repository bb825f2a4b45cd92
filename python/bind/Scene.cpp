// DisplayList3D with its tree operations and pick dots, the view settings
// (GraphicsAttributes, LightSource) and the icon registry.

#include "Bindings.h"

#include "orvcore/graphics/scene/DisplayList3D.h"
#include "orvcore/graphics/scene/GraphicsAttributes.h"
#include "orvcore/graphics/scene/IconLibrary.h"
#include "orvcore/graphics/scene/SceneDocument.h"

#include <algorithm>
#include <functional>
#include <map>

using namespace Orvane;

namespace orvpy {

namespace {

// Pick dots as two arrays: positions float32 (n, 3) and object identifiers
// uint32 (n,). The walk runs without the GIL.
py::tuple PickDots(const DisplayList3D& list, bool overlay)
{
    std::vector<DotPrimitive> dots;
    Point3d::Array positions;
    std::vector<std::uint32_t> ids;
    {
        py::gil_scoped_release released;
        if (overlay)
            list.GetPickDots2D(dots);
        else
            list.GetPickDots(dots);
        positions.SetSize(static_cast<int>(dots.size()));
        ids.resize(dots.size());
        for (std::size_t i = 0; i < dots.size(); ++i) {
            positions[static_cast<int>(i)] = dots[i].GetCoord();
            ids[i] = dots[i].GetID();
        }
    }
    if (ids.empty())
        return py::make_tuple(ToNumpy(std::move(positions)), py::array_t<std::uint32_t>(0));
    auto* owned = new std::vector<std::uint32_t>(std::move(ids));
    py::capsule release(owned, [](void* p) { delete static_cast<std::vector<std::uint32_t>*>(p); });
    py::array_t<std::uint32_t> idArray({static_cast<py::ssize_t>(owned->size())}, owned->data(), release);
    return py::make_tuple(ToNumpy(std::move(positions)), idArray);
}

// Get<Kind>, GetNum<Kinds> and Remove<Kind> of one primitive array; elements
// are handed out as copies, so they stay valid whatever the list does later.
template <class Type, class Count, class Get, class Remove>
void DefKindAccess(py::class_<DisplayList3D>& c, const std::string& plural, const std::string& singular,
                   Count count, Get get, Remove remove)
{
    c.def(("GetNum" + plural).c_str(), count, ("The number of " + plural + " primitives.").c_str());
    c.def(
        ("Get" + singular).c_str(),
        [count, get](DisplayList3D& l, py::ssize_t i) { return Type((l.*get)(CheckIndex(i, (l.*count)()))); },
        "index"_a, ("A copy of " + singular + " primitive `index`; IndexError outside.").c_str());
    c.def(("Remove" + singular).c_str(), remove, "first"_a, "count"_a,
          ("Removes `count` " + plural + " primitives from `first` on (a range not in the array changes nothing).")
              .c_str());
}

void BindDisplayList(py::module_& m)
{
    py::class_<DisplayList3D> c(m, "DisplayList3D",
                                "A scene description for the renderer: primitives held by value in one array per kind "
                                "(spheres, ellipsoids, cylinders, tetrahedra and meshes split into opaque and "
                                "transparent arrays), nested display lists with their own local transformations, six "
                                "clip planes, a render mode and an icon scale. Getters hand out copies.");
    py::enum_<DisplayList3D::RenderMode>(c, "RenderMode", "The render mode, kept for the renderer.")
        .value("DefaultRenderMode", DisplayList3D::DefaultRenderMode)
        .export_values();
    c.def(py::init<>(), "An empty list with a new identifier.");
    c.def(py::init<const DisplayList3D&>(), "source"_a, "A copy of the list (same identifier, whole subtree).");
    c.def("GetID", &DisplayList3D::GetID, "The list's identifier.");
    ORVPY_ACCESSORS(c, DisplayList3D, RenderMode, "render mode");
    ORVPY_ACCESSORS(c, DisplayList3D, IconScale, "icon scale");
    ORVPY_ACCESSORS(c, DisplayList3D, LocalTransformation, "local transformation");

    // Add overloads are registered most derived kind first, so that a dashed
    // line is never taken for a line nor an ellipse for a rectangle.
    std::vector<std::function<void()>> adds;
#define ORVPY_DL_ACCESS(Type, Plural, Singular)                                                                     \
    DefKindAccess<Type>(c, #Plural, #Singular, &DisplayList3D::GetNum##Plural,                                      \
                        static_cast<Type& (DisplayList3D::*)(int)>(&DisplayList3D::Get##Singular),                  \
                        &DisplayList3D::Remove##Singular);
#define ORVPY_DL_ADD(Type)                                                                                          \
    adds.push_back([&c] {                                                                                           \
        c.def(                                                                                                      \
            "Add", [](DisplayList3D& l, const Type& p) { return l.Add(p); }, "primitive"_a,                        \
            "Stores a copy of the primitive in the array of its kind and returns its index there.");               \
    });
#define ORVPY_DL_ONE(Type, member, Plural, Singular) ORVPY_DL_ACCESS(Type, Plural, Singular) ORVPY_DL_ADD(Type)
#define ORVPY_DL_SPLIT(Type, opaque, transparent, Plural, Singular)                                                 \
    ORVPY_DL_ACCESS(Type, Opaque##Plural, Opaque##Singular)                                                         \
    ORVPY_DL_ACCESS(Type, Transparent##Plural, Transparent##Singular) ORVPY_DL_ADD(Type)
    ORVCORE_DISPLAYLIST_KINDS(ORVPY_DL_ONE, ORVPY_DL_SPLIT)
#undef ORVPY_DL_SPLIT
#undef ORVPY_DL_ONE
#undef ORVPY_DL_ADD
#undef ORVPY_DL_ACCESS
    for (auto it = adds.rbegin(); it != adds.rend(); ++it)
        (*it)();
    c.def(
        "Add", [](DisplayList3D& l, const DisplayList3D& child) { return l.Add(child); }, "list"_a,
        "Stores a copy of the list (same identifier, whole subtree) as a nested list and returns that identifier.");

    c.def("GetNumDisplayLists", &DisplayList3D::GetNumDisplayLists, "The number of nested lists.");
    c.def(
        "GetDisplayList",
        [](DisplayList3D& l, py::ssize_t i) { return DisplayList3D(l.GetDisplayList(CheckIndex(i, l.GetNumDisplayLists()))); },
        "index"_a, "A copy of nested list `index`; IndexError outside.");
    c.def("RemoveDisplayList", &DisplayList3D::RemoveDisplayList, "first"_a, "count"_a,
          "Removes `count` nested lists from `first` on.");
    c.def(
        "LookupDisplayList",
        [](DisplayList3D& l, unsigned int id) -> std::optional<DisplayList3D> {
            DisplayList3D* found = l.LookupDisplayList(id);
            if (found == nullptr)
                return std::nullopt;
            return DisplayList3D(*found);
        },
        "id"_a, "A copy of the list with this identifier in this subtree (depth first), or None.");
    c.def("Copy", &DisplayList3D::Copy, "source"_a, "Makes the content equal to the source's, keeping the identifier.");
    c.def("Clear", &DisplayList3D::Clear,
          "Empties every primitive array and nested list and resets placement and clip planes.");
    c.def("IsEmpty", &DisplayList3D::IsEmpty, "True when the subtree holds no primitive.");
    c.def("SetOID", &DisplayList3D::SetOID, "oid"_a, "Sets every object identifier of the subtree's primitives.");
    c.def(
        "TranslateOIDs",
        [](DisplayList3D& l, const std::map<unsigned int, unsigned int>& mapping) {
            DisplayList3D::OIDMap map;
            for (const auto& entry : mapping)
                map.SetAt(entry.first, entry.second);
            l.TranslateOIDs(map);
        },
        "mapping"_a, "Replaces each object identifier that is a key of the dict by its value, once.");
    c.def("Append", &DisplayList3D::Append, "source"_a,
          "Appends the source's primitives and nested lists; returns how many.");
    c.def("ApplyLocalTransformation", &DisplayList3D::ApplyLocalTransformation,
          "Moves every primitive into the parent's frame and resets the local transformations.");
    c.def("Flatten", &DisplayList3D::Flatten,
          "Bakes the subtree's transformations into the primitives and gathers them into this list.");
    c.def(
        "GetAggregateTransformation",
        [](const DisplayList3D& l, DisplayList3D& root, unsigned int id) -> std::optional<Matrix4x4> {
            if (root.LookupDisplayList(id) == nullptr)
                return std::nullopt;
            Matrix4x4 result(Matrix4x4::IdentityMatrix);
            l.GetAggregateTransformation(root, id, result);
            return result;
        },
        "root"_a, "id"_a,
        "The aggregate transformation of the last list carrying the identifier in root's tree, or None when none "
        "does.");
    c.def("GetMaxClipPlanes", &DisplayList3D::GetMaxClipPlanes, "The number of clip planes (6).");
    c.def(
        "GetClipPlane", [](const DisplayList3D& l, py::ssize_t i) { return l.GetClipPlane(CheckIndex(i, l.GetMaxClipPlanes())); },
        "index"_a, "Clip plane `index`; IndexError outside.");
    c.def(
        "SetClipPlane",
        [](DisplayList3D& l, py::ssize_t i, const Plane& p) { l.SetClipPlane(CheckIndex(i, l.GetMaxClipPlanes()), p); },
        "index"_a, "plane"_a, "Sets clip plane `index`.");
    c.def(
        "GetClipPlaneEnabled",
        [](const DisplayList3D& l, py::ssize_t i) { return l.GetClipPlaneEnabled(CheckIndex(i, l.GetMaxClipPlanes())); },
        "index"_a, "Whether clip plane `index` is enabled.");
    c.def(
        "SetClipPlaneEnabled",
        [](DisplayList3D& l, py::ssize_t i, bool on) { l.SetClipPlaneEnabled(CheckIndex(i, l.GetMaxClipPlanes()), on); },
        "index"_a, "enabled"_a, "Enables or disables clip plane `index`.");
    c.def(
        "GetPickDots", [](const DisplayList3D& l) { return PickDots(l, false); },
        "The pick dots of the tree's 3D content in the frame of the root's parent, honouring enabled clip planes: "
        "(positions float32 (n, 3), object identifiers uint32 (n,)).");
    c.def(
        "GetPickDots2D", [](const DisplayList3D& l) { return PickDots(l, true); },
        "The pick dots of the tree's 2D overlay content, untransformed, as (positions, identifiers).");
    c.def("__repr__", [](const DisplayList3D& l) {
        return "DisplayList3D(id=" + std::to_string(l.GetID()) + ", " + std::to_string(l.GetNumDisplayLists()) +
               " nested lists)";
    });
}

void BindViewSettings(py::module_& m)
{
    py::class_<LightSource> l(m, "LightSource", "One light of a view: a position, a colour and whether it is on.");
    l.def(py::init<>(), "A white light at (0, 0, 1), off.");
    l.def(py::init<const Point3d&, const Color&, bool>(), "position"_a, "color"_a, "enabled"_a, "A light.");
    ORVPY_ACCESSORS(l, LightSource, Position, "position");
    ORVPY_ACCESSORS(l, LightSource, Color, "colour");
    ORVPY_ACCESSORS(l, LightSource, Enabled, "on flag");
    DefArchiveForm(l);

    py::class_<GraphicsAttributes> g(m, "GraphicsAttributes",
                                     "The rendering settings of one view: size, quality, projection, four lights, fog, "
                                     "stereo, line width, font scale, perspective, background, a view matrix and depth "
                                     "adjustments.");
    g.def(py::init<>(), "The default settings.");
    g.attr("NumLights") = static_cast<int>(GraphicsAttributes::NumLights);
    ORVPY_ACCESSORS(g, GraphicsAttributes, ViewSize, "view size");
    ORVPY_ACCESSORS(g, GraphicsAttributes, Quality, "quality");
    ORVPY_ACCESSORS(g, GraphicsAttributes, Projection, "projection");
    g.def(
        "GetLight", [](const GraphicsAttributes& a, py::ssize_t i) { return a.GetLight(CheckIndex(i, GraphicsAttributes::NumLights)); },
        "index"_a, "A copy of light `index` (0..3); IndexError outside.");
    g.def(
        "SetLight",
        [](GraphicsAttributes& a, py::ssize_t i, const LightSource& light) {
            a.SetLight(CheckIndex(i, GraphicsAttributes::NumLights), light);
        },
        "index"_a, "light"_a, "Sets light `index` (0..3); IndexError outside.");
    ORVPY_ACCESSORS(g, GraphicsAttributes, Fog, "fog flag");
    ORVPY_ACCESSORS(g, GraphicsAttributes, Stereo, "stereo flag");
    ORVPY_ACCESSORS(g, GraphicsAttributes, StereoAngle, "stereo angle");
    ORVPY_ACCESSORS(g, GraphicsAttributes, StereoSeparationFactor, "stereo separation factor");
    ORVPY_ACCESSORS(g, GraphicsAttributes, StereoSkewFactor, "stereo skew factor");
    ORVPY_ACCESSORS(g, GraphicsAttributes, PerspectiveAngle, "perspective angle");
    ORVPY_ACCESSORS(g, GraphicsAttributes, BkColor, "background colour");
    ORVPY_ACCESSORS(g, GraphicsAttributes, LineWidth, "line width");
    ORVPY_ACCESSORS(g, GraphicsAttributes, FontScale, "font scale");
    ORVPY_ACCESSORS(g, GraphicsAttributes, FastRender, "fast-render flag");
    ORVPY_ACCESSORS(g, GraphicsAttributes, ZFarAdj, "far depth adjustment");
    ORVPY_ACCESSORS(g, GraphicsAttributes, ZNearAdj, "near depth adjustment");
    ORVPY_ACCESSORS(g, GraphicsAttributes, Matrix, "view matrix");
    DefArchiveForm(g);
}

void BindIconLibrary(py::module_& m)
{
    py::class_<IconLibrary> i(m, "IconLibrary",
                              "The process-wide registry of icon shapes: display lists in icon units filed under an "
                              "icon identifier and a name. Built in: 1 ORV.jack, 2 ORV.cross, 3 ORV.triangle, "
                              "4 ORV.diamond. Nothing is ever removed.");
    i.def_static("GetNewIconID", &IconLibrary::GetNewIconID, "A fresh icon identifier (5 first).");
    i.def_static(
        "GetIconIDs",
        [] {
            std::vector<unsigned int> ids;
            const IconLibrary::IconDefinitionMap& defs = IconLibrary::GetIconDefinitions();
            for (POSITION pos = defs.GetStartPosition(); pos;) {
                unsigned int id;
                DisplayList3D list;
                defs.GetNextAssoc(pos, id, list);
                ids.push_back(id);
            }
            std::sort(ids.begin(), ids.end());
            return ids;
        },
        "The registered icon identifiers, in increasing order.");
    i.def_static(
        "LookupIconDefinition",
        [](unsigned int id) -> std::optional<DisplayList3D> {
            DisplayList3D list;
            if (!IconLibrary::GetIconDefinitions().Lookup(id, list))
                return std::nullopt;
            return list;
        },
        "id"_a, "A copy of the shape filed under the identifier, or None.");
    i.def_static(
        "SetIconDefinition", [](unsigned int id, DisplayList3D& list) { IconLibrary::GetIconDefinitions().SetAt(id, list); },
        "id"_a, "list"_a, "Files a copy of the shape under the identifier.");
    i.def_static(
        "LookupIconIndex",
        [](const CString& name) -> std::optional<unsigned int> {
            unsigned int id = 0;
            if (!IconLibrary::GetIconIndex().Lookup(name, id))
                return std::nullopt;
            return id;
        },
        "name"_a, "The identifier filed under the name, or None.");
    i.def_static(
        "SetIconIndex", [](const CString& name, unsigned int id) { IconLibrary::GetIconIndex().SetAt(name, id); },
        "name"_a, "id"_a, "Files the identifier under the name.");
}

// Raises the error of a scene document's status: OSError for the file's own
// failures, ValueError for what the bytes hold.
void CheckDocument(SceneDocument::Status status, const std::string& where)
{
    if (status == SceneDocument::ok)
        return;
    const std::string message = where + SceneDocument::Describe(status);
    switch (status) {
    case SceneDocument::cannotOpen:
    case SceneDocument::readFailed:
    case SceneDocument::cannotCreate:
    case SceneDocument::writeFailed:
        PyErr_SetString(PyExc_OSError, message.c_str());
        throw py::error_already_set();
    default:
        throw py::value_error(message);
    }
}

SceneDocument DocumentFromBytes(const py::buffer& data)
{
    const py::bytes raw = PyBytes_Check(data.ptr()) ? py::reinterpret_borrow<py::bytes>(data)
                                                    : py::reinterpret_steal<py::bytes>(PyBytes_FromObject(data.ptr()));
    if (!raw)
        throw py::error_already_set();
    SceneDocument d;
    const BYTE* bytes = reinterpret_cast<const BYTE*>(PyBytes_AS_STRING(raw.ptr()));
    const std::size_t size = static_cast<std::size_t>(PyBytes_GET_SIZE(raw.ptr()));
    SceneDocument::Status status;
    {
        py::gil_scoped_release released;
        status = d.FromBytes(bytes, size);
    }
    CheckDocument(status, "");
    return d;
}

py::bytes DocumentBytes(const SceneDocument& d)
{
    std::vector<BYTE> bytes;
    {
        py::gil_scoped_release released;
        bytes = d.ToBytes();
    }
    return py::bytes(reinterpret_cast<const char*>(bytes.data()), static_cast<py::ssize_t>(bytes.size()));
}

void BindSceneDocument(py::module_& m)
{
    py::class_<SceneDocument> d(
        m, "SceneDocument",
        "A scene document as orvscene --write stores it: the source structure's summary, the shown atoms' "
        "coordinates, serial numbers and labels, the view attributes and the scene tree (docs/scene-document.md). "
        "Loading refuses damaged documents and any coordinate, radius or matrix that is not finite.");
    d.def(py::init<>(), "An empty document.");
    d.def_readwrite("source", &SceneDocument::source, "Where the structure came from.");
    d.def_readwrite("atoms", &SceneDocument::atoms, "The structure's number of atoms.");
    d.def_readwrite("bonds", &SceneDocument::bonds, "Its number of bonds.");
    d.def_readwrite("residues", &SceneDocument::residues, "Its number of residues.");
    d.def_readwrite("chains", &SceneDocument::chains, "Its number of chains.");
    d.def_property(
        "coordinates", [](const SceneDocument& s) { return ToNumpy(Point3d::Array(s.coordinates)); },
        [](SceneDocument& s, const FloatRows& rows) { s.coordinates = ToPointArray(rows, "coordinates"); },
        "The shown atoms' coordinates, a float32 (n, 3) array (a copy).");
    d.def_property(
        "serials",
        [](const SceneDocument& s) {
            py::array_t<std::int32_t> out(s.serials.GetSize());
            std::copy(s.serials.GetData(), s.serials.GetData() + s.serials.GetSize(), out.mutable_data());
            return out;
        },
        [](SceneDocument& s, const std::vector<int>& values) {
            s.serials.SetSize(static_cast<int>(values.size()));
            std::copy(values.begin(), values.end(), s.serials.GetData());
        },
        "The atoms' serial numbers, an int32 array (a copy).");
    d.def_property(
        "labels",
        [](const SceneDocument& s) {
            std::vector<CString> out;
            for (int i = 0; i < s.labels.GetSize(); ++i)
                out.push_back(s.labels[i]);
            return out;
        },
        [](SceneDocument& s, const std::vector<CString>& values) {
            s.labels.RemoveAll();
            for (const CString& v : values)
                s.labels.Add(v);
        },
        "The atoms' labels (a copy).");
    d.def_readwrite("attributes", &SceneDocument::attributes, "The view attributes (edited in place).");
    d.def_readwrite("scene", &SceneDocument::scene, "The scene tree (edited in place).");
    d.def("to_bytes", &DocumentBytes, "The stored document as bytes.");
    d.def_static("from_bytes", &DocumentFromBytes, "data"_a,
                 "The document stored in the bytes. ValueError, with the reason, for bytes that are not a whole, "
                 "sound document (including one with a number that is not finite).");
    d.def("WriteFile",
          [](const SceneDocument& s, const std::string& path) {
              SceneDocument::Status status;
              {
                  py::gil_scoped_release released;
                  status = s.WriteFile(path.c_str());
              }
              CheckDocument(status, path + ": ");
          },
          "path"_a, "Writes the document to the file (OSError on failure).");
    d.def_static(
        "ReadFile",
        [](const std::string& path) {
            SceneDocument s;
            SceneDocument::Status status;
            {
                py::gil_scoped_release released;
                status = s.ReadFile(path.c_str());
            }
            CheckDocument(status, path + ": ");
            return s;
        },
        "path"_a, "The document in the file (OSError when unreadable, ValueError when damaged).");
    d.def("IsFinite", &SceneDocument::IsFinite, "True when every number of the document is finite.");
    d.def("__reduce__", [](const py::handle& self) { return ReduceByArchiveForm(self, DocumentBytes(self.cast<const SceneDocument&>())); },
          "Pickles the document through its stored bytes.");
    d.def("__copy__", [](const SceneDocument& s) { return SceneDocument(s); }, "A copy.");
    d.def("__deepcopy__", [](const SceneDocument& s, const py::dict&) { return SceneDocument(s); }, "memo"_a,
          "A copy (the document holds everything by value).");
    d.def("__repr__", [](const SceneDocument& s) {
        return "SceneDocument(source=" + ReprText(CString(s.source.c_str())) + ", atoms=" + std::to_string(s.atoms) +
               ", coordinates=" + std::to_string(s.coordinates.GetSize()) + ", lists=" +
               std::to_string(1 + s.scene.GetNumDisplayLists()) + ")";
    });

    py::class_<DisplayList3D> list = py::reinterpret_borrow<py::class_<DisplayList3D>>(m.attr("DisplayList3D"));
    list.def(
        "to_document_bytes",
        [](const DisplayList3D& l, const std::optional<GraphicsAttributes>& attributes) {
            SceneDocument doc;
            doc.scene = l;
            if (attributes)
                doc.attributes = *attributes;
            return DocumentBytes(doc);
        },
        "attributes"_a = py::none(),
        "This list as the scene of a scene document without atoms (with the view attributes, default ones when "
        "not given), as bytes that orvscene --read loads.");
    list.def_static(
        "from_document_bytes", [](const py::buffer& data) { return DocumentFromBytes(data).scene; }, "data"_a,
        "The scene tree of a scene document's bytes. ValueError, with the reason, for a damaged document.");
}

} // namespace

void BindScene(py::module_& m)
{
    BindDisplayList(m);
    BindViewSettings(m);
    BindIconLibrary(m);
    BindSceneDocument(m);
}

} // namespace orvpy
