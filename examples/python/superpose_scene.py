#!/usr/bin/env python3
"""Superposes two structures and writes the scene as a document that orvscene --read shows.

    python3 superpose_scene.py target.pdb [mobile.pdb] --out scene.orvs

With one file, its first chain is superposed onto its second (the two halves of a dimer). Alpha
carbons are matched by residue number; the mobile structure is moved by orvcore.RMSBestFit.
"""

import argparse
import struct

import numpy as np

import orvcore
from orvcore import Color, DisplayList3D

SCHEMA = orvcore.NEWEST_SCHEMA
# The primitive arrays of a display list in the document's order, as "Count:Element" accessor names.
ARRAYS = """Lines:Line DashedLines:DashedLine LineArrays:LineArray OpaqueTetrahedrons:OpaqueTetrahedron
    TransparentTetrahedrons:TransparentTetrahedron OpaqueSpheres:OpaqueSphere TransparentSpheres:TransparentSphere
    OpaqueEllipsoids:OpaqueEllipsoid TransparentEllipsoids:TransparentEllipsoid OpaqueCylinders:OpaqueCylinder
    TransparentCylinders:TransparentCylinder Cones:Cone Triangles:Triangle OpaqueTriangleMeshes:OpaqueTriangleMesh
    TransparentTriangleMeshes:TransparentTriangleMesh Dots:Dot Arcs:Arc Text3D:Text3D
    UnlitTriangles:UnlitTriangle Rect2D:Rect2D Icon:Icon LineSegments:LineSegment Polylines:Polyline
    Rectangles:Rectangle Ellipses:Ellipse TriangleShapes:TriangleShape TextStrings:TextString
    TextBoxes:TextBox TextCallouts:TextCallout""".split()


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


def count(n):
    """An element count as documents store it: a 16-bit word, or 0xFFFF and a 32-bit one."""
    return struct.pack("<H", n) if n < 0xFFFF else struct.pack("<HI", 0xFFFF, n)


def text(s):
    """A string in the archive's form (a UniqueString stores exactly that)."""
    return orvcore.UniqueString(s).to_bytes(schema=SCHEMA)


def list_bytes(dl):
    """A display list: render mode, icon scale, local transformation, every array, then nested lists."""
    out = [struct.pack("<i", int(dl.GetRenderMode())), dl.GetIconScale().to_bytes(schema=SCHEMA),
           dl.GetLocalTransformation().to_bytes(schema=SCHEMA)]
    for entry in ARRAYS:
        plural, singular = entry.split(":")
        n = getattr(dl, "GetNum" + plural)()
        out.append(count(n))
        out += [getattr(dl, "Get" + singular)(i).to_bytes(schema=SCHEMA) for i in range(n)]
    out.append(count(dl.GetNumDisplayLists()))
    out += [list_bytes(dl.GetDisplayList(i)) for i in range(dl.GetNumDisplayLists())]
    return b"".join(out)


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

    moved = orvcore.RMSBestFit(m, t)
    rmsd = lambda a, b: float(np.sqrt(((a.astype(np.float64) - b) ** 2).sum(axis=1).mean()))
    print("%d alpha carbons matched: RMSD %.3f before, %.3f after superposition"
          % (len(common), rmsd(m, t), rmsd(moved, t)))

    scene = DisplayList3D()
    scene.Add(chain_list(t, range(1, len(t) + 1), Color(80, 140, 255)))
    scene.Add(chain_list(moved, range(1001, 1001 + len(moved)), Color(255, 150, 60)))
    atoms = np.concatenate([t, moved])
    serials = np.concatenate([np.arange(1, len(t) + 1), np.arange(1001, 1001 + len(moved))]).astype("<i4")
    labels = ["target %d" % r for r in common] + ["mobile %d" % r for r in common]

    document = b"".join([
        struct.pack("<II", 0x5356524F, SCHEMA),  # "ORVS" and the schema of everything after it
        text(args.target),
        struct.pack("<4i", len(atoms), 2 * (len(common) - 1), 2 * len(common), 2),
        orvcore.Point3dArray(atoms).to_bytes(schema=SCHEMA),
        count(len(serials)) + serials.tobytes(),
        count(len(labels)) + b"".join(text(s) for s in labels),
        orvcore.GraphicsAttributes().to_bytes(schema=SCHEMA),
        list_bytes(scene),
    ])
    with open(args.out, "wb") as f:
        f.write(document)
    positions, ids = scene.GetPickDots()
    print("wrote %s: %d bytes, %d pick dots" % (args.out, len(document), len(ids)))


if __name__ == "__main__":
    main()
