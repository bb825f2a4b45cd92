"""OrvCore57 for Python: the core class library of a molecular-structure viewer.

Geometry of coordinates, colours, graphics primitives and display lists, scene documents, text patterns,
neighbour search, random sequences and rational numbers. Classes and methods keep their C++ names; arrays of
points cross as numpy float32 arrays of shape (n, 3).
"""

import threading as _threading
from typing import Any as _Any

from ._orvcore import *  # noqa: F401,F403
from ._orvcore import __version__

__all__ = [name for name in dir() if not name.startswith("_")]


def _from_archive(cls: _Any, data: bytes) -> _Any:
    """Restores a pickled object from its archive form (the target of every class's __reduce__)."""
    return cls.from_bytes(data)


def _short(value: _Any) -> str:
    try:
        if hasattr(value, "shape") and getattr(value, "ndim", 0) >= 1 and len(value) > 4:
            return f"<{value.dtype} array of shape {tuple(value.shape)}>"
        text = repr(value)
    except Exception:  # a repr must not fail
        return "<?>"
    return text if len(text) <= 80 else text[:77] + "..."


_nesting = _threading.local()


def _value_repr(self: _Any) -> str:
    """The repr of an object: its class and what each Get accessor without arguments returns (one level deep:
    values that are such objects themselves show only their class)."""
    if getattr(_nesting, "inside", False):
        return f"{type(self).__name__}(...)"
    _nesting.inside = True
    try:
        return _accessor_repr(self)
    finally:
        _nesting.inside = False


def _accessor_repr(self: _Any) -> str:
    parts = []
    for name in sorted(dir(type(self))):
        if not name.startswith("Get") or name in ("GetSize",):
            continue
        try:
            value = getattr(self, name)()
        except Exception:  # an accessor that needs arguments, or fails: left out
            continue
        parts.append(f"{name[3:]}={_short(value)}")
    return f"{type(self).__name__}({', '.join(parts)})"


def _give_value_reprs() -> None:
    """Classes without a repr of their own show their value through their accessors."""
    for name in __all__:
        cls = globals()[name]
        if isinstance(cls, type) and cls.__repr__ is object.__repr__ and not issubclass(cls, BaseException):
            cls.__repr__ = _value_repr  # type: ignore[method-assign]


_give_value_reprs()
