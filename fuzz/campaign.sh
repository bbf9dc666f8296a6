#!/bin/bash
# Fuzzes every target in turn for SECONDS each, PARALLEL at a time, through
# run.sh, then prints each run's summary:
#   fuzz/campaign.sh [SECONDS] [PARALLEL] [TARGET ...]   (default 1800, 2, all)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
seconds=${1:-1800}
parallel=${2:-2}
shift $(( $# >= 2 ? 2 : $# ))
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(engine doctext rtf compound ooxml ooxmlpart cfb zip flatxml html sniffer)
fi
for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do wait -n || true; done
  echo "$(date +%T) start $target"
  "$here/run.sh" "$target" "$seconds" &
done
wait
for target in "${targets[@]}"; do
  echo "== $target"
  "$here/summary.sh" "$target"
done
