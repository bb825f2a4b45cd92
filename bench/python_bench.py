#!/usr/bin/env python3
"""Speed of the orvcore Python module beside the same work in C++ and beside scipy, in one run:

- NeighborList pairs of 1 million points (density 0.1 per cubic unit, cutoff 4) from a numpy array, through
  Python on as many threads as the machine has cores: at most 1.2 times the C++ time on as many threads, and
  at least 4 times faster than scipy's cKDTree.query_pairs on the same points and cutoff (the one-thread
  figures are printed beside them);
- RMSBestFit on 100-point arrays called 10,000 times from Python: at most 3 times the C++ loop;
- Superpose (the fit with its result) on the same arrays, 10,000 times: at most 1.5 times the C++ loop;
- Matrix4x4.Transform of 1 million points: at most 1.2 times numpy's points @ R.T + t;
- examples/python/batch_contacts.py on 50 entries (the test structures) on two local Dask workers: at most 0.65
  times the serial run (the cluster's start and the client's connection are not counted).

The C++ side is bench/PythonPeerBench (Google Benchmark), run on the same points. From the repository root,
after building (the module and the benchmarks, e.g. in build/bench):

    PYTHONPATH=build/bench/python /usr/bin/python3 bench/python_bench.py --build build/bench
"""

import argparse
import json
import os
import pathlib
import statistics
import subprocess
import sys
import tempfile
import time

import numpy as np
from scipy.spatial import cKDTree

import orvcore

POINTS = 1_000_000
CUTOFF = 4.0
BUCKETS = 1 << 18
SMALL = 100
REPEATS = 10_000
THREADS = os.cpu_count() or 1


def median_time(work, runs):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        work()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def python_pairs(points, threads=THREADS):
    grid = orvcore.NeighborList(CUTOFF, BUCKETS)
    grid.Add(points)
    return grid.GetPairs(threads=threads)


def python_fits(mobile, target):
    for _ in range(REPEATS):
        orvcore.RMSBestFit(mobile, target)


def python_superpositions(mobile, target):
    for _ in range(REPEATS):
        orvcore.Superpose(mobile, target)


def transform_ratio(rng):
    """Median times of Matrix4x4.Transform and of numpy's points @ R.T + t on 1 million float64 points."""
    points = rng.normal(size=(POINTS, 3)) * 30
    matrix = orvcore.Matrix4x4(orvcore.Point3d(1, 2, 3), orvcore.Point3d(4, -5, 6), 37.0)
    rotation = np.asarray(matrix)[:3, :3].T  # numpy's column-vector form
    translation = np.asarray(matrix)[3, :3].copy()
    assert np.allclose(matrix.Transform(points), points @ rotation.T + translation)
    ours = median_time(lambda: matrix.Transform(points), 7)
    peer = median_time(lambda: points @ rotation.T + translation, 7)
    return ours, peer


def batch_times(entries=50):
    """Median times of the batch example on `entries` structures, serial and on two local workers."""
    root = pathlib.Path(__file__).resolve().parents[1]
    sys.path.insert(0, str(root / "examples" / "python"))
    import batch_contacts
    import cloudpickle
    cloudpickle.register_pickle_by_value(batch_contacts)  # the workers need not find the example's file
    structures = [str(root / "tests" / "data" / "1hpv.pdb"), str(root / "tools" / "orvscene" / "3al1.pdb")]
    files = [structures[k % 2] for k in range(entries)]
    xyz, _, alpha = batch_contacts.read_atoms(structures[0])
    reference = orvcore.Point3dArray(xyz[alpha])
    batch_contacts.run(files, 4.0, reference, workers=2)  # starts the example's local cluster
    # Serial and spread runs taken in turn, so that both meet the machine in the same state.
    serial, spread = [], []
    for _ in range(7):
        serial.append(median_time(lambda: batch_contacts.analyse_many(files, 4.0, reference), 1))
        spread.append(median_time(lambda: batch_contacts.run(files, 4.0, reference, workers=2), 1))
    return statistics.median(serial), statistics.median(spread)


