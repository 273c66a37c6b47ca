#!/usr/bin/python3
"""Plot times of normal drawings with this cadhost and, where given, a baseline cadhost (another build, such as
the one before a change), and the peak memory and time of hostile drawings with this one.

    compare_bounds.py CADHOST [BASELINE_CADHOST] [--runs=N]

The normal drawings are bench/plot_peer's (make_drawings.py, needs python3-ezdxf): 50 layouts of A1/A3 sheets,
and one small A3 sheet, every layout plotted to its own PDF in one process. Times are the median of N runs (5),
the two builds taken in turn so that both see the same load on the machine. The hostile drawings are small files
that expand to a great deal of drawing; each runs in a fresh process, its peak resident memory taken from the
kernel's account of the child.
"""
import os
import shutil
import statistics
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "plot_peer"))
import make_drawings  # noqa: E402


def run_measured(command, folder, stdin, limit=600):
    """Wall seconds, peak resident kilobytes, exit status and output of one process."""
    start = time.monotonic()
    read_end, write_end = os.pipe()
    out = tempfile.TemporaryFile(dir=folder)
    pid = os.fork()
    if pid == 0:
        os.dup2(read_end, 0)
        os.dup2(out.fileno(), 1)
        os.dup2(out.fileno(), 2)
        os.close(write_end)
        os.chdir(folder)
        os.execve(command[0], command, dict(os.environ, TMPDIR=folder))
    os.close(read_end)
    os.write(write_end, stdin.encode())
    os.close(write_end)
    deadline = start + limit
    while True:
        done, status, usage = os.wait4(pid, os.WNOHANG)
        if done == pid:
            break
        if time.monotonic() > deadline:
            os.kill(pid, 9)
            done, status, usage = os.wait4(pid, 0)
            break
        time.sleep(0.01)
    seconds = time.monotonic() - start
    out.seek(0)
    return seconds, usage.ru_maxrss, os.waitstatus_to_exitcode(status), out.read().decode(errors="replace")


def plot_layouts(cadhost, drawing, layouts, folder):
    out = os.path.join(folder, "out")
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    script = "".join("CTAB\n%s\nPLOT\n%s/sheet-%02d.pdf\n" % (name, out, n) for n, name in enumerate(layouts))
    seconds, _, status, output = run_measured([cadhost, "--no-autoload", drawing], folder, script + "QUIT\n")
    plotted = [f for f in os.listdir(out) if f.endswith(".pdf")]
    if status != 0 or len(plotted) != len(layouts):
        sys.exit("%s wrote %d of %d PDFs for %s:\n%s" % (cadhost, len(plotted), len(layouts), drawing, output[-2000:]))
    return seconds


def block(name, body):
    return "0\nBLOCK\n2\n%s\n70\n0\n10\n0\n20\n0\n%s0\nENDBLK\n" % (name, body)


def drawing(blocks, entities):
    return ("0\nSECTION\n2\nBLOCKS\n%s0\nENDSEC\n0\nSECTION\n2\nENTITIES\n%s0\nENDSEC\n0\nEOF\n"
            % (blocks, entities))


def array(name, rows, columns, step):
    return "0\nINSERT\n2\n%s\n10\n0\n20\n0\n70\n%d\n71\n%d\n44\n%g\n45\n%g\n" % (name, columns, rows, step, step)


def inserts(name, count, step):
    return "".join("0\nINSERT\n2\n%s\n10\n%g\n20\n%g\n" % (name, (k % 100) * step, (k // 100) * step)
                   for k in range(count))


def mtext(characters):
    words = ("word " * (characters // 5 + 1))[:characters]
    return "0\nMTEXT\n10\n0\n20\n0\n40\n2.5\n41\n200\n71\n1\n1\n%s\n" % words


HOSTILE = [
    ("a million circles of radius 1e12 (plotted)",
     drawing(block("C", "0\nCIRCLE\n10\n0\n20\n0\n40\n1e12\n"), array("C", 1000, 1000, 1))),
    ("950 multiline texts of 20,000 characters, just within the budget (plotted)",
     drawing(block("M", mtext(20000)), inserts("M", 950, 300))),
    ("a text of 1,800 characters in an array of 1,410 x 1,410 (refused)",
     drawing(block("T", "0\nTEXT\n10\n0\n20\n0\n40\n2.5\n1\n%s\n" % ("W" * 1800)), array("T", 1410, 1410, 10))),
]


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--runs")]
    runs = 5
    for a in sys.argv[1:]:
        if a.startswith("--runs"):
            runs = int(a.split("=", 1)[1])
    if not args:
        sys.exit(__doc__)
    builds = [("this build", os.path.abspath(args[0]))]
    if len(args) > 1 and args[1]:
        builds.append(("baseline", os.path.abspath(args[1])))
    folder = tempfile.mkdtemp(prefix="quodl-plot-bounds-")
    try:
        make_drawings.sheets(os.path.join(folder, "sheets.dxf"))
        make_drawings.small(os.path.join(folder, "small.dxf"))
        normal = [
            ("50 layouts", "sheets.dxf", ["Sheet %02d" % (n + 1) for n in range(50)]),
            ("one small sheet", "small.dxf", ["Sheet"]),
        ]
        print("| drawing | " + " | ".join(name for name, _ in builds) + (" | ratio |" if len(builds) > 1 else ""))
        print("|---" * (len(builds) + 1 + (1 if len(builds) > 1 else 0)) + "|")
        for title, name, layouts in normal:
            times = {label: [] for label, _ in builds}
            for _ in range(runs):
                for label, cadhost in builds:
                    times[label].append(plot_layouts(cadhost, os.path.join(folder, name), layouts, folder))
            medians = [statistics.median(times[label]) for label, _ in builds]
            line = "| %s | " % title + " | ".join("%.2f s" % m for m in medians)
            if len(medians) > 1:
                line += " | %.3f" % (medians[0] / medians[1])
            print(line + " |")
        print("(median of %d runs each, the builds in turn; ratio: this build's time over the baseline's)\n" % runs)

        print("| hostile drawing (this build) | file bytes | time | peak memory | outcome |")
        print("|---|---|---|---|---|")
        for title, content in HOSTILE:
            path = os.path.join(folder, "hostile.dxf")
            with open(path, "w") as f:
                f.write(content)
            out = os.path.join(folder, "hostile.pdf")
            if os.path.exists(out):
                os.remove(out)
            seconds, peak, status, output = run_measured([builds[0][1], "--no-autoload", path], folder,
                                                         "PLOT\nhostile.pdf\nQUIT\n")
            if os.path.exists(out):
                outcome = "plotted, %d PDF bytes" % os.path.getsize(out)
            elif "any drawing may draw" in output:
                outcome = "refused at open"
            else:
                outcome = "failed (status %d): %s" % (status, output.strip().splitlines()[-1:] or "")
            print("| %s | %d | %.2f s | %.0f MB | %s |" % (title, len(content), seconds, peak / 1024, outcome))
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
