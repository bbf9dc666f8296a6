#!/usr/bin/env bash
# Configures and builds Plainora into build/ (or $PLAINORA_BUILD_DIR).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${PLAINORA_BUILD_DIR:-$here/build}
generator=()
if command -v ninja >/dev/null; then generator=(-G Ninja); fi
if [[ ! -f "$build_dir/CMakeCache.txt" ]]; then
  cmake -S "$here" -B "$build_dir" "${generator[@]}" "$@"
elif (($#)); then
  cmake -S "$here" -B "$build_dir" "$@"
fi
cmake --build "$build_dir" --parallel "$(nproc)"
