"""plainora.extract_text against the fixtures' hand-written texts, the error
classes, and plainora-cli on the same documents."""

import concurrent.futures
import mmap
import os
import pathlib
import pickle
import shutil
import subprocess
import sys

import pytest

import plainora

DATA = pathlib.Path(os.environ["PLAINORA_TEST_DATA_DIR"])
CORPUS = pathlib.Path(os.environ["PLAINORA_CORPUS_DIR"])
CLI = os.environ["PLAINORA_CLI"]

# One document of every format the engine reads, with its expected text.
EVERY_FORMAT = [
    "docx/paragraphs.docx",
    "docx/strict.docx",
    "docx/flat-opc.xml",
    "docx/word2003.xml",
    "doc/table.doc",
    "doc/notes.rtf",
    "rtf/lists.rtf",
    "text/basic.html",
    "text/web_archive.doc",
    "text/plain_1252.doc",
    "text/utf16_page.doc",
]


def expected(document: pathlib.Path, suffix: str = ".txt") -> str:
    stem = document.name.split(".")[0]
    return (document.parent / (stem + suffix)).read_text(encoding="utf-8")


def cli_stdout(*args: str) -> subprocess.CompletedProcess:
    return subprocess.run([CLI, "--stdout", "-q", *args], capture_output=True, check=False)


@pytest.mark.parametrize("name", EVERY_FORMAT)
def test_every_format_reads_alike_from_path_and_memory(name):
    document = DATA / name
    want = expected(document)
    content = document.read_bytes()
    assert plainora.extract_text(str(document)) == want
    assert plainora.extract_text(document) == want
    assert plainora.extract_text(content) == want
    assert plainora.extract_text(bytearray(content)) == want
    assert plainora.extract_text(memoryview(b"xx" + content + b"yy")[2:-2]) == want
    with document.open("rb") as file, mmap.mmap(file.fileno(), 0, access=mmap.ACCESS_READ) as mapped:
        assert plainora.extract_text(mapped) == want


@pytest.mark.parametrize(
    "name, options, suffix",
    [
        ("docx/headers-comments.docx", {"headers_footers": True, "comments": True}, ".all.txt"),
        ("doc/headers-footers.doc", {"headers_footers": True}, ".all.txt"),
        ("doc/headers-footers.rtf", {"headers_footers": True}, ".all.txt"),
        ("doc/comments.doc", {"comments": True}, ".all.txt"),
        ("docx/headers-comments.docx", {}, ".txt"),
    ],
)
def test_options_add_headers_footers_and_comments(name, options, suffix):
    document = DATA / name
    assert plainora.extract_text(document, **options) == expected(document, suffix)
    assert plainora.extract_text(document.read_bytes(), **options) == expected(document, suffix)


def test_non_ascii_and_undecodable_file_names(tmp_path):
    source = DATA / "docx/paragraphs.docx"
    names = ["Résumé – 履歴書 ünïcode.docx", "caf\udce9 latin-1.docx"]  # the second is not UTF-8 on disk
    for name in names:
        target = tmp_path / name
        shutil.copyfile(source, os.fsencode(target))
        assert plainora.extract_text(target) == expected(source)
        assert plainora.extract_text(pathlib.PurePosixPath(target)) == expected(source)


def deep_rtf() -> bytes:
    return b"{\\rtf1 " + b"{" * 1000 + b"text" + b"}" * 1001


