#!/usr/bin/env python3
"""Writes the DXF drawings of the recognition tests, as a drafting tool other than ours would write them.

Run with a Python that has ezdxf (Debian: python3-ezdxf): /usr/bin/python3 make_fixtures.py
The drawings are committed; rerun only to change them, and update the tests' expectations alongside.
"""
import os

import ezdxf

HERE = os.path.dirname(os.path.abspath(__file__))

# ISO sheets, landscape: width, height in millimetres.
SHEETS = {"A1": (841, 594), "A2": (594, 420), "A3": (420, 297)}


def new_drawing():
    doc = ezdxf.new("R2018", setup=True)
    doc.layers.add("TK", color=7)
    doc.layers.add("WALL", color=1)
    doc.layers.add("TEXT", color=3)
    doc.layers.add("HATCH", color=8)
    return doc


def sheet_content(msp, x, y, w, h):
    """A small plan inside a sheet's border: walls, a door swing, a hatch, texts."""
    msp.add_lwpolyline([(x + 0.2 * w, y + 0.3 * h), (x + 0.6 * w, y + 0.3 * h), (x + 0.6 * w, y + 0.75 * h),
                        (x + 0.2 * w, y + 0.75 * h)], close=True, dxfattribs={"layer": "WALL"})
    msp.add_line((x + 0.4 * w, y + 0.3 * h), (x + 0.4 * w, y + 0.75 * h), dxfattribs={"layer": "WALL"})
    msp.add_arc((x + 0.3 * w, y + 0.3 * h), 0.05 * w, 0, 90, dxfattribs={"layer": "WALL"})
    msp.add_circle((x + 0.5 * w, y + 0.5 * h), 0.03 * w, dxfattribs={"layer": "WALL"})
    hatch = msp.add_hatch(color=8, dxfattribs={"layer": "HATCH"})
    hatch.paths.add_polyline_path([(x + 0.42 * w, y + 0.32 * h), (x + 0.58 * w, y + 0.32 * h),
                                   (x + 0.58 * w, y + 0.45 * h), (x + 0.42 * w, y + 0.45 * h)], is_closed=True)
    msp.add_text("一层平面图", dxfattribs={"layer": "TEXT", "height": 0.02 * h,
                                          "insert": (x + 0.3 * w, y + 0.2 * h)})
    msp.add_mtext("说明：\\P1. 尺寸以毫米计。", dxfattribs={"layer": "TEXT", "char_height": 0.012 * h,
                                                         "insert": (x + 0.65 * w, y + 0.7 * h)})


def title_strip(space, x, y, scale, attribs=False):
    """A 180 × 56 title strip whose lower right corner is at (x, y)."""
    s = scale
    left, bottom, right, top = x - 180 * s, y, x, y + 56 * s
    space.add_lwpolyline([(left, bottom), (right, bottom), (right, top), (left, top)], close=True)
    for k in (1, 2, 3):
        space.add_line((left, bottom + 14 * k * s), (right, bottom + 14 * k * s))
    for dx in (30, 80, 130):
        space.add_line((left + dx * s, bottom), (left + dx * s, top))
    space.add_text("设计", dxfattribs={"height": 3.5 * s, "insert": (left + 3 * s, bottom + 4 * s)})
    space.add_text("审核", dxfattribs={"height": 3.5 * s, "insert": (left + 3 * s, bottom + 18 * s)})
    if attribs:
        space.add_attdef("DRAWING_NAME", (left + 85 * s, bottom + 32 * s), "图名", dxfattribs={"height": 5 * s})
        space.add_attdef("DRAWING_NO", (left + 85 * s, bottom + 4 * s), "01", dxfattribs={"height": 3.5 * s})


def border_lines(space, x, y, w, h, scale, layer):
    """The paper edge and the drawing border with a 25 mm binding margin, as closed polylines."""
    s = scale
    space.add_lwpolyline([(x, y), (x + w * s, y), (x + w * s, y + h * s), (x, y + h * s)], close=True,
                         dxfattribs={"layer": layer})
    margin = 10 if w >= 594 else 5
    space.add_lwpolyline([(x + 25 * s, y + margin * s), (x + (w - margin) * s, y + margin * s),
                          (x + (w - margin) * s, y + (h - margin) * s), (x + 25 * s, y + (h - margin) * s)],
                         close=True, dxfattribs={"layer": layer, "const_width": 0.7 * s})
    return margin


