#!/usr/bin/python3
"""Documents per second of plainora.extract_text in a thread pool of 1 and 2
threads, against plainora-cli -j 1 and -j 2 on the same documents.

The module releases the GIL while it converts, so two threads should come
close to twice the rate of one on two free processors, as -j 2 does. Both
sides read the same files and keep the text in memory (the CLI writes it to
standard output, sent to /dev/null). Each figure is the best of --repeat runs,
since other work on the machine only ever slows a run down; "busy" is the
processor time over the wall time of that run (up to 2 with two threads or
jobs that really run at once). On a machine
without a free second processor the rates cannot show the gain; the closing
check of how fast a Python loop runs beside a conversion still shows whether
the GIL is let go.

    PYTHONPATH=build/python bench/python_threads.py --cli build/src/cli/plainora-cli \
        ../shared/corpus/doc ../shared/corpus/docx ../shared/corpus/rtf
"""

import argparse
import concurrent.futures
import hashlib
import os
import resource
import subprocess
import sys
import time
from pathlib import Path

import plainora


def documents_in(folders):
    found = []
    for folder in folders:
        for path in sorted(Path(folder).iterdir()):
            if path.is_file() and path.suffix.lower() in (".doc", ".docx", ".rtf"):
                found.append(path)
    return found


def readable(paths):
    """The documents that convert, so that both sides do the same work."""
    kept = []
    for path in paths:
        try:
            plainora.extract_text(path)
            kept.append(path)
        except plainora.ConversionError:
            pass
    return kept


def cpu_seconds():
    """Processor time of this process and of its finished children."""
    own, children = resource.getrusage(resource.RUSAGE_SELF), resource.getrusage(resource.RUSAGE_CHILDREN)
    return own.ru_utime + own.ru_stime + children.ru_utime + children.ru_stime


def best_of(repeat, run):
    """(wall seconds, processors kept busy) of the fastest run."""
    runs = []
    for _ in range(repeat):
        start, cpu = time.perf_counter(), cpu_seconds()
        run()
        wall = time.perf_counter() - start
        runs.append((wall, (cpu_seconds() - cpu) / wall))
    return min(runs)


def python_run(paths, threads):
    def run():
        with concurrent.futures.ThreadPoolExecutor(max_workers=threads) as pool:
            for _ in pool.map(plainora.extract_text, paths):
                pass

    return run


def cli_run(cli, paths, jobs):
    def run():
        subprocess.run([cli, "-q", f"-j{jobs}", "--stdout", *map(str, paths)], stdout=subprocess.DEVNULL,
                       check=False)

    return run


def loop_rate_while(task):
    """Iterations per second of a pure-Python loop while task runs in
    another thread."""
    with concurrent.futures.ThreadPoolExecutor(max_workers=1) as pool:
        future = pool.submit(task)
        count, start = 0, time.perf_counter()
        while not future.done():
            count += 1
        return count / (time.perf_counter() - start)


def gil_check(paths):
    """How fast a Python loop runs while another thread converts, beside the
    same while the thread hashes (hashlib lets the GIL go on large data) and
    while it sorts (a C call that holds the GIL). Unlike the rates, the
    comparison holds on a busy machine too."""
    largest = max(paths, key=os.path.getsize)
    data = os.urandom(64 << 20)
    numbers = list(range(3_000_000, 0, -1))
    tasks = {
        "converting": lambda: [plainora.extract_text(largest) for _ in range(20)],
        "hashing (GIL released)": lambda: [hashlib.sha256(data).digest() for _ in range(8)],
        "sorting (GIL held)": lambda: [sorted(numbers, key=None) for _ in range(8)],
    }
    alone = loop_rate_while(lambda: time.sleep(1.0))
    for name, task in tasks.items():
        print(f"a Python loop in another thread, while {name + ':':24} {loop_rate_while(task) / alone:5.0%} of its "
              "speed alone")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cli", required=True, help="the plainora-cli to compare with")
    parser.add_argument("--rounds", type=int, default=5, help="times each document is converted per run")
    parser.add_argument("--repeat", type=int, default=3, help="runs per figure; the best counts")
    parser.add_argument("folders", nargs="+", help="folders of .doc, .docx and .rtf documents")
    args = parser.parse_args()

    paths = readable(documents_in(args.folders)) * args.rounds
    megabytes = sum(os.path.getsize(p) for p in paths) / 1e6
    print(f"plainora {plainora.__version__}; {len(paths)} conversions ({megabytes:.1f} MB), "
          f"{os.cpu_count()} processors, load average {os.getloadavg()[0]:.1f}")
    print(f"{'':24}{'seconds':>9}{'docs/s':>9}{'vs 1':>7}{'busy':>7}")
    for name, make in (("extract_text, threads", lambda n: python_run(paths, n)),
                       ("plainora-cli, -j", lambda n: cli_run(args.cli, paths, n))):
        one = None
        for count in (1, 2):
            seconds, busy = best_of(args.repeat, make(count))
            one = one or seconds
            print(f"{name + ' ' + str(count):24}{seconds:9.3f}{len(paths) / seconds:9.0f}{one / seconds:7.2f}"
                  f"{busy:7.2f}")
    gil_check(paths)
    return 0


if __name__ == "__main__":
    sys.exit(main())
