#!/usr/bin/python3
"""Writes the drawings the queue run tests plot (run with /usr/bin/python3; needs python3-ezdxf).

    make_queue_drawings.py tree FOLDER
    make_queue_drawings.py cases FOLDER

tree: 50 drawings under FOLDER/drawings, DXF text under .dwg names as the queue finds them: paper-space layouts with
frames and model-space frames in every good drawing (so that a run finds sheets whichever space it plots),
names with blanks and Chinese, one name in two folders, three damaged, one to be opened in the host before the
run and one read-only. Each sheet is small, so that plotting all of them stays quick. FOLDER/expected.json tells
the test what each drawing holds: its path under FOLDER/drawings, and the papers of its layout sheets and of its
model-space frames in millimetres (width, height as the page shows them), in the order they plot.

cases: the drawings of single cases, in FOLDER: "order.dwg" with its layouts in the tab order Sheet 2, Sheet 10,
Sheet 1 (an A4 upright, A3 and A4 across), "five.dwg" with five upright A4 layouts, "A3.dwg" with one A3 layout,
and "no frames.dwg" with nothing on its layout.
"""
import json
import os
import stat
import sys

import ezdxf

A4 = (210, 297)
A3 = (420, 297)


def rect(x0, y0, x1, y1):
    return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]


def frame(space, x, y, width, height, title, scale=1.0):
    """A frame of the given paper at a drawing scale: border, inner border, title block, a little content."""
    def s(v):
        return v * scale
    space.add_lwpolyline(rect(x, y, x + s(width), y + s(height)), close=True, dxfattribs={"layer": "FRAME"})
    space.add_lwpolyline(rect(x + s(25), y + s(5), x + s(width - 5), y + s(height - 5)), close=True,
                         dxfattribs={"layer": "FRAME"})
    tx0 = x + s(width - 5 - 120)
    space.add_lwpolyline(rect(tx0, y + s(5), x + s(width - 5), y + s(35)), close=True, dxfattribs={"layer": "FRAME"})
    space.add_text(title, height=s(3.5), dxfattribs={"layer": "TEXT"}).set_placement((tx0 + s(5), y + s(20)))
    space.add_circle((x + s(width / 2), y + s(height / 2)), s(min(width, height) / 5), dxfattribs={"layer": "0"})
    space.add_line((x + s(40), y + s(50)), (x + s(width - 40), y + s(height - 50)), dxfattribs={"layer": "0"})


def drawing(title, layouts, models):
    """layouts: papers of one-frame layouts, in tab order; models: (paper, scale) frames placed left to right."""
    doc = ezdxf.new("R2018", setup=False)
    doc.layers.add("FRAME", color=7)
    doc.layers.add("TEXT", color=3)
    for k, (width, height) in enumerate(layouts):
        layout = doc.layouts.new("Sheet %d" % (k + 1))
        layout.page_setup(size=(width, height), margins=(0, 0, 0, 0), units="mm", device="DWG To PDF.pc3")
        frame(layout, 0, 0, width, height, "%s / %d" % (title, k + 1))
    msp = doc.modelspace()
    x = 0.0
    for (width, height), scale in models:
        frame(msp, x, 0, width, height, title, scale)
        x += (width + 100) * scale
    if layouts:
        doc.layouts.delete("Layout1")
    return doc


def cases(top):
    os.makedirs(top, exist_ok=True)
    A4_ACROSS = (297, 210)
    order = drawing("order", [], [])
    for name, (width, height) in (("Sheet 2", A4), ("Sheet 10", A3), ("Sheet 1", A4_ACROSS)):
        layout = order.layouts.new(name)
        layout.page_setup(size=(width, height), margins=(0, 0, 0, 0), units="mm", device="DWG To PDF.pc3")
        frame(layout, 0, 0, width, height, name)
    order.layouts.delete("Layout1")
    order.saveas(os.path.join(top, "order.dwg"))
    drawing("five", [A4] * 5, [(A4, 1.0)]).saveas(os.path.join(top, "five.dwg"))
    drawing("A3", [A3], [(A3, 1.0)]).saveas(os.path.join(top, "A3.dwg"))
    empty = ezdxf.new("R2018", setup=False)
    empty.modelspace().add_circle((0, 0), 10)
    empty.saveas(os.path.join(top, "no frames.dwg"))


