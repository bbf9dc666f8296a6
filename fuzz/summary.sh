#!/bin/sh
# Summarises the newest run of one target: executions, time, coverage reached,
# when coverage last grew and how much it grew in the run's last ten minutes,
# and any finding libFuzzer reported; one line per process when the run had
# several, then their total.
#   fuzz/summary.sh TARGET
set -eu
work=/work/fuzz-work/${1:?TARGET}
newest=$(readlink "$work/log.txt")
case $newest in
  *-p1.txt) several=yes; logs=$(ls "$work/${newest%-p1.txt}"-p*.txt) ;;
  *) several=no; logs=$work/$newest ;;
esac
total_execs=0
for log in $logs; do
  [ $several = no ] || printf '%s: ' "$(basename "$log")"
  line=$(awk '
  / #[0-9]+/ { for (i = 2; i <= NF; ++i) if ($i ~ /^#[0-9]+$/) { execs = substr($i, 2) } }
  $4 == "cov:" && ($3 == "NEW" || $3 == "REDUCE") && $5 != covered { last_new = $1 }
  $4 == "cov:" && inited { covered = $5; n += 1; at[n] = $1; cov_at[n] = $5 }
  $1 ~ /^[0-9]+$/ { now = $1 }
  $3 == "INITED" && $4 == "cov:" { start_cov = $5; covered = $5; inited = 1 }
  # Fork mode (KEEP_GOING=1): "#EXECS: cov: N ... oom/timeout/crash: A/B/C".
  $2 ~ /^#[0-9]+:$/ && $3 == "cov:" {
    execs = substr($2, 2, length($2) - 2)
    if (!inited) { start_cov = $4; covered = $4; inited = 1 }
    if ($4 != covered) last_new = $1
    covered = $4; n += 1; at[n] = $1; cov_at[n] = $4
    for (i = 5; i < NF; ++i) if ($i == "oom/timeout/crash:") forked = $(i + 1)
  }
  /stat::number_of_executed_units/ { execs = $3 }
  /stat::peak_rss_mb/ { rss = $3 }
  /Done [0-9]+ runs in [0-9]+ second/ { for (i = 2; i <= NF; ++i) if ($i == "in") { seconds = $(i + 1) } }
  /ERROR: libFuzzer|ERROR: AddressSanitizer|runtime error:|Test unit written|ERROR: LeakSanitizer/ { findings = findings "\n  " $0 }
  END {
    before = start_cov
    for (i = 1; i <= n; ++i) if (at[i] <= now - 600) before = cov_at[i]
    printf "executions %s, seconds %s, coverage %s -> %s, coverage last grew at %s s, " \
      "grew by %d in the last 10 minutes, peak RSS %s MB\n",
      execs, (seconds != "" ? seconds : now), start_cov, covered, last_new, covered - before, (rss != "" ? rss : "n/a")
    if (forked != "" && forked != "0/0/0") printf "findings (out-of-memory/hang/crash): %s, inputs in findings/\n", forked
    else if (findings != "") printf "findings:%s\n", findings
  }' "$log")
  echo "$line"
  total_execs=$((total_execs + $(echo "$line" | sed -n '1s/^executions \([0-9]*\),.*/\1/p')))
done
[ $several = no ] || echo "total executions $total_execs"
