#!/usr/bin/env python3
"""Superposes two structures and writes the scene as a document that orvscene --read shows.

    python3 superpose_scene.py target.pdb [mobile.pdb] --out scene.orvs

With one file, its first chain is superposed onto its second (the two halves of a dimer). Alpha
carbons are matched by residue number; the mobile structure is moved by the fit orvcore.Superpose
finds, and the scene is stored with orvcore.SceneDocument.
"""

import argparse

import numpy as np

import orvcore
from orvcore import Color, DisplayList3D


def alpha_carbons(path):
    """{chain: {residue number: (x, y, z)}} of the CA atoms of the first model."""
    out = {}
    with open(path) as f:
        for line in f:
            if line.startswith("ENDMDL"):
                break
            if line.startswith("ATOM  ") and line[12:16].strip() == "CA":
                out.setdefault(line[21], {})[int(line[22:26])] = (
                    float(line[30:38]), float(line[38:46]), float(line[46:54]))
    return out


def chain_list(points, serials, color):
    """Alpha carbons as spheres joined by cylinders, picked by serial number."""
    dl = DisplayList3D()
    for p, serial in zip(points, serials):
        dl.Add(orvcore.SpherePrimitive(p, 0.6, color, int(serial)))
    for k in range(len(points) - 1):
        dl.Add(orvcore.CylinderPrimitive(points[k], color, points[k + 1], color, 0.2, 0))
    return dl


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("target")
    parser.add_argument("mobile", nargs="?")
    parser.add_argument("--out", required=True)
    args = parser.parse_args()

    target_chains = alpha_carbons(args.target)
    if args.mobile:
        mobile = next(iter(alpha_carbons(args.mobile).values()))
        target = next(iter(target_chains.values()))
    else:
        (_, mobile), (_, target) = list(target_chains.items())[:2]
    common = sorted(set(mobile) & set(target))
    m = np.array([mobile[r] for r in common], dtype=np.float32)
    t = np.array([target[r] for r in common], dtype=np.float32)

    fit = orvcore.Superpose(m, t)
    moved = fit.Apply(m)
    print("%d alpha carbons matched: RMSD %.3f before, %.3f after superposition"
          % (fit.count, fit.rmsdBefore, fit.rmsdAfter))

    scene = DisplayList3D()
    scene.Add(chain_list(t, range(1, len(t) + 1), Color(80, 140, 255)))
    scene.Add(chain_list(moved, range(1001, 1001 + len(moved)), Color(255, 150, 60)))

    document = orvcore.SceneDocument()
    document.source = args.target
    document.atoms, document.bonds = 2 * len(common), 2 * (len(common) - 1)
    document.residues, document.chains = 2 * len(common), 2
    document.coordinates = np.concatenate([t, moved])
    document.serials = list(range(1, len(t) + 1)) + list(range(1001, 1001 + len(moved)))
    document.labels = ["target %d" % r for r in common] + ["mobile %d" % r for r in common]
    document.scene = scene
    document.WriteFile(args.out)
    size = len(document.to_bytes())
    positions, ids = scene.GetPickDots()
    print("wrote %s: %d bytes, %d pick dots" % (args.out, size, len(ids)))


if __name__ == "__main__":
    main()
