"""The module as a whole: the stub file names every bound name, every class and function documents
itself, and the archive error carries its cause."""

import inspect
import pathlib
import re

import orvcore

STUB = pathlib.Path(orvcore.__file__).with_name("__init__.pyi")
PROTOCOLS = {"__init__", "__repr__", "__len__", "__getitem__", "__setitem__", "__iter__", "__eq__", "__ne__",
             "__hash__", "__call__", "__float__", "__bool__", "__str__", "__matmul__", "__rmul__"}


def public_names():
    """(owner, name) of every bound function, class, method and constant."""
    for name, value in vars(orvcore).items():
        if name.startswith("_"):
            continue
        yield "", name
        if inspect.isclass(value) and value.__module__ == "orvcore":
            for member in vars(value):
                if not member.startswith("_") or member in PROTOCOLS:
                    yield name, member


def stub_names():
    """(owner, name) of every definition in the stub, by its indentation."""
    names, owner = set(), ""
    for line in STUB.read_text().splitlines():
        m = re.match(r"^(\s*)(?:class|def)\s+(\w+)|^(\s*)(\w+)\s*[:=]", line)
        if not m:
            continue
        indent = m.group(1) if m.group(2) else m.group(3)
        name = m.group(2) or m.group(4)
        if not indent:
            names.add(("", name))
            owner = name if line.lstrip().startswith("class") else ""
        elif owner:
            names.add((owner, name))
    return names


def test_stub_names_every_bound_name():
    assert STUB.exists(), "the stub file lies beside the module"
    missing = sorted(set(public_names()) - stub_names())
    assert not missing, "names missing from orvcore.pyi: %s" % missing


def test_every_class_and_function_has_a_docstring():
    undocumented = []
    for owner, name in public_names():
        obj = getattr(getattr(orvcore, owner) if owner else orvcore, name)
        if not (inspect.isclass(obj) or callable(obj)) or name in PROTOCOLS:
            continue
        doc = inspect.getdoc(obj) or ""
        # pybind11 puts the signature first; a description must follow it.
        text = "\n".join(l for l in doc.splitlines() if not re.match(r"^(\d+\. )?\w+\(.*\) ->", l)
                         and l.strip() not in ("Overloaded function.", ""))
        if not text.strip():
            undocumented.append("%s.%s" % (owner, name) if owner else name)
    assert not undocumented, undocumented


def test_archive_error_carries_the_cause():
    try:
        orvcore.Color.from_bytes(b"\x01")
    except orvcore.ArchiveError as error:
        assert error.cause == orvcore.ArchiveError.endOfFile
        assert error.cause_name == "endOfFile"
        assert "end" in str(error).lower()
    else:
        raise AssertionError("no ArchiveError")
    assert issubclass(orvcore.ArchiveError, ValueError)


def test_version_reprs_and_strs_never_raise():
    assert re.fullmatch(r"\d+\.\d+\.\d+", orvcore.__version__)
    legacy = orvcore.ColorArray()
    legacy.SetName(b"gr\xfcn \xff")  # an 8-bit name from an old document
    assert "\\udcfc" in repr(legacy) and "gr" in str(legacy)
    shown = 0
    for name, cls in vars(orvcore).items():
        if not inspect.isclass(cls) or issubclass(cls, BaseException) or name.startswith("_"):
            continue
        try:
            obj = cls()
        except TypeError:
            continue  # no default constructor
        text = repr(obj)
        str(obj)
        assert " object at 0x" not in text, (name, text)
        shown += 1
    assert shown > 30
