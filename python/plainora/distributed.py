"""Converting documents on a Dask cluster.

``python3 -m plainora.distributed -o OUT PATH...`` takes the inputs of
plainora-cli and writes the same text files under the same names, but the
documents are converted by the workers of a Dask cluster: the one at
``--scheduler``, or a local one with a worker process per processor. Inputs
and outputs must be paths every worker can see (a shared file system).

``texts(paths)`` gives the text of documents as a Dask bag, for pipelines
that want text rather than files.
"""

from __future__ import annotations

import argparse
import contextlib
import logging
import os
import sys
import threading
import tempfile
from dataclasses import dataclass
from typing import Iterable, Optional, Sequence

import dask
import dask.bag
import distributed
from distributed.diagnostics.progressbar import TextProgressBar

from . import ConversionError, _native, extract_text

PROGRAM = "plainora.distributed"

# A task costs the scheduler and the network about a millisecond, many times
# the conversion of a small document, so documents travel in batches. A batch
# holds about this many bytes of documents (fewer when the run is small, so
# that every worker gets several batches).
DEFAULT_BATCH_BYTES = 16 << 20
MIN_BATCH_BYTES = 256 << 10
# ...and never more documents than this, so that progress still moves.
MAX_BATCH_DOCUMENTS = 1000
BATCHES_PER_WORKER = 4

# The engine's error numbers for a text file that could not be written and
# for a document that could not be converted.
_OUTPUT_FAILED = 8
_DAMAGED = 5


def _read_umask() -> int:
    mask = os.umask(0)
    os.umask(mask)
    return mask


# Read once on import: reading it means setting it, which would race with
# other threads writing files.
_UMASK = _read_umask()


@dataclass(frozen=True)
class Document:
    """One document of a run, with everything a worker needs to convert it."""

    index: int  # its place in plainora-cli's order
    shown: str  # the path as the user gave it, for messages
    source: str  # absolute, so that a worker in another folder finds it
    output: str  # absolute; "" for the bag, which writes no file
    size: int
    preset_error: Optional[tuple[int, str]] = None  # known before converting


@dataclass(frozen=True)
class Outcome:
    index: int
    error: Optional[tuple[int, str]] = None  # (engine error number, description)


def plan_batches(documents: Sequence[Document], target_bytes: int,
                 max_documents: int = MAX_BATCH_DOCUMENTS) -> list[list[Document]]:
    """Packs documents into batches of about target_bytes, biggest first.

    Documents that write the same text file stay in one batch, in plan order,
    so that the later one replaces the earlier as in a serial run. A document
    bigger than target_bytes is a batch of its own, and starts early so that it
    does not finish last.
    """
    groups: dict[str, list[Document]] = {}
    for document in documents:
        groups.setdefault(document.output or f"\0{document.index}", []).append(document)
    ordered = sorted(groups.values(), key=lambda group: -sum(d.size for d in group))
    batches: list[list[Document]] = []
    current: list[Document] = []
    current_bytes = 0
    for group in ordered:
        group_bytes = sum(d.size for d in group)
        if current and (current_bytes + group_bytes > target_bytes
                        or len(current) + len(group) > max_documents):
            batches.append(current)
            current, current_bytes = [], 0
        current.extend(group)
        current_bytes += group_bytes
    if current:
        batches.append(current)
    return batches


def batch_target(total_bytes: int, workers: int, limit: int = DEFAULT_BATCH_BYTES) -> int:
    """The batch size that gives every worker several batches, within limits."""
    share = total_bytes // max(1, workers * BATCHES_PER_WORKER)
    return max(min(MIN_BATCH_BYTES, limit), min(share, limit))


def write_atomically(path: str, data: bytes) -> None:
    """Writes data to a temporary file beside path, then renames it over path.

    A worker killed in the middle leaves at most a hidden temporary file,
    never half a text file, and never destroys the file an earlier run wrote.
    Raises ConversionError (the engine's "output failed") when it cannot.
    """
    folder = os.path.dirname(path) or "."
    try:
        descriptor, temporary = tempfile.mkstemp(prefix=".plainora-", dir=folder)
    except OSError as error:
        raise ConversionError(_OUTPUT_FAILED, f'The text file could not be written to "{folder}": '
                                              f"{error.strerror}. Choose another output folder.") from None
    try:
        with os.fdopen(descriptor, "wb") as file:
            file.write(data)
            # Text files are ordinary user files: honour the umask like any editor.
            os.fchmod(file.fileno(), 0o666 & ~_UMASK)
        os.replace(temporary, path)
    except OSError as error:
        with contextlib.suppress(OSError):
            os.unlink(temporary)
        raise ConversionError(_OUTPUT_FAILED,
                              f'The text file "{path}" could not be written: {error.strerror}.') from None


