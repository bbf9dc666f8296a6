#!/usr/bin/env bash
# Fails when a C or C++ file is not formatted by the repository's .clang-format
# (Debian 12's clang-format), and names the files. Fix with:
#   git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format -i
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.c')
off=()
for file in "${files[@]}"; do
  clang-format --dry-run -Werror "$file" >/dev/null 2>&1 || off+=("$file")
done
if ((${#off[@]})); then
  echo "check-format: ${#off[@]} of ${#files[@]} files differ from .clang-format:" >&2
  printf '  %s\n' "${off[@]}" >&2
  exit 1
fi
echo "check-format: all ${#files[@]} files follow .clang-format"
