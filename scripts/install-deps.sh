#!/usr/bin/env bash
# Installs every Debian 12 package that Plainora needs to build, test and run.
# Usage: scripts/install-deps.sh [--dev]
#   --dev  also the tools used to make test documents and to run benchmarks
#          against other converters (LibreOffice, pandoc, antiword, ...), and
#          to click through and capture the running program under Xvfb.
set -euo pipefail

build_packages=(
  build-essential cmake ninja-build pkg-config dpkg-dev
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 qt6-qpa-plugins libgl-dev
  libzip-dev libexpat1-dev zlib1g-dev libpugixml-dev libdeflate-dev
  python3-dev pybind11-dev python3-pytest
  python3-distributed
  librevenge-dev libwpd-dev libwps-dev libmwaw-dev libetonyek-dev libstaroffice-dev libabw-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  fonts-liberation2 fontconfig
  xvfb xauth
  desktop-file-utils appstream
  groff-base
  clang-format
)
dev_packages=(
  python3 python3-docx python3-matplotlib
  libreoffice-writer-nogui abiword pandoc antiword catdoc wv docx2txt hyperfine time bc
  clang-14 libclang-rt-14-dev llvm-14
  xdotool imagemagick
)

want=("${build_packages[@]}")
if [[ "${1:-}" == "--dev" ]]; then want+=("${dev_packages[@]}"); fi

missing=()
for pkg in "${want[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done

if ((${#missing[@]} == 0)); then
  echo "install-deps: all ${#want[@]} packages present"
  exit 0
fi

sudo=""
if [[ $(id -u) -ne 0 ]]; then sudo="sudo"; fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
