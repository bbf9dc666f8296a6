#!/usr/bin/env bash
# Installs what is missing, builds, and starts Plainora.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh"
exec "${PLAINORA_BUILD_DIR:-$here/build}/src/app/plainora" "$@"
