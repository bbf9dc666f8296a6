#!/usr/bin/env bash
# Times Plainora's Word 97-2003 reader against antiword, catdoc and wvText
# on the same .doc files, one process per document as a batch converter runs
# them, and reports documents/s and MB/s; then the engine alone in one
# process; then the peak memory of each tool on the largest file.
# Usage: bench/doc/compare_doc.sh BUILD_DIR [ROUNDS] [FILES...]
# (default files: the corpus doc/ folder)
set -uo pipefail
build=${1:?build folder configured with -DPLAINORA_BENCHMARKS=ON}
rounds=${2:-3}
shift $(($# >= 2 ? 2 : $#))
here=$(cd "$(dirname "$0")/../.." && pwd)
if (($#)); then files=("$@"); else files=("$here"/../shared/corpus/doc/*.doc); fi
extract="$build/bench/doc_extract"
[[ -x $extract ]] || { echo "build $extract first"; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

run() { # tool file: text to standard output
    case $1 in
    plainora) "$extract" "$2" ;;
    antiword) antiword "$2" ;;
    catdoc) catdoc "$2" ;;
    wvText) wvText "$2" "$tmp/wv.txt" >/dev/null && cat "$tmp/wv.txt" ;;
    esac
}

rate() { # tool seconds documents bytes
    awk -v t="$1" -v d="$2" -v n="$3" -v b="$4" \
        'BEGIN { printf "%-20s %9.1f docs/s %8.2f MB/s  (%.2f s)\n", t, n / d, b / d / 1e6, d }'
}

bytes=$(cat "${files[@]}" | wc -c)
echo "${#files[@]} documents, $bytes bytes, $rounds rounds"
for tool in plainora antiword catdoc wvText; do
    command -v "${tool/plainora/$extract}" >/dev/null || { echo "$tool: not installed"; continue; }
    start=$(date +%s.%N)
    for ((r = 0; r < rounds; ++r)); do
        for f in "${files[@]}"; do run "$tool" "$f" >/dev/null 2>&1; done
    done
    end=$(date +%s.%N)
    rate "$tool" "$(echo "$end - $start" | bc)" $((${#files[@]} * rounds)) $((bytes * rounds))
done

start=$(date +%s.%N)
"$extract" -n "$rounds" "${files[@]}" 2>/dev/null
end=$(date +%s.%N)
rate "plainora in-process" "$(echo "$end - $start" | bc)" $((${#files[@]} * rounds)) $((bytes * rounds))

largest=$(ls -S "${files[@]}" | head -1)
echo "peak memory (maximum resident set) on $(basename "$largest"), $(wc -c <"$largest") bytes:"
for tool in plainora antiword catdoc wvText; do
    case $tool in
    plainora) command=("$extract" "$largest") ;;
    wvText) command=(wvText "$largest" "$tmp/wv.txt") ;;
    *) command=("$tool" "$largest") ;;
    esac
    /usr/bin/time -v -o "$tmp/time.txt" "${command[@]}" >/dev/null 2>&1
    echo "  $tool: $(awk '/Maximum resident/ { print $6 }' "$tmp/time.txt") KB"
done
