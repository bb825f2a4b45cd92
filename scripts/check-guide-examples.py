#!/usr/bin/python3
"""Checks docs/guide.md against the example programs.

The guide marks what it shows of an example with HTML comments:

    <!-- output: NAME -->      the fenced block that follows is the complete
                               standard output of the program NAME
    <!-- excerpt: NAME.cpp --> the fenced block that follows is a passage of
                               examples/NAME.cpp, line for line (indentation
                               aside)

Every examples/*.cpp must be shown with its output. Each program is run from
the build folder and its output compared with the guide's, so the guide cannot
drift from the code.

usage: check-guide-examples.py GUIDE EXAMPLES_DIR BUILD_DIR
"""
import difflib
import pathlib
import re
import subprocess
import sys

MARK = re.compile(r"^<!-- (output|excerpt): (\S+) -->\s*$")


def marked_blocks(lines):
    """(kind, name, block lines, guide line number) for each marked block."""
    blocks = []
    i = 0
    while i < len(lines):
        m = MARK.match(lines[i])
        i += 1
        if not m:
            continue
        start = i
        while i < len(lines) and not lines[i].strip():
            i += 1
        if i >= len(lines) or not lines[i].startswith("```"):
            raise SystemExit(f"guide line {start}: a {m.group(1)} mark is not followed by a fenced block")
        i += 1
        body = []
        while i < len(lines) and not lines[i].startswith("```"):
            body.append(lines[i])
            i += 1
        i += 1
        blocks.append((m.group(1), m.group(2), body, start))
    return blocks


def is_excerpt(block, source_lines):
    want = [l.strip() for l in block]
    have = [l.strip() for l in source_lines]
    n = len(want)
    return any(have[k:k + n] == want for k in range(len(have) - n + 1))


def main(guide_path, examples_dir, build_dir):
    guide = pathlib.Path(guide_path).read_text().splitlines()
    examples = sorted(p.stem for p in pathlib.Path(examples_dir).glob("*.cpp"))
    failures = []
    shown = set()
    for kind, name, block, line in marked_blocks(guide):
        if kind == "excerpt":
            source = pathlib.Path(examples_dir) / name
            if not source.exists():
                failures.append(f"guide line {line}: excerpt of a missing file {name}")
            elif not is_excerpt(block, source.read_text().splitlines()):
                failures.append(f"guide line {line}: the excerpt is not a passage of examples/{name}")
            continue
        if name not in examples:
            failures.append(f"guide line {line}: output of a missing example {name}")
            continue
        shown.add(name)
        run = subprocess.run([str(pathlib.Path(build_dir) / name)], capture_output=True, text=True)
        if run.returncode != 0:
            failures.append(f"{name} exited with status {run.returncode}:\n{run.stderr}")
            continue
        got = run.stdout.splitlines()
        if got != block:
            diff = "\n".join(difflib.unified_diff(block, got, "guide", name, lineterm=""))
            failures.append(f"guide line {line}: the output of {name} differs from the guide:\n{diff}")
        else:
            print(f"ok  {name}")
    for name in examples:
        if name not in shown:
            failures.append(f"examples/{name}.cpp has no output block in the guide")
        if f"examples/{name}.cpp" not in "\n".join(guide):
            failures.append(f"the guide does not point to examples/{name}.cpp")
    for f in failures:
        print("FAIL " + f, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 4:
        raise SystemExit(__doc__)
    sys.exit(main(*sys.argv[1:]))
