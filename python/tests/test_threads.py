"""Point arguments from several threads: float32 and float64 numpy rows and tuples convert the same as serially."""

import threading

import numpy as np

import orvcore

THREADS = 8
CALLS = 20000


def test_point_conversions_from_eight_threads(rng):
    points = rng.normal(size=(64, 3)) * 10
    kinds = [points.astype(np.float32), points.astype(np.float64), [tuple(map(float, p)) for p in points]]
    origin = orvcore.Point3d(0.5, -1, 2)
    expected = [orvcore.Distance(orvcore.Point3d(*map(float, np.float32(p))), origin) for p in points]
    neighbours = orvcore.NeighborList(6.0)
    neighbours.Add(points.astype(np.float32))
    expected_near = [neighbours.GetNeighbors(orvcore.Point3d(*map(float, np.float32(p))))[0] for p in points]
    errors, mismatches = [], []

    def work(seed):
        try:
            for i in range(CALLS):
                k = (i + seed) % len(points)
                rows = kinds[(i + seed) % 3]
                if i % 4 == 3:
                    if neighbours.GetNeighbors(rows[k])[0] != expected_near[k]:
                        mismatches.append((seed, i))
                elif orvcore.Distance(rows[k], origin) != expected[k]:
                    mismatches.append((seed, i))
        except Exception as error:  # any failure counts
            errors.append(repr(error))

    threads = [threading.Thread(target=work, args=(seed,)) for seed in range(THREADS)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert errors == [] and mismatches == []
