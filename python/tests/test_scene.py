"""Primitives and display lists: every kind, tree operations, pick dots, lifetimes and leaks."""

import gc
import inspect
import sys
import tracemalloc

import numpy as np
import pytest

import orvcore
from orvcore import Color, DisplayList3D, Matrix4x4, Point3d

# Every kind a display list holds, one constructed sample each, with the suffix of its accessors.
KINDS = [
    (lambda: orvcore.LinePrimitive((0, 0, 0), (1, 0, 0), Color.Red(), 1, 5, 6), "Line"),
    (lambda: orvcore.DashedLinePrimitive((0, 0, 0), (2, 0, 0), Color.Red(), 1, 8, True, 7), "DashedLine"),
    (lambda: orvcore.LineArrayPrimitive(2.0, [orvcore.LinePrimitive((0, 0, 0), (1, 1, 1), Color.Blue())]),
     "LineArray"),
    (lambda: orvcore.TetrahedronPrimitive((0, 0, 0), (1, 0, 0), (0, 1, 0), (0, 0, 1)), "OpaqueTetrahedron"),
    (lambda: orvcore.SpherePrimitive((1, 2, 3), 1.5, Color.Green(), 9), "OpaqueSphere"),
    (lambda: orvcore.SpherePrimitive((1, 2, 3), 1.5, Color(0, 255, 0, 128), 9), "TransparentSphere"),
    (lambda: orvcore.EllipsoidPrimitive((0, 0, 0), (1, 2, 3), Matrix4x4().SetIdentity(), Color.Cyan(), 4),
     "OpaqueEllipsoid"),
    (lambda: orvcore.CylinderPrimitive((0, 0, 0), Color.Red(), (0, 0, 2), Color.Blue(), 0.2, 3, 10, 11),
     "OpaqueCylinder"),
    (lambda: orvcore.ConePrimitive((0, 0, 0), (0, 0, 1), Color.Red(), 0.5), "Cone"),
    (lambda: orvcore.TrianglePrimitive((0, 0, 0), (1, 0, 0), (0, 1, 0), (0, 0, 1), Color.White()), "Triangle"),
    (lambda: orvcore.TriangleMeshPrimitive(np.eye(3, dtype=np.float32), np.eye(3, dtype=np.float32),
                                           [[0, 1, 2]]), "OpaqueTriangleMesh"),
    (lambda: orvcore.DotPrimitive((1, 1, 1), Color.Yellow(), 3, 2), "Dot"),
    (lambda: orvcore.ArcPrimitive((0, 0, 0), (0, 0, 1), (1, 0, 0), 90, 6, Color.Red()), "Arc"),
    (lambda: orvcore.Text3DPrimitive("CA", (1, 2, 3), Color.White(), 12), "Text3D"),
    (lambda: orvcore.UnlitTrianglePrimitive((0, 0, 0), (1, 0, 0), (0, 1, 0), Color.Red()), "UnlitTriangle"),
    (lambda: orvcore.Rect2DPrimitive((0, 0, 0), Color.Red(), 4, 5), "Rect2D"),
    (lambda: orvcore.VolumePrimitive(), "Volume"),
    (lambda: orvcore.IconPrimitive((0, 0, 0), 1, True, False, 8), "Icon"),
    (lambda: orvcore.LineSegmentPrimitive((0, 0), (1, 1), Color.Red()), "LineSegment"),
    (lambda: orvcore.PolylinePrimitive(np.array([[0, 0], [1, 0], [1, 1]]), Color.Red()), "Polyline"),
    (lambda: orvcore.RectanglePrimitive((2, 3), (0, 0)), "Rectangle"),
    (lambda: orvcore.EllipsePrimitive((2, 3), (0, 0)), "Ellipse"),
    (lambda: orvcore.TriangleShapePrimitive((0, 0), (1, 0), (0, 1)), "TriangleShape"),
    (lambda: orvcore.TextStringPrimitive("hello", orvcore.Font(), (0, 0)), "TextString"),
    (lambda: orvcore.TextBoxPrimitive(20.0, True, "box", orvcore.Font(), (0, 0)), "TextBox"),
    (lambda: orvcore.TextCalloutPrimitive((1, 2, 3), 20.0, True, "callout", orvcore.Font(), (0, 0)),
     "TextCallout"),
]

