"""NeighborList against scipy's cKDTree and brute force."""

import sys
import threading
import time

import numpy as np
import pytest
from scipy.spatial import cKDTree

import orvcore


def pair_set(first, second):
    return {(min(a, b), max(a, b)) for a, b in zip(first.tolist(), second.tolist())}


@pytest.mark.parametrize("density, cutoff", [(0.1, 4.0), (0.01, 2.5), (1.0, 1.0)])
def test_pairs_match_ckdtree(rng, density, cutoff):
    n = 5000
    side = (n / density) ** (1 / 3)
    pts = rng.uniform(-side / 2, side / 2, size=(n, 3)).astype(np.float32)
    nl = orvcore.NeighborList(cutoff)
    assert nl.Add(pts) == range(0, n)
    assert len(nl) == n
    first, second = nl.GetPairs()
    assert first.dtype == np.int32 and second.dtype == np.int32
    assert len(first) == len(second)
    # Closer than the cutoff, measured in double precision from the float coordinates.
    p64 = pts.astype(np.float64)
    reference = {pair for pair in cKDTree(p64).query_pairs(cutoff)
                 if np.sum((p64[pair[0]] - p64[pair[1]]) ** 2) < cutoff * cutoff}
    found = pair_set(first, second)
    assert len(found) == len(first)  # no pair twice
    assert found == reference


def test_points_far_out_and_non_finite_points(rng):
    nl = orvcore.NeighborList(2.0, buckets=17)
    assert nl.Add((1e6, 1e6, 1e6)) == 0
    assert nl.Add(orvcore.Point3d(1e6 + 1, 1e6, 1e6)) == 1
    assert nl.Add(np.array([[np.nan, 0, 0], [0, 0, 0], [0, 0, 1.5]], dtype=np.float32)) == range(2, 5)
    assert pair_set(*nl.GetPairs()) == {(0, 1), (3, 4)}
    nearest, found = nl.GetNeighbors((0, 0, 1))
    assert nearest == 4 and sorted(found.tolist()) == [3, 4]
    nearest, found = nl.GetNeighbors((50, 50, 50), radius=1.0)
    assert nearest == -1 and len(found) == 0


def test_neighbors_match_brute_force(rng):
    pts = rng.uniform(0, 20, size=(2000, 3)).astype(np.float32)
    nl = orvcore.NeighborList(3.0)
    nl.Add(pts)
    for q in rng.uniform(0, 20, size=(50, 3)):
        d = np.linalg.norm(pts.astype(np.float64) - np.float32(q).astype(np.float64), axis=1)
        nearest, found = nl.GetNeighbors(q, radius=2.5)
        assert sorted(found.tolist()) == sorted(np.nonzero(d < 2.5)[0].tolist())
        if len(found):
            assert nearest == int(np.argmin(np.where(d < 2.5, d, np.inf)))


def test_bad_arguments_raise():
    with pytest.raises(ValueError):
        orvcore.NeighborList(0.0)
    with pytest.raises(ValueError):
        orvcore.NeighborList(float("nan"))
    with pytest.raises(ValueError):
        orvcore.NeighborList(1.0, buckets=0)
    nl = orvcore.NeighborList(1.0)
    with pytest.raises(ValueError):
        nl.Add(np.zeros((4, 2)))
    with pytest.raises(TypeError):
        nl.Add("points")
    with pytest.raises(ValueError):
        nl.GetNeighbors((0, 0, 0), radius=float("nan"))


def test_get_neighbors_refuses_radii_it_cannot_search(rng):
    points = rng.uniform(0, 20, size=(300, 3)).astype(np.float32)
    nl = orvcore.NeighborList(4.0)
    nl.Add(points)
    tree = cKDTree(points.astype(np.float64))
    for radius in (0.0, 1.5, 4.0):
        _, found = nl.GetNeighbors(points[7], radius)
        assert sorted(found) == sorted(i for i in tree.query_ball_point(points[7], radius) if
                                       np.linalg.norm(points[i] - points[7]) < radius)
    with pytest.raises(ValueError, match="exceeds the list's cutoff 4.0"):
        nl.GetNeighbors(points[7], 4.5)
    with pytest.raises(ValueError, match="at least 0"):
        nl.GetNeighbors(points[7], -1.0)
    with pytest.raises(ValueError, match="at least 0"):
        nl.GetNeighbors(points[7], float("nan"))
    with pytest.raises(ValueError, match="exceeds"):
        nl.GetNeighbors(points[:5], 5.0)


def clustered_points(rng):
    """A uniform cloud, dense blobs and coincident points."""
    blobs = [rng.normal(centre, 0.8, size=(300, 3)) for centre in rng.uniform(-30, 30, size=(5, 3))]
    return np.concatenate([rng.uniform(-30, 30, size=(6000, 3)), *blobs, np.ones((200, 3))]).astype(np.float32)


def test_threads_give_the_same_pairs_and_neighbours_in_the_same_order(rng):
    pts = clustered_points(rng)
    nl = orvcore.NeighborList(4.0)
    nl.Add(pts)
    first, second = nl.GetPairs()
    queries = np.concatenate([pts[::7], [[np.nan, 0, 0]]])
    single = [nl.GetNeighbors(q, radius=3.0) for q in queries]
    for threads in (1, 2, 3, 8, 0):
        f, s = nl.GetPairs(threads=threads)
        assert np.array_equal(f, first) and np.array_equal(s, second)
        nearest, found, offsets = nl.GetNeighbors(queries, radius=3.0, threads=threads)
        assert nearest.tolist() == [n for n, _ in single]
        assert offsets.tolist() == np.cumsum([0] + [len(i) for _, i in single]).tolist()
        assert found.tolist() == [int(i) for _, indices in single for i in indices]


def test_parallel_calls_release_the_gil(rng):
    nl = orvcore.NeighborList(4.0)
    nl.Add(rng.uniform(0, 150, size=(400_000, 3)).astype(np.float32))
    call = {}

    def search():
        start = time.perf_counter()
        nl.GetPairs(threads=2)
        call["span"] = (start, time.perf_counter())

    worker = threading.Thread(target=search)
    ticks = []
    worker.start()
    while worker.is_alive():
        ticks.append(time.perf_counter())
    worker.join()
    start, end = call["span"]
    inside = [t for t in ticks if start < t < end]
    if end - start < 10 * sys.getswitchinterval():
        pytest.skip("the search was too quick to tell")
    # Were the GIL held, this thread would run only until the call took the GIL (a few switch intervals).
    assert inside and inside[-1] - inside[0] > 0.5 * (end - start)


def test_bad_thread_counts_raise():
    nl = orvcore.NeighborList(1.0)
    with pytest.raises(ValueError):
        nl.GetPairs(threads=-1)
    with pytest.raises(ValueError):
        nl.GetNeighbors(np.zeros((2, 3)), threads=-2)
    with pytest.raises(TypeError):
        nl.GetNeighbors("point")
