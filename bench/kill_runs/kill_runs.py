#!/usr/bin/python3
"""Kills real cadhost processes at random moments of their exports and checks what each leaves behind.

    bench/kill_runs/kill_runs.py [RUNS] [--build DIR] [--jobs J] [--seed S] [--keep]

Each run does one export as a person does it in cadhost: one PDF per sheet ("split"), one merged PDF ("merged")
or a drawing-file queue run in one of its three output modes ("queue"). At a random moment of it, cadhost gets
SIGKILL or SIGTERM. Then cadhost starts again on the drawing and quits (the start-up cleaning), and starts once
more to finish the job: "Resume task" in the panel when the panel still offers the job (one whose last PDF was
in place when cadhost died is finished, not offered), the whole job again when it never started, and for the
queue a new run of the same drawings. After each run the script counts

  leftovers      work files and folders (quodline-isolated-* and plot-pages-* in the temporary folder,
                 .quodl-tmp-*, .quodl-move-*, Plot-/Plotting-/Merge-/Normalize-<UUID>.pdf), empty folders in
                 the output folders, broken PDFs, records left in the runtime folder, a pending job left after
                 it was finished, and anything else left in the temporary folder; once after the restart and
                 once at the end
  pages missing  sheets of the job that no PDF holds once the job is finished
  pages twice    sheets that two PDFs hold, or pages a merged PDF holds more than once
  files lost     a file of the user's that stood in the output folder beforehand and is gone or changed
  failures       a restart or resume that did not end cleanly, a cadhost that SIGTERM did not end

and at the end prints the counts and exits with status 1 if any is not 0. Every run has its own home, XDG
folders and TMPDIR in a private folder that is removed afterwards (kept with --keep when the run found
something), so nothing of the user's is touched. Needs pdfinfo and qpdf. RUNS defaults to 300; build the
release first: cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release && cmake --build build/release
"""
import argparse
import collections
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
from concurrent.futures import ThreadPoolExecutor

TOP = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
MODEL = os.path.join(TOP, "samples", "model-a1-grid-1to100.dxf")  # seven sheets in model space
LAYOUTS = os.path.join(TOP, "samples", "layouts-frames.dxf")  # three sheets on layouts
QUEUE_DRAWINGS = ("甲 图纸.dwg", "b.dwg", "c.dwg")
QUEUE_MODES = ("单张 PDF（按文件建文件夹）", "按 CAD 文件分别合并", "全部合并为一个 PDF")
USER_FILE = "用户的文件.pdf"
USER_TEXT = b"%PDF-1.4\n% a file of the user's, not of the export\n"
PENDING = "发现未完成任务"

UUID = r"[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}"
# Every layout scan rewrites its trace file in the temporary folder: an output of the run, not a leftover.
LAYOUT_TRACE = "quodl-layout-candidates.txt"

WORK_NAMES = (
    (re.compile(r"^quodline-isolated-"), "isolated pages folder (quodline-isolated-*)"),
    (re.compile(r"^plot-pages-%s$" % UUID), "host's pages folder (plot-pages-<UUID>)"),
    (re.compile(r"^\.quodl-tmp-"), "hidden work file (.quodl-tmp-*)"),
    (re.compile(r"^\.quodl-move-"), "move staging (.quodl-move-*)"),
    (re.compile(r"^(Plot|Plotting|Merge|Normalize)-%s\.pdf$" % UUID), "plot work file (Plot-<UUID>.pdf etc.)"),
)
SPLIT_NAME = re.compile(r"^(\d{3})-.*\.pdf$")


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("runs", nargs="?", type=int, default=300, help="number of killed runs (300)")
    parser.add_argument("--build", default=os.path.join(TOP, "build", "release"), help="build folder (build/release)")
    parser.add_argument("--jobs", "-j", type=int, default=2, help="runs at the same time (2)")
    parser.add_argument("--seed", type=int, default=None, help="seed of the random moments and signals")
    parser.add_argument("--kinds", default="split,merged,queue", help="which exports (split,merged,queue)")
    parser.add_argument("--keep", action="store_true", help="keep the folders of runs that found something")
    return parser.parse_args()


