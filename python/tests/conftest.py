"""Shared fixtures of the orvcore tests: the module, the test data and a random generator."""

import os
import pathlib

import numpy as np
import pytest

import orvcore  # noqa: F401  (the module under test must import before anything else runs)

REPO = pathlib.Path(__file__).resolve().parents[2]
DATA = pathlib.Path(os.environ.get("ORVCORE_TEST_DATA", REPO / "tests" / "data"))


@pytest.fixture
def rng():
    return np.random.default_rng(20261207)


@pytest.fixture(scope="session")
def pdb_path():
    return DATA / "1hpv.pdb"
