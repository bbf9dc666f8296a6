#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite.
# GUI tests run on Qt's offscreen platform, so no display is needed.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh"
export QT_QPA_PLATFORM=offscreen
cd "${PLAINORA_BUILD_DIR:-$here/build}"
ctest --output-on-failure --parallel "$(nproc)" --timeout 600