class Build:
    def __init__(self, folder):
        folder = os.path.abspath(folder)
        self.cadhost = os.path.join(folder, "bin", "cadhost")
        self.module = os.path.join(folder, "bundle", "Quodline.bundle", "Contents", "Linux", "Quodline.so")
        for path in (self.cadhost, self.module):
            if not os.path.isfile(path):
                sys.exit("kill_runs: no %s; build %s first" % (path, folder))
        for tool in ("pdfinfo", "qpdf"):
            if shutil.which(tool) is None:
                sys.exit("kill_runs: %s is needed (poppler-utils, qpdf)" % tool)


# --- One private world per run -----------------------------------------------------------------------------

class World:
    """A home with its XDG folders, temporary folder, drawings and output folders, all in one private folder."""

    def __init__(self, base):
        self.root = tempfile.mkdtemp(prefix="run-", dir=base)
        self.home = os.path.join(self.root, "home")
        self.data = os.path.join(self.home, ".local", "share")
        self.runtime = os.path.join(self.root, "runtime")
        self.tmp = os.path.join(self.root, "tmp")
        self.drawings = os.path.join(self.root, "drawings")
        self.out = os.path.join(self.root, "out")
        for folder in (self.home, self.data, self.tmp, self.drawings, self.out,
                       os.path.join(self.home, ".config", "quodline", "defaults")):
            os.makedirs(folder, exist_ok=True)
        os.makedirs(self.runtime, mode=0o700)
        with open(os.path.join(self.home, ".config", "quodline", "defaults", "standard.json"), "w") as f:
            f.write('{"Quodline.Language": "zh"}')
        for name in QUEUE_DRAWINGS:
            shutil.copyfile(LAYOUTS, os.path.join(self.drawings, name))
        self.user_files = []

    def environment(self):
        env = {k: v for k, v in os.environ.items() if not k.startswith(("XDG_", "QUODL", "ASAN", "UBSAN"))}
        env.update(HOME=self.home, XDG_CONFIG_HOME=os.path.join(self.home, ".config"), XDG_DATA_HOME=self.data,
                   XDG_RUNTIME_DIR=self.runtime, TMPDIR=self.tmp, LANG="C.UTF-8")
        return env

    def output_folder(self, name):
        folder = os.path.join(self.out, name)
        os.makedirs(folder, exist_ok=True)
        # The user's own file, there before the export; it must come through every run as it was.
        path = os.path.join(folder, USER_FILE)
        with open(path, "wb") as f:
            f.write(USER_TEXT)
        self.user_files.append(path)
        return folder

    def snapshot_path(self):
        return os.path.join(self.data, "Quodline", "pending-job.json")

    def remove(self):
        for folder, dirs, _ in os.walk(self.root):
            for d in dirs:
                try:
                    os.chmod(os.path.join(folder, d), 0o700)
                except OSError:
                    pass
        shutil.rmtree(self.root, ignore_errors=True)


def start_cadhost(build, world, script_lines, drawings, log):
    script = os.path.join(world.root, "script-%d.txt" % time.monotonic_ns())
    with open(script, "w") as f:
        f.write("\n".join(script_lines) + "\n")
    command = [build.cadhost, "--no-autoload", "--load", build.module, "--script", script] + drawings
    return subprocess.Popen(command, cwd=world.home, env=world.environment(), stdin=subprocess.DEVNULL, stdout=log,
                            stderr=subprocess.STDOUT, start_new_session=True)


