#!/usr/bin/env bash
# Formatting, as a ratchet: a C++ file changed since a base commit that was
# laid out as clang-format (.clang-format) writes it must still be. Files not
# in that layout at the base (older code, new files) are left alone until
# someone formats them (clang-format -i FILE); from then on they are held to
# it. The base is, in order:
#   $ORVCORE_FORMAT_BASE when set (e.g. the target branch of a merge request);
#   the merge base with the branch's upstream, when there is one and HEAD is
#     not on it yet;
#   the first parent of HEAD (the last landed commit range).
# A clone without history (one commit, shallow) has no base: nothing to check.
# Uncommitted changes count as changes.
set -euo pipefail
cd "$(dirname "$0")/../.."
git rev-parse --is-inside-work-tree >/dev/null 2>&1 || { echo "not a git checkout: formatting not checked"; exit 0; }
base=${ORVCORE_FORMAT_BASE:-}
if [ -z "$base" ] && upstream=$(git rev-parse -q --verify '@{upstream}' 2>/dev/null); then
  candidate=$(git merge-base HEAD "$upstream" 2>/dev/null || true)
  if [ -n "$candidate" ] && [ "$candidate" != "$(git rev-parse HEAD)" ]; then
    base=$candidate
  fi
fi
if [ -z "$base" ]; then
  base=$(git rev-parse -q --verify 'HEAD^1' 2>/dev/null || true)
fi
if [ -z "$base" ]; then
  echo "no base commit (a clone without history): formatting not checked"
  exit 0
fi
command -v clang-format >/dev/null || { echo "clang-format is missing (scripts/setup-deps.sh installs it)" >&2; exit 1; }

formatted() { # formatted NAME < text: the text is as clang-format lays it out
  local text
  text=$(cat)
  [ "$(printf '%s\n' "$text" | clang-format --assume-filename="$1")" = "$text" ]
}

checked=0 bad=()
while IFS= read -r -d '' file; do
  [ -f "$file" ] || continue
  git cat-file -e "$base:$file" 2>/dev/null || continue # new since the base
  git show "$base:$file" | formatted "$file" || continue  # not in the layout yet
  checked=$((checked + 1))
  formatted "$file" <"$file" || bad+=("$file")
done < <(git diff -z --name-only --diff-filter=M "$base" -- \
  'orvcore/*.h' 'orvcore/*.cpp' 'tools/*.h' 'tools/*.cpp' 'tests/*.h' 'tests/*.cpp' \
  'bench/*.cpp' 'python/*.cpp' 'examples/*.cpp')
if [ ${#bad[@]} -gt 0 ]; then
  for file in "${bad[@]}"; do
    clang-format "$file" | diff -u "$file" - --label "$file" --label "$file (clang-format)" || true
  done
  echo "these files left clang-format's layout (fix with: clang-format -i ${bad[*]})" >&2
  exit 1
fi
echo "$checked changed file(s) in clang-format's layout since $(git rev-parse --short "$base")"
