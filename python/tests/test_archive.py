"""Archive forms from Python: the bytes the C++ tests pin, round trips under every schema, pickling, and
damaged bytes raising ArchiveError."""

import copy
import inspect
import pickle
import struct

import numpy as np
import pytest

import orvcore
from orvcore import ArchiveError, Color, Point3d

# The classes with an archive form (a scene document is a whole document, with a schema of its own: see test_scene).
ARCHIVED = sorted((c for _, c in inspect.getmembers(orvcore, inspect.isclass)
                   if hasattr(c, "from_bytes") and c is not orvcore.SceneDocument), key=lambda c: c.__name__)


def floats(*values):
    return struct.pack("<%df" % len(values), *values)


def doubles(*values):
    return struct.pack("<%dd" % len(values), *values)


def test_bytes_equal_the_pinned_images():
    p = Point3d(1.5, -0.1, 1e20)
    for schema in (7, 13, 0x7FFFFFFF):
        assert p.to_bytes(schema=schema) == floats(1.5, -0.1, 1e20)
    f = np.float32
    assert p.to_bytes(schema=6) == doubles(float(f(1.5)), float(f(-0.1)), float(f(1e20)))
    assert Point3d.from_bytes(doubles(0.1, 0.2, 0.3), schema=6)[0] == f(0.1)

    a = orvcore.Point3dArray(np.array([[1, 2, 3], [-4, 0.5, 6]], dtype=np.float32))
    assert a.to_bytes() == b"\x02\x00" + floats(1, 2, 3, -4, 0.5, 6)

    assert Color(1, 2, 3, 4).to_bytes() == bytes([1, 2, 3, 4])
    assert orvcore.Rational(-3, 4).to_bytes() == bytes([0xFD, 0xFF, 0x04, 0x00])
    assert orvcore.Rational(0, -5).to_bytes() == bytes([0x00, 0x00, 0xFB, 0xFF])

    sphere = orvcore.SpherePrimitive(Point3d(1, 2, 3), 0.1, Color(9, 8, 7, 200), 11)
    sphere.SetMaterial(orvcore.LitPrimitive.Shiny)
    lit = struct.pack("<Iii", 11, 1, 0)
    assert sphere.to_bytes(schema=7) == lit + bytes([9, 8, 7, 0]) + floats(1, 2, 3) + floats(0.1)
    back = orvcore.SpherePrimitive.from_bytes(sphere.to_bytes(schema=7), schema=7)
    assert back.GetID() == 11 and back.GetMaterial() == orvcore.LitPrimitive.Shiny

    cone = orvcore.ConePrimitive((0, 0, 0), (0, 0, 1), Color(1, 2, 3, 4), 0.5, 3)
    assert cone.to_bytes(schema=7) == struct.pack("<Iii", 3, 0, 0) + floats(0, 0, 0, 0, 0, 1) + bytes(
        [1, 2, 3, 4]) + floats(0.5)


def sample(cls):
    """A default object of the class, or a populated one where the class is a container."""
    if cls is orvcore.Point3dArray:
        return cls(np.arange(12, dtype=np.float32).reshape(4, 3))
    if cls is orvcore.Point2dArray:
        return cls(np.arange(6, dtype=np.float64).reshape(3, 2))
    if cls is orvcore.ColorArray:
        a = cls([Color(1, 2, 3), Color(4, 5, 6, 7)])
        a.SetName("ramp")
        return a
    return cls()


@pytest.mark.parametrize("cls", ARCHIVED, ids=lambda c: c.__name__)
def test_round_trips_and_pickle(cls):
    obj = sample(cls)
    # Every side of every layout threshold, and unset: what is stored under a schema loads back whole.
    for schema in (0, 6, 7, 9, 10, 11, 12, 13, orvcore.UNSET_SCHEMA):
        data = obj.to_bytes(schema=schema)
        again = cls.from_bytes(data, schema=schema)
        assert again.to_bytes(schema=schema) == data
        # bytearray and memoryview are taken too.
        assert cls.from_bytes(memoryview(bytearray(data)), schema=schema).to_bytes(schema=schema) == data
    # Every pickle protocol, copy and deepcopy.
    for protocol in range(pickle.HIGHEST_PROTOCOL + 1):
        clone = pickle.loads(pickle.dumps(obj, protocol=protocol))
        assert type(clone) is cls
        assert clone.to_bytes() == obj.to_bytes()
    for clone in (copy.copy(obj), copy.deepcopy(obj)):
        assert type(clone) is cls and clone is not obj and clone.to_bytes() == obj.to_bytes()


@pytest.mark.parametrize("cls", ARCHIVED, ids=lambda c: c.__name__)
def test_truncated_and_overlong_bytes_raise(cls):
    data = sample(cls).to_bytes()
    for cut in range(len(data)):
        with pytest.raises(ArchiveError) as info:
            cls.from_bytes(data[:cut])
        assert info.value.cause == ArchiveError.endOfFile and info.value.cause_name == "endOfFile"
    with pytest.raises(ArchiveError) as info:
        cls.from_bytes(data + b"\0")
    assert info.value.cause == ArchiveError.genericException
    assert isinstance(info.value, ValueError)


def test_damaged_counts_raise_and_random_flips_never_crash(rng):
    # A count that the bytes cannot back fails before anything is allocated for it.
    damaged = bytes([0xFF, 0xFF, 0x00, 0x00, 0x00, 0x40]) + floats(1, 2, 3)
    with pytest.raises(ArchiveError):
        orvcore.Point3dArray.from_bytes(damaged)
    mesh = orvcore.TriangleMeshPrimitive(np.eye(3, dtype=np.float32), np.eye(3, dtype=np.float32), [[0, 1, 2]])
    data = bytearray(mesh.to_bytes())
    count_at = 12  # after the lit part: the triangle count, signed 32-bit
    for value in (-1, 0x7FFFFFFF, 1000):
        data[count_at:count_at + 4] = struct.pack("<i", value)
        with pytest.raises(ArchiveError):
            orvcore.TriangleMeshPrimitive.from_bytes(bytes(data))
    text = orvcore.Text3DPrimitive("label", (1, 2, 3), Color.Red(), 5)
    data = bytearray(text.to_bytes())
    data[data.index(b"label") - 1] = 0xFE  # the string's length byte
    with pytest.raises(ArchiveError):
        orvcore.Text3DPrimitive.from_bytes(bytes(data))
    # Random flips: either a valid object or ArchiveError, never anything else.
    for cls in ARCHIVED:
        stored = sample(cls).to_bytes()
        if not stored:
            continue
        for _ in range(40):
            data = bytearray(stored)
            for index in rng.integers(0, len(data), size=rng.integers(1, 4)):
                data[index] ^= int(rng.integers(1, 256))
            try:
                cls.from_bytes(bytes(data))
            except ArchiveError:
                pass
