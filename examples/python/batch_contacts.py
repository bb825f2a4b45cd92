#!/usr/bin/env python3
"""Contacts, superposition and scene documents for many structures at once, on a Dask cluster.

    python3 batch_contacts.py *.pdb --out contacts.csv [--reference ref.pdb] [--documents DIR]
    python3 batch_contacts.py *.pdb --out contacts.csv --scheduler tcp://host:8786
    python3 batch_contacts.py *.pdb --out contacts.csv --serial

For every PDB file: its atoms, chains, the atom pairs closer than the cutoff (orvcore.NeighborList) and how many
of them join different chains, and, with --reference, the alpha-carbon RMSD against the reference before and after
orvcore.Superpose (the first min(n, m) alpha carbons of each, in file order). One CSV row per file, in the order
given. With --documents, a scene document of each structure's alpha carbons moved onto the reference is written
there (orvscene --read shows it).

The work runs on a LocalCluster of --workers processes by default, or on the scheduler given with --scheduler
(the workers must be able to read the files and import orvcore); --serial runs it in this process. The
reference's coordinates travel to the workers, and the scene documents back, through their pickle forms.
"""

import argparse
import csv
import os
import sys
import time

import numpy as np

import orvcore

FIELDS = ["file", "atoms", "chains", "pairs", "interchain_pairs", "ca", "rmsd_before", "rmsd_after"]


def read_atoms(path):
    """Coordinates (float32 (n, 3)), chain identifiers and whether each atom is an alpha carbon, of the first model."""
    xyz, chains, alpha = [], [], []
    with open(path) as f:
        for line in f:
            if line.startswith("ENDMDL"):
                break
            if line.startswith(("ATOM  ", "HETATM")):
                xyz.append((float(line[30:38]), float(line[38:46]), float(line[46:54])))
                chains.append(line[21])
                alpha.append(line.startswith("ATOM  ") and line[12:16].strip() == "CA")
    return np.array(xyz, dtype=np.float32).reshape(-1, 3), np.array(chains), np.array(alpha, dtype=bool)


def analyse(path, cutoff, reference=None):
    """(CSV row, scene document or None) of one structure; reference is an orvcore.Point3dArray or None."""
    xyz, chains, alpha = read_atoms(path)
    grid = orvcore.NeighborList(cutoff)
    grid.Add(xyz)
    first, second = grid.GetPairs()
    row = {"file": os.path.basename(path), "atoms": len(xyz), "chains": len(set(chains.tolist())),
           "pairs": len(first), "interchain_pairs": int((chains[first] != chains[second]).sum()),
           "ca": int(alpha.sum()), "rmsd_before": "", "rmsd_after": ""}
    document = None
    if reference is not None:
        ca = xyz[alpha]
        target = np.array([tuple(p) for p in reference], dtype=np.float32).reshape(-1, 3)
        n = min(len(ca), len(target))
        fit = orvcore.Superpose(ca[:n], target[:n])
        row["rmsd_before"], row["rmsd_after"] = "%.4f" % fit.rmsdBefore, "%.4f" % fit.rmsdAfter
        document = scene_document(path, fit.Apply(ca[:n]), np.flatnonzero(alpha)[:n] + 1)
    return row, document


def scene_document(path, points, serials):
    """A scene document of the points as spheres joined by cylinders, picked by serial number."""
    scene = orvcore.DisplayList3D()
    colour = orvcore.Color(255, 150, 60)
    for p, serial in zip(points, serials):
        scene.Add(orvcore.SpherePrimitive(p, 0.6, colour, int(serial)))
    for k in range(len(points) - 1):
        scene.Add(orvcore.CylinderPrimitive(points[k], colour, points[k + 1], colour, 0.2, 0))
    document = orvcore.SceneDocument()
    document.source = os.path.basename(path)
    document.atoms = document.residues = len(points)
    document.chains = 1
    document.coordinates = points
    document.serials = [int(s) for s in serials]
    document.labels = ["CA %d" % s for s in serials]
    document.scene = scene
    return document


