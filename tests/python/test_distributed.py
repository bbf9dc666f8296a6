"""plainora.distributed: the files of plainora-cli, made by the workers of a
Dask cluster of two local worker processes."""

import filecmp
import os
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

import distributed
import pytest

import plainora
from plainora.distributed import Document, batch_target, plan_batches, texts

CLI = os.environ["PLAINORA_CLI"]
CORPUS = Path(os.environ["PLAINORA_CORPUS_DIR"])
DATA = Path(os.environ["PLAINORA_TEST_DATA_DIR"])


@pytest.fixture(scope="module")
def cluster():
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as local:
        yield local


def run_cli(*args, cwd=None):
    return subprocess.run([CLI, "-j", "1", *args], capture_output=True, text=True, cwd=cwd)


def run_distributed(cluster, *args, cwd=None):
    return subprocess.run([sys.executable, "-m", "plainora.distributed", "--scheduler",
                           cluster.scheduler_address, *args], capture_output=True, text=True, cwd=cwd)


def messages(result, program):
    """What a run told the user, with the program name taken out."""
    return [line.removeprefix(program + ": ") for line in result.stderr.splitlines()]


def tree(folder):
    """Every file under folder (hidden ones too), relative, with its bytes."""
    return {path.relative_to(folder): path.read_bytes() for path in Path(folder).rglob("*") if path.is_file()}


def document(index, size, output=None):
    return Document(index, f"d{index}", f"/d{index}", output if output is not None else f"/out/{index}.txt",
                    size)


@pytest.mark.parametrize("make_arguments", [
    # A whole tree, mirrored.
    lambda tmp: ["-r", "--keep-tree", str(CORPUS)],
    # The same tree flat: documents of different folders write the same file,
    # and the later one must win as in a serial run.
    lambda tmp: ["-r", str(CORPUS / "docx"), str(CORPUS / "doc")],
    # Paths that are skipped, given beside a folder.
    lambda tmp: [str(DATA / "docx"), str(tmp / "missing.doc"), str(DATA / ".hidden.doc")],
    # An output folder that cannot be made.
    lambda tmp: ["-o", str(tmp / "no" / "such" / "folder"), str(DATA)],
], ids=["keep-tree", "flat", "skipped", "bad-output"])
def test_gives_the_files_messages_and_status_of_the_command_line(cluster, tmp_path, make_arguments):
    if not CORPUS.is_dir():
        pytest.skip(f"no corpus at {CORPUS}")
    arguments = make_arguments(tmp_path)
    if "-o" not in arguments:
        arguments = ["-o", "OUT", *arguments]
    (tmp_path / "cli").mkdir()
    (tmp_path / "dask").mkdir()
    expected = run_cli(*arguments, cwd=tmp_path / "cli")
    actual = run_distributed(cluster, *arguments, cwd=tmp_path / "dask")
    assert actual.returncode == expected.returncode, actual.stderr
    assert messages(actual, "plainora.distributed") == messages(expected, "plainora-cli")
    assert tree(tmp_path / "dask") == tree(tmp_path / "cli")


