#!/usr/bin/python3
"""Compares plainora-cli with other document-to-text converters.

Generates a corpus of N documents with python3-docx and converts the first of
them with LibreOffice into Word 97 (.doc), RTF and OpenDocument (.odt), outside
the repository. Then converts each format with every tool that reads it, one
batch per tool and format (plainora-cli and LibreOffice take the whole batch in
one run, the others one process per document, which is how they are used),
and measures documents per
second of wall clock and of CPU time (user + sys of the batch and every process
it started), megabytes per second and peak memory (/usr/bin/time -v, the
largest process of the batch). Writes docs/benchmark.md and docs/benchmark.png.

    bench/compare_cli.py --cli build/src/cli/plainora-cli

Needs the --dev packages of scripts/install-deps.sh.
"""

import argparse
import json
import os
import random
import re
import shutil
import signal
import statistics
import subprocess
import sys
import time
from pathlib import Path

REPO = Path(__file__).resolve().parent.parent
FORMATS = ("docx", "doc", "rtf", "odt")
KEPT_MARKER = "<!-- measured by hand: kept when the table is made again -->"

WORDS = (
    "annual report budget committee minutes revenue forecast quarter project "
    "schedule meeting agenda decision review contract supplier customer invoice "
    "delivery warehouse inventory policy training safety quality audit summary "
    "the of and to in for with on by from as at this that which will be are was"
).split()


def sentence(rng, words):
    text = " ".join(rng.choice(WORDS) for _ in range(words))
    return text[0].upper() + text[1:] + "."


def make_docx_corpus(folder, count, seed):
    """Documents of a few to some tens of KB: headings, paragraphs, a list,
    a table, a footnote-free body, as office letters and reports are."""
    import docx  # python3-docx, Debian

    rng = random.Random(seed)
    folder.mkdir(parents=True, exist_ok=True)
    for i in range(count):
        document = docx.Document()
        document.add_heading(f"Report {i}: {sentence(rng, 4)}", level=1)
        for section in range(rng.randint(2, 6)):
            document.add_heading(sentence(rng, 3), level=2)
            for _ in range(rng.randint(3, 12)):
                document.add_paragraph(" ".join(sentence(rng, rng.randint(8, 25)) for _ in range(rng.randint(2, 6))))
            for _ in range(rng.randint(0, 4)):
                document.add_paragraph(sentence(rng, 6), style="List Bullet")
            if section % 2 == 0:
                rows, cols = rng.randint(2, 8), rng.randint(2, 5)
                table = document.add_table(rows=rows, cols=cols)
                for r in range(rows):
                    for c in range(cols):
                        table.cell(r, c).text = f"{rng.choice(WORDS)} {rng.randint(1, 9999)}"
        document.save(folder / f"report {i:05d}.docx")


def soffice_command(profile):
    return ["soffice", "--headless", "--norestore", f"-env:UserInstallation=file://{profile}"]


