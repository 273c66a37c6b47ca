"""Runs samples/generate.py twice with --output into fresh folders and compares each drawing with the
committed one: a regeneration changes nothing, and nothing is written beside the script."""
import filecmp
import os
import subprocess
import sys
import tempfile

samples = sys.argv[1]
script = os.path.join(samples, "generate.py")
committed = sorted(name for name in os.listdir(samples) if name.endswith(".dxf"))
before = {name: os.stat(os.path.join(samples, name)).st_mtime_ns for name in committed}
failures = []
with tempfile.TemporaryDirectory() as scratch:
    for run in ("first", "second"):
        out = os.path.join(scratch, run, "made")  # a folder that does not exist yet
        subprocess.run([sys.executable, script, "--output", out], check=True)
        written = sorted(os.listdir(out))
        if written != committed:
            failures.append(f"{run} run wrote {written}, the folder holds {committed}")
            continue
        for name in written:
            if not filecmp.cmp(os.path.join(out, name), os.path.join(samples, name), shallow=False):
                failures.append(f"{run} run: {name} differs from samples/{name}")
after = {name: os.stat(os.path.join(samples, name)).st_mtime_ns for name in committed}
if after != before:
    failures.append("the committed samples were written to")
for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
