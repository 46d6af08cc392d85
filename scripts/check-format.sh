#!/usr/bin/env bash
# Checks every tracked C++ file against .clang-format; lists the files that differ and fails.
# Fix with: clang-format -i $(git ls-files '*.cpp' '*.h')
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
bad=()
for f in "${files[@]}"; do
  clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [ ${#bad[@]} -gt 0 ]; then
  echo "Files that differ from .clang-format (${#bad[@]}):" >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
echo "Format check: ${#files[@]} files follow .clang-format"
