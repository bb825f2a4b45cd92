#!/usr/bin/python3
"""Doxygen input filter for the pages under docs/.

The pages link to the example programs by their path in the repository
(`[examples/picking.cpp](../examples/picking.cpp)`), which works where the
Markdown is read as it is. In the built reference every example has a page of
its own, named after its file, so such links become `@ref` links to it.

usage: doxygen-page-filter.py PAGE   (the filtered page goes to stdout)
"""
import re
import sys

EXAMPLE_LINK = re.compile(r"\]\(\.\./examples/([A-Za-z0-9_.-]+)\)")

with open(sys.argv[1], encoding="utf-8") as page:
    sys.stdout.write(EXAMPLE_LINK.sub(lambda m: f"](@ref {m.group(1)})", page.read()))
