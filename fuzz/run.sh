#!/bin/sh
# Runs one fuzzer for SECONDS (default 600), niced, with the limits a finding
# is judged by: over 1 s on an input under 1 MiB is a hang, over 512 MB
# resident is out of memory.
#   [PROCESSES=N] fuzz/run.sh TARGET [SECONDS] [BUILD_DIR]
# KEEP_GOING=1 runs libFuzzer's fork mode, which writes each crash, hang and
# out-of-memory input to the findings and carries on: for the import-library
# targets, whose faults we can only guard against, so that one finding does not
# end the whole run.
# PROCESSES (default 1) fuzzers share one corpus, so a target can have every
# core: libFuzzer reloads the corpus each second and picks up what the others
# found. Seeds come from fuzz/make_seeds.sh (/work/fuzz-seeds/TARGET); the
# growing corpus, the findings and one log per process and run stay under
# /work/fuzz-work/TARGET. Each log line starts with the seconds since the run
# began, so the log shows when coverage stopped growing; log.txt points at the
# newest run's first process.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
target=${1:?TARGET}
seconds=${2:-600}
build=${3:-/work/build-fuzz-clang}
processes=${PROCESSES:-1}
work=/work/fuzz-work/$target
mkdir -p "$work/corpus" "$work/findings" "/work/fuzz-seeds/$target"
case $target in
  ooxml|ooxmlpart|flatxml|zip) dict=$here/dict/ooxml.dict ;;
  rtf) dict=$here/dict/rtf.dict ;;
  compound|cfb|doctext) dict=$here/dict/doc.dict ;;
  html) dict=$here/dict/html.dict ;;
  odf) dict=$here/dict/odf.dict ;;
  engine|sniffer)
    # Every format reaches these: one dictionary of all the formats' words.
    dict=$work/all-formats.dict
    cat "$here"/dict/*.dict >"$dict" ;;
  *) dict= ;;
esac
set -- -rss_limit_mb=512 -malloc_limit_mb=512 -timeout=1 -max_len=1048576 -max_total_time="$seconds" \
  -print_final_stats=1 -artifact_prefix="$work/findings/"
if [ -n "$dict" ]; then set -- "$@" -dict="$dict"; fi
if [ "${KEEP_GOING:-0}" = 1 ]; then
  set -- "$@" -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1
fi
# The 512 MB limit is meant for the readers, not for AddressSanitizer's
# quarantine of freed memory (256 MB by default), so that is kept small.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=32}
cd "$work"
stamp=$(date +%Y%m%d-%H%M%S)
fuzz_one() {
  log=$1
  shift
  nice -n 10 "$build/fuzz/fuzz_$target" "$@" "$work/corpus" "/work/fuzz-seeds/$target" 2>&1 |
    perl -e '$| = 1; $start = time; while (<STDIN>) { printf "%5d %s", time - $start, $_ }' >"$log"
}
if [ "$processes" -eq 1 ]; then
  ln -sf "log-$stamp.txt" log.txt
  fuzz_one "log-$stamp.txt" "$@"
else
  ln -sf "log-$stamp-p1.txt" log.txt
  i=1
  while [ "$i" -le "$processes" ]; do
    fuzz_one "log-$stamp-p$i.txt" "$@" &
    i=$((i + 1))
  done
  wait
fi