def analyse_many(files, cutoff, reference=None):
    """analyse() of several files: one task of the cluster, so that its overhead is shared."""
    return [analyse(f, cutoff, reference) for f in files]


def run(files, cutoff, reference, scheduler=None, workers=2, serial=False, client=None):
    """The (row, document) of every file, in order: in this process, on a Dask cluster (in tasks of a few
    files, about four per worker, so that each task outweighs what the cluster spends on it), or through a
    dask.distributed Client already connected. The local cluster is started on the first call and kept for the
    calls after it (closed when the interpreter exits), so that a session pays its start once."""
    if serial:
        return analyse_many(files, cutoff, reference)
    if client is not None:
        return run_on(client, files, cutoff, reference)
    if scheduler:
        from dask.distributed import Client
        with Client(scheduler) as remote:
            return run_on(remote, files, cutoff, reference)
    return run_on(local_client(workers), files, cutoff, reference)


_local = {}


def local_client(workers):
    """A Client of this process's LocalCluster of `workers` single-threaded worker processes, started on first
    use. Without a dashboard nobody reads the workers' profiles, so the workers do not sample their stacks."""
    if workers not in _local:
        import atexit
        import dask
        from dask.distributed import Client, LocalCluster
        with dask.config.set({"distributed.worker.profile.enabled": False}):
            cluster = LocalCluster(n_workers=workers, threads_per_worker=1, processes=True, dashboard_address=None)
        client = Client(cluster)
        _local[workers] = client

        def close():
            client.close()
            cluster.close()
        atexit.register(close)
    return _local[workers]


def run_on(client, files, cutoff, reference):
    """run() through a connected Client. The reference (a few hundred points) travels inside each task."""
    size = max(1, -(-len(files) // (4 * max(1, len(client.scheduler_info()["workers"])))))
    chunks = [files[k:k + size] for k in range(0, len(files), size)]
    futures = client.map(analyse_many, chunks, cutoff=cutoff, reference=reference, pure=False)
    return [result for chunk in client.gather(futures) for result in chunk]


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("files", nargs="+", help="PDB files")
    parser.add_argument("--out", required=True, help="the CSV table to write")
    parser.add_argument("--cutoff", type=float, default=4.0, help="contact distance in Å (default 4)")
    parser.add_argument("--reference", help="a PDB file whose alpha carbons the others are superposed onto")
    parser.add_argument("--documents", help="a folder for one scene document per file (needs --reference)")
    parser.add_argument("--scheduler", help="address of a running Dask scheduler, e.g. tcp://host:8786")
    parser.add_argument("--workers", type=int, default=2, help="local worker processes (default 2)")
    parser.add_argument("--serial", action="store_true", help="run in this process, without Dask")
    args = parser.parse_args(argv)

    reference = None
    if args.reference:
        xyz, _, alpha = read_atoms(args.reference)
        reference = orvcore.Point3dArray(xyz[alpha])
    if not (args.serial or args.scheduler):
        start = time.perf_counter()
        local_client(args.workers)
        print("local cluster of %d workers ready in %.2f s" % (args.workers, time.perf_counter() - start),
              file=sys.stderr)
    start = time.perf_counter()
    results = run([os.path.abspath(f) for f in args.files], args.cutoff, reference, args.scheduler, args.workers,
                  args.serial)
    elapsed = time.perf_counter() - start
    with open(args.out, "w", newline="") as f:
        writer = csv.DictWriter(f, fieldnames=FIELDS)
        writer.writeheader()
        for row, _ in results:
            writer.writerow(row)
    if args.documents:
        os.makedirs(args.documents, exist_ok=True)
        for row, document in results:
            if document is not None:
                document.WriteFile(os.path.join(args.documents, os.path.splitext(row["file"])[0] + ".orvs"))
    print("%d structures in %.2f s -> %s" % (len(results), elapsed, args.out), file=sys.stderr)


if __name__ == "__main__":
    main()
