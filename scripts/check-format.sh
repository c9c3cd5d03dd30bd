#!/usr/bin/env bash
# Checks that every tracked C++ file is as the repository's .clang-format writes it; lists the
# files that are not and exits 1. Fix one with `clang-format -i FILE`.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bad=()
while IFS= read -r -d '' file; do
    clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || bad+=("$file")
done < <(git ls-files -z '*.cpp' '*.h')
if [ ${#bad[@]} -gt 0 ]; then
    printf 'not formatted: %s\n' "${bad[@]}"
    exit 1
fi
echo "format: every tracked C++ file follows .clang-format"
