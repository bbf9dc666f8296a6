#!/bin/sh
# Writes the 5,000-page document the memory measurement converts: pages.docx
# with python-docx (eight paragraphs of about 50 words and a page break per
# page), and pages.doc / pages.rtf converted from it by LibreOffice.
# Usage: bench/make_memory_bench_data.sh OUTDIR
set -eu
out=${1:?OUTDIR}
mkdir -p "$out"
/usr/bin/python3 - "$out/pages.docx" <<'PY'
import random, sys
import docx
from docx.enum.text import WD_BREAK

WORDS = ("plain text converter document paragraph table header footer note field list item value "
         "number letter word line page section style run break tab space column row cell").split()
rng = random.Random(5000)
d = docx.Document()
for page in range(5000):
    for _ in range(8):
        p = d.add_paragraph(" ".join(rng.choice(WORDS) for _ in range(rng.randint(40, 60))))
    p.add_run().add_break(WD_BREAK.PAGE)
d.save(sys.argv[1])
PY
for format in doc rtf; do
  soffice --headless --norestore -env:UserInstallation=file:///tmp/plainora-lo-profile \
    --convert-to "$format" --outdir "$out" "$out/pages.docx" >/dev/null
done
ls -l "$out"
