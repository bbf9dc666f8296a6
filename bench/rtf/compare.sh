#!/usr/bin/env bash
# Times Plainora against pandoc and LibreOffice headless on the same RTF
# documents (small, medium, large from make_inputs.py) and reports documents
# per second and peak memory (/usr/bin/time -v).
# Usage: [SIZES='small medium large'] bench/rtf/compare.sh BUILD_DIR
#        (BUILD_DIR configured with -DPLAINORA_BENCHMARKS=ON)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?build folder}" && pwd)
work=$(mktemp -d /tmp/plainora-rtf-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 "$here/make_inputs.py" "$work/in"

# Copies per size, so that every tool converts a batch of several documents.
declare -A copies=([small]=50 [medium]=10 [large]=2)
seconds() { /usr/bin/time -f %e -o "$work/t" "$@" >/dev/null 2>&1 || true; cat "$work/t"; }
peak_kb() { /usr/bin/time -f %M -o "$work/m" "$@" >/dev/null 2>&1 || true; cat "$work/m"; }

printf '%-7s %9s %5s | %12s %12s %12s | %8s %8s %8s | %10s %10s %10s\n' size bytes docs \
  "plainora d/s" "pandoc d/s" "soffice d/s" "pl. s" "pd. s" "so. s" "pl. peakKB" "pd. peakKB" "so. peakKB"
for size in ${SIZES:-small medium large}; do
  n=${copies[$size]}
  mkdir -p "$work/$size" "$work/out-$size"
  for i in $(seq 1 "$n"); do cp "$work/in/$size.rtf" "$work/$size/$size-$i.rtf"; done
  files=("$work/$size"/*.rtf)
  bytes=$(stat -c %s "$work/in/$size.rtf")

  t_pl=$(seconds "$build/bench/plainora_convert_files" "$work/out-$size" "${files[@]}")
  t_pd=$(seconds bash -c 'for f in "$@"; do pandoc -f rtf -t plain "$f" -o "${f%.rtf}.pandoc.txt"; done' _ "${files[@]}")
  t_so=$(seconds soffice --headless --convert-to txt:Text --outdir "$work/so-$size" "${files[@]}")
  # Every tool must have written every document, or its rate means nothing.
  for tool in "$work/out-$size" "$work/so-$size"; do
    made=$(find "$tool" -name '*.txt' -size +0 | wc -l)
    [[ $made -eq $n ]] || echo "warning: $tool holds $made of $n texts" >&2
  done

  m_pl=$(peak_kb "$build/bench/plainora_convert_files" "$work/out-$size" "$work/in/$size.rtf")
  m_pd=$(peak_kb pandoc -f rtf -t plain "$work/in/$size.rtf" -o "$work/pd.txt")
  m_so=$(peak_kb soffice --headless --convert-to txt:Text --outdir "$work/so" "$work/in/$size.rtf")

  rate() { awk -v n="$n" -v t="$1" 'BEGIN { if (t > 0) printf "%.3f", n / t; else print "inf" }'; }
  printf '%-7s %9s %5s | %12s %12s %12s | %8s %8s %8s | %10s %10s %10s\n' "$size" "$bytes" "$n" \
    "$(rate "$t_pl")" "$(rate "$t_pd")" "$(rate "$t_so")" "$t_pl" "$t_pd" "$t_so" "$m_pl" "$m_pd" "$m_so"
done
echo "(wall-clock seconds through /usr/bin/time; a batch is one process for Plainora and LibreOffice,"
echo " one process per document for pandoc, which converts one file per run; peak memory is the"
echo " maximum resident set /usr/bin/time reports for one document's conversion command)"