def run_cadhost(build, world, script_lines, drawings, name, limit=600):
    """Runs cadhost to its end; (exit status, output)."""
    path = os.path.join(world.root, name + ".log")
    with open(path, "wb") as log:
        process = start_cadhost(build, world, script_lines, drawings, log)
        try:
            status = process.wait(timeout=limit)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()
            status = "timed out"
    with open(path, "rb") as f:
        return status, f.read().decode("utf-8", "replace")


# --- The exports, as a person does them ----------------------------------------------------------------------

class Export:
    """One kind of export: its script, its drawing, how it resumes, and what a finished one leaves."""

    def __init__(self, kind, queue_mode=0):
        self.kind = kind
        self.queue_mode = queue_mode

    @property
    def name(self):
        return "queue %d" % self.queue_mode if self.kind == "queue" else self.kind

    def drawings(self):
        return [LAYOUTS] if self.kind == "queue" else [MODEL]

    def folder(self, world):
        return os.path.join(world.out, self.kind)

    def prepare(self, world):
        world.output_folder(self.kind)

    def job(self, world):
        out = self.folder(world)
        if self.kind == "split":
            return ["QUODL", '@choose batchPrintPanel outputMode "#2"', '@choose batchPrintPanel location "#6"',
                    '@file "%s"' % out, "@click batchPrintPanel browse", "@click batchPrintPanel moreSettings",
                    '@type batchPrintPanel name "{序号}-{页面}"', "@click batchPrintPanel export", "QUIT"]
        if self.kind == "merged":
            return ["QUODL", '@choose batchPrintPanel outputMode "#1"', '@choose batchPrintPanel location "#6"',
                    '@file "%s"' % os.path.join(out, "job.pdf"), "@click batchPrintPanel browse",
                    "@click batchPrintPanel export", "QUIT"]
        return ["DUZOZAREDFILES", '@file "%s"' % world.drawings, "@click fileQueuePanel addFolder", "DELAY", "1500",
                '@wait fileQueuePanel status "%d 个 DWG"' % len(QUEUE_DRAWINGS),
                '@choose fileQueuePanel outputMode "%s"' % QUEUE_MODES[self.queue_mode],
                "@choose fileQueuePanel sourceMode 全部布局", '@file "%s"' % out,
                "@click fileQueuePanel chooseOutput", "@click fileQueuePanel startButton", "DELAY", "0", "QUIT"]

    @staticmethod
    def resume():
        return ["QUODL", '@wait batchPrintPanel status "%s"' % PENDING, "@click batchPrintPanel resume", "QUIT"]

    def outcome(self, world, exclude=()):
        """What a finished export leaves: {relative PDF path: page count}, of the newest run folder for the queue."""
        folder = self.folder(world)
        if self.kind == "queue":
            runs = sorted(n for n in os.listdir(folder) if n.startswith("Ferrolin-Batch-") and n not in exclude)
            if not runs:
                return {}
            folder = os.path.join(folder, runs[-1])
        pages = {}
        for parent, _, files in os.walk(folder):
            for name in files:
                path = os.path.join(parent, name)
                if name.endswith(".pdf") and path not in world.user_files:
                    pages[os.path.relpath(path, folder)] = page_count(path)
        return pages