def convert_batch(batch: Sequence[Document], headers_footers: bool, comments: bool) -> list[Outcome]:
    """Runs on a worker: converts each document into its text file.

    Every file is written atomically, so a batch whose worker was lost can
    simply run again elsewhere.
    """
    outcomes = []
    for document in batch:
        if document.preset_error:
            outcomes.append(Outcome(document.index, document.preset_error))
            continue
        try:
            text = extract_text(document.source, headers_footers=headers_footers, comments=comments)
            write_atomically(document.output, text.encode("utf-8"))
            outcomes.append(Outcome(document.index))
        except ConversionError as error:
            outcomes.append(Outcome(document.index, (error.code, error.description)))
    return outcomes


def extract_batch(batch: Sequence[Document], headers_footers: bool, comments: bool) -> list[tuple]:
    """Runs on a worker: (path, text) for each document, or (path, ConversionError)."""
    pairs = []
    for document in batch:
        try:
            pairs.append((document.shown, extract_text(document.source, headers_footers=headers_footers,
                                                       comments=comments)))
        except ConversionError as error:
            pairs.append((document.shown, error))
    return pairs


def _worker_threads(client: distributed.Client) -> int:
    """How many batches the cluster converts at once."""
    return max(1, sum(client.nthreads().values()))


def _file_size(path: str) -> int:
    try:
        return os.stat(path).st_size
    except OSError:
        return 0  # the worker reports why it cannot be read


def texts(paths: Iterable[os.PathLike | str], client: Optional[distributed.Client] = None, *,
          headers_footers: bool = False, comments: bool = False,
          batch_bytes: int = DEFAULT_BATCH_BYTES) -> dask.bag.Bag:
    """A Dask bag of (path, text) pairs, one per document path.

    A document that cannot be converted gives (path, ConversionError) instead,
    so one bad file does not fail the whole computation. The pairs come in
    batches of documents planned by size, biggest first, not in the order of
    paths. Without client the bag is lazy and runs on whatever scheduler
    computes it (the current Client when there is one); with client it is
    persisted there at once, so the conversion starts on that cluster.
    """
    documents = []
    for index, path in enumerate(paths):
        shown = os.fspath(path)
        source = os.path.abspath(shown)
        documents.append(Document(index, shown, source, "", _file_size(source)))
    slots = _worker_threads(client) if client is not None else os.cpu_count() or 1
    target = batch_target(sum(d.size for d in documents), slots, batch_bytes)
    parts = [dask.delayed(extract_batch, pure=True)(batch, headers_footers, comments)
             for batch in plan_batches(documents, target)]
    if not parts:
        return dask.bag.from_sequence([], npartitions=1)
    bag = dask.bag.from_delayed(parts)
    return client.persist(bag) if client is not None else bag


# The command line --------------------------------------------------------

