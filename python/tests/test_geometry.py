"""Points, matrices and measures against numpy formulas."""

import math

import numpy as np
import pytest

import orvcore
from orvcore import Matrix3x3, Matrix4x4, Point2d, Point3d


def test_point_protocols_and_numpy_views():
    p = Point3d(1, 2.5, -3)
    assert len(p) == 3
    assert list(p) == [1.0, 2.5, -3.0]
    assert p[-1] == -3.0
    with pytest.raises(IndexError):
        p[3]
    with pytest.raises(IndexError):
        p[-4] = 0
    view = np.asarray(p)
    assert view.dtype == np.float32 and view.shape == (3,)
    view[0] = 7  # a view: writes reach the point
    assert p.GetX() == 7
    assert Point3d(np.array([1, 2, 3], dtype=np.float64)) == Point3d(1, 2, 3)
    assert repr(Point3d(0.5, 0, 1)) == "Point3d(0.5, 0, 1)"
    with pytest.raises(ValueError):
        Point3d([1, 2])
    with pytest.raises(TypeError):
        Point3d("abc", 1, 2)
    # Keyword arguments, arithmetic and in-place operations returning the point itself.
    q = Point3d(x=1, y=0, z=0)
    assert q.Normalize() is q
    assert (q * 2 + Point3d(0, 1, 0)) == Point3d(2, 1, 0)
    assert -q == Point3d(-1, 0, 0)
    assert Point2d(3, 4).Length() == 5
    assert list(Point2d(1, 2)) == [1.0, 2.0]
    with pytest.raises(IndexError):
        Point2d(1, 2)[2]


def test_measures_match_numpy_formulas(rng):
    for _ in range(200):
        a, b, c, d = (rng.normal(size=3).astype(np.float32) * 5 for _ in range(4))
        a64, b64, c64, d64 = (v.astype(np.float64) for v in (a, b, c, d))
        assert orvcore.Distance(a, b) == pytest.approx(np.linalg.norm(a64 - b64), rel=1e-12)
        # The arms are point differences, which the library holds as float points.
        u, v = ((x - b64).astype(np.float32).astype(np.float64) for x in (a64, c64))
        angle = math.degrees(math.acos(np.clip(u @ v / np.linalg.norm(u) / np.linalg.norm(v), -1, 1)))
        assert orvcore.Angle(a, b, c) == pytest.approx(angle, abs=2e-6)
        b1, b2, b3 = b64 - a64, c64 - b64, d64 - c64
        n1, n2 = np.cross(b1, b2), np.cross(b2, b3)
        torsion = math.degrees(math.atan2(np.linalg.norm(b2) * (b1 @ n2), n1 @ n2))  # the IUPAC sign
        # The library forms the normals as float points, and takes the angle by its cosine.
        assert orvcore.Dihedral(a, b, c, d) == pytest.approx(torsion, abs=1e-4)
        assert np.allclose(np.asarray(orvcore.CrossProduct(a, b)), np.cross(a64, b64), rtol=1e-5, atol=1e-5)
    # Right angle in the plane, 2D points through the same name.
    assert orvcore.Angle(Point2d(1, 0), Point2d(0, 0), Point2d(0, 1)) == pytest.approx(90)


def test_matrices_convert_both_ways_and_compose(rng):
    a = rng.normal(size=(3, 3))
    m = Matrix3x3(a)
    assert np.array_equal(np.asarray(m), a)
    assert m[2, 1] == a[2, 1]
    with pytest.raises(IndexError):
        m[3, 0]
    with pytest.raises(ValueError):
        Matrix3x3(np.zeros((3, 2)))
    with pytest.raises(ValueError):
        Matrix4x4(np.zeros((3, 3)))
    b = rng.normal(size=(3, 3))
    # Row vectors multiplied on the left: A * B applies A first.
    assert np.allclose(np.asarray(Matrix3x3(a) * Matrix3x3(b)), a @ b)
    p = Point3d(1, 2, 3)
    assert np.allclose(np.asarray(p * Matrix3x3(a)), np.array([1, 2, 3]) @ a, rtol=1e-6)
    r = Matrix3x3(orvcore.ZAxis, 90)
    assert np.allclose(np.asarray(Point3d(1, 0, 0) * r), [0, 1, 0], atol=1e-7)
    inv = Matrix3x3(a).Invert()
    assert np.allclose(np.asarray(inv), np.linalg.inv(a))
    t = Matrix4x4().SetIdentity().SetTranslation((1, 2, 3))
    assert t.Transform(Point3d(0, 0, 0)) == Point3d(1, 2, 3)
    h = Matrix4x4(Matrix3x3(a))
    assert np.allclose(np.asarray(h)[:3, :3], a) and np.asarray(h)[3, 3] == 1
    assert Matrix3x3.from_bytes(m.to_bytes()) == m