PLURAL = {"Line": "Lines", "DashedLine": "DashedLines", "LineArray": "LineArrays",
          "OpaqueTetrahedron": "OpaqueTetrahedrons", "OpaqueSphere": "OpaqueSpheres",
          "TransparentSphere": "TransparentSpheres", "OpaqueEllipsoid": "OpaqueEllipsoids",
          "OpaqueCylinder": "OpaqueCylinders", "Cone": "Cones", "Triangle": "Triangles",
          "OpaqueTriangleMesh": "OpaqueTriangleMeshes", "Dot": "Dots", "Arc": "Arcs", "Text3D": "Text3D",
          "UnlitTriangle": "UnlitTriangles", "Rect2D": "Rect2D", "Volume": "Volume", "Icon": "Icon",
          "LineSegment": "LineSegments", "Polyline": "Polylines", "Rectangle": "Rectangles",
          "Ellipse": "Ellipses", "TriangleShape": "TriangleShapes", "TextString": "TextStrings",
          "TextBox": "TextBoxes", "TextCallout": "TextCallouts"}


def test_every_kind_goes_to_its_own_array():
    dl = DisplayList3D()
    for make, name in KINDS:
        primitive = make()
        assert "ID=" in repr(primitive)
        assert dl.Add(primitive) == 0
    for make, name in KINDS:
        assert getattr(dl, "GetNum" + PLURAL[name])() == 1, name
        got = getattr(dl, "Get" + name)(0)
        assert type(got) is type(make()), name  # a dashed line is never filed as a line
        with pytest.raises(IndexError):
            getattr(dl, "Get" + name)(1)
    assert dl.GetOpaqueSphere(-1).GetColor() == Color.Green()
    dl.RemoveLine(0, 1)
    assert dl.GetNumLines() == 0
    dl.RemoveDashedLine(0, 5)  # a range beyond the array changes nothing
    assert dl.GetNumDashedLines() == 1


def test_tree_operations_and_pick_dots():
    root, child = DisplayList3D(), DisplayList3D()
    child.Add(orvcore.SpherePrimitive((1, 0, 0), 1.0, Color.Red(), 42))
    child.SetLocalTransformation(Matrix4x4().SetIdentity().SetTranslation((0, 10, 0)))
    child_id = root.Add(child)
    assert child_id == child.GetID() and root.GetNumDisplayLists() == 1
    root.Add(orvcore.LinePrimitive((0, 0, 0), (0, 0, 5), Color.Red(), 1, 7, 8))
    assert root.LookupDisplayList(child_id).GetID() == child_id
    assert root.LookupDisplayList(123456789) is None
    agg = root.GetAggregateTransformation(root, child_id)
    assert np.allclose(np.asarray(agg)[3, :3], [0, 10, 0])
    positions, ids = root.GetPickDots()
    assert positions.dtype == np.float32 and positions.shape == (3, 3)
    assert ids.dtype == np.uint32
    dots = {int(i): tuple(p) for p, i in zip(positions, ids)}
    assert dots == {7: (0, 0, 0), 8: (0, 0, 5), 42: (1, 10, 0)}
    root.TranslateOIDs({42: 99, 7: 70})
    assert sorted(root.GetPickDots()[1].tolist()) == [8, 70, 99]
    root.Flatten()
    assert root.GetNumDisplayLists() == 0 and root.GetOpaqueSphere(0).GetCenter() == Point3d(1, 10, 0)
    root.SetOID(5)
    assert set(root.GetPickDots()[1].tolist()) == {5}
    # A clip plane keeps the dots on the normal's side.
    root.SetClipPlane(0, orvcore.Plane((0, 0, 1), (0, 0, 1)))
    root.SetClipPlaneEnabled(0, True)
    kept = root.GetPickDots()[0]
    assert len(kept) in (1, 2)
    with pytest.raises(IndexError):
        root.GetClipPlane(6)
    overlay = DisplayList3D()
    overlay.Add(orvcore.RectanglePrimitive((2, 3), (1, 1), id=4))
    positions, ids = overlay.GetPickDots2D()
    assert len(ids) > 0 and set(ids.tolist()) == {4}