def test_a_worker_killed_in_the_middle_loses_no_document(cluster, tmp_path):
    if not CORPUS.is_dir():
        pytest.skip(f"no corpus at {CORPUS}")
    arguments = ["-r", "--keep-tree", str(CORPUS)]
    expected = run_cli("-o", str(tmp_path / "cli"), *arguments)
    output = tmp_path / "dask"
    # One document per task, so that the run lasts long enough to be hit.
    run = subprocess.Popen([sys.executable, "-m", "plainora.distributed", "--scheduler",
                            cluster.scheduler_address, "--batch-bytes", "1", "-o", str(output), *arguments],
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    while not any(output.rglob("*.txt")) and run.poll() is None:
        time.sleep(0.01)
    victim = next(iter(cluster.workers.values())).process.pid
    try:
        os.kill(victim, signal.SIGKILL)
        written_when_killed = sum(1 for _ in output.rglob("*.txt"))
        _, stderr = run.communicate(timeout=120)
    finally:
        with distributed.Client(cluster) as client:
            client.wait_for_workers(2, timeout=60)  # the nanny restarts the victim for the next tests

    assert written_when_killed < sum(1 for _ in (tmp_path / "cli").rglob("*.txt"))
    assert run.returncode == expected.returncode, stderr
    assert stderr.replace("plainora.distributed:", "plainora-cli:") == expected.stderr
    written = {path: content for path, content in tree(output).items() if not path.name.startswith(".")}
    assert written == tree(tmp_path / "cli")


def test_update_converts_only_what_changed(cluster, tmp_path):
    documents = tmp_path / "documents"
    shutil.copytree(DATA / "docx", documents)
    names = sorted(path.name for path in documents.iterdir() if path.suffix == ".docx")[:4]
    for path in documents.iterdir():
        if path.name not in names:
            path.unlink()
    output = tmp_path / "text"
    first = run_distributed(cluster, "-o", str(output), str(documents))
    assert first.returncode == 0, first.stderr
    before = {path.name: path.stat().st_ino for path in output.iterdir()}
    assert len(before) == 4

    changed, removed = names[0], names[1]
    later = time.time() + 10
    os.utime(documents / changed, (later, later))
    (output / before_name(removed)).unlink()
    again = run_distributed(cluster, "--update", "-o", str(output), str(documents))

    assert again.returncode == 0, again.stderr
    assert messages(again, "plainora.distributed")[-1] == "2 converted, 0 failed, 0 skipped, 2 up to date"
    after = {path.name: path.stat().st_ino for path in output.iterdir()}
    # A rewritten file is a new file (written beside and renamed over).
    rewritten = {name for name in after if before.get(name) != after[name]}
    assert rewritten == {before_name(changed), before_name(removed)}
    assert not [name for name in after if name.startswith(".")]


def before_name(document_name):
    return Path(document_name).stem.replace(" ", "").replace(".", "") + ".txt"


def test_texts_gives_each_document_its_text_or_its_error(cluster, tmp_path):
    paths = sorted(str(path) for path in (DATA / "docx").glob("*.docx"))[:3] + [str(tmp_path / "gone.doc")]
    with distributed.Client(cluster) as client:
        pairs = dict(texts(paths, client).compute())
    assert sorted(pairs) == sorted(paths)
    for path in paths[:3]:
        assert pairs[path] == plainora.extract_text(path)
    assert isinstance(pairs[paths[3]], plainora.ConversionError)
    assert pairs[paths[3]].code == 1


def test_batches_are_planned_by_bytes_biggest_first():
    cases = [
        # (sizes, target, max documents, expected batches as indexes)
        ([10, 500, 20, 30], 100, 1000, [[1], [3, 2, 0]]),
        ([40, 40, 40, 40], 100, 1000, [[0, 1], [2, 3]]),
        ([1, 1, 1, 1, 1], 100, 2, [[0, 1], [2, 3], [4]]),
        ([], 100, 1000, []),
    ]
    for sizes, target, most, expected in cases:
        batches = plan_batches([document(i, size) for i, size in enumerate(sizes)], target, most)
        assert [[d.index for d in batch] for batch in batches] == expected, sizes


def test_documents_writing_one_file_share_a_batch_in_plan_order():
    documents = [document(0, 10, "/out/a.txt"), document(1, 90, "/out/b.txt"), document(2, 90, "/out/a.txt")]
    batches = plan_batches(documents, 100)
    assert [[d.index for d in batch] for batch in batches] == [[0, 2], [1]]


def test_batch_target_gives_every_worker_several_batches_within_limits():
    mib = 1 << 20
    assert batch_target(1000 * mib, 10, limit=16 * mib) == 16 * mib
    assert batch_target(80 * mib, 2, limit=16 * mib) == 10 * mib
    assert batch_target(1 * mib, 2, limit=16 * mib) == 256 << 10  # never tiny batches
    assert batch_target(1 * mib, 2, limit=1) == 1  # unless asked for