def test_principal_axes_and_fits_against_numpy(rng):
    # An elongated, flattened cloud in a random orientation.
    q, _ = np.linalg.qr(rng.normal(size=(3, 3)))
    pts = (rng.normal(size=(500, 3)) * [10, 3, 0.5]) @ q.T + [5, -2, 7]
    pts = pts.astype(np.float32)
    centroid, a1, a2, a3, r1, r2, r3 = Matrix3x3.PCA(pts)
    p64 = pts.astype(np.float64)
    assert np.allclose(np.asarray(centroid), p64.mean(axis=0), atol=1e-4)
    w, v = np.linalg.eigh(np.cov(p64.T))
    for axis, ref in zip((a1, a2, a3), v[:, ::-1].T):
        assert abs(abs(np.dot(np.asarray(axis), ref)) - 1) < 1e-4
    reach = (p64 - p64.mean(axis=0)) @ np.asarray(a1, dtype=np.float64)
    assert r1[0] == pytest.approx(reach.max(), abs=1e-3)
    start, end = Matrix3x3.BestFittingLine(pts)
    assert Distance_between(start, end) == pytest.approx(reach.max() - reach.min(), abs=1e-2)
    corners = Matrix3x3.BestFittingPlane(pts)
    assert corners.shape == (4, 3) and corners.dtype == np.float32
    assert orvcore.IsPlanar(pts, 5.0)
    assert not orvcore.IsPlanar(pts, 0.1)
    with pytest.raises(ValueError):
        orvcore.IsPlanar(pts, float("nan"))
    with pytest.raises(ValueError):
        Matrix3x3.PCA(pts[:, :2])


def Distance_between(p, q):
    return orvcore.Distance(p, q)


def test_splines_and_planes():
    spline = orvcore.Spline(orvcore.Spline.BSpline)
    spline.SetGranularity(4)
    ctrl = np.array([[0, 0, 0], [1, 0, 0], [2, 1, 0], [3, 1, 0], [4, 0, 0]], dtype=np.float32)
    curve = spline.GetCubicSpline(ctrl)
    assert curve.shape == ((len(ctrl) - 2) * 4, 3)
    # A uniform B-spline starts at (p0 + 4 p1 + p2) / 6.
    assert np.allclose(curve[0], (ctrl[0] + 4 * ctrl[1] + ctrl[2]) / 6, atol=1e-6)
    with pytest.raises(ValueError):
        spline.SetTension(float("nan"))
    hermite = orvcore.Spline(orvcore.Spline.HermiteSpline).GetHermiteSpline(ctrl, steps=5)
    assert hermite.shape == ((len(ctrl) - 1) * 4 + 1, 3)
    assert np.allclose(hermite[0], ctrl[0]) and np.allclose(hermite[-1], ctrl[-1])
    plane = orvcore.Plane((0, 0, 1), (0, 0, 2))
    assert plane.Apply(Point3d(5, 5, 3)) == pytest.approx(4.0)
    assert plane.GetABCD() == pytest.approx((0, 0, 2, -2))


def test_vectorised_transforms_match_numpy(rng):
    points = rng.normal(size=(1000, 3)) * 30
    m4 = Matrix4x4(Point3d(1, 2, 3), Point3d(4, -5, 6), 37.0)
    r, t = np.asarray(m4)[:3, :3], np.asarray(m4)[3, :3]
    out = m4.Transform(points)
    assert out.dtype == np.float64 and out.shape == points.shape
    assert np.allclose(out, points @ r + t, rtol=0, atol=1e-12)
    single = m4.Transform(points.astype(np.float32))
    assert single.dtype == np.float32
    assert all(m4.Transform(Point3d(*map(float, p))) == Point3d(*map(float, q))
               for p, q in zip(points[:50].astype(np.float32), single[:50]))
    m3 = Matrix3x3(orvcore.ZAxis, 30.0)
    assert np.allclose(m3.Transform(points), points @ np.asarray(m3), atol=1e-12)
    projective = Matrix4x4(np.diag([1.0, 1.0, 1.0, 2.0]))
    assert np.allclose(projective.Transform(points), points / 2)
    with pytest.raises(ValueError):
        m4.Transform(points[:, :2])
