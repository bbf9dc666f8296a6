#!/usr/bin/env bash
# Builds the whole test suite with AddressSanitizer and UndefinedBehaviorSanitizer
# (gcc) into build-sanitize/ (or $PLAINORA_SANITIZE_BUILD_DIR) and runs it.
# Any sanitizer report fails the run, leaks included.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${PLAINORA_SANITIZE_BUILD_DIR:-$here/build-sanitize}
"$here/scripts/install-deps.sh"
# -O1 with line tables: the sanitizers' usual trade between build time, test
# speed and readable reports.
PLAINORA_BUILD_DIR=$build_dir "$here/scripts/build.sh" -DPLAINORA_SANITIZE=ON -DPLAINORA_BENCHMARKS=OFF \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O1 -g1"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# Leaks inside system libraries the GUI tests load (not ours) are listed there.
export LSAN_OPTIONS=suppressions=$here/scripts/lsan-suppressions.txt:print_suppressions=0
cd "$build_dir"
ctest --output-on-failure --parallel "$(nproc)" --timeout 900
