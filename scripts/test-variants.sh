#!/usr/bin/env bash
# Builds what the main suite does not: the engine and command-line converter
# without Qt (as packagers and servers build them), with the benchmarks
# compiled but not run, into build-variants/ (or $PLAINORA_VARIANTS_BUILD_DIR),
# and runs the tests of that build.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${PLAINORA_VARIANTS_BUILD_DIR:-$here/build-variants}
"$here/scripts/install-deps.sh"
PLAINORA_BUILD_DIR=$build_dir "$here/scripts/build.sh" -DPLAINORA_GUI=OFF -DPLAINORA_BENCHMARKS=ON
if ldd "$build_dir/src/cli/plainora-cli" | grep -q -i qt; then
  echo "test-variants: plainora-cli links Qt in the build without the GUI" >&2
  exit 1
fi
# The import libraries are loaded with their module when a document needs them.
if ldd "$build_dir/src/cli/plainora-cli" | grep -E 'lib(revenge|wpd|wps|mwaw|etonyek|staroffice|abw)'; then
  echo "test-variants: plainora-cli links the import libraries instead of loading their module" >&2
  exit 1
fi
cd "$build_dir"
ctest --output-on-failure --parallel "$(nproc)" --timeout 600
