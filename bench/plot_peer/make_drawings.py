#!/usr/bin/python3
"""Writes the drawings the plot comparison plots (needs python3-ezdxf): FOLDER/sheets.dxf, 50 layouts of A1 and
A3 sheets with about 2,000 mixed entities each and Chinese text, and FOLDER/small.dxf, one small A3 sheet.

Each sheet's drawing lies in model space, side by side, and its layout shows it through one viewport at 1:1, so a
plotter that draws layouts and one that draws model space draw the same entities.
"""
import math
import random
import sys

import ezdxf

A1 = (841.0, 594.0)
A3 = (420.0, 297.0)
LATIN = ["KITCHEN", "LIVING ROOM", "DOOR D-12", "WINDOW W-3", "STAIR 2", "SHAFT", "BATH", "STORE 04"]
CHINESE = ["设备间", "厨房", "卫生间", "楼梯间", "走廊", "配电室", "会议室", "办公室", "机房", "储藏室"]


def new_doc():
    doc = ezdxf.new("R2018", setup=False, units=ezdxf.units.MM)
    doc.styles.add("CJK", font="NotoSansCJK-Regular.ttc")
    for name, color in [("WALLS", 7), ("AXES", 1), ("FURNITURE", 4), ("TEXT", 3), ("FRAME", 7)]:
        doc.layers.add(name, color=color)
    vp = doc.layers.add("VIEWPORTS", color=8)
    vp.dxf.plot = 0
    return doc


def sheet_entities(msp, ox, oy, size, count, rng):
    """About `count` mixed entities on a sheet of `size` mm whose lower-left corner is (ox, oy)."""
    w, h = size
    msp.add_lwpolyline([(ox, oy), (ox + w, oy), (ox + w, oy + h), (ox, oy + h)], close=True,
                       dxfattribs={"layer": "FRAME"})
    msp.add_lwpolyline([(ox + 25, oy + 5), (ox + w - 5, oy + 5), (ox + w - 5, oy + h - 5), (ox + 25, oy + h - 5)],
                       close=True, dxfattribs={"layer": "FRAME", "const_width": 0.5})

    def pt():
        return ox + 30 + rng.random() * (w - 40), oy + 10 + rng.random() * (h - 20)

    made = 2
    while made < count:
        kind = rng.random()
        x, y = pt()
        if kind < 0.40:
            a = rng.random() * math.tau
            r = 5 + rng.random() * 40
            msp.add_line((x, y), (x + r * math.cos(a), y + r * math.sin(a)), dxfattribs={"layer": "WALLS"})
        elif kind < 0.52:
            msp.add_circle((x, y), 0.5 + rng.random() * 8, dxfattribs={"layer": "FURNITURE"})
        elif kind < 0.64:
            a = rng.random() * 360
            msp.add_arc((x, y), 1 + rng.random() * 10, a, a + 30 + rng.random() * 200, dxfattribs={"layer": "AXES"})
        elif kind < 0.76:
            points = [(x, y)]
            for _ in range(4):
                points.append((points[-1][0] + rng.uniform(-15, 15), points[-1][1] + rng.uniform(-15, 15)))
            msp.add_lwpolyline(points, dxfattribs={"layer": "WALLS"})
        elif kind < 0.88:
            msp.add_text(rng.choice(LATIN), height=2.5, dxfattribs={"layer": "TEXT"}).set_placement((x, y))
        elif kind < 0.97:
            msp.add_text(rng.choice(CHINESE), height=3.5, dxfattribs={"layer": "TEXT", "style": "CJK"}).set_placement(
                (x, y))
        else:
            msp.add_mtext(rng.choice(CHINESE) + "\\P" + rng.choice(LATIN),
                          dxfattribs={"layer": "TEXT", "style": "CJK", "char_height": 3}).set_location((x, y))
        made += 1


def sheet_layout(doc, name, ox, oy, size):
    w, h = size
    layout = doc.layouts.new(name)
    layout.page_setup(size=size, margins=(0, 0, 0, 0), units="mm", device="DWG To PDF.pc3")
    layout.add_viewport(center=(w / 2, h / 2), size=(w, h), view_center_point=(ox + w / 2, oy + h / 2), view_height=h,
                        dxfattribs={"layer": "VIEWPORTS"})


def sheets(path, count=50, entities=2000):
    rng = random.Random(30)
    doc = new_doc()
    msp = doc.modelspace()
    for n in range(count):
        size = A1 if n % 2 == 0 else A3
        ox, oy = (n % 10) * 900.0, -(n // 10) * 650.0
        sheet_entities(msp, ox, oy, size, entities, rng)
        sheet_layout(doc, "Sheet %02d" % (n + 1), ox, oy, size)
    doc.layouts.delete("Layout1")
    doc.saveas(path)


def small(path):
    rng = random.Random(3)
    doc = new_doc()
    msp = doc.modelspace()
    sheet_entities(msp, 0, 0, A3, 150, rng)
    msp.add_text("KITCHEN", height=5, dxfattribs={"layer": "TEXT"}).set_placement((60, 250))
    msp.add_text("设备间", height=5, dxfattribs={"layer": "TEXT", "style": "CJK"}).set_placement((60, 240))
    sheet_layout(doc, "Sheet", 0, 0, A3)
    doc.layouts.delete("Layout1")
    doc.saveas(path)


if __name__ == "__main__":
    folder = sys.argv[1] if len(sys.argv) > 1 else "."
    sheets(folder + "/sheets.dxf")
    small(folder + "/small.dxf")
