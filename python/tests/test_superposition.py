"""RMSBestFit against an SVD Kabsch superposition computed with numpy."""

import numpy as np
import pytest

import orvcore


def kabsch(mobile, target):
    """The rotation matrix (row vectors: x @ R) and translation laying mobile onto target."""
    mc, tc = mobile.mean(axis=0), target.mean(axis=0)
    h = (mobile - mc).T @ (target - tc)
    u, _, vt = np.linalg.svd(h)
    d = np.sign(np.linalg.det(u @ vt))
    r = u @ np.diag([1, 1, d]) @ vt
    return r, tc - mc @ r


def rmsd(a, b):
    return float(np.sqrt(((a - b) ** 2).sum(axis=1).mean()))


@pytest.mark.parametrize("n", [3, 4, 10, 100, 2000])
def test_superposition_matches_kabsch(rng, n):
    for noise in (0.0, 0.2, 0.2, 1.0):
        mobile = (rng.normal(size=(n, 3)) * rng.uniform(1, 20, size=3)).astype(np.float32)
        q, _ = np.linalg.qr(rng.normal(size=(3, 3)))
        if np.linalg.det(q) < 0:
            q[:, 0] = -q[:, 0]
        target = (mobile @ q + rng.normal(size=3) * 30 + rng.normal(size=(n, 3)) * noise).astype(np.float32)
        moved = orvcore.RMSBestFit(mobile, target)
        assert moved.dtype == np.float32 and moved.shape == (n, 3)
        r, t = kabsch(mobile.astype(np.float64), target.astype(np.float64))
        reference = mobile.astype(np.float64) @ r + t
        scale = 1 + np.abs(reference).max()
        if noise == 0.0:
            # An exact rigid image is laid back exactly, to float precision.
            assert np.allclose(moved, reference, atol=1e-5 * scale)
        # The least RMSD, to the library's stated tolerance of 1e-5 of the radius of gyration (plus the
        # rounding of float coordinates); with noise the optimum is flat, so the digits may differ.
        rg = float(np.sqrt(((mobile - mobile.mean(axis=0)) ** 2).sum(axis=1).mean()))
        assert rmsd(moved, target) - rmsd(reference, target) <= 1e-5 * rg + 1e-6 * scale
        # A rigid, proper motion: distances and handedness kept.
        assert np.allclose(np.linalg.norm(moved[1:] - moved[0], axis=1),
                           np.linalg.norm(mobile[1:] - mobile[0], axis=1), atol=1e-4 * scale)
        if n >= 4:
            m0, c0 = mobile[:4] - mobile[0], moved[:4] - moved[0]
            assert np.linalg.det(m0[1:].astype(np.float64)) * np.linalg.det(c0[1:].astype(np.float64)) > 0


def test_superposition_moves_other_coordinates_and_checks_shapes(rng):
    mobile = rng.normal(size=(20, 3)).astype(np.float32)
    target = mobile + np.float32(3)
    extra = rng.normal(size=(7, 3)).astype(np.float32)
    moved = orvcore.RMSBestFit(mobile, target, coords=extra)
    assert np.allclose(moved, extra + 3, atol=1e-4)
    # A (n, 2) array where (n, 3) is needed, and a target shorter than the mobile set.
    with pytest.raises(ValueError):
        orvcore.RMSBestFit(mobile[:, :2], target)
    with pytest.raises(ValueError):
        orvcore.RMSBestFit(mobile, target[:5])
    with pytest.raises(TypeError):
        orvcore.RMSBestFit("abc", target)
    # Float64 input is converted; the inputs are never changed.
    before = mobile.copy()
    orvcore.RMSBestFit(mobile.astype(np.float64), target)
    assert np.array_equal(mobile, before)


def weighted_kabsch(mobile, target, w):
    """Weighted Kabsch by SVD: rotation (row vectors), translation and the weighted RMSDs before and after."""
    w = np.asarray(w, dtype=np.float64)
    mc, tc = (w[:, None] * mobile).sum(0) / w.sum(), (w[:, None] * target).sum(0) / w.sum()
    h = ((mobile - mc) * w[:, None]).T @ (target - tc)
    u, _, vt = np.linalg.svd(h)
    d = np.sign(np.linalg.det(u @ vt))
    r = u @ np.diag([1, 1, d]) @ vt
    t = tc - mc @ r

    def wrmsd(a):
        return float(np.sqrt((w * ((a - target) ** 2).sum(1)).sum() / w.sum()))

    return r, t, wrmsd(mobile), wrmsd(mobile @ r + t)


