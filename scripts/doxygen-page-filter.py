#!/usr/bin/python3
"""Doxygen input filter for the pages under docs/.

The pages are written to be read as they are, where links use repository paths
and GitHub's heading anchors. In the built reference:
- every example has a page of its own, named after its file, so a link to
  `../examples/NAME` becomes an `@ref` to that page;
- every heading gets a label made of the page's name and the heading's GitHub
  anchor (`## Pitfalls` in guide.md: `guide-pitfalls`), and links to
  `#anchor` or `PAGE.md#anchor` become `@ref` links to those labels.

usage: doxygen-page-filter.py PAGE   (the filtered page goes to stdout)
"""
import pathlib
import re
import sys

EXAMPLE_LINK = re.compile(r"\]\(\.\./examples/([A-Za-z0-9_.-]+)\)")
ANCHOR_LINK = re.compile(r"\]\(([A-Za-z0-9_-]+\.md)?#([A-Za-z0-9_-]+)\)")
HEADING = re.compile(r"^(#{2,6}) (.*?)\s*$")


def slug(title):
    """The anchor GitHub gives a heading."""
    text = re.sub(r"[`*_]", "", title).strip().lower()
    text = re.sub(r"[^\w\- ]", "", text)
    return text.replace(" ", "-")


def label(page, anchor):
    return f"{page}-{anchor}"


def main(path):
    page = pathlib.Path(path)
    name = page.stem
    out = []
    fence = False
    seen = {}
    for line in page.read_text(encoding="utf-8").splitlines():
        if line.startswith("```"):
            fence = not fence
        m = None if fence else HEADING.match(line)
        if m and "{#" not in line:
            anchor = slug(m.group(2))
            # A repeated heading gets -1, -2, ... as on GitHub.
            count = seen.get(anchor, 0)
            seen[anchor] = count + 1
            if count:
                anchor = f"{anchor}-{count}"
            line = f"{m.group(1)} {m.group(2)} {{#{label(name, anchor)}}}"
        elif not fence:
            line = EXAMPLE_LINK.sub(lambda e: f"](@ref {e.group(1)})", line)
            line = ANCHOR_LINK.sub(
                lambda a: f"](@ref {label(pathlib.Path(a.group(1)).stem if a.group(1) else name, a.group(2))})",
                line)
        out.append(line)
    sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main(sys.argv[1])
