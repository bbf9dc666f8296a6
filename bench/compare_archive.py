#!/usr/bin/python3
"""Documents per second of plainora-cli against LibreOffice headless (one
batch, the only other tool that reads these formats) on the formats the
engine reads through its OpenDocument reader and the import libraries, and
the peak memory of plainora-cli on each file.

The documents are the shared corpus's archive files and tests/data/odf,
copied COPIES times under numbered names so that a batch lasts long enough to
time. Both tools convert the same copies; LibreOffice's profile is made
before the timing starts.

    bench/compare_archive.py --cli build/src/cli/plainora-cli [--copies 40]
"""
import argparse
import collections
import os
import re
import shutil
import subprocess
import tempfile
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
FORMATS = collections.OrderedDict([
    ("odt", (".odt",)), ("fodt", (".fodt",)), ("wpd", (".wpd", ".wp")), ("wps", (".wps",)),
    ("wri", (".wri",)), ("pages", (".pages",)), ("sdw", (".sdw",)),
])


def sources(corpus):
    """The archive files its manifest says read ("ok": password-protected and
    broken files measure nothing), and the OpenDocument fixtures."""
    paths = []
    with open(corpus / "archive" / "MANIFEST.tsv", encoding="utf-8") as manifest:
        for row in list(manifest)[1:]:
            columns = row.rstrip("\n").split("\t")
            if len(columns) >= 7 and columns[6] == "ok":
                paths.append(corpus / columns[0])
    paths += sorted((HERE.parent / "tests" / "data" / "odf").glob("*.*odt"))
    found = collections.defaultdict(list)
    for path in paths:
        for fmt, extensions in FORMATS.items():
            if path.suffix.lower() in extensions:
                found[fmt].append(path)
    return found


def timed(argv):
    started = time.perf_counter()
    done = subprocess.run(["/usr/bin/time", "-v"] + argv, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                          text=True)
    seconds = time.perf_counter() - started
    peak = re.search(r"Maximum resident set size \(kbytes\): (\d+)", done.stderr)
    return seconds, int(peak.group(1)) / 1024 if peak else 0.0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--corpus", default=str(HERE.parent.parent / "shared" / "corpus"))
    parser.add_argument("--copies", type=int, default=40)
    args = parser.parse_args()
    cli = str(Path(args.cli).resolve())
    with tempfile.TemporaryDirectory() as tmp:
        tmp = Path(tmp)
        profile = tmp / "lo-profile"
        lo = ["soffice", "--headless", "--norestore", f"-env:UserInstallation=file://{profile}"]
        subprocess.run(lo + ["--terminate_after_init"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        print(f"{'format':8} {'files':>5} {'docs':>5} {'plainora docs/s':>16} {'peak MB':>8} "
              f"{'LibreOffice docs/s':>19} {'peak MB':>8} {'ratio':>6}")
        for fmt, files in sources(Path(args.corpus)).items():
            batch = tmp / fmt
            batch.mkdir()
            copies = []
            for i in range(args.copies):
                for source in files:
                    copy = batch / f"{i:03d}-{source.name}"
                    shutil.copyfile(source, copy)
                    copies.append(str(copy))
            ours, our_peak = timed([cli, "-q", "-j", "1", "-o", str(tmp / (fmt + "-plainora"))] + copies)
            theirs, their_peak = timed(lo + ["--convert-to", "txt:Text (encoded):UTF8", "--outdir",
                                             str(tmp / (fmt + "-lo"))] + copies)
            n = len(copies)
            print(f"{fmt:8} {len(files):5} {n:5} {n / ours:16.0f} {our_peak:8.1f} {n / theirs:19.1f} "
                  f"{their_peak:8.1f} {theirs / ours:6.0f}", flush=True)


if __name__ == "__main__":
    main()
