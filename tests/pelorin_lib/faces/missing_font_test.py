#!/usr/bin/python3
# SPDX-License-Identifier: Apache-2.0
"""Faces drawn where no installed font has Chinese glyphs (fontconfig sees
DejaVu only): the read still succeeds, its result says facesDegraded, and the
library's log says so once per process; with the machine's fonts it does not.
pelorin-read runs always; the Python module (and through it the C accessor)
where a Python can load the library.
Usage: missing_font_test.py BIN_DIR [PYTHON_DIR]"""

import json
import os
import shutil
import subprocess
import sys
import tempfile

BIN, PYTHON = sys.argv[1], (sys.argv[2] if len(sys.argv) > 2 else None)
LIBRARIES = ["pelorin-read", "libpelorin.so.1", "libpelorin_c.so.1", "libvekORN.so.1",
             "libkvsdecompose.so", "pelorin-readers.conf"]
LOG_LINE = "install the package fonts-noto-cjk"
TWO_READS = """import json, pelorin
cards = [pelorin.read(), pelorin.read()]
print(json.dumps([[c.faces_degraded, json.loads(c.json)["facesDegraded"]] for c in cards]))
"""

failures = []


def expect(what, actual, wanted):
    if actual != wanted:
        failures.append(f"{what}: {actual!r}, expected {wanted!r}")


def run(command, env):
    done = subprocess.run(command, env=env, capture_output=True, text=True, timeout=120)
    if done.returncode != 0:
        sys.exit(f"{command[0]} failed ({done.returncode}):\n{done.stderr}")
    return done.stdout


def log_lines(folder):
    try:
        with open(os.path.join(folder, "pelorin_dbg.log"), encoding="utf-8", errors="replace") as log:
            return sum(LOG_LINE in line for line in log)
    except FileNotFoundError:
        return 0


with tempfile.TemporaryDirectory() as work:
    # A private copy of the libraries: their log, beside them, is this test's alone.
    for name in LIBRARIES:
        shutil.copy2(os.path.join(BIN, name), work)
    with open(os.path.join(work, "fonts.conf"), "w") as conf:
        conf.write(f"""<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig><dir>/usr/share/fonts/truetype/dejavu</dir><cachedir>{work}/cache</cachedir></fontconfig>
""")
    normal = dict(os.environ, QT_QPA_PLATFORM="offscreen", PELORIN_LIBRARY=f"{work}/libpelorin_c.so.1",
                  PYTHONPATH=PYTHON or "", PYTHONDONTWRITEBYTECODE="1")
    normal.pop("KVSSIM_CARD", None)
    dejavu = dict(normal, FONTCONFIG_FILE=f"{work}/fonts.conf")

    for env, degraded in ((normal, False), (dejavu, True)):
        front = f"{work}/front-{degraded}.jpg"
        card = json.loads(run([f"{work}/pelorin-read", "--front", front], env))
        expect(f"pelorin-read facesDegraded (CJK font missing: {degraded})", card.get("facesDegraded"), degraded)
        expect("pelorin-read front face written", os.path.getsize(front) > 0, True)
    expect("log lines after the two pelorin-read runs", log_lines(work), 1)

    if PYTHON:
        for env, degraded in ((normal, False), (dejavu, True)):
            expect(f"two Python reads (CJK font missing: {degraded})",
                   json.loads(run(["/usr/bin/python3", "-c", TWO_READS], env)), [[degraded, degraded]] * 2)
        expect("log lines after the Python runs too", log_lines(work), 2)

for failure in failures:
    print("FAIL:", failure)
print("ok" if not failures else f"{len(failures)} failed")
sys.exit(1 if failures else 0)
