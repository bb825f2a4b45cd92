#!/usr/bin/env bash
# Builds the API reference (the `docs` target, Doxygen) of the normal build. Doxygen runs with
# WARN_AS_ERROR, so a public name left undocumented, or any other warning, fails the stage.
# Then checks the built reference (scripts/check-reference.py): no broken internal link, the
# namespace page opening with the library's overview, every member generated from the display
# list's kind table listed and searchable, every class saying what threads may share.
# Also checks that the umbrella header includes every installed header (internal headers, under
# detail/ and the regex engine, are neither installed nor included).
set -euo pipefail
cd "$(dirname "$0")/../.."
build=build/test-release

missing=0
while IFS= read -r header; do
  if ! grep -q "#include \"$header\"" orvcore/OrvCore.h; then
    echo "orvcore/OrvCore.h does not include $header" >&2
    missing=1
  fi
done < <(find orvcore -name '*.h' ! -path 'orvcore/text/regex/*' ! -path '*/detail/*' ! -name OrvCore.h | sort)
[ "$missing" -eq 0 ]

command -v doxygen >/dev/null || { echo "doxygen is not installed (scripts/setup-deps.sh installs it)" >&2; exit 1; }
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target docs
/usr/bin/python3 scripts/check-reference.py "$build/docs/html" .
echo "API reference: $build/docs/html/index.html"