@pytest.mark.parametrize("case", ["random", "weighted", "mirrored", "planar"])
def test_superpose_result_matches_numpy_kabsch(rng, case):
    for n in (3, 5, 50, 500):
        mobile = (rng.normal(size=(n, 3)) * 8).astype(np.float32)
        if case == "planar":
            mobile[:, 2] = 0
        q, _ = np.linalg.qr(rng.normal(size=(3, 3)))
        q *= np.sign(np.linalg.det(q))
        target = (mobile @ q + rng.normal(size=3) * 20 + rng.normal(size=(n, 3)) * 0.5).astype(np.float32)
        if case == "mirrored":
            target[:, 0] = -target[:, 0]
        weights = rng.uniform(0.1, 3, size=n) if case == "weighted" else np.ones(n)
        fit = orvcore.Superpose(mobile, target, weights if case == "weighted" else None)
        r, t, before, after = weighted_kabsch(mobile.astype(np.float64), target.astype(np.float64), weights)
        assert fit.count == n
        assert fit.rmsdBefore == pytest.approx(before, rel=1e-9)
        assert fit.rmsdAfter == pytest.approx(after, rel=1e-6, abs=1e-6)
        rotation = np.asarray(fit.rotation)
        assert np.linalg.det(rotation) == pytest.approx(1.0)
        assert np.allclose(rotation, r, atol=1e-6) and np.allclose(fit.translation, t, atol=1e-4)
        if case != "weighted":
            # The points equal RMSBestFit's, to the bit.
            assert np.array_equal(fit.Apply(mobile), orvcore.RMSBestFit(mobile, target))


def test_superpose_refuses_what_it_cannot_fit():
    good = np.eye(3, dtype=np.float32)
    for mobile, target, weights, reason in [
            (np.zeros((0, 3)), np.zeros((0, 3)), None, "no points"),
            (good, good[:2], None, "differ in length"),
            (good, np.array([[0, 0, 0], [np.nan, 0, 0], [0, 0, 1]]), None, "not a finite"),
            (np.array([[np.inf, 0, 0], [0, 1, 0], [0, 0, 1]]), good, None, "not a finite"),
            (good, good, [1, -1, 1], "weight"),
            (good, good, [0, 0, 0], "weight"),
            (good, good, [1, 1], "differ in length")]:
        with pytest.raises(ValueError, match=reason):
            orvcore.Superpose(mobile, target, weights)
    # One point is a translation; coincident points no rotation.
    one = orvcore.Superpose([[1, 2, 3]], [[4, 4, 4]])
    assert np.allclose(one.translation, [3, 2, 1]) and one.rmsdAfter == 0
    same = orvcore.Superpose(np.ones((4, 3)), np.zeros((4, 3)))
    assert np.array_equal(np.asarray(same.rotation), np.eye(3))
    with pytest.raises(ValueError, match="not finite"):
        orvcore.RMSBestFit(np.array([[np.nan, 0, 0]]), good[:1])


def test_superpose_reads_every_array_layout_and_checks_its_arguments(rng):
    # Superpose reads float arrays in place: each layout must give the numbers of the float32 C-order copy.
    mobile = rng.normal(size=(30, 3)) * 5
    target = mobile @ kabsch(rng.normal(size=(3, 3)), rng.normal(size=(3, 3)))[0] + 2
    reference = orvcore.Superpose(mobile.astype(np.float32), target.astype(np.float32))
    wide = np.zeros((30, 6))
    wide[:, ::2] = mobile
    for m in (mobile, np.asfortranarray(mobile), wide[:, ::2], mobile.astype(">f8"), mobile[::-1][::-1],
              mobile.tolist()):
        fit = orvcore.Superpose(mobile=m, target=target)
        assert fit.rmsdAfter == reference.rmsdAfter
        assert np.array_equal(np.asarray(fit.rotation), np.asarray(reference.rotation))
    for args, kwargs, reason in [((mobile,), {}, "missing required argument 'target'"),
                                 ((mobile, target, None, 1), {}, "at most 3 arguments"),
                                 ((mobile, target), {"mobile": mobile}, "multiple values for argument 'mobile'"),
                                 ((mobile, target), {"weight": None}, "unexpected keyword argument 'weight'"),
                                 ((object(), target), {}, "mobile must be an")]:
        with pytest.raises(TypeError, match=reason):
            orvcore.Superpose(*args, **kwargs)