# (what, source, class, code); sources are paths except where bytes.
ERROR_CASES = [
    ("missing file", DATA / "docx/no such document.docx", plainora.DocumentNotFoundError, 1),
    ("folder", DATA / "docx", plainora.ConversionError, 2),
    ("another kind", b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n1 0 obj\n<<>>\nendobj\n", plainora.UnsupportedFormatError, 3),
    ("empty", b"", plainora.UnsupportedFormatError, 3),
    ("encrypted .doc", CORPUS / "odd/PasswordProtected.doc", plainora.PasswordProtectedError, 4),
    ("encrypted .docx", CORPUS / "odd/example_password.docx", plainora.PasswordProtectedError, 4),
    ("broken compound file", CORPUS / "odd/badfile-01-bad-header.doc", plainora.DamagedDocumentError, 5),
    ("truncated zip", CORPUS / "odd/truncated62886.docx", plainora.DamagedDocumentError, 5),
    ("nesting over the limit", deep_rtf(), plainora.LimitExceededError, 6),
]


@pytest.mark.parametrize("what, source, error_class, code", ERROR_CASES, ids=[case[0] for case in ERROR_CASES])
def test_each_error_raises_its_class_with_the_cli_number_and_description(what, source, error_class, code, tmp_path):
    with pytest.raises(error_class) as raised:
        plainora.extract_text(source)
    error = raised.value
    assert type(error) is error_class
    assert error.code == code
    assert error.description and str(error) == f"{error.description} (error {code})"
    # Exceptions cross process boundaries (multiprocessing, Dask) intact.
    copy = pickle.loads(pickle.dumps(error))
    assert (type(copy), copy.code, copy.description) == (error_class, code, error.description)

    if isinstance(source, bytes):
        path = tmp_path / "document.doc"
        path.write_bytes(source)
    else:
        path = source
    if code > 2:  # plainora-cli sorts out missing files and folders before converting
        result = cli_stdout(str(path))
        assert f": {error.description} (error {code})\n" in result.stderr.decode("utf-8")


def test_a_named_pipe_fails_at_once(tmp_path):
    pipe = tmp_path / "waiting.doc"
    os.mkfifo(pipe)
    with pytest.raises(plainora.ConversionError) as raised:
        plainora.extract_text(pipe)
    assert raised.value.code == 2


def test_arguments_that_are_neither_path_nor_bytes():
    with pytest.raises(TypeError):
        plainora.extract_text(42)
    with pytest.raises(TypeError):
        plainora.extract_text(["report.doc"])
    with pytest.raises(ValueError):
        plainora.extract_text("report\0.doc")
    with pytest.raises(TypeError):
        plainora.extract_text(b"{\\rtf1 x}", True)  # options are keyword-only


def test_installed_module_finds_its_library(tmp_path):
    prefix = tmp_path / "prefix"
    for component in ("library", "python"):
        subprocess.run(["cmake", "--install", os.environ["PLAINORA_BUILD_DIR"], "--prefix", str(prefix),
                        "--component", component], check=True, capture_output=True)
    package_dir = prefix / os.environ["PLAINORA_INSTALL_PYTHONDIR"]
    assert {"__init__.py", "__init__.pyi", "py.typed"} <= {p.name for p in (package_dir / "plainora").iterdir()}
    environment = {key: value for key, value in os.environ.items() if key != "LD_LIBRARY_PATH"}
    environment["PYTHONPATH"] = str(package_dir)
    document = DATA / "docx/paragraphs.docx"
    script = "import sys, plainora; print(plainora.__file__); sys.stdout.write(plainora.extract_text(sys.argv[1]))"
    result = subprocess.run([sys.executable, "-c", script, str(document)], env=environment, capture_output=True,
                            text=True, check=True)
    location, text = result.stdout.split("\n", 1)
    assert pathlib.Path(location).is_relative_to(package_dir)
    assert text == expected(document)
    # The import module, loaded on first use, is found beside the installed library.
    result = subprocess.run([sys.executable, "-c", script, str(CORPUS / "archive/testWordPerfect.wpd")],
                            env=environment, capture_output=True, text=True, check=True)
    assert "AND FURTHER" in result.stdout


def test_version_is_the_cli_version():
    result = subprocess.run([CLI, "--version"], capture_output=True, text=True, check=True)
    assert result.stdout.split()[-1] == plainora.__version__


def test_thread_pool_gives_the_cli_text():
    documents = sorted(CORPUS.glob("docx/*.docx"))[:6] + sorted(CORPUS.glob("doc/*.doc"))[:6] + sorted(
        CORPUS.glob("rtf/*.rtf"))[:6]
    assert len(documents) == 18
    want = {}
    for document in documents:
        result = cli_stdout("-j1", "--headers-footers", "--comments", str(document))
        assert result.returncode == 0, result.stderr
        want[document] = result.stdout.decode("utf-8")
    work = documents * 4
    with concurrent.futures.ThreadPoolExecutor(max_workers=4) as pool:
        texts = list(pool.map(lambda d: plainora.extract_text(d, headers_footers=True, comments=True), work))
    for document, text in zip(work, texts):
        assert text == want[document], document
