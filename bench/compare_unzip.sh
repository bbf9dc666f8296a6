#!/usr/bin/env bash
# Converting a .docx against merely inflating its XML parts: runs
# `plainora-cli --stdout FILE` and `unzip -p FILE 'word/*.xml'` ROUNDS times
# each, interleaved so that both see the same load of a shared machine, and
# prints the wall clock and CPU time (user + sys) of each and their ratio.
# Usage: bench/compare_unzip.sh PLAINORA_CLI FILE [ROUNDS]
#   FILE: for example large.docx of bench/make_docx_bench_data.py.
set -euo pipefail
cli=${1:?PLAINORA_CLI}
file=${2:?FILE}
rounds=${3:-20}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Appends "wall cpu" of one run of the command to $work/$label.
timed() {
    local label=$1
    shift
    /usr/bin/time -f '%e %U %S' -o "$work/one" "$@" >/dev/null 2>&1
    awk '{print $1, $2 + $3}' "$work/one" >>"$work/$label"
}

for _ in $(seq 1 "$rounds"); do
    timed cli "$cli" -q -j 1 --stdout "$file"
    timed unzip unzip -p "$file" 'word/*.xml'
done

echo "load average before the summary: $(cut -d' ' -f1-3 /proc/loadavg)"
awk -v rounds="$rounds" '
    FNR == 1 { label = FILENAME; sub(".*/", "", label) }
    { wall[label] += $1; cpu[label] += $2 }
    END {
        for (l in wall) printf "%-6s %d runs: wall %.3f s, CPU %.3f s (%.1f ms a run)\n", l, rounds, wall[l], cpu[l], 1000 * cpu[l] / rounds
        if (wall["unzip"] > 0 && cpu["unzip"] > 0)
            printf "plainora-cli takes %.2fx the wall clock and %.2fx the CPU time of unzip -p\n", wall["cli"] / wall["unzip"], cpu["cli"] / cpu["unzip"]
    }' "$work/cli" "$work/unzip"
