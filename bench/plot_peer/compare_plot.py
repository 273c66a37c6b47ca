#!/usr/bin/python3
"""Plots the same drawings with cadhost's PLOT and with LibreCAD's dxf2pdf (where it is installed; run
bench/plot_peer/setup to install it) and prints the PDF bytes and whole-process times side by side.

    compare_plot.py CADHOST [RUNS]

The drawings come from make_drawings.py: sheets.dxf (50 layouts of A1/A3 sheets, about 2,000 entities each,
Chinese text) and small.dxf (one small A3 sheet). cadhost plots every layout of a drawing to its own PDF in one
process; dxf2pdf plots the drawing's model space fitted to the sheet. Times are the median of RUNS runs (5),
cadhost's and the peer's taken in turn so that both see the same load on the machine.
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import make_drawings  # noqa: E402


def timed(command, folder, stdin=None):
    start = time.monotonic()
    done = subprocess.run(command, cwd=folder, input=stdin, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          env=dict(os.environ, QT_QPA_PLATFORM="offscreen"), text=True)
    seconds = time.monotonic() - start
    if done.returncode != 0:
        sys.exit("%s failed:\n%s" % (command[0], done.stdout[-2000:]))
    return seconds


def folder_bytes(folder, prefix):
    return sum(os.path.getsize(os.path.join(folder, f)) for f in os.listdir(folder)
               if f.startswith(prefix) and f.endswith(".pdf"))


def cadhost_plot(cadhost, drawing, layouts, folder):
    out = os.path.join(folder, "cadhost")
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    script = "".join("CTAB\n%s\nPLOT\n%s/sheet-%02d.pdf\n" % (name, out, n) for n, name in enumerate(layouts))
    seconds = timed([cadhost, "--no-autoload", drawing], folder, script + "QUIT\n")
    plotted = [f for f in os.listdir(out) if f.endswith(".pdf")]
    if len(plotted) != len(layouts):
        sys.exit("cadhost wrote %d of %d PDFs for %s" % (len(plotted), len(layouts), drawing))
    return seconds, folder_bytes(out, "sheet-")


def peer_plot(drawing, paper, folder):
    # dxf2pdf names its PDF after the drawing, in the target folder.
    out = os.path.join(folder, "peer")
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    seconds = timed(["librecad", "dxf2pdf", "-a", "-p", paper, "-t", out, drawing], folder)
    pdf = os.path.join(out, os.path.splitext(os.path.basename(drawing))[0] + ".pdf")
    if not os.path.exists(pdf):
        sys.exit("dxf2pdf wrote no PDF for " + drawing)
    return seconds, os.path.getsize(pdf)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    cadhost = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    peer = shutil.which("librecad") is not None
    folder = tempfile.mkdtemp(prefix="quodl-plot-peer-")
    try:
        make_drawings.sheets(os.path.join(folder, "sheets.dxf"))
        make_drawings.small(os.path.join(folder, "small.dxf"))
        drawings = [
            ("50 layouts", "sheets.dxf", ["Sheet %02d" % (n + 1) for n in range(50)], "841x594"),
            ("one small sheet", "small.dxf", ["Sheet"], "420x297"),
        ]
        rows = []
        for title, name, layouts, paper in drawings:
            drawing = os.path.join(folder, name)
            ours, theirs = [], []
            ours_bytes = theirs_bytes = None
            for _ in range(runs):
                seconds, ours_bytes = cadhost_plot(cadhost, drawing, layouts, folder)
                ours.append(seconds)
                if peer:
                    seconds, theirs_bytes = peer_plot(drawing, paper, folder)
                    theirs.append(seconds)
            rows.append((title, statistics.median(ours), ours_bytes,
                         statistics.median(theirs) if peer else None, theirs_bytes))
        print("| drawing | cadhost time | LibreCAD time | time ratio | cadhost PDF bytes | LibreCAD PDF bytes | "
              "bytes ratio |")
        print("|---|---|---|---|---|---|---|")
        for title, ours_time, ours_bytes, theirs_time, theirs_bytes in rows:
            if theirs_time is None:
                print("| %s | %.2f s | not installed | | %d | | |" % (title, ours_time, ours_bytes))
            else:
                print("| %s | %.2f s | %.2f s | %.2f | %d | %d | %.2f |" % (
                    title, ours_time, theirs_time, ours_time / theirs_time, ours_bytes, theirs_bytes,
                    ours_bytes / theirs_bytes))
        print("(median of %d runs each; a ratio is cadhost's figure over LibreCAD's)" % runs)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