def page_count(pdf):
    done = subprocess.run(["pdfinfo", pdf], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    match = re.search(r"^Pages:\s+(\d+)", done.stdout, re.M)
    return int(match.group(1)) if done.returncode == 0 and match else None


def pdf_is_whole(pdf):
    # qpdf's 3 is "warnings only": the file is read whole.
    checked = subprocess.run(["qpdf", "--check", pdf], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return checked.returncode in (0, 3)


def missing_and_twice(export, expected, found):
    """Sheets of a finished export that no PDF holds, and sheets held twice, against an uninterrupted run."""
    if export.kind == "split":
        # "NNN-<sheet>.pdf": each index once, one page each; "NNN-<sheet>-2.pdf" would be a second copy.
        want = collections.Counter(SPLIT_NAME.match(n).group(1) for n in expected)
        sheet = {n: m.group(1) for n in found for m in [SPLIT_NAME.match(os.path.basename(n))] if m}
        have = collections.Counter()
        for name, index in sheet.items():
            have[index] += found[name] or 0
        missing = sum(max(0, want[k] - have[k]) for k in want)
        twice = sum(max(0, have[k] - want[k]) for k in have)
        return missing, twice, sorted(n for n, k in sheet.items() if have[k] != want[k])
    want = sum(expected.values())
    have = sum(p for p in found.values() if p)
    # Every PDF the finished export should hold, under its own name, with its pages.
    missing = sum(max(0, pages - (found.get(name) or 0)) for name, pages in expected.items())
    odd = sorted("%s (%s pages)" % (n, p) for n, p in found.items() if expected.get(n) != p)
    return missing, max(0, have - want), odd


# --- What a run leaves behind ------------------------------------------------------------------------------

def leftovers(world, export, finished):
    """[(kind, path)] of everything left that should not be."""
    found = []
    made = {world.out, export.folder(world)}
    for parent, dirs, files in os.walk(world.root):
        for name in dirs + files:
            path = os.path.join(parent, name)
            for pattern, kind in WORK_NAMES:
                if pattern.match(name):
                    found.append((kind, path))
                    break
        if parent.startswith(world.out) and parent not in made and not dirs and not files:
            found.append(("empty folder in the output", parent))
        if parent.startswith(world.out):
            for name in files:
                path = os.path.join(parent, name)
                if name.endswith(".pdf") and path not in world.user_files and not pdf_is_whole(path):
                    found.append(("broken or empty PDF in the output", path))
    # The records of work items and running hosts are gone once no cadhost runs.
    for folder, kind in (("work-items", "work-item record"), ("running-applications", "running-host record")):
        path = os.path.join(world.runtime, folder)
        if os.path.isdir(path):
            found += [(kind, os.path.join(path, n)) for n in os.listdir(path)]
    if finished and os.path.exists(world.snapshot_path()):
        found.append(("pending job left after it was finished", world.snapshot_path()))
    for name in os.listdir(world.tmp):
        path = os.path.join(world.tmp, name)
        if name == LAYOUT_TRACE:
            continue
        if not any(pattern.match(name) for pattern, _ in WORK_NAMES):
            found.append(("other item in the temporary folder", path))
    return found


def lost_user_files(world):
    lost = 0
    for path in world.user_files:
        try:
            with open(path, "rb") as f:
                lost += f.read() != USER_TEXT
        except OSError:
            lost += 1
    return lost


# --- One run -------------------------------------------------------------------------------------------------

class Result:
    def __init__(self, export, sig, delay):
        self.export, self.sig, self.delay = export, sig, delay
        self.interrupted = False
        self.path = ""  # what happened after the signal: resumed, redone, finished
        self.after_restart = []
        self.at_end = []
        self.missing = self.twice = self.lost = 0
        self.odd = []  # the PDFs that hold sheets missing or twice
        self.failures = []

    def found_anything(self):
        return self.after_restart or self.at_end or self.missing or self.twice or self.lost or self.failures


def one_run(build, base, export, expected, sig, delay):
    world = World(base)
    result = Result(export, sig, delay)
    export.prepare(world)
    drawings = export.drawings()
    with open(os.path.join(world.root, "killed.log"), "wb") as log:
        process = start_cadhost(build, world, export.job(world), drawings, log)
        try:
            process.wait(timeout=delay)
        except subprocess.TimeoutExpired:
            result.interrupted = True
            os.killpg(process.pid, sig)
            try:
                process.wait(timeout=120 if sig == signal.SIGTERM else 30)
            except subprocess.TimeoutExpired:
                result.failures.append("cadhost did not end within 2 minutes of %s" % signal.Signals(sig).name)
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()
    killed_runs = set(os.listdir(export.folder(world)))

    # The next start cleans what the killed one left.
    status, output = run_cadhost(build, world, ["QUIT"], drawings, "restart")
    if status != 0:
        result.failures.append("the restart ended with %s" % status)
    result.after_restart = leftovers(world, export, finished=False)

    # The job is finished: resumed when kept, done again when it never started, and the queue runs again.
    snapshot = os.path.exists(world.snapshot_path())
    if export.kind == "queue":
        result.path = "ran again"
        status, output = run_cadhost(build, world, export.job(world), drawings, "again")
        found = export.outcome(world, exclude=killed_runs)
    else:
        found = export.outcome(world)
        if snapshot:
            # The panel looks at the job first: one whose last output was in place when the host died is done.
            run_cadhost(build, world, ["QUODL", "QUIT"], drawings, "panel")
            snapshot = os.path.exists(world.snapshot_path())
        if snapshot:
            result.path = "resumed"
            status, output = run_cadhost(build, world, Export.resume(), drawings, "resume")
        elif not found:
            result.path = "started again"
            status, output = run_cadhost(build, world, export.job(world), drawings, "again")
        else:
            result.path = "had finished"
            status, output = 0, "DUZOZAREDEXEC=PASS"
        found = export.outcome(world)
    if status != 0:
        result.failures.append("the %s cadhost ended with %s" % (result.path, status))
    elif export.kind != "queue" and "DUZOZAREDEXEC=PASS" not in output:
        result.failures.append("the job %s did not pass: %s" % (result.path, last_lines(output)))
    result.missing, result.twice, result.odd = missing_and_twice(export, expected, found)
    result.at_end = leftovers(world, export, finished=True)
    result.lost = lost_user_files(world)
    return result, world


def last_lines(text, count=3):
    return " / ".join(line for line in text.strip().splitlines()[-count:])


def calibrate(build, base, export):
    """An export left alone: how long it takes and what it leaves; the script's own check of its expectations."""
    world = World(base)
    export.prepare(world)
    start = time.monotonic()
    first_work = None
    path = os.path.join(world.root, "calibration.log")
    with open(path, "wb") as log:
        process = start_cadhost(build, world, export.job(world), export.drawings(), log)
        while process.poll() is None:
            if first_work is None and (os.listdir(world.tmp) or len(os.listdir(export.folder(world))) > 1):
                first_work = time.monotonic() - start
            time.sleep(0.005)
        status = process.returncode
    seconds = time.monotonic() - start
    with open(path, "rb") as f:
        output = f.read().decode("utf-8", "replace")
    found = export.outcome(world)
    left = leftovers(world, export, finished=True)
    problems = []
    if status != 0 or (export.kind != "queue" and "DUZOZAREDEXEC=PASS" not in output):
        problems.append("the export did not pass (status %s): %s" % (status, last_lines(output, 8)))
    if not found or any(p is None for p in found.values()):
        problems.append("it wrote no readable PDF: %s" % found)
    if left:
        problems.append("it left %s" % left)
    if problems:
        print("kill_runs: the uninterrupted %s export, the measure of the others, went wrong in %s:\n  %s"
              % (export.name, world.root, "\n  ".join(problems)), file=sys.stderr)
        sys.exit(2)
    world.remove()
    return seconds, found, first_work if first_work is not None else 0.0


def main():
    arguments = parse_arguments()
    build = Build(arguments.build)
    seed = arguments.seed if arguments.seed is not None else random.randrange(1 << 30)
    rng = random.Random(seed)
    kinds = [k for k in arguments.kinds.split(",") if k]
    exports = []
    for kind in kinds:
        if kind == "queue":
            exports += [Export("queue", m) for m in range(len(QUEUE_MODES))]
        elif kind in ("split", "merged"):
            exports.append(Export(kind))
        else:
            sys.exit("kill_runs: unknown export kind %r" % kind)
    base = tempfile.mkdtemp(prefix="quodl-kill-runs-")
    print("kill_runs: %d runs of %s, seed %d, in %s" % (arguments.runs, ", ".join(kinds), seed, base), flush=True)

    measures = {}
    for export in exports:
        measures[export.name] = calibrate(build, base, export)
        seconds, found, plotting = measures[export.name]
        print("  an uninterrupted %s export takes %.2f s, writes from %.2f s on, %d PDF(s), %d page(s)"
              % (export.name, seconds, plotting, len(found), sum(found.values())), flush=True)

    plan = []
    for index in range(arguments.runs):
        export = exports[index % len(exports)] if index < len(exports) else rng.choice(exports)
        seconds, _, plotting = measures[export.name]
        # Mostly from the moment it starts to write (as the uninterrupted export did), else at any moment.
        lead = max(0.0, plotting - 0.05) if rng.random() < 0.8 else 0.0
        plan.append((index + 1, export, rng.choice((signal.SIGKILL, signal.SIGTERM)), rng.uniform(lead, seconds)))

    totals = collections.Counter()
    kinds_found = collections.Counter()
    lock = threading.Lock()

    def run(item):
        index, export, sig, delay = item
        try:
            result, world = one_run(build, base, export, measures[export.name][1], sig, delay)
        except Exception as error:  # the script's own failure must not hide the others' counts
            with lock:
                totals["failures"] += 1
                print("%4d %-8s %s: the run itself failed: %r" % (index, export.name, signal.Signals(sig).name, error),
                      flush=True)
            return
        with lock:
            totals["runs"] += 1
            totals["interrupted"] += result.interrupted
            totals["leftovers after restart"] += len(result.after_restart)
            totals["leftovers at the end"] += len(result.at_end)
            totals["pages missing"] += result.missing
            totals["pages twice"] += result.twice
            totals["user files lost"] += result.lost
            totals["failures"] += len(result.failures)
            for kind, _ in dict.fromkeys(result.after_restart + result.at_end):
                kinds_found[kind] += 1
            line = "%4d %-8s %-7s at %5.2f s: %s, %s" % (
                index, export.name, signal.Signals(sig).name, delay,
                "interrupted" if result.interrupted else "ended before the signal", result.path)
            if result.found_anything():
                details = []
                for item in dict.fromkeys(result.after_restart + result.at_end):
                    when = [w for w, found in (("after the restart", result.after_restart),
                                               ("at the end", result.at_end)) if item in found]
                    details.append("%s (%s): %s" % (item[0], " and ".join(when), item[1]))
                details = details[:8]
                if result.missing or result.twice:
                    details.append("%d page(s) missing, %d twice; in %s"
                                   % (result.missing, result.twice, ", ".join(result.odd) or "no PDF"))
                details += ["%d user file(s) lost" % result.lost] if result.lost else []
                details += result.failures
                line += "\n       " + "\n       ".join(details)
                if arguments.keep:
                    line += "\n       kept: %s" % world.root
            print(line, flush=True)
        if not (arguments.keep and result.found_anything()):
            world.remove()

    with ThreadPoolExecutor(max_workers=max(1, arguments.jobs)) as pool:
        list(pool.map(run, plan))

    print("\nkill_runs: seed %d" % seed)
    for key in ("runs", "interrupted", "leftovers after restart", "leftovers at the end", "pages missing",
                "pages twice", "user files lost", "failures"):
        print("  %-24s %d" % (key, totals[key]))
    if kinds_found:
        print("  leftovers by kind:")
        for kind, count in kinds_found.most_common():
            print("    %5d  %s" % (count, kind))
    if not arguments.keep or not any(os.scandir(base)):
        shutil.rmtree(base, ignore_errors=True)
    bad = sum(totals[k] for k in ("leftovers after restart", "leftovers at the end", "pages missing", "pages twice",
                                  "user files lost", "failures"))
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
