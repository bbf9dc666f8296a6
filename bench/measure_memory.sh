#!/bin/sh
# Peak resident memory of converting each document alone with plainora-cli,
# beside the size of its text: converting keeps memory within a small
# multiple of the text. Prints: file, file bytes, text bytes, peak RSS KiB,
# seconds.
#   bench/measure_memory.sh PLAINORA_CLI FILE...
set -eu
cli=${1:?PLAINORA_CLI}
shift
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
printf '%-60s %12s %12s %12s %8s\n' file bytes text_bytes peak_rss_kib seconds
for file in "$@"; do
  /usr/bin/time -v "$cli" -q -j 1 --stdout "$file" >"$out/text" 2>"$out/time" || true
  rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$out/time")
  wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$out/time")
  printf '%-60s %12s %12s %12s %8s\n' "$(basename "$file")" "$(stat -c %s "$file")" "$(stat -c %s "$out/text")" \
    "$rss" "$wall"
done
