#!/usr/bin/env bash
# Times Plainora's extractText against pandoc, docx2txt and LibreOffice
# headless (one batch) on the same .docx files, single-threaded, and reports
# documents/s and peak memory (/usr/bin/time -v).
# Usage: bench/compare_docx.sh BUILD_DIR [COPIES]
#   BUILD_DIR holds bench/docx_extract and bench-data/docx (make_docx_bench_data.py).
set -euo pipefail
build=${1:?build dir}
copies=${2:-20}
data="$build/bench-data/docx"
extract="$build/bench/docx_extract"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

measure() { # label count command...: prints docs/s and peak RSS
    local label=$1 count=$2
    shift 2
    /usr/bin/time -v -o "$work/time" "$@" >/dev/null 2>"$work/err" || { echo "$label: failed ($(head -c 200 "$work/err"))"; return; }
    local secs kb
    secs=$(awk -F': ' '/Elapsed \(wall clock\)/ {n=split($2,a,":"); s=0; for(i=1;i<=n;i++) s=s*60+a[i]; print s}' "$work/time")
    kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time")
    awk -v l="$label" -v c="$count" -v s="$secs" -v k="$kb" \
        'BEGIN {printf "%-34s %6d docs %8.2f s %10.1f docs/s %8.1f MB peak\n", l, c, s, (s > 0 ? c / s : 0), k / 1024}'
}

for size in small medium large; do
    n=$copies
    [[ $size == large ]] && n=$((copies / 4 > 0 ? copies / 4 : 1))
    mkdir -p "$work/$size" "$work/$size-out"
    for i in $(seq 1 "$n"); do cp "$data/$size.docx" "$work/$size/$size-$i.docx"; done
    files=("$work/$size"/*.docx)
    echo "== $size.docx x $n ($(stat -c %s "$data/$size.docx") bytes each)"
    measure "plainora extractText" "$n" "$extract" "${files[@]}"
    measure "docx2txt" "$n" bash -c 'for f in "$@"; do docx2txt "$f" - >/dev/null; done' _ "${files[@]}"
    measure "pandoc -t plain" "$n" bash -c 'for f in "$@"; do pandoc -t plain "$f" -o /dev/null; done' _ "${files[@]}"
    measure "soffice --convert-to txt (batch)" "$n" soffice --headless -env:UserInstallation=file://"$work/lo-profile" \
        --convert-to txt:Text --outdir "$work/$size-out" "${files[@]}"
done