def tree(top):
    root = os.path.join(top, "drawings")
    expected = {"good": [], "damaged": [], "open": None, "readOnly": None}

    def good(relative, layouts, models):
        path = os.path.join(root, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        drawing(os.path.splitext(os.path.basename(relative))[0], layouts, models).saveas(path)
        # Model-space frames plot in reading order: left to right here, on one row. A frame drawn at 1:100
        # plots on the paper it stands for.
        expected["good"].append({"path": relative, "layout": [list(p) for p in layouts],
                                 "model": [list(paper) for paper, _ in models]})
        return path

    names = []
    for k in range(1, 21):
        names.append("平面图 %02d.dwg" % k)
    for k in range(1, 11):
        names.append("A 区/section %02d.dwg" % k)
    for k in range(1, 9):
        names.append("B区/立面 %02d.dwg" % k)
    for k in range(1, 6):
        names.append("深 层/详图/detail %d.DWG" % k)
    names += ["A 区/Plan.dwg", "B区/Plan.dwg", "已打开 图纸.dwg"]
    assert len(names) == 46
    other = {A3: A4, A4: A3}
    for k, name in enumerate(names):
        layouts = [A3] if k % 2 == 0 else [A4]
        # A few frames are drawn at 1:100: A3 ones, since A-sizes are alike in shape and a scaled A4 could as
        # well be an A3 at another scale.
        scale = 100.0 if k % 7 == 3 else 1.0
        models = [(A3 if k % 3 or scale != 1.0 else A4, scale)]
        # Every fifth drawing has a second sheet in each space, on the other paper (as tall as the first, so
        # that both frames stand in one row).
        if k % 5 == 4:
            layouts.append(other[layouts[0]])
            models.append((other[models[0][0]] if scale == 1.0 else A3, scale))
        good(name, layouts, models)
    expected["open"] = "已打开 图纸.dwg"

    read_only = good("只读 图纸.dwg", [A4, A3], [(A3, 1.0)])
    os.chmod(read_only, stat.S_IRUSR | stat.S_IRGRP | stat.S_IROTH)
    expected["readOnly"] = "只读 图纸.dwg"

    # A drawing cut inside its entities, a binary DWG, and an empty file.
    cut = good("损坏/cut short.dwg", [A3], [(A3, 1.0)])
    expected["good"].pop()
    with open(cut, "rb") as f:
        text = f.read()
    entities = text.index(b"ENTITIES")
    with open(cut, "wb") as f:
        f.write(text[:text.index(b"\n  0\nENDSEC", entities) - 40])
    with open(os.path.join(root, "损坏", "binary.dwg"), "wb") as f:
        f.write(b"AC1032\0\0\0\x1f\x8b" + bytes(range(256)) * 4)
    with open(os.path.join(root, "empty.dwg"), "wb"):
        pass
    expected["damaged"] = ["损坏/cut short.dwg", "损坏/binary.dwg", "empty.dwg"]

    # Beside them, what the queue passes over: a .dxf and a hidden drawing.
    drawing("plain", [A3], [(A3, 1.0)]).saveas(os.path.join(root, "plain.dxf"))
    drawing("hidden", [A3], [(A3, 1.0)]).saveas(os.path.join(root, ".hidden.dwg"))

    assert len(expected["good"]) + len(expected["damaged"]) == 50
    with open(os.path.join(top, "expected.json"), "w", encoding="utf-8") as f:
        json.dump(expected, f, ensure_ascii=False, indent=1)


if __name__ == "__main__":
    {"tree": tree, "cases": cases}[sys.argv[1]](sys.argv[2])