def _parse_arguments(argv: Sequence[str]) -> argparse.Namespace:
    parser = argparse.ArgumentParser(
        prog=f"python3 -m {PROGRAM}",
        description="Convert Word documents (.doc, .docx, .rtf and their kin) into plain-text files on a "
                    "Dask cluster, with the inputs, names and files of plainora-cli. Every worker must "
                    "see the documents and the output folder at the same paths.",
        epilog="Exit status: 0 if every document was converted, 1 if a document failed or a PATH was "
               "skipped, 2 for a usage error.")
    parser.add_argument("paths", nargs="+", metavar="PATH", help="a document or a folder of documents")
    parser.add_argument("-o", "--output", default=".", metavar="DIR",
                        help="write the text files into DIR (default: the current directory); DIR is "
                             "created if its parent exists")
    parser.add_argument("--scheduler", metavar="ADDRESS",
                        help="the Dask scheduler to use (tcp://host:8786); without it a local cluster "
                             "is started")
    parser.add_argument("--workers", type=int, default=os.cpu_count() or 1, metavar="N",
                        help="worker processes of the local cluster (default: one per processor)")
    parser.add_argument("-r", "--recursive", action="store_true", help="also convert the documents of subfolders")
    parser.add_argument("--keep-tree", action="store_true", help="mirror the source subfolders under DIR")
    parser.add_argument("--update", action="store_true",
                        help="skip documents whose text file is newer than the document")
    parser.add_argument("--headers-footers", action="store_true", help="add the headers and footers after the body")
    parser.add_argument("--comments", action="store_true", help="add the comments after the notes")
    parser.add_argument("--batch-bytes", type=int, default=DEFAULT_BATCH_BYTES, metavar="BYTES",
                        help="the most bytes of documents one task converts (default: %(default)s)")
    parser.add_argument("-q", "--quiet", action="store_true", help="show neither the progress bar nor the summary")
    options = parser.parse_args(argv)
    if options.workers < 1:
        parser.error("--workers needs at least 1")
    if options.batch_bytes < 1:
        parser.error("--batch-bytes needs at least 1")
    return options


def _message(text: str) -> None:
    print(f"{PROGRAM}: {text}", file=sys.stderr, flush=True)


def _quoted(text: str) -> str:
    return f'"{text}"'


def _is_up_to_date(group: Sequence[Document]) -> bool:
    """True when the group's text file is newer than each of its documents."""
    if any(d.preset_error for d in group):
        return False
    try:
        written = os.stat(group[0].output).st_mtime_ns
        return all(os.stat(d.source).st_mtime_ns < written for d in group)
    except OSError:
        return False


@dataclass
class _Plan:
    documents: list[Document]
    skipped: list[tuple[str, str]]
    up_to_date: int = 0


def _plan(options: argparse.Namespace) -> _Plan:
    """Lists the documents and names their text files exactly as plainora-cli does."""
    planned, skipped, folder_error = _native.plan_batch(
        [os.fsencode(p) for p in options.paths], os.fsencode(options.output),
        recursive=options.recursive, keep_tree=options.keep_tree)
    if folder_error:
        raise ConversionError(*folder_error)
    skipped = [(os.fsdecode(path), reason) for path, reason in skipped]
    for path, reason in skipped:
        _message(f"skipped {_quoted(path)}: {reason}")
    documents: list[Document] = []
    folders: list[bytes] = []
    for index, (source, relative_folder, output, replaces, preset_error) in enumerate(planned):
        shown, output = os.fsdecode(source), os.fsdecode(output)
        if replaces is not None:
            earlier = documents[replaces]
            warning = (f"warning: {_quoted(earlier.shown)} and {_quoted(shown)} both become "
                       f"{_quoted(output)}; the later one replaces the earlier")
            if folders[replaces] != relative_folder:
                warning += " (--keep-tree keeps both)"
            _message(warning)
        source = os.path.abspath(shown)
        documents.append(Document(index, shown, source, os.path.abspath(output), _file_size(source),
                                  preset_error))
        folders.append(relative_folder)
    return _Plan(documents, skipped)


def _output_groups(documents: Sequence[Document]) -> list[list[Document]]:
    """Runs of consecutive documents that write the same text file."""
    groups: list[list[Document]] = []
    for document in documents:
        if groups and groups[-1][0].output == document.output:
            groups[-1].append(document)
        else:
            groups.append([document])
    return groups


def _skip_up_to_date(plan: _Plan) -> list[Document]:
    groups: dict[str, list[Document]] = {}
    for document in plan.documents:
        groups.setdefault(document.output, []).append(document)
    stale = {output for output, group in groups.items() if not _is_up_to_date(group)}
    todo = [d for d in plan.documents if d.output in stale]
    plan.up_to_date = len(plan.documents) - len(todo)
    return todo


def _start_client(options: argparse.Namespace) -> tuple[distributed.Client, Optional[distributed.LocalCluster]]:
    if options.scheduler:
        return distributed.Client(options.scheduler), None
    cluster = distributed.LocalCluster(n_workers=options.workers, threads_per_worker=1, processes=True,
                                       dashboard_address=None, silence_logs=logging.ERROR)
    return distributed.Client(cluster), cluster