def test_handed_out_objects_outlive_their_owner():
    dl = DisplayList3D()
    for i in range(100):
        dl.Add(orvcore.SpherePrimitive((i, 0, 0), 1.0, Color.Red(), i + 1))
    sphere = dl.GetOpaqueSphere(10)
    positions, ids = dl.GetPickDots()
    refs = sys.getrefcount(positions)
    del dl
    gc.collect()
    for i in range(100):  # new allocations that would reuse freed memory
        DisplayList3D().Add(orvcore.SpherePrimitive((-1, -1, -1), 2.0, Color.Blue(), 0))
    assert sphere.GetCenter() == Point3d(10, 0, 0) and sphere.GetID() == 11
    assert positions[10].tolist() == [10, 0, 0] and ids[10] == 11
    assert sys.getrefcount(positions) == refs
    # A view of a point keeps the point alive.
    view = np.asarray(Point3d(4, 5, 6))
    gc.collect()
    assert view.tolist() == [4, 5, 6]
    # Generators shared by sequences stay alive as long as the sequences.
    seq = orvcore.UniformRandomSequence(orvcore.RandomInteger(7), 0.0, 1.0)
    gc.collect()
    assert 0.0 <= seq() <= 1.0


def test_no_leak_over_many_create_destroy_loops():
    def loop(count):
        for i in range(count):
            dl = DisplayList3D()
            dl.Add(orvcore.SpherePrimitive((i, 0, 0), 1.0, Color.Red(), i + 1))
            dl.Add(orvcore.Text3DPrimitive("x", (0, 0, 0), Color.Red(), 1))
            positions, ids = dl.GetPickDots()
            nl = orvcore.NeighborList(2.0, 17)
            nl.Add(positions)
            nl.GetPairs()
            orvcore.SpherePrimitive.from_bytes(dl.GetOpaqueSphere(0).to_bytes())
            try:
                orvcore.Point3dArray.from_bytes(b"\xff\xff\x00\x00\x00\x40")
            except orvcore.ArchiveError:
                pass

    loop(1000)  # warm caches and interned state
    tracemalloc.start()
    before = tracemalloc.get_traced_memory()[0]
    with open("/proc/self/statm") as f:
        rss_before = int(f.read().split()[1])
    loop(10000)
    gc.collect()
    after = tracemalloc.get_traced_memory()[0]
    tracemalloc.stop()
    with open("/proc/self/statm") as f:
        rss_after = int(f.read().split()[1])
    assert after - before < 256 * 1024
    assert (rss_after - rss_before) * 4096 < 16 * 1024 * 1024


def test_primitive_accessors_and_checks():
    mesh = orvcore.TriangleMeshPrimitive(np.eye(3, dtype=np.float32), np.eye(3, dtype=np.float32), [[0, 1, 2]],
                                         Color(1, 2, 3, 4))
    assert mesh.IsTransparent() and mesh.GetNumVertices() == 3
    assert mesh.GetTriangles().tolist() == [[0, 1, 2]]
    with pytest.raises(IndexError):
        orvcore.TriangleMeshPrimitive(np.eye(3, dtype=np.float32), np.eye(3, dtype=np.float32), [[0, 1, 3]])
    with pytest.raises(IndexError):
        mesh.GetVertexAt(3)
    with pytest.raises(ValueError):
        orvcore.SpherePrimitive((0, 0, 0), float("nan"), Color.Red())
    tets = orvcore.TetrahedronPrimitive.DecomposePolyhedron(
        np.array([[0, 0, 0], [1, 0, 0], [0, 1, 0], [0, 0, 1], [1, 1, 1]], dtype=np.float32))
    assert len(tets) >= 2
    visible = sum(t.GetNumFaces() for t in tets)
    assert visible == 6  # the hull of the five points is a triangular bipyramid
    arc = orvcore.ArcPrimitive((0, 0, 0), (0, 0, 1), (1, 0, 0), 90, 2, Color.Red())
    pts = arc.GetPoints()
    assert np.allclose(pts[-1], [0, 1, 0], atol=1e-6)
    line = orvcore.LinePrimitive((0, 0, 0), (1, 0, 0), Color.Red())
    line.Transform(Matrix4x4().SetIdentity().SetTranslation((0, 0, 1)))
    assert line.GetEnd2() == Point3d(1, 0, 1)
    attrs = orvcore.GraphicsAttributes()
    attrs.SetLight(2, orvcore.LightSource((1, 2, 3), Color.Red(), True))
    assert attrs.GetLight(2).GetEnabled() and attrs.GetLight(2).GetPosition() == Point3d(1, 2, 3)
    with pytest.raises(IndexError):
        attrs.GetLight(4)
    again = orvcore.GraphicsAttributes.from_bytes(attrs.to_bytes())
    assert again.GetLight(2).GetColor() == Color.Red()


