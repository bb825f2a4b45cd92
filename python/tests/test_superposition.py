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