def polyline_frames():
    """Sheets at 1:100 drawn straight into model space as polylines, no blocks involved."""
    doc = new_drawing()
    msp = doc.modelspace()
    scale = 100
    # Row one: A1, A2, A3 standing on one base line; row two: a lengthened A3 and a portrait A3.
    x = 0
    for name in ("A1", "A2", "A3"):
        w, h = SHEETS[name]
        margin = border_lines(msp, x, 0, w, h, scale, "TK")
        title_strip(msp, x + (w - margin) * scale, margin * scale, scale)
        sheet_content(msp, x, 0, w * scale, h * scale)
        x += w * scale + 10000
    # Lengthened A3 (297 × 630 at 1:100) and a portrait A3; the second is drawn as an open polyline
    # whose fifth vertex returns to the first, as some tools draw rectangles.
    y = -60000
    border_lines(msp, 0, y, 630, 297, scale, "TK")
    sheet_content(msp, 0, y, 63000, 29700)
    msp.add_lwpolyline([(80000, y), (109700, y), (109700, y + 42000), (80000, y + 42000), (80000, y)],
                       close=False, dxfattribs={"layer": "TK"})
    sheet_content(msp, 80000, y, 29700, 42000)
    # Clutter outside every sheet: a site boundary line and a north arrow.
    msp.add_line((-5000, -80000), (200000, -80000))
    msp.add_circle((-3000, 70000), 800)
    doc.saveas(os.path.join(HERE, "model_polyline_frames.dxf"))


def block_frames():
    """Title-block references at 1:100 with attributes, and the drawn plans inside them."""
    doc = new_drawing()
    msp = doc.modelspace()
    scale = 100
    # An unremarkable block name: accepted for its border and its ISO size at 1:100.
    for name, block_name in (("A1", "GB-A1"), ("A3", "GB-A3")):
        w, h = SHEETS[name]
        block = doc.blocks.new(block_name)
        margin = border_lines(block, 0, 0, w, h, 1, "0")
        title_strip(block, w - margin, margin, 1, attribs=True)
    # A block known by its name alone: no border inside, only the title strip.
    named = doc.blocks.new("A2图框")
    title_strip(named, 594 - 10, 10, 1, attribs=True)
    named.add_line((0, 0), (594, 420), dxfattribs={"layer": "0", "linetype": "CONTINUOUS", "color": 0})

    def place(block_name, x, y, sheet_no):
        ref = msp.add_blockref(block_name, (x, y), dxfattribs={"xscale": scale, "yscale": scale,
                                                               "zscale": scale, "layer": "TK"})
        ref.add_auto_attribs({"DRAWING_NAME": "平面图", "DRAWING_NO": "%02d" % sheet_no})
        return ref

    # Drawn in scrambled order; reading order is A1 A1 A1 / A2 A3 A3.
    w1, h1 = 84100, 59400
    place("GB-A1", 2 * (w1 + 10000), 0, 3)
    place("GB-A1", 0, 0, 1)
    place("GB-A1", w1 + 10000, 250, 2)   # a little off the row's base line
    place("GB-A3", 70000, -80000, 5)
    place("A2图框", 0, -80000, 4)
    place("GB-A3", 110000, -79800, 6)
    for x, y, w, h in ((0, 0, w1, h1), (w1 + 10000, 250, w1, h1), (2 * (w1 + 10000), 0, w1, h1),
                       (0, -80000, 59400, 42000), (70000, -80000, 42000, 29700), (110000, -79800, 42000, 29700)):
        sheet_content(msp, x, y, w, h)
    msp.add_line((-5000, -100000), (300000, -100000))
    doc.saveas(os.path.join(HERE, "model_block_frames_1to100.dxf"))


def sheets_moved_to_layouts():
    """ISO sheets drawn in model space by one tool and moved onto layouts of their own by another, which leaves
    the owners of the objects it made unset: the file says "None" where their owner handles go."""
    doc = new_drawing()
    msp = doc.modelspace()
    for name in ("A3", "A2"):
        w, h = SHEETS[name]
        border_lines(msp, 0, 0, w, h, 1, "TK")
        title_strip(msp, w - 10, 10, 1)
        sheet_content(msp, 0, 0, w, h)
        layout = doc.layouts.new("ISO " + name)
        layout.page_setup(size=(w, h), margins=(0, 0, 0, 0), units="mm")
        for entity in list(msp):
            msp.move_to_layout(entity, layout)
    doc.layouts.delete("Layout1")
    doc.objects.add_xrecord(owner=None)
    doc.objects.add_dictionary(owner=None)
    doc.saveas(os.path.join(HERE, "sheets_moved_to_layouts.dxf"))


if __name__ == "__main__":
    polyline_frames()
    block_frames()
    sheets_moved_to_layouts()