def test_icon_library():
    ids = orvcore.IconLibrary.GetIconIDs()
    assert ids[:4] == [1, 2, 3, 4]
    assert orvcore.IconLibrary.LookupIconIndex("ORV.cross") == 2
    assert not orvcore.IconLibrary.LookupIconDefinition(1).IsEmpty()
    new_id = orvcore.IconLibrary.GetNewIconID()
    assert new_id >= 5
    shape = DisplayList3D()
    shape.Add(orvcore.SpherePrimitive((0, 0, 0), 0.5, Color.Red()))
    orvcore.IconLibrary.SetIconDefinition(new_id, shape)
    orvcore.IconLibrary.SetIconIndex("test.ball", new_id)
    assert orvcore.IconLibrary.LookupIconIndex("test.ball") == new_id
    assert orvcore.IconLibrary.LookupIconDefinition(new_id).GetNumOpaqueSpheres() == 1


def test_scene_documents_written_by_the_tool_round_trip_byte_for_byte():
    from conftest import DATA
    data = (DATA / "scenes" / "3al1-ball-and-stick.orvs").read_bytes()
    doc = orvcore.SceneDocument.from_bytes(data)
    assert doc.source == "embedded 3AL1" and doc.atoms == 491
    assert doc.coordinates.shape == (len(doc.labels), 3) and len(doc.serials) == len(doc.labels)
    assert doc.to_bytes() == data
    # The scene alone, and documents made from Python, load back the same.
    scene = orvcore.DisplayList3D.from_document_bytes(data)
    assert scene.GetNumDisplayLists() == doc.scene.GetNumDisplayLists()
    again = orvcore.DisplayList3D.from_document_bytes(scene.to_document_bytes())
    assert again.to_document_bytes() == scene.to_document_bytes()
    import pickle
    assert pickle.loads(pickle.dumps(doc, protocol=0)).to_bytes() == data


def test_damaged_scene_documents_raise_with_the_reason(tmp_path):
    from conftest import DATA
    corpus = DATA.parent / "fuzz" / "corpus" / "scenedocument"
    for name, reason in [("nan-atom-coordinate.orvs", "not a finite number"),
                         ("nan-sphere-centre.orvs", "not a finite number"),
                         ("cut-in-half.orvs", "ends early"), ("newer-schema.orvs", "newer schema")]:
        with pytest.raises(ValueError, match=reason):
            orvcore.SceneDocument.from_bytes((corpus / name).read_bytes())
    with pytest.raises(ValueError, match="not an orvscene document"):
        orvcore.DisplayList3D.from_document_bytes(b"not a document")
    with pytest.raises(OSError):
        orvcore.SceneDocument.ReadFile(str(tmp_path / "missing.orvs"))
    doc = orvcore.SceneDocument()
    doc.coordinates = np.array([[1, 2, 3]], dtype=np.float32)
    doc.serials, doc.labels = [5], ["5 CA"]
    doc.WriteFile(str(tmp_path / "one.orvs"))
    assert orvcore.SceneDocument.ReadFile(str(tmp_path / "one.orvs")).to_bytes() == doc.to_bytes()