def cpp_times(program, files):
    """Median seconds of each C++ benchmark, by name."""
    env = dict(os.environ, ORVCORE_BENCH_POINTS=files[0], ORVCORE_BENCH_MOBILE=files[1],
               ORVCORE_BENCH_TARGET=files[2], ORVCORE_BENCH_THREADS=str(THREADS))
    out = subprocess.run([program, "--benchmark_format=json"], env=env, check=True, capture_output=True,
                         text=True).stdout
    times = {}
    for b in json.loads(out)["benchmarks"]:
        if b.get("aggregate_name") == "median":
            times[b["run_name"].split("/")[0]] = b["real_time"] / 1e3  # reported in milliseconds
    return times


def report(what, ratio, bound, at_most):
    ok = ratio <= bound if at_most else ratio >= bound
    print("%s: %.2f (bound %s %.1f) %s" % (what, ratio, "<=" if at_most else ">=", bound,
                                           "ok" if ok else "OUTSIDE BOUND"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build/bench", help="build directory holding bench/PythonPeerBench")
    args = parser.parse_args()
    program = pathlib.Path(args.build) / "bench" / "PythonPeerBench"
    if not program.exists():
        sys.exit("%s not found: build the benchmarks first" % program)

    rng = np.random.default_rng(1)
    side = (POINTS / 0.1) ** (1 / 3)
    points = rng.uniform(-side / 2, side / 2, size=(POINTS, 3)).astype(np.float32)
    rotation, _ = np.linalg.qr(rng.normal(size=(3, 3)))
    mobile = (rng.normal(size=(SMALL, 3)) * 10).astype(np.float32)
    target = (mobile @ rotation + [4, -6, 9] + rng.normal(size=(SMALL, 3)) * 0.3).astype(np.float32)

    with tempfile.TemporaryDirectory() as scratch:
        files = [os.path.join(scratch, name) for name in ("points", "mobile", "target")]
        for path, data in zip(files, (points, mobile, target)):
            data.tofile(path)
        cpp = cpp_times(str(program), files)

    ours = median_time(lambda: python_pairs(points), 3)
    one_thread = median_time(lambda: python_pairs(points, 1), 3)
    first, _ = python_pairs(points)
    tree_pairs = cKDTree(points).query_pairs(CUTOFF, output_type="ndarray")
    scipy_time = median_time(lambda: cKDTree(points).query_pairs(CUTOFF, output_type="ndarray"), 3)
    fits = median_time(lambda: python_fits(mobile, target), 3)
    superpositions = median_time(lambda: python_superpositions(mobile, target), 3)
    transform, numpy_transform = transform_ratio(rng)
    serial, spread = batch_times()

    print("NeighborList pairs of %d points: Python %.0f ms on %d threads (%.0f ms on one), C++ %.0f ms, "
          "cKDTree %.0f ms (%d and %d pairs)"
          % (POINTS, ours * 1e3, THREADS, one_thread * 1e3, cpp["BM_NeighborListPairs"] * 1e3, scipy_time * 1e3,
             len(first), len(tree_pairs)))
    print("RMSBestFit on %d points, %d calls: Python %.1f ms, C++ %.1f ms"
          % (SMALL, REPEATS, fits * 1e3, cpp["BM_RMSBestFitSmall"] * 1e3))
    report("NeighborList pairs through Python over C++", ours / cpp["BM_NeighborListPairs"], 1.2, True)
    report("cKDTree.query_pairs over NeighborList through Python (speed-up)", scipy_time / ours, 4.0, False)
    print("cKDTree.query_pairs over NeighborList through Python on one thread (speed-up): %.2f"
          % (scipy_time / one_thread))
    report("RMSBestFit calls from Python over the C++ loop", fits / cpp["BM_RMSBestFitSmall"], 3.0, True)
    print("Superpose on %d points, %d calls: Python %.1f ms, C++ %.1f ms"
          % (SMALL, REPEATS, superpositions * 1e3, cpp["BM_SuperposeSmall"] * 1e3))
    report("Superpose calls from Python over the C++ loop", superpositions / cpp["BM_SuperposeSmall"], 1.5, True)
    print("Transform of %d points: Matrix4x4.Transform %.1f ms, numpy %.1f ms"
          % (POINTS, transform * 1e3, numpy_transform * 1e3))
    report("Matrix4x4.Transform over numpy's points @ R.T + t", transform / numpy_transform, 1.2, True)
    print("batch_contacts on 50 entries: serial %.2f s, two local Dask workers %.2f s" % (serial, spread))
    report("50 entries on two local workers over serial", spread / serial, 0.65, True)


if __name__ == "__main__":
    main()