class _ProgressBar(TextProgressBar):
    """Dask's progress bar, which tells once it follows the tasks.

    Until then the tasks must stay known to the scheduler: the bar would wait
    for a forgotten one for ever.
    """

    def __init__(self, futures, following: threading.Event):
        self._following = following
        super().__init__(futures)  # draws until every task is done

    def _draw_bar(self, **kwargs):
        self._following.set()
        super()._draw_bar(**kwargs)


def _show_progress(futures, following: threading.Event) -> threading.Thread:
    def draw():
        try:
            _ProgressBar(futures, following)
        finally:
            following.set()

    thread = threading.Thread(target=draw, name="progress", daemon=True)
    thread.start()
    return thread


def _run(client: distributed.Client, documents: Sequence[Document], options: argparse.Namespace,
         show_progress: bool) -> dict[int, Outcome]:
    """Converts the documents on the cluster; gives each one's outcome by plan index."""
    target = batch_target(sum(d.size for d in documents), _worker_threads(client), options.batch_bytes)
    batches = plan_batches(documents, target)
    convert = dict(headers_footers=options.headers_footers, comments=options.comments)
    # The scheduler starts tasks of equal priority in the order they came, so
    # the biggest batches start first.
    running = dict(zip(client.map(convert_batch, batches, pure=False, **convert), batches))
    following = threading.Event()
    progress = _show_progress(list(running), following) if show_progress else None
    if progress is None:
        following.set()
    outcomes: dict[int, Outcome] = {}
    held = []
    finished = distributed.as_completed(list(running))
    for future in finished:
        batch = running.pop(future)
        try:
            for outcome in future.result():
                outcomes[outcome.index] = outcome
        except distributed.KilledWorker:
            # Workers kept dying on this batch: a document in it may crash the
            # engine. Run its documents alone, so that only that one fails.
            groups = _output_groups(batch)
            if len(groups) > 1:
                for group in groups:
                    retry = client.submit(convert_batch, group, pure=False, **convert)
                    running[retry] = group
                    finished.add(retry)
            else:
                for document in batch:
                    outcomes[document.index] = Outcome(document.index, (
                        _DAMAGED, "The document stopped every worker that tried to convert it."))
        except Exception as error:  # noqa: BLE001 - whatever failed the task fails its documents
            for document in batch:
                outcomes[document.index] = Outcome(document.index, (
                    _DAMAGED, f"The document could not be converted: {error}."))
        # Letting go of a finished task frees its result on the worker; were
        # the worker lost with the result, the batch would run once more.
        held.append(future)
        if following.is_set():
            held.clear()
        del future
    if progress is not None:
        progress.join()
    return outcomes


def main(argv: Optional[Sequence[str]] = None) -> int:
    options = _parse_arguments(sys.argv[1:] if argv is None else argv)
    # Dask's own notes (a lost worker, a task run again) are not the user's
    # concern: the run recovers, and its failures are reported below.
    for name in [n for n in logging.root.manager.loggerDict if n.split(".")[0] == "distributed"]:
        logging.getLogger(name).setLevel(logging.ERROR)
    # Nor is the timeout of Dask's last try to reach a lost worker, which
    # asyncio reports as it shuts down.
    logging.getLogger("asyncio").setLevel(logging.CRITICAL)
    try:
        plan = _plan(options)
    except ConversionError as error:  # the output folder could not be made
        _message(error.description)
        return 1
    todo = _skip_up_to_date(plan) if options.update else plan.documents
    outcomes: dict[int, Outcome] = {}
    if todo:
        client, cluster = _start_client(options)
        try:
            outcomes = _run(client, todo, options, not options.quiet and sys.stdout.isatty())
        finally:
            client.close()
            if cluster is not None:
                cluster.close()
    failed = 0
    for document in todo:
        outcome = outcomes[document.index]
        if outcome.error:
            failed += 1
            code, description = outcome.error
            _message(f"cannot convert {_quoted(document.shown)}: {description} (error {code})")
    if not options.quiet:
        summary = f"{len(todo) - failed} converted, {failed} failed, {len(plan.skipped)} skipped"
        if options.update:
            summary += f", {plan.up_to_date} up to date"
        _message(summary)
    return 1 if failed or plan.skipped else 0


if __name__ == "__main__":
    sys.exit(main())
