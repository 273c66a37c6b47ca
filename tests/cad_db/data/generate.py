#!/usr/bin/python3
"""Writes the DXF variants the drawing-database tests read (run with /usr/bin/python3; needs python3-ezdxf).

The tests hold the expected geometry, so change both together.
"""
import os

import ezdxf

HERE = os.path.dirname(os.path.abspath(__file__))


def rect(x0, y0, x1, y1):
    return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]


def four_lines(space, x0, y0, x1, y1, layer="FRAME"):
    for a, b in zip(rect(x0, y0, x1, y1), rect(x0, y0, x1, y1)[1:] + rect(x0, y0, x1, y1)[:1]):
        space.add_line(a, b, dxfattribs={"layer": layer})


def r12_frames():
    doc = ezdxf.new("R12", setup=False)
    doc.layers.add("FRAME")
    msp = doc.modelspace()
    # LOGO inside STAMP inside TK-R12: three levels of nesting.
    logo = doc.blocks.new("LOGO")
    logo.add_circle((0, 0), 10)
    stamp = doc.blocks.new("STAMP")
    stamp.add_polyline2d(rect(0, 0, 60, 30), close=True)
    stamp.add_blockref("LOGO", (15, 15))
    frame = doc.blocks.new("TK-R12")
    frame.add_polyline2d(rect(0, 0, 420, 297), close=True, dxfattribs={"layer": "FRAME"})
    four_lines(frame, 25, 5, 415, 292)
    frame.add_blockref("STAMP", (350, 10))
    msp.add_blockref("TK-R12", (0, 0))
    msp.add_blockref("TK-R12", (1000, 0), dxfattribs={"rotation": 90})
    # A border of four single lines, and a 2D polyline with a half-circle bulge.
    four_lines(msp, 0, 1000, 420, 1297)
    pline = msp.add_polyline2d([(0, 2000), (100, 2000)])
    pline.vertices[0].dxf.bulge = 1.0
    psp = doc.layout()
    psp.add_circle((100, 100), 50)
    psp.add_text("PAPER", dxfattribs={"height": 5, "insert": (10, 10)})
    doc.saveas(os.path.join(HERE, "r12-frames.dxf"))


def r2000_gbk():
    doc = ezdxf.new("R2000", setup=False)
    doc.encoding = "gbk"
    doc.layers.add("图框")
    doc.layers.add("不打印").dxf.plot = 0
    msp = doc.modelspace()
    frame = doc.blocks.new("图框A3", base_point=(10, 20))
    frame.add_lwpolyline(rect(10, 20, 430, 317), close=True, dxfattribs={"layer": "图框"})
    frame.add_text("设计", dxfattribs={"height": 5, "insert": (300, 40), "layer": "图框"})
    msp.add_blockref("图框A3", (0, 0))
    msp.add_blockref("图框A3", (1000, 0), dxfattribs={"xscale": -1})
    msp.add_blockref("图框A3", (2000, 0), dxfattribs={"rotation": 30})
    msp.add_polyline2d(rect(0, 1000, 420, 1297), close=True, dxfattribs={"layer": "图框"})
    msp.add_arc((0, 3000), 100, 0, 90)
    msp.add_line((0, 5000), (10, 5000), dxfattribs={"layer": "不打印"})
    for name in ["图纸一", "图纸二"]:
        sheet = doc.layouts.new(name)
        sheet.page_setup(size=(420, 297), margins=(0, 0, 0, 0), units="mm", device="DWG To PDF.pc3")
        sheet.add_blockref("图框A3", (-10, -20))
        sheet.add_text(name, dxfattribs={"height": 5, "insert": (20, 20)})
    doc.layouts.delete("Layout1")
    doc.saveas(os.path.join(HERE, "r2000-gbk.dxf"))


def r2018_mixed():
    doc = ezdxf.new("R2018", setup=False)
    doc.layers.add("OFF").off()
    doc.layers.add("FROZEN").freeze()
    msp = doc.modelspace()
    msp.add_mtext("{\\fArial|b1;Title}\\PSecond line", dxfattribs={"char_height": 10, "insert": (0, 0),
                                                                    "attachment_point": 1})
    hatch = msp.add_hatch()
    hatch.paths.add_polyline_path([(0, -100), (50, -100), (50, -50)], is_closed=True)
    edges = hatch.paths.add_edge_path()
    edges.add_line((100, -100), (150, -100))
    edges.add_arc((125, -100), 25, 0, 180)
    msp.add_ellipse((0, 500), (50, 0), 0.5)
    msp.add_spline([(0, 600), (50, 650), (100, 600)])
    msp.add_lwpolyline([(0, 1000, 0, 0, 1.0), (100, 1000)], format="xyseb", dxfattribs={"layer": "OFF"})
    inner = doc.blocks.new("INNER")
    inner.add_line((0, 0), (10, 0))
    outer = doc.blocks.new("OUTER")
    outer.add_blockref("INNER", (100, 0), dxfattribs={"xscale": 2})
    outer.add_attdef("TAG", (0, 0), dxfattribs={"height": 2})
    ref = msp.add_blockref("OUTER", (0, 2000))
    ref.add_auto_attribs({"TAG": "VALUE"})
    msp.add_blockref("MISSING", (0, 3000))
    doc.add_xref_def("frames.dwg", "XREF-FRAME")
    msp.add_blockref("XREF-FRAME", (0, 4000))
    sheet = doc.layouts.new("Sheet")
    sheet.page_setup(size=(841, 594), margins=(0, 0, 0, 0), units="mm", device="DWG To PDF.pc3")
    sheet.add_viewport(center=(200, 200), size=(100, 100), view_center_point=(0, 0), view_height=100)
    off = sheet.add_viewport(center=(500, 200), size=(100, 100), view_center_point=(0, 0), view_height=100)
    off.dxf.status = 0
    doc.saveas(os.path.join(HERE, "r2018-mixed.dxf"))
    with open(os.path.join(HERE, "r2018-mixed.dxf"), "rb") as f:
        text = f.read()
    with open(os.path.join(HERE, "r2018-mixed-crlf.dxf"), "wb") as f:
        f.write(text.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n"))


if __name__ == "__main__":
    r12_frames()
    r2000_gbk()
    r2018_mixed()
