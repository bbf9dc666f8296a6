#!/usr/bin/python3
"""Documents per second of plainora.distributed on a local Dask cluster of 1
and 2 worker processes, against plainora-cli -j 2 on the same documents, and
the cost of one batch (one Dask task).

The documents are made once by bench/compare_cli.py's generator (python-docx
reports of a few to some tens of KB) and kept in --data. Every run writes its
text files into a fresh folder. The Dask figures are of the command run
against a cluster already started (as on a real cluster, which outlives the
runs); the start of a local cluster is given apart. Each figure is the best
of --repeat runs, since other work on the machine only ever slows a run down.

The cost of a batch is measured twice: as the extra time of a run with one
document per batch over the default batching, per extra batch, and as the
rate of tasks that do nothing.

    PYTHONPATH=build/python bench/distributed_throughput.py --cli build/src/cli/plainora-cli
"""

import argparse
import os
import resource
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

import distributed
import psutil

sys.path.insert(0, str(Path(__file__).resolve().parent))
import compare_cli  # noqa: E402 - the document generator beside this file

from plainora.distributed import DEFAULT_BATCH_BYTES, batch_target, plan_batches, Document  # noqa: E402


def make_documents(folder, count, seed):
    stamp = folder / "made.txt"
    wanted = f"{count} {seed}\n"
    if stamp.exists() and stamp.read_text() == wanted:
        return
    shutil.rmtree(folder, ignore_errors=True)
    print(f"making {count} documents in {folder} ...", flush=True)
    compare_cli.make_docx_corpus(folder / "docx", count, seed)
    stamp.write_text(wanted)


def children_cpu():
    """CPU seconds of the finished children (the commands), twice: all of it,
    and the part that converted."""
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime, usage.ru_utime + usage.ru_stime


def cluster_cpu(cluster):
    """CPU seconds of this process (scheduler, nannies), its finished children
    (the commands) and the worker processes; and of the workers alone."""
    own = time.process_time() + children_cpu()[0]
    workers = sum(sum(psutil.Process(nanny.process.pid).cpu_times()[:2]) for nanny in cluster.workers.values())
    return own + workers, workers


def best_of(repeat, run, cpu=children_cpu):
    """(wall clock, CPU time, CPU time converting) of the fastest run."""
    best = None
    for _ in range(repeat):
        with tempfile.TemporaryDirectory(prefix="plainora-bench-") as output:
            cpu_start, start = cpu(), time.perf_counter()
            run(output)
            seconds, cpu_end = time.perf_counter() - start, cpu()
        measured = (seconds, cpu_end[0] - cpu_start[0], cpu_end[1] - cpu_start[1])
        if best is None or measured[0] < best[0]:
            best = measured
    return best


def cli_run(cli, documents, jobs):
    def run(output):
        subprocess.run([cli, "-q", f"-j{jobs}", "-o", output, str(documents)], check=True)

    return run


def dask_run(address, documents, batch_bytes=DEFAULT_BATCH_BYTES):
    def run(output):
        subprocess.run([sys.executable, "-m", "plainora.distributed", "-q", "--scheduler", address,
                        "--batch-bytes", str(batch_bytes), "-o", output, str(documents)], check=True)

    return run


def batch_count(documents, workers, batch_bytes):
    planned = [Document(i, str(p), str(p), str(p), p.stat().st_size) for i, p in enumerate(documents.iterdir())]
    target = batch_target(sum(d.size for d in planned), workers, batch_bytes)
    return len(plan_batches(planned, target))


def noop(item):
    return item


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cli", required=True, help="the plainora-cli to compare with")
    parser.add_argument("--data", default="/tmp/plainora-distributed-bench", help="where the documents are kept")
    parser.add_argument("--count", type=int, default=2000, help="documents to make")
    parser.add_argument("--repeat", type=int, default=3, help="runs per figure; the best counts")
    args = parser.parse_args()

    data = Path(args.data)
    make_documents(data, args.count, seed=7)
    documents = data / "docx"
    count = sum(1 for _ in documents.iterdir())
    megabytes = sum(p.stat().st_size for p in documents.iterdir()) / 1e6
    print(f"{count} documents ({megabytes:.1f} MB), {os.cpu_count()} processors, "
          f"load average {os.getloadavg()[0]:.1f}")
    print(f"{'':34}{'seconds':>9}{'docs/s':>9}{'CPU s':>9}{'docs/CPU s':>12}{'converting':>12}")

    def report(name, measured):
        seconds, cpu, converting = measured
        print(f"{name:34}{seconds:9.2f}{count / seconds:9.0f}{cpu:9.2f}{count / cpu:12.0f}"
              f"{count / converting:12.0f}", flush=True)

    report("plainora-cli -j 2", best_of(args.repeat, cli_run(args.cli, documents, 2)))
    report("plainora-cli -j 1", best_of(args.repeat, cli_run(args.cli, documents, 1)))
    for workers in (1, 2):
        start = time.perf_counter()
        with distributed.LocalCluster(n_workers=workers, threads_per_worker=1, processes=True,
                                      dashboard_address=None) as cluster:
            started = time.perf_counter() - start
            address = cluster.scheduler_address
            batches = batch_count(documents, workers, DEFAULT_BATCH_BYTES)
            cpu = lambda: cluster_cpu(cluster)  # noqa: E731
            batched = best_of(args.repeat, dask_run(address, documents), cpu)
            report(f"dask, {workers} worker(s), {batches} batches", batched)
            if workers == 2:
                single = best_of(args.repeat, dask_run(address, documents, batch_bytes=1), cpu)
                report(f"dask, 2 workers, {count} batches", single)
                extra = [(a - b) / (count - batches) * 1000 for a, b in zip(single, batched)]
                print(f"cost of a batch, from one document per batch: {extra[0]:.2f} ms of wall clock "
                      f"on {workers} workers, {extra[1]:.2f} ms of CPU ({extra[2]:.2f} ms on the workers)")
                with distributed.Client(cluster) as client:
                    client.gather(client.map(noop, range(200)))  # warm up
                    cpu_start, start = cpu()[0], time.perf_counter()
                    client.gather(client.map(noop, range(count)))
                    seconds, cpu_seconds = time.perf_counter() - start, cpu()[0] - cpu_start
                print(f"cost of an empty task: {seconds / count * 1000:.2f} ms of wall clock on {workers} "
                      f"workers, {cpu_seconds / count * 1000:.2f} ms of CPU")
            print(f"(starting the local cluster of {workers} took {started:.1f} s)", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
