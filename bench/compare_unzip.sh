#!/usr/bin/env bash
# Converting a .docx against merely inflating its XML parts: runs
# `plainora-cli --stdout FILE` and `unzip -p FILE 'word/*.xml'` ROUNDS times
# each, interleaved so that both see the same load of a shared machine, and
# prints the wall clock and CPU time (user + sys, to the microsecond) of each
# and their ratio.
# Usage: bench/compare_unzip.sh PLAINORA_CLI FILE [ROUNDS]
#   FILE: for example large.docx of bench/make_docx_bench_data.py.
set -euo pipefail
cli=${1:?PLAINORA_CLI}
file=${2:?FILE}
rounds=${3:-20}

/usr/bin/python3 - "$cli" "$file" "$rounds" <<'PY'
import os, resource, subprocess, sys, time

cli, path, rounds = sys.argv[1], sys.argv[2], int(sys.argv[3])
commands = {
    "cli": [cli, "-q", "-j", "1", "--stdout", path],
    "unzip": ["unzip", "-p", path, "word/*.xml"],
}
wall = dict.fromkeys(commands, 0.0)
cpu = dict.fromkeys(commands, 0.0)

def children_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime

with open(os.devnull, "wb") as sink:
    for _ in range(rounds):
        for label, command in commands.items():
            before_cpu, before_wall = children_cpu(), time.perf_counter()
            subprocess.run(command, stdout=sink, stderr=sink, check=True)
            wall[label] += time.perf_counter() - before_wall
            cpu[label] += children_cpu() - before_cpu

print("load average after the runs:", " ".join(open("/proc/loadavg").read().split()[:3]))
for label in ("unzip", "cli"):
    print(f"{label:6} {rounds} runs: wall {wall[label]:.3f} s, CPU {cpu[label]:.3f} s "
          f"({1000 * cpu[label] / rounds:.1f} ms a run)")
print(f"plainora-cli takes {wall['cli'] / wall['unzip']:.2f}x the wall clock and "
      f"{cpu['cli'] / cpu['unzip']:.2f}x the CPU time of unzip -p")
PY
