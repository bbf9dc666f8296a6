#!/usr/bin/python3
"""Builds the AbiWord fixture: an RTF source written by hand below, saved by
AbiWord itself (abiword --to=abw), so the .abw comes from a real writer. The
expected text is written here by hand from the plain-text layout, never from
a reader's output. AbiWord run without a display writes lists without their
definitions, so the fixture holds none.

Run with abiword on the PATH:
    cd tests/data/abiword && /usr/bin/python3 make_fixtures.py
"""
import os
import shutil
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))

SOURCE = r"""{\rtf1\ansi\deff0{\fonttbl{\f0 Times New Roman;}}
\pard\plain Plain text,\tab a tab and \b bold\b0  words.\par
\pard\plain A note\chftn{\footnote\pard\plain\chftn Foot text.} in the middle.\par
\trowd\cellx2000\cellx4000
\pard\intbl Name\cell Qty\cell\row
\trowd\cellx2000\cellx4000
\pard\intbl Pear\cell 2\cell\row
\pard\plain Caf\'e9 after the table.\par
}
"""

# AbiWord keeps an empty paragraph after a table.
EXPECTED = "Plain text,\ta tab and bold words.\nA note[1] in the middle.\nName\tQty\nPear\t2\n\n" \
           "Caf\u00e9 after the table.\n\n[1] Foot text.\n"


def main():
    with tempfile.TemporaryDirectory() as tmp:
        source = os.path.join(tmp, "document.rtf")
        with open(source, "w", encoding="ascii") as f:
            f.write(SOURCE)
        subprocess.run(["abiword", "--to=abw", source], check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        shutil.copy(os.path.join(tmp, "document.abw"), os.path.join(HERE, "document.abw"))
    with open(os.path.join(HERE, "document.txt"), "w", encoding="utf-8", newline="\n") as f:
        f.write(EXPECTED)


if __name__ == "__main__":
    main()
