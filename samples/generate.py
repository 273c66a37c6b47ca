#!/usr/bin/python3
"""Writes the sample drawings in this folder (run with /usr/bin/python3; needs python3-ezdxf).

Each drawing is small and deterministic enough to diff: fixed handles are not promised, geometry is.
"""
import os

import ezdxf

HERE = os.path.dirname(os.path.abspath(__file__))


def rect(x0, y0, x1, y1):
    return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]


def title_block_frame(doc, name, width, height, left=25.0, margin=5.0, title_width=180.0, title_height=56.0):
    """A title-block frame as a block: outer and inner border, a title block at the bottom right, texts."""
    if name in doc.blocks:
        return doc.blocks.get(name)
    block = doc.blocks.new(name)
    block.add_lwpolyline(rect(0, 0, width, height), close=True, dxfattribs={"layer": "FRAME"})
    block.add_lwpolyline(rect(left, margin, width - margin, height - margin), close=True,
                         dxfattribs={"layer": "FRAME", "const_width": 0.7})
    tx0, ty0 = width - margin - title_width, margin
    block.add_lwpolyline(rect(tx0, ty0, width - margin, ty0 + title_height), close=True,
                         dxfattribs={"layer": "FRAME"})
    for k in range(1, 4):
        y = ty0 + k * title_height / 4
        block.add_line((tx0, y), (width - margin, y), dxfattribs={"layer": "FRAME"})
    block.add_text("DRAWING TITLE", height=3.5, dxfattribs={"layer": "TEXT"}).set_placement((tx0 + 5, ty0 + 45))
    block.add_text("SCALE", height=2.5, dxfattribs={"layer": "TEXT"}).set_placement((tx0 + 5, ty0 + 5))
    block.add_attdef("NUMBER", insert=(tx0 + 100, ty0 + 5), dxfattribs={"height": 3.5, "layer": "TEXT"})
    return block


def frame_as_polylines(space, x, y, width, height, left=25.0, margin=5.0, scale=1.0):
    """The same frame drawn as loose polylines and lines (no block), optionally at a drawing scale."""
    def s(v):
        return v * scale
    space.add_lwpolyline(rect(x, y, x + s(width), y + s(height)), close=True, dxfattribs={"layer": "FRAME"})
    space.add_lwpolyline(rect(x + s(left), y + s(margin), x + s(width - margin), y + s(height - margin)),
                         close=True, dxfattribs={"layer": "FRAME"})
    tx0 = x + s(width - margin - 180)
    space.add_lwpolyline(rect(tx0, y + s(margin), x + s(width - margin), y + s(margin + 56)), close=True,
                         dxfattribs={"layer": "FRAME"})
    space.add_text("TITLE", height=s(3.5), dxfattribs={"layer": "TEXT"}).set_placement((tx0 + s(5), y + s(45)))


def new_doc(version="R2018"):
    doc = ezdxf.new(version, setup=False)
    doc.layers.add("FRAME", color=7)
    doc.layers.add("TEXT", color=3)
    doc.layers.add("VIEWPORTS", color=8).dxf.plot = 0
    return doc


def paper_layout(doc, name, width, height, device="DWG To PDF.pc3"):
    layout = doc.layouts.new(name)
    layout.page_setup(size=(width, height), margins=(0, 0, 0, 0), units="mm", device=device)
    return layout


def model_content(doc):
    msp = doc.modelspace()
    for k in range(5):
        msp.add_circle((k * 1000.0, 0), 300, dxfattribs={"layer": "0"})
    msp.add_line((0, -1000), (4000, 1000))


def layouts_frames():
    doc = new_doc()
    model_content(doc)
    title_block_frame(doc, "TK-A3", 420, 297)
    title_block_frame(doc, "TK-A4", 210, 297, margin=5, title_width=180, title_height=40)

    a3 = paper_layout(doc, "A3 Block", 420, 297)
    ref = a3.add_blockref("TK-A3", (0, 0))
    ref.add_auto_attribs({"NUMBER": "S-101"})
    a3.add_viewport(center=(212.5, 170), size=(350, 220), view_center_point=(2000, 0), view_height=2200,
                    dxfattribs={"layer": "VIEWPORTS"})

    lines = paper_layout(doc, "A3 Polylines", 420, 297)
    frame_as_polylines(lines, 0, 0, 420, 297)
    lines.add_viewport(center=(212.5, 170), size=(350, 220), view_center_point=(0, 0), view_height=1000,
                       dxfattribs={"layer": "VIEWPORTS"})

    a4 = paper_layout(doc, "A4 Portrait", 210, 297)
    a4.add_blockref("TK-A4", (0, 0))
    a4.add_viewport(center=(115, 170), size=(160, 200), view_center_point=(0, 0), view_height=800,
                    dxfattribs={"layer": "VIEWPORTS"})

    doc.layouts.delete("Layout1")
    doc.layouts.set_active_layout("A3 Block")
    doc.header["$TILEMODE"] = 0
    doc.saveas(os.path.join(HERE, "layouts-frames.dxf"))


