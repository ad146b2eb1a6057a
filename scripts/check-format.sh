#!/usr/bin/env bash
# Checks that every C++ file in the tree is in the house style (.clang-format).
# Prints the files that differ and fails; `clang-format -i <file>` fixes one.
set -euo pipefail
cd "$(dirname "$0")/.."
format="${CLANG_FORMAT:-clang-format}"
bad=0
while IFS= read -r -d '' file; do
  if ! "$format" --dry-run --Werror "$file" >/dev/null 2>&1; then
    echo "not formatted: $file"
    bad=1
  fi
done < <(git ls-files -z '*.cpp' '*.h')
[ "$bad" -eq 0 ] && echo "all C++ files are formatted"
exit "$bad"
