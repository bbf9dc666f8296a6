#!/bin/sh
# Runs one fuzzer for SECONDS (default 600) on one core, niced, with the
# limits a finding is judged by: over 1 s on an input under 1 MiB is a hang,
# over 512 MB resident is out of memory.
#   fuzz/run.sh TARGET [SECONDS] [BUILD_DIR]
# Seeds come from fuzz/make_seeds.sh (/work/fuzz-seeds/TARGET); the growing
# corpus, the findings and the log stay under /work/fuzz-work/TARGET.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
target=${1:?TARGET}
seconds=${2:-600}
build=${3:-/work/build-fuzz-clang}
work=/work/fuzz-work/$target
mkdir -p "$work/corpus" "$work/findings" "/work/fuzz-seeds/$target"
case $target in
  ooxml|ooxmlpart|flatxml|zip) dict=$here/dict/ooxml.dict ;;
  rtf) dict=$here/dict/rtf.dict ;;
  compound|cfb|doctext) dict=$here/dict/doc.dict ;;
  *) dict= ;;
esac
set -- -rss_limit_mb=512 -timeout=1 -max_len=1048576 -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix="$work/findings/"
if [ -n "$dict" ]; then set -- "$@" -dict="$dict"; fi
cd "$work"
exec nice -n 10 "$build/fuzz/fuzz_$target" "$@" "$work/corpus" "/work/fuzz-seeds/$target" >"$work/log.txt" 2>&1
