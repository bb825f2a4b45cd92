#!/usr/bin/python3
"""Checks the built API reference (Doxygen HTML).

- No broken internal link: every href and src of every page leads to a file of
  the reference, and a link to an anchor (page.html#id) to an element with
  that id or name.
- The page of namespace Orvane opens with the library's own overview, not
  with the comment of one of its headers.
- Every member that DisplayList3D generates from its kind table (read here
  from the table in the header) is listed on the class page and found by the
  search.
- Every class page says what may be shared between threads.

usage: check-reference.py HTML_DIR SOURCE_DIR
"""
import html.parser
import pathlib
import re
import sys
import urllib.parse


class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.links = []
        self.ids = set()

    def handle_starttag(self, tag, attrs):
        for name, value in attrs:
            if value is None:
                continue
            if name in ("href", "src"):
                self.links.append(value)
            elif name in ("id", "name"):
                self.ids.add(value)


def parse(path, cache={}):
    if path not in cache:
        page = Page()
        page.feed(path.read_text(encoding="utf-8", errors="replace"))
        cache[path] = page
    return cache[path]


def broken_links(root):
    failures = []
    for path in sorted(root.glob("*.html")):
        for link in parse(path).links:
            url = urllib.parse.urlsplit(link)
            if url.scheme or link.startswith("//") or link.startswith("javascript:"):
                continue
            target = (path.parent / urllib.parse.unquote(url.path)).resolve() if url.path else path
            if not target.exists():
                failures.append(f"{path.name}: link to a missing file {link}")
            elif url.fragment and target.suffix == ".html" and url.fragment not in parse(target).ids:
                failures.append(f"{path.name}: link to a missing anchor {link}")
    return failures


def kind_members(header):
    """(Type, [generated member names]) for each row of the kind table."""
    text = header.read_text()
    table = text[text.index("#define ORVCORE_DISPLAYLIST_KINDS"):text.index("namespace Orvane")]
    rows = []
    for kind, args in re.findall(r"\b(ONE|SPLIT)\(([^)]*)\)", table.replace("\\\n", " ")):
        fields = [f.strip() for f in args.split(",")]
        if fields == ["ONE", "SPLIT"] or fields[0] in ("ONE", "SPLIT"):
            continue
        plural, singular = fields[-2], fields[-1]
        prefixes = [""] if kind == "ONE" else ["Opaque", "Transparent"]
        names = []
        for p in prefixes:
            names += [f"GetNum{p}{plural}", f"Get{p}{singular}", f"Remove{p}{singular}"]
        rows.append((fields[0], names))
    return rows


def missing_kind_members(root, source):
    rows = kind_members(source / "orvcore/graphics/scene/DisplayList3D.h")
    if len(rows) < 20:
        return [f"read only {len(rows)} rows of the kind table"]
    page = (root / "classOrvane_1_1DisplayList3D.html").read_text()
    text = re.sub(r"<[^>]+>", "", page)
    search = "".join(p.read_text() for p in (root / "search").glob("*.js")).lower()
    failures = []
    for kind, names in rows:
        if not re.search(r"\bAdd \(const " + kind + r" &amp;primitive\)", text):
            failures.append(f"DisplayList3D page does not list Add(const {kind}&)")
        for name in names:
            if not re.search(r"\b" + name + r" \(", text):
                failures.append(f"DisplayList3D page does not list {name}")
            if f"'{name.lower()}'" not in search:
                failures.append(f"the search does not find {name}")
    return failures


def namespace_opening(root):
    page = (root / "namespaceOrvane.html").read_text()
    m = re.search(r'<div class="textblock">(.*?)</p>', page, re.S)
    first = re.sub(r"<[^>]+>", "", m.group(1)).strip() if m else ""
    if not first.startswith("OrvCore57, the core class library"):
        return [f"the namespace page opens with: {first[:80]!r}"]
    return []


def classes_without_thread_safety(root):
    failures = []
    for path in sorted(root.glob("class*.html")):
        if path.name.endswith("-members.html") or path.name == "classes.html":
            continue
        if "Thread safety" not in path.read_text():
            failures.append(f"{path.name} does not say what may be shared between threads")
    return failures


def main(html_dir, source_dir):
    root = pathlib.Path(html_dir)
    source = pathlib.Path(source_dir)
    failures = (broken_links(root) + namespace_opening(root) + missing_kind_members(root, source) +
                classes_without_thread_safety(root))
    for f in failures:
        print("FAIL " + f, file=sys.stderr)
    if not failures:
        print(f"ok  reference in {html_dir}: links, namespace page, kind members, thread safety")
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    sys.exit(main(*sys.argv[1:]))
