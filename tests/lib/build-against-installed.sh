#!/bin/sh
# Installs the library from the build folder into a fresh prefix and compiles
# the C test against that copy through pkg-config, as a user's program would.
# Usage: build-against-installed.sh BUILD_DIR WORK_DIR TEST_SOURCE [CFLAGS...]
set -eu
build_dir=$1 work=$2 source=$3
shift 3
rm -rf "$work"
mkdir -p "$work"
cmake --install "$build_dir" --prefix "$work/prefix" --component library >"$work/install.log"
PKG_CONFIG_PATH=$(dirname "$(find "$work/prefix" -name plainora.pc)")
export PKG_CONFIG_PATH
libdir=$(pkg-config --variable=libdir plainora)
# shellcheck disable=SC2046 # pkg-config's output is meant to be split
${CC:-cc} -std=c11 -Wall -Wextra -Wpedantic -Werror "$@" "$source" -o "$work/c_library_test" \
  $(pkg-config --cflags --libs plainora) -pthread -Wl,-rpath,"$libdir"