def oversized_layout():
    doc = new_doc("R2000")
    model_content(doc)
    title_block_frame(doc, "TK-A3", 420, 297)
    sheet = paper_layout(doc, "Oversized", 1682, 594)
    for k in range(4):
        x = 10 + k * 415.0
        sheet.add_blockref("TK-A3", (x, 10), dxfattribs={"xscale": 0.98, "yscale": 0.98})
        sheet.add_viewport(center=(x + 210, 180), size=(330, 200), view_center_point=(k * 1000.0, 0),
                           view_height=900, dxfattribs={"layer": "VIEWPORTS"})
    # An A4 sheet turned by a quarter turn at the right edge, and an A3 drawn as polylines.
    title_block_frame(doc, "TK-A4", 210, 297, margin=5, title_width=180, title_height=40)
    sheet.add_blockref("TK-A4", (1680, 300), dxfattribs={"rotation": 90})
    frame_as_polylines(sheet, 10, 310, 420, 297, scale=0.9)
    doc.layouts.delete("Layout1")
    doc.saveas(os.path.join(HERE, "oversized-layout.dxf"))


def viewports_only():
    doc = new_doc("R2010")
    model_content(doc)
    sheet = paper_layout(doc, "Viewports", 420, 297)
    sheet.add_viewport(center=(110, 150), size=(200, 260), view_center_point=(0, 0), view_height=1000)
    sheet.add_viewport(center=(320, 220), size=(180, 130), view_center_point=(2000, 0), view_height=800)
    sheet.add_viewport(center=(320, 80), size=(180, 130), view_center_point=(4000, 0), view_height=800)
    doc.saveas(os.path.join(HERE, "viewports-only.dxf"))


def model_a1_grid():
    doc = new_doc()
    msp = doc.modelspace()
    # A1 at 1:100: the block is drawn at paper size and inserted at scale 100 (84100 x 59400 units).
    title_block_frame(doc, "TK-A1", 841, 594, left=25, margin=10)
    for row in range(2):
        for column in range(3):
            x, y = column * 90000.0, -row * 65000.0
            ref = msp.add_blockref("TK-A1", (x, y), dxfattribs={"xscale": 100, "yscale": 100, "zscale": 100})
            ref.add_auto_attribs({"NUMBER": "A-%d%02d" % (row + 1, column + 1)})
            msp.add_circle((x + 40000, y + 30000), 15000)
            msp.add_line((x + 5000, y + 5000), (x + 75000, y + 55000))
    # One more A1 frame drawn as polylines at 1:100 below the grid.
    frame_as_polylines(msp, 0, -130000, 841, 594, left=25, margin=10, scale=100)
    doc.saveas(os.path.join(HERE, "model-a1-grid-1to100.dxf"))


def chinese_layouts():
    doc = new_doc()
    doc.layers.add("图框", color=7)
    doc.layers.add("文字", color=2)
    msp = doc.modelspace()
    msp.add_text("总平面图", height=500, dxfattribs={"layer": "文字"}).set_placement((0, 0))
    msp.add_mtext("建筑设计说明\\P第二行：详见图纸", dxfattribs={"char_height": 250, "layer": "文字"}).set_location(
        (0, -1000))
    block = doc.blocks.new("图框A3")
    block.add_lwpolyline(rect(0, 0, 420, 297), close=True, dxfattribs={"layer": "图框"})
    block.add_lwpolyline(rect(25, 5, 415, 292), close=True, dxfattribs={"layer": "图框"})
    block.add_lwpolyline(rect(235, 5, 415, 61), close=True, dxfattribs={"layer": "图框"})
    block.add_text("图名", height=5, dxfattribs={"layer": "文字"}).set_placement((240, 45))
    for name in ["平面图", "立面图", "剖面图 1-1"]:
        sheet = paper_layout(doc, name, 420, 297)
        sheet.add_blockref("图框A3", (0, 0))
        sheet.add_text(name, height=7, dxfattribs={"layer": "文字"}).set_placement((300, 30))
        sheet.add_viewport(center=(130, 180), size=(200, 200), view_center_point=(0, 0), view_height=5000)
    doc.layouts.delete("Layout1")
    doc.saveas(os.path.join(HERE, "chinese-layouts.dxf"))


if __name__ == "__main__":
    layouts_frames()
    oversized_layout()
    viewports_only()
    model_a1_grid()
    chinese_layouts()
