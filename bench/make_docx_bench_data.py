#!/usr/bin/python3
"""Writes small, medium and large .docx documents for the benchmarks with
python-docx: paragraphs, a list style, a table every few pages.
Usage: bench/make_docx_bench_data.py OUTDIR"""
import os
import random
import sys

import docx

WORDS = ("plain text converter document paragraph table header footer note field list item value "
         "number letter word line page section style run break tab space column row cell").split()


def make(path, paragraphs, seed):
    rng = random.Random(seed)
    d = docx.Document()
    for i in range(paragraphs):
        text = " ".join(rng.choice(WORDS) for _ in range(rng.randint(8, 60)))
        if i % 25 == 0:
            d.add_heading(text[:40], level=1 + i % 3)
        elif i % 7 == 0:
            d.add_paragraph(text, style="List Number")
        else:
            p = d.add_paragraph(text[: len(text) // 2])
            p.add_run(text[len(text) // 2:]).bold = True
        if i % 200 == 199:
            t = d.add_table(rows=4, cols=4)
            for row in t.rows:
                for cell in row.cells:
                    cell.text = rng.choice(WORDS)
    d.save(path)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "bench-data/docx"
    os.makedirs(out, exist_ok=True)
    make(os.path.join(out, "small.docx"), 10, 1)       # about a page
    make(os.path.join(out, "medium.docx"), 400, 2)     # about 40 pages
    make(os.path.join(out, "large.docx"), 12000, 3)    # about 1200 pages


if __name__ == "__main__":
    main()
