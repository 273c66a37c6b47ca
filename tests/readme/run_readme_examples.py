"""Runs every command example of README.md as written and checks the output the README shows for it.

An example is an indented code block whose first line starts with "$ ". Each "$ " line is a command (with the
lines of a here-document it opens); the lines after it, up to the next command, are what it prints. A line
"…" there stands for lines left out, and "…" inside a line for any text; blank lines do not count.

Each example runs in a folder of its own, laid out as the README's commands expect a checkout after
scripts/demo: samples/ (a copy, so outputs written beside the drawings stay there), plugin/install_bundle.cmake
and build/release, which is the build under test. HOME is a fresh empty folder, the XDG folders are left to
their defaults under it (the runtime folder and TMPDIR are the example's own), so nothing of the person's
or another test's setup reaches the example.

Usage: run_readme_examples.py README.md SOURCE_DIR BUILD_DIR
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

HEREDOC = re.compile(r"<<-?\s*'?\"?([A-Za-z_][A-Za-z0-9_]*)'?\"?")


def indented_blocks(text):
    """(first line number, lines) of each indented code block, its indent removed."""
    blocks, current, start, blank_run = [], [], 0, 0
    previous_blank = True
    for number, line in enumerate(text.splitlines(), 1):
        if line.startswith("    ") and (current or previous_blank):
            if not current:
                start = number
            current.extend([""] * blank_run)
            blank_run = 0
            current.append(line[4:])
        elif not line.strip() and current:
            blank_run += 1
        else:
            if current:
                blocks.append((start, current))
            current, blank_run = [], 0
        previous_blank = not line.strip()
    if current:
        blocks.append((start, current))
    return blocks


def commands_of(lines):
    """[(command text, expected lines)] of an example block."""
    commands = []
    i = 0
    while i < len(lines):
        line = lines[i]
        if not line.startswith("$ "):
            commands[-1][1].append(line)
            i += 1
            continue
        text = line[2:]
        i += 1
        while text.endswith("\\") and i < len(lines):
            text += "\n" + lines[i]
            i += 1
        for word in HEREDOC.findall(text):
            while i < len(lines):
                text += "\n" + lines[i]
                i += 1
                if lines[i - 1] == word:
                    break
        commands.append((text, []))
    return commands


def line_pattern(expected):
    parts = re.split("(…)", expected)
    return re.compile("".join(".*" if part == "…" else re.escape(part) for part in parts) + r"\Z")


def mismatch(expected, output):
    """Why the output does not show the expected lines; None when it does."""
    shown = [line.rstrip() for line in output.splitlines() if line.strip()]
    wanted = [line.rstrip() for line in expected if line.strip()]
    if not wanted:
        return None
    # Groups of lines that follow each other, split where "…" leaves lines out.
    groups, current = [], []
    for line in wanted:
        if line == "…":
            groups.append(current)
            current = []
        else:
            current.append(line_pattern(line))
    groups.append(current)
    open_start, open_end = not groups[0], not groups[-1]
    groups = [g for g in groups if g]

    def fits(group, at):
        return at + len(group) <= len(shown) and all(p.match(shown[at + k]) for k, p in enumerate(group))

    at = 0
    for n, group in enumerate(groups):
        first = n == 0 and not open_start
        last = n == len(groups) - 1 and not open_end
        candidates = [at] if first else range(at, len(shown))
        if last:
            candidates = [c for c in candidates if c + len(group) == len(shown)]
        found = next((c for c in candidates if fits(group, c)), None)
        if found is None:
            return "the output does not show, in this place:\n    " + "\n    ".join(p.pattern for p in group)
        at = found + len(group)
    return None


def lay_out(folder, source, build):
    os.makedirs(os.path.join(folder, "samples"))
    for name in os.listdir(os.path.join(source, "samples")):
        if name.endswith(".dxf"):
            shutil.copy(os.path.join(source, "samples", name), os.path.join(folder, "samples", name))
    os.makedirs(os.path.join(folder, "plugin"))
    os.symlink(os.path.join(source, "plugin", "install_bundle.cmake"),
               os.path.join(folder, "plugin", "install_bundle.cmake"))
    os.makedirs(os.path.join(folder, "build"))
    os.symlink(build, os.path.join(folder, "build", "release"))
    for sub in ("home", "run", "tmp"):
        os.makedirs(os.path.join(folder, "." + sub), mode=0o700)


def environment(folder):
    env = {key: value for key, value in os.environ.items() if not key.startswith("XDG_")}
    env.update(HOME=os.path.join(folder, ".home"), XDG_RUNTIME_DIR=os.path.join(folder, ".run"),
               TMPDIR=os.path.join(folder, ".tmp"), PWD=folder)
    return env


def main():
    readme, source, build = sys.argv[1:4]
    with open(readme, encoding="utf-8") as f:
        examples = [(start, commands_of(lines)) for start, lines in indented_blocks(f.read())
                    if lines[0].startswith("$ ")]
    if not examples:
        print("README.md has no command example")
        return 1
    failures = 0
    with tempfile.TemporaryDirectory(prefix="readme-examples-") as scratch:
        for number, (start, commands) in enumerate(examples, 1):
            folder = os.path.join(scratch, f"example-{number}")
            lay_out(folder, source, build)
            for command, expected in commands:
                run = subprocess.run(["bash", "-o", "pipefail", "-c", command], cwd=folder, env=environment(folder),
                                     stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=900)
                output = run.stdout.decode("utf-8", "replace")
                why = f"it ended with status {run.returncode}" if run.returncode != 0 else mismatch(expected, output)
                if why:
                    failures += 1
                    print(f"README.md line {start}: $ {command}\n{why}\n--- what it printed:\n{output}---\n")
                    break
            else:
                print(f"README.md line {start}: ran {len(commands)} command(s) as shown")
    print(f"{len(examples)} example(s), {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