def convert_with_libreoffice(sources, target_filter, out_dir, profile):
    out_dir.mkdir(parents=True, exist_ok=True)
    # Batches keep the command line short; LibreOffice starts once per batch.
    for start in range(0, len(sources), 500):
        subprocess.run(soffice_command(profile) + ["--convert-to", target_filter, "--outdir", str(out_dir)]
                       + [str(s) for s in sources[start:start + 500]],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def fill_by_repeating(folder, fmt, count):
    """Copies the documents of folder in turn until it holds count; returns
    how many distinct ones there were."""
    made = sorted(folder.glob(f"*.{fmt}"))
    for i in range(len(made), count):
        shutil.copyfile(made[i % len(made)], folder / f"copy {i:05d} of {made[i % len(made)].name}")
    return len(made)


def make_corpus(root, count, seed, distinct):
    """count distinct .docx; LibreOffice, which converts about one document a
    second on a loaded machine, makes the other formats of the first
    `distinct` of them, repeated up to count. Returns the distinct documents
    of each format."""
    stamp = root / "corpus.json"
    wanted = {"count": count, "seed": seed, "distinct": distinct}
    if stamp.exists() and json.loads(stamp.read_text())["wanted"] == wanted:
        return json.loads(stamp.read_text())["made"]
    shutil.rmtree(root / "corpus", ignore_errors=True)
    print(f"making {count} documents of each format in {root / 'corpus'} ...", flush=True)
    started = time.perf_counter()
    docx_dir = root / "corpus" / "docx"
    make_docx_corpus(docx_dir, count, seed)
    sources = sorted(docx_dir.iterdir())[:distinct]
    profile = root / "lo-profile"
    convert_with_libreoffice(sources, "doc:MS Word 97", root / "corpus" / "doc", profile)
    convert_with_libreoffice(sources, "rtf", root / "corpus" / "rtf", profile)
    convert_with_libreoffice(sources, "odt", root / "corpus" / "odt", profile)
    made = {"docx": count}
    for fmt in FORMATS[1:]:
        made[fmt] = fill_by_repeating(root / "corpus" / fmt, fmt, count)
        if made[fmt] != len(sources):
            sys.exit(f"LibreOffice made {made[fmt]} of {len(sources)} .{fmt} documents")
    stamp.write_text(json.dumps({"wanted": wanted, "made": made}))
    print(f"  made in {time.perf_counter() - started:.0f} s", flush=True)
    return made


def per_file(command, per_doc_timeout):
    """A shell loop running command once per document ({input} and {output}
    are replaced by the quoted paths), each run stopped after per_doc_timeout
    seconds; it counts finished documents in .done and stopped ones in
    .timeouts, so that a batch cut short by the time budget still gives a
    rate."""
    body = command.format(input='"$1"', output='"$2/$(basename "$1").txt"')
    loop = (f'out=$1; shift; for f in "$@"; do timeout {per_doc_timeout} sh -c \'{body}\' sh "$f" "$out"; '
            f'[ $? = 124 ] && echo >> "$out/.timeouts"; echo >> "$out/.done"; done')
    return ["sh", "-c", loop, "sh"]


def tools(cli, profile, per_doc_timeout):
    """name -> (formats read, function(files, out_dir, folder) -> argv)."""
    lo = soffice_command(profile) + ["--convert-to", "txt:Text (encoded):UTF8"]

    def loop(command):
        return lambda files, out, folder: per_file(command, per_doc_timeout) + [out] + files

    return {
        # The documents are named one by one: a folder gives only its .doc* files, not the .rtf ones.
        "plainora-cli -j 1": (FORMATS, lambda files, out, folder: [cli, "-q", "-j", "1", "-o", out] + files),
        "plainora-cli -j 2": (FORMATS, lambda files, out, folder: [cli, "-q", "-j", "2", "-o", out] + files),
        "antiword": (("doc",), loop("antiword -w 0 {input} > {output}")),
        "catdoc": (("doc",), loop("catdoc -w {input} > {output}")),
        "wvText": (("doc",), loop("wvText {input} {output} >/dev/null 2>&1")),
        "pandoc": (("docx", "rtf", "odt"), loop("pandoc -t plain --wrap=none {input} -o {output}")),
        "docx2txt": (("docx",), loop("docx2txt {input} {output}")),
        "unrtf": (("rtf",), loop("unrtf --text {input} > {output}")),
        "odt2txt": (("odt",), loop("odt2txt {input} > {output}")),
        "LibreOffice": (FORMATS, lambda files, out, folder: lo + ["--outdir", out] + files),
    }


def count_lines(path):
    return len(path.read_text().splitlines()) if path.exists() else 0


def descendants(pid):
    found, pending = [], [pid]
    while pending:
        parent = pending.pop()
        try:
            children = Path(f"/proc/{parent}/task/{parent}/children").read_text().split()
        except OSError:
            continue
        found += [int(c) for c in children]
        pending += [int(c) for c in children]
    return found


def measure(argv, out_dir, time_file, total, budget):
    """Runs one batch; returns seconds, peak MB, documents finished, documents
    with a non-empty text, documents stopped by the per-document limit, and
    CPU seconds (user + sys). out_dir is new: a folder emptied just before
    would time the file system, not the tool (ext4 passes over the inodes
    freed in the last seconds when it makes a file)."""
    out_dir.mkdir(parents=True)
    time_file.unlink(missing_ok=True)
    start = time.perf_counter()
    process = subprocess.Popen(["/usr/bin/time", "-v", "-o", str(time_file)] + argv, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, start_new_session=True)
    try:
        process.wait(timeout=budget)
        cut_short = False
    except subprocess.TimeoutExpired:
        # Stop the tool but not /usr/bin/time, which then still reports the
        # peak memory of what ran.
        for pid in descendants(process.pid):
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()
        cut_short = True
    seconds = time.perf_counter() - start
    report = time_file.read_text() if time_file.exists() else ""
    match = re.search(r"Maximum resident set size \(kbytes\): (\d+)", report)
    peak_mb = int(match.group(1)) / 1024 if match else float("nan")
    cpu = sum(float(m) for m in re.findall(r"(?:User|System) time \(seconds\): ([\d.]+)", report))
    texts = [p for p in out_dir.rglob("*") if p.is_file() and not p.name.startswith(".")]
    converted = sum(1 for p in texts if p.stat().st_size > 0)
    if (out_dir / ".done").exists():
        finished = count_lines(out_dir / ".done")
    else:
        finished = len(texts) if cut_short else total
        if cut_short:
            # The processes stopped were never waited for: their CPU time is lost.
            cpu = float("nan")
    return seconds, peak_mb, finished, converted, count_lines(out_dir / ".timeouts"), cpu


def run(args):
    root = Path(args.work).resolve()
    args.made = make_corpus(root, args.docs, args.seed, args.distinct or args.docs)
    profile = root / "lo-profile"
    # LibreOffice's first start sets up its profile; do it outside the timing.
    subprocess.run(soffice_command(profile) + ["--terminate_after_init"],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # (format, tool, docs/s, MB/s, peak MB, converted, finished, timeouts, docs per CPU second)
    results = []
    # A run that was stopped leaves its outputs; a finished one removes them
    # at its end.
    shutil.rmtree(root / "out", ignore_errors=True)
    for fmt in FORMATS:
        folder = root / "corpus" / fmt
        files = sorted(str(p) for p in folder.glob(f"*.{fmt}"))
        megabytes_per_doc = sum(os.path.getsize(f) for f in files) / 1e6 / len(files)
        for name, (formats, command) in tools(args.cli, profile, args.per_doc_timeout).items():
            if fmt not in formats or any(name.startswith(s) for s in args.skip):
                continue
            program = args.cli if name.startswith("plainora-cli") else "soffice" if name == "LibreOffice" else name
            if shutil.which(program) is None:
                print(f"  {name}: not installed, left out", flush=True)
                continue
            out_dir = root / "out" / fmt / name.replace(" ", "_")
            # Short runs are repeated and their median taken.
            rounds = args.rounds if name.startswith("plainora-cli") else 1
            samples = [measure(command(files, str(out_dir / str(i)), str(folder)), out_dir / str(i),
                               root / "time.txt", len(files), args.budget) for i in range(rounds)]
            seconds = statistics.median(s[0] for s in samples)
            cpu = statistics.median(s[5] for s in samples)
            peak = max(s[1] for s in samples)
            _, _, finished, converted, timeouts, _ = samples[-1]
            rate = finished / seconds
            cpu_rate = finished / cpu if cpu > 0 else float("nan")
            results.append((fmt, name, rate, rate * megabytes_per_doc, peak, converted, finished, timeouts,
                            cpu_rate))
            note = f"  ({finished} finished in the {args.budget:.0f} s budget)" if finished < len(files) else ""
            if timeouts:
                note += f"  ({timeouts} stopped after {args.per_doc_timeout} s)"
            print(f"  .{fmt:4} {name:18} {rate:9.1f} docs/s {cpu_rate:9.1f} per CPU s "
                  f"{rate * megabytes_per_doc:8.2f} MB/s "
                  f"{peak:7.1f} MB peak  {converted}/{len(files)} converted{note}", flush=True)
    shutil.rmtree(root / "out", ignore_errors=True)
    return results, root


def write_report(results, args, root, out_dir, load, made):
    out_dir.mkdir(parents=True, exist_ok=True)
    by = {(fmt, tool): row for fmt, tool, *row in results}
    lines = [
        "# plainora-cli against other converters",
        "",
        f"Corpus: {args.docs} generated documents per format (python3-docx, then LibreOffice for .doc "
        f"\"MS Word 97\", .rtf and .odt), seed {args.seed}; distinct documents among them: "
        + ", ".join(f".{fmt} {n}" for fmt, n in made.items())
        + f" (the others repeat them in turn). Machine: {os.cpu_count()} processors, shared: "
        f"load average {load[0]:.1f} when the run began and {load[1]:.1f} when it ended, so compare the "
        "ratios of one run rather than absolute rates. "
        "plainora-cli and LibreOffice convert the whole batch in one run; the other tools run once per "
        "document, as they are used; each batch writes into a new folder. CPU time is user + sys of the "
        "batch and every process it started, "
        "which the load of other users does not inflate as it does the wall clock. Peak memory is that "
        "of the largest process of the batch.",
        "",
        "Command:",
        "",
        "```sh",
        f"bench/compare_cli.py --docs {args.docs} --distinct {args.distinct} --budget {args.budget:g} "
        f"--per-doc-timeout {args.per_doc_timeout} --rounds {args.rounds} --cli {args.cli_shown}",
        "```",
        "",
        "| format | tool | documents/s | MB/s | documents per CPU second | peak memory (MB) "
        "| text made / documents run | plainora-cli -j 1 is faster by | in CPU time |",
        "| --- | --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: |",
    ]
    notes = []
    for fmt, tool, docs, mbs, peak, converted, finished, timeouts, cpu_docs in results:
        base = by.get((fmt, "plainora-cli -j 1"))
        other = base and not tool.startswith("plainora-cli")
        ratio = f"{base[0] / docs:.1f}x" if other and docs > 0 else ""
        cpu_ratio = f"{base[6] / cpu_docs:.1f}x" if other and cpu_docs > 0 else ""
        cpu_shown = f"{cpu_docs:.1f}" if cpu_docs == cpu_docs else "not known"
        lines.append(f"| .{fmt} | {tool} | {docs:.1f} | {mbs:.2f} | {cpu_shown} | {peak:.1f} "
                     f"| {min(converted, finished)}/{finished} | {ratio} | {cpu_ratio} |")
        if finished < args.docs:
            notes.append(f"- {tool} on .{fmt}: stopped at the {args.budget:.0f} s budget after {finished} "
                         "documents; its rate is over those"
                         + ("." if cpu_docs == cpu_docs else ", and the CPU time of what was stopped is not known."))
        if timeouts:
            notes.append(f"- {tool} on .{fmt}: {timeouts} of the documents took longer than "
                         f"{args.per_doc_timeout} s each and were stopped.")
    if notes:
        lines += ["", "Notes:", ""] + notes
    lines += ["", "Two jobs against one:", ""]
    for fmt in FORMATS:
        one, two = by.get((fmt, "plainora-cli -j 1")), by.get((fmt, "plainora-cli -j 2"))
        if one and two:
            lines.append(f"- .{fmt}: {two[0] / one[0]:.2f} times the documents per second")
    failed = [f"{tool} on .{fmt}" for fmt, tool, _, _, _, converted, finished, *_ in results
              if tool.startswith("plainora-cli") and converted < finished]
    if failed:
        lines += ["", "**Not valid as a measure: " + ", ".join(failed) +
                  " did not convert every document, so those figures time failures.**"]
    # Measurements added by hand below the marker survive a new run.
    report = out_dir / "benchmark.md"
    kept = report.read_text().partition(KEPT_MARKER)[2] if report.exists() else ""
    report.write_text("\n".join(lines) + "\n" + (f"\n{KEPT_MARKER}{kept}" if kept else ""))
    draw_chart(results, out_dir / "benchmark.png", args.docs)


def draw_chart(results, path, count):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    tools_seen = []
    for _, tool, *_ in results:
        if tool not in tools_seen:
            tools_seen.append(tool)
    fig, ax = plt.subplots(figsize=(10, 4.5))
    colours = {tool: f"C{t}" for t, tool in enumerate(tools_seen)}
    labelled = set()
    widest = max([sum(1 for r in results if r[0] == fmt) for fmt in FORMATS] + [1])
    width = 0.8 / widest
    for f, fmt in enumerate(FORMATS):
        rows = [(tool, docs, converted, finished, timeouts)
                for rfmt, tool, docs, _, _, converted, finished, timeouts, _ in results if rfmt == fmt]
        for t, (tool, docs, converted, finished, timeouts) in enumerate(rows):
            x = f + (t - (len(rows) - 1) / 2) * width
            # A batch that failed documents timed failures: hatched, and says so.
            failing = converted < finished or timeouts > 0
            ax.bar(x, docs, width * 0.95, color=colours[tool], label=None if tool in labelled else tool,
                   hatch="//" if failing else None, alpha=0.5 if failing else 1.0)
            label = (f"{docs:.0f}" if docs >= 100 else f"{docs:.3g}") + (f"\n{min(converted, finished)}/{finished}\nmade" if failing else "")
            ax.text(x, docs, label, ha="center", va="bottom", fontsize=7)
            labelled.add(tool)
    ax.set_yscale("log")
    ax.set_xticks(range(len(FORMATS)), [f".{f}" for f in FORMATS])
    ax.set_ylabel("documents per second (log scale)")
    ax.set_title(f"Converting {count} documents per format to plain text")
    ax.legend(fontsize="small", loc="upper left", bbox_to_anchor=(1.01, 1))
    ax.grid(axis="y", which="both", alpha=0.3)
    fig.tight_layout()
    fig.savefig(path, dpi=110)


def main():
    default_build = Path(os.environ.get("PLAINORA_BUILD_DIR", REPO / "build"))
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--docs", type=int, default=2000, help="documents per format (default 2000)")
    parser.add_argument("--distinct", type=int, default=500,
                        help="of these, how many LibreOffice converts into the other formats; the rest repeat "
                             "them (default 500)")
    parser.add_argument("--cli", default=str(default_build / "src/cli/plainora-cli"), help="the plainora-cli to measure")
    parser.add_argument("--work", default="/tmp/plainora-bench", help="corpus and outputs (outside the repository)")
    parser.add_argument("--out", default=str(REPO / "docs"), help="where benchmark.md and benchmark.png go")
    parser.add_argument("--rounds", type=int, default=5, help="runs of plainora-cli, median taken (default 5)")
    parser.add_argument("--seed", type=int, default=2009)
    parser.add_argument("--budget", type=float, default=45,
                        help="seconds one tool may take on one format; a rate is taken over what it finished")
    parser.add_argument("--per-doc-timeout", type=int, default=10,
                        help="seconds a per-document tool may take on one document (default 10)")
    parser.add_argument("--redraw", action="store_true",
                        help="only write the report and chart again from the last run's results.json")
    parser.add_argument("--skip", action="append", default=[], help="leave out a tool (repeatable)")
    args = parser.parse_args()
    args.cli_shown = args.cli
    args.cli = str(Path(args.cli).resolve())
    if not args.redraw and not os.access(args.cli, os.X_OK):
        sys.exit(f"no plainora-cli at {args.cli}: build it or give --cli")
    if args.redraw:
        saved = json.loads((Path(args.work) / "results.json").read_text())
        results = [tuple(r) for r in saved["results"]]
        args.docs = saved["docs"]
        load, args.distinct, made = saved["load"], saved["distinct"], saved["made"]
    else:
        before = os.getloadavg()[0]
        results, _ = run(args)
        load, made = (before, os.getloadavg()[0]), args.made
        (Path(args.work) / "results.json").write_text(json.dumps({
            "docs": args.docs, "distinct": args.distinct, "results": results, "load": load, "made": made}))
    write_report(results, args, Path(args.work), Path(args.out), load, made)
    print(f"wrote {Path(args.out) / 'benchmark.md'} and {Path(args.out) / 'benchmark.png'}")


if __name__ == "__main__":
    main()
