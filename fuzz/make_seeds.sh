#!/bin/sh
# Builds the fuzzers' seed corpora from the test fixtures and the public
# corpus, sorted by content (never by name) into one folder per target:
#   fuzz/make_seeds.sh [OUT] [CORPUS]   (default /work/fuzz-seeds, ../shared/corpus)
# The seeds are regenerated, never committed.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-/work/fuzz-seeds}
corpus=${2:-$here/../../shared/corpus}
exec /usr/bin/python3 - "$here/.." "$out" "$corpus" <<'PY'
import hashlib, os, struct, sys, zipfile, io

root, out, corpus = sys.argv[1:4]
MAX = int(os.environ.get("SEED_MAX_BYTES", 256 << 10))  # small seeds keep the fuzzers fast
CFB = bytes.fromhex("d0cf11e0a1b11ae1")
written = {}

def put(target, data):
    if not data or len(data) > MAX:
        return
    folder = os.path.join(out, target)
    os.makedirs(folder, exist_ok=True)
    name = hashlib.sha1(data).hexdigest()
    path = os.path.join(folder, name)
    if not os.path.exists(path):
        with open(path, "wb") as f:
            f.write(data)
        written[target] = written.get(target, 0) + 1

# Which part reader the ooxmlpart target's first byte selects.
PART_SELECTOR = {"styles": 0, "numbering": 1, "document": 2, "footnotes": 3, "endnotes": 3,
                 "comments": 4, "header": 5, "footer": 5}

def cfb_streams(data):
    """Streams of a compound file by name (v3/v4, FAT chains, mini stream)."""
    if len(data) < 512 or data[:8] != CFB:
        return {}
    shift = struct.unpack_from("<H", data, 30)[0]
    mini_shift = struct.unpack_from("<H", data, 32)[0]
    if shift not in (9, 12):
        return {}
    ss = 1 << shift
    dir_start, = struct.unpack_from("<I", data, 48)
    mini_cutoff, = struct.unpack_from("<I", data, 56)
    minifat_start, = struct.unpack_from("<I", data, 60)
    difat = list(struct.unpack_from("<109I", data, 76))
    fat = []
    for sector in difat:
        if sector >= 0xFFFFFFFA:
            continue
        off = (sector + 1) * ss
        fat += struct.unpack_from("<%dI" % (ss // 4), data, off) if off + ss <= len(data) else []
    def chain(start, table, limit=1 << 16):
        out = []
        while start < len(table) and len(out) < limit:
            out.append(start)
            start = table[start]
        return out
    def read(start):
        return b"".join(data[(s + 1) * ss:(s + 2) * ss] for s in chain(start, fat))
    directory = read(dir_start)
    entries = []
    for i in range(len(directory) // 128):
        e = directory[i * 128:(i + 1) * 128]
        n = struct.unpack_from("<H", e, 64)[0]
        name = e[:max(0, n - 2)].decode("utf-16-le", "replace")
        entries.append((name, e[66], struct.unpack_from("<I", e, 116)[0], struct.unpack_from("<Q", e, 120)[0]))
    if not entries:
        return {}
    ministream = read(entries[0][2])
    minifat_bytes = read(minifat_start)
    minifat = list(struct.unpack_from("<%dI" % (len(minifat_bytes) // 4), minifat_bytes))
    ms = 1 << mini_shift
    streams = {}
    for name, kind, start, size in entries[1:]:
        if kind != 2:
            continue
        if size < mini_cutoff:
            body = b"".join(ministream[s * ms:(s + 1) * ms] for s in chain(start, minifat))
        else:
            body = read(start)
        streams[name] = body[:size]
    return streams

# The import libraries' formats, known by name in the fixtures and the
# corpus (the content decides in the engine; here the name only sorts seeds).
LIBRARY_BY_EXTENSION = {".wpd": "wordperfect", ".wp": "wordperfect", ".wp5": "wordperfect",
                        ".wp6": "wordperfect", ".wps": "works", ".wri": "works", ".mcw": "mac",
                        ".cwk": "mac", ".pages": "pages", ".sdw": "staroffice", ".abw": "abiword",
                        ".zabw": "abiword"}

def classify(data, name):
    put("sniffer", data[:4096])
    put("engine", data)
    head = data[:4096].lstrip()
    library = LIBRARY_BY_EXTENSION.get(os.path.splitext(name)[1].lower())
    if library:
        put(library, data)
    if data[:4] == b"PK\x03\x04" and b"mimetype" in data[:64] and b"opendocument.text" in data[:128]:
        put("odf", data)
    elif b"<office:document" in head:
        put("odf", data)
    elif data[:4] == b"PK\x03\x04":
        put("ooxml", data)
        put("zip", data)
        try:
            with zipfile.ZipFile(io.BytesIO(data)) as z:
                for info in z.infolist():
                    base = os.path.basename(info.filename).split(".")[0].rstrip("0123456789")
                    if base in PART_SELECTOR and info.filename.endswith(".xml") and info.file_size <= MAX:
                        put("ooxmlpart", bytes([PART_SELECTOR[base]]) + z.read(info))
        except Exception:
            pass
    elif data[:8] == CFB:
        put("compound", data)
        put("cfb", data)
        streams = cfb_streams(data)
        word = streams.get("WordDocument")
        if word and len(word) >= 12:
            which = "1Table" if word[11] & 0x02 else "0Table"
            table = streams.get(which, b"")
            # The doctext target's layout: 4-byte little-endian WordDocument size, the stream, the table stream.
            put("doctext", struct.pack("<I", len(word)) + word + table)
    elif data[:5] == b"{\\rtf" or head[:5] == b"{\\rtf":
        put("rtf", data)
    elif b"<?xml" in head[:64] and (b"pkg:package" in head or b"wordDocument" in head):
        put("flatxml", data)
    elif b"<html" in head.lower() or b"<!doctype html" in head.lower():
        put("html", data)

for top in (os.path.join(root, "tests", "data"), corpus):
    for folder, _, files in os.walk(top):
        for f in sorted(files):
            if f.endswith((".txt", ".tsv", ".md", ".py", ".sh")):
                continue
            with open(os.path.join(folder, f), "rb") as fh:
                classify(fh.read(), f)

for target in sorted(written):
    print("%-10s %5d seeds" % (target, written[target]))
PY
