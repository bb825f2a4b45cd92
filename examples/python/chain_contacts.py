#!/usr/bin/env python3
"""Contacts between two chains of a PDB file, found with orvcore.NeighborList.

    python3 chain_contacts.py structure.pdb [--chains A B] [--cutoff 4.0]

Prints how many atom pairs of the two chains lie closer than the cutoff and the residue pairs with the
most such contacts.
"""

import argparse
import collections

import numpy as np

import orvcore


def read_atoms(path):
    """Chain, residue label and coordinates of the ATOM and HETATM records of the first model."""
    chains, residues, coords = [], [], []
    with open(path) as f:
        for line in f:
            if line.startswith("ENDMDL"):
                break
            if line.startswith(("ATOM  ", "HETATM")):
                chains.append(line[21])
                residues.append("%s%s%s" % (line[17:20].strip(), line[22:26].strip(), line[21]))
                coords.append((float(line[30:38]), float(line[38:46]), float(line[46:54])))
    return np.array(chains), np.array(residues), np.array(coords, dtype=np.float32)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("pdb")
    parser.add_argument("--chains", nargs=2, default=["A", "B"])
    parser.add_argument("--cutoff", type=float, default=4.0)
    args = parser.parse_args()

    chains, residues, coords = read_atoms(args.pdb)
    first, second = (np.nonzero(chains == c)[0] for c in args.chains)
    selected = np.concatenate([first, second])

    # One call adds every atom; the pairs come back as two int32 arrays of indices into `selected`.
    grid = orvcore.NeighborList(args.cutoff)
    grid.Add(coords[selected])
    i, j = grid.GetPairs()
    a, b = selected[i], selected[j]
    across = chains[a] != chains[b]
    a, b = a[across], b[across]
    # Order each pair as (first chain, second chain).
    swap = chains[a] != args.chains[0]
    a, b = np.where(swap, b, a), np.where(swap, a, b)

    contacts = collections.Counter(zip(residues[a], residues[b]))
    print("%d atom contacts closer than %.1f between chains %s and %s, %d residue pairs"
          % (len(a), args.cutoff, args.chains[0], args.chains[1], len(contacts)))
    for (r1, r2), n in contacts.most_common(10):
        print("  %-8s %-8s %3d" % (r1, r2, n))


if __name__ == "__main__":
    main()
