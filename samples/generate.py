#!/usr/bin/python3
"""Writes the sample drawings (run with /usr/bin/python3; needs python3-ezdxf), into this folder or --output.

The same ezdxf writes the same bytes on every run: dates, GUIDs and ezdxf's own marks are fixed, and the
CLASSES section, which ezdxf fills in set order, is written under a fixed string hash.
"""
import argparse
import os
import sys

# ezdxf lists the classes of the entity types in use in the order of a set of their names.
if os.environ.get("PYTHONHASHSEED") != "0":
    os.execve(sys.executable, [sys.executable] + sys.argv, dict(os.environ, PYTHONHASHSEED="0"))

import ezdxf  # noqa: E402
import ezdxf.render.mleader  # noqa: E402

ezdxf.options.write_fixed_meta_data_for_testing = True

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = HERE


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
    doc.saveas(os.path.join(OUT, "layouts-frames.dxf"))


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
    doc.saveas(os.path.join(OUT, "oversized-layout.dxf"))


def viewports_only():
    doc = new_doc("R2010")
    model_content(doc)
    sheet = paper_layout(doc, "Viewports", 420, 297)
    sheet.add_viewport(center=(110, 150), size=(200, 260), view_center_point=(0, 0), view_height=1000)
    sheet.add_viewport(center=(320, 220), size=(180, 130), view_center_point=(2000, 0), view_height=800)
    sheet.add_viewport(center=(320, 80), size=(180, 130), view_center_point=(4000, 0), view_height=800)
    doc.saveas(os.path.join(OUT, "viewports-only.dxf"))


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
    doc.saveas(os.path.join(OUT, "model-a1-grid-1to100.dxf"))


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
    doc.saveas(os.path.join(OUT, "chinese-layouts.dxf"))


# The sheet of every kind: cells of 60 x 55 mm on an A3 sheet, seven across and five down, one kind each,
# named by a small label at the cell's foot. Tests look for ink in each cell's middle.
EVERY_CELLS = [
    "LINE", "LWPOLYLINE BULGES", "LWPOLYLINE WIDTH", "LWPOLYLINE TAPER", "POLYLINE 2D", "CIRCLE", "ARC",
    "ELLIPSE", "ELLIPSE ARC", "SPLINE CONTROL", "SPLINE FIT", "SOLID", "TRACE", "POLYLINE 3D",
    "HATCH SOLID", "HATCH PATTERN", "TEXT", "TEXT ALIGNED", "MTEXT", "MTEXT CJK", "TEXT CJK",
    "INSERT NESTED", "INSERT MIRRORED", "ATTRIB", "ATTDEF", "DIMENSION LINEAR", "DIMENSION RADIUS", "VIEWPORT",
    "LINETYPE", "LINEWEIGHT", "TRUE COLOUR", "BYBLOCK", "FROZEN", "OFF", "NO PLOT",
]


def every_cell(index):
    """The lower-left corner of a cell of the every-kind sheet."""
    column, row = index % 7, index // 7
    return column * 60.0, 297.0 - 5.0 - (row + 1) * 55.0


def every_entity():
    doc = new_doc()
    doc.layers.add("GRID", color=8)
    doc.layers.add("LABELS", color=8)
    doc.layers.add("HEAVY", color=1, lineweight=100)
    doc.layers.add("FROZEN", color=7).freeze()
    doc.layers.add("OFF", color=7).off()
    doc.layers.add("NOPLOT", color=7).dxf.plot = 0
    doc.linetypes.add("DASHED", [0.75, 0.5, -0.25], description="Dashed __ __ __")
    doc.styles.add("NARROW", font="simplex.shx").dxf.width = 0.7

    inner = doc.blocks.new("INNER")
    inner.add_circle((0, 0), 5)
    inner.add_line((-5, 0), (5, 0))
    outer = doc.blocks.new("OUTER")
    outer.add_lwpolyline(rect(-12, -8, 12, 8), close=True)
    outer.add_blockref("INNER", (4, 0), dxfattribs={"xscale": 0.8, "yscale": 0.8, "rotation": 30})
    flag = doc.blocks.new("FLAG")
    flag.add_lwpolyline([(0, 0), (0, 16), (14, 12), (0, 8)])
    flag.add_solid([(0, 16), (14, 12), (0, 8)])
    tag = doc.blocks.new("TAG")
    tag.add_lwpolyline(rect(-15, -6, 15, 6), close=True)
    tag.add_attdef("NO", insert=(-12, -2), dxfattribs={"height": 4})
    byblock = doc.blocks.new("BYBLOCK")
    byblock.add_lwpolyline(rect(-14, -9, 14, 9), close=True, dxfattribs={"color": 0, "const_width": 1.5})

    msp = doc.modelspace()
    # What the viewport cell shows: a filled square far larger than its view, so the viewport must clip it.
    hatch = msp.add_hatch(color=7)
    hatch.paths.add_polyline_path(rect(19000, -1000, 21000, 1000), is_closed=True)
    msp.add_circle((20000, 0), 50)

    sheet = paper_layout(doc, "Every Kind", 420, 297)
    sheet.add_text("EVERY ENTITY KIND", height=4, dxfattribs={"layer": "LABELS"}).set_placement((5, 5))
    for index, name in enumerate(EVERY_CELLS):
        x, y = every_cell(index)
        sheet.add_lwpolyline(rect(x, y, x + 60, y + 55), close=True, dxfattribs={"layer": "GRID"})
        sheet.add_text(name, height=2.5, dxfattribs={"layer": "LABELS"}).set_placement((x + 2, y + 2))
        cx, cy = x + 30, y + 30
        draw = EVERY_DRAW[name]
        draw(doc, sheet, cx, cy)

    more_kinds(doc)

    doc.layouts.delete("Layout1")
    doc.layouts.set_active_layout("Every Kind")
    doc.header["$TILEMODE"] = 0
    doc.saveas(os.path.join(OUT, "every-entity.dxf"))


# The kinds beyond the first sheet, on a second layout of the same grid.
MORE_CELLS = [
    "MINSERT", "POINT", "3DFACE", "LEADER", "MULTILEADER", "MLINE", "WIPEOUT",
    "XLINE", "RAY", "HELIX", "MESH", "SHAPE", "HATCH GRADIENT", "MULTILEADER BLOCK",
]


def more_kinds(doc):
    # Points show as a circle with a cross, 4 units across.
    doc.header["$PDMODE"] = 35
    doc.header["$PDSIZE"] = 4
    dot = doc.blocks.new("DOT")
    dot.add_solid([(-1.5, -1.5), (1.5, -1.5), (-1.5, 1.5), (1.5, 1.5)])
    marker = doc.blocks.new("MARKER")
    marker.add_circle((0, 0), 4)
    marker.add_line((-4, 0), (4, 0))
    msp = doc.modelspace()
    # What the construction-line cells' viewports show: lines without end, clipped to the viewport.
    msp.add_xline((30000, 0), (1, 0.5))
    msp.add_ray((40000, 0), (1, 1))
    sheet = paper_layout(doc, "More Kinds", 420, 297)
    sheet.add_text("MORE ENTITY KINDS", height=4, dxfattribs={"layer": "LABELS"}).set_placement((5, 5))
    for index, name in enumerate(MORE_CELLS):
        x, y = every_cell(index)
        sheet.add_lwpolyline(rect(x, y, x + 60, y + 55), close=True, dxfattribs={"layer": "GRID"})
        sheet.add_text(name, height=2.5, dxfattribs={"layer": "LABELS"}).set_placement((x + 2, y + 2))
        MORE_DRAW[name](doc, sheet, x + 30, y + 30)


def more_minsert(space, x, y):
    # Three rows of four: twelve squares, 10 apart.
    space.new_entity("INSERT", {"name": "DOT", "insert": (x - 15, y - 10), "column_count": 4, "row_count": 3,
                                "column_spacing": 10, "row_spacing": 10})


def more_multileader(space, x, y):
    builder = space.add_multileader_mtext("Standard")
    builder.set_content("ML TEXT", char_height=5)
    builder.add_leader_line(ezdxf.render.mleader.ConnectionSide.left, [ezdxf.math.Vec2(x - 20, y - 15)])
    builder.build(insert=ezdxf.math.Vec2(x - 5, y + 5))


def more_multileader_block(doc, space, x, y):
    builder = space.add_multileader_block("Standard")
    builder.set_content(name="MARKER", scale=1.5)
    builder.add_leader_line(ezdxf.render.mleader.ConnectionSide.left, [ezdxf.math.Vec2(x - 20, y - 15)])
    builder.build(insert=ezdxf.math.Vec2(x + 8, y + 5))


def more_wipeout(space, x, y):
    # A filled square, its middle wiped out.
    hatch = space.add_hatch(color=7)
    hatch.paths.add_polyline_path(rect(x - 18, y - 14, x + 18, y + 14), is_closed=True)
    space.add_wipeout([(x - 8, y - 6), (x + 8, y - 6), (x + 8, y + 6), (x - 8, y + 6)])


def more_mesh(space, x, y):
    mesh = space.add_mesh()
    with mesh.edit_data() as data:
        data.vertices = [(x - 15, y - 12, 0), (x + 15, y - 12, 0), (x + 15, y + 12, 0), (x - 15, y + 12, 0),
                         (x, y, 10)]
        data.faces = [(0, 1, 4), (1, 2, 4), (2, 3, 4), (3, 0, 4)]


def more_gradient(space, x, y):
    hatch = space.add_hatch()
    hatch.set_gradient((0, 0, 160), (255, 255, 0), rotation=0, name="LINEAR")
    hatch.paths.add_polyline_path(rect(x - 18, y - 12, x + 18, y + 12), is_closed=True)


MORE_DRAW = {
    "MINSERT": lambda doc, s, x, y: more_minsert(s, x, y),
    "POINT": lambda doc, s, x, y: s.add_point((x, y)),
    "3DFACE": lambda doc, s, x, y: s.add_3dface(
        [(x - 18, y - 12, 0), (x + 18, y - 12, 5), (x + 12, y + 12, 10), (x - 12, y + 12, 0)]),
    "LEADER": lambda doc, s, x, y: s.add_leader([(x - 18, y - 12), (x + 6, y + 10), (x + 18, y + 10)]),
    "MULTILEADER": lambda doc, s, x, y: more_multileader(s, x, y),
    "MLINE": lambda doc, s, x, y: s.add_mline([(x - 18, y - 12), (x, y + 12), (x + 18, y - 12)],
                                              dxfattribs={"scale_factor": 4}),
    "WIPEOUT": lambda doc, s, x, y: more_wipeout(s, x, y),
    "XLINE": lambda doc, s, x, y: s.add_viewport(
        center=(x, y), size=(40, 30), view_center_point=(30000, 0), view_height=300,
        dxfattribs={"layer": "VIEWPORTS"}),
    "RAY": lambda doc, s, x, y: s.add_viewport(
        center=(x, y), size=(40, 30), view_center_point=(40000, 0), view_height=300,
        dxfattribs={"layer": "VIEWPORTS"}),
    "HELIX": lambda doc, s, x, y: s.add_helix(radius=12, pitch=5, turns=3).translate(x, y, 0),
    "MESH": lambda doc, s, x, y: more_mesh(s, x, y),
    "SHAPE": lambda doc, s, x, y: s.add_shape("BOX", (x, y), 10),
    "HATCH GRADIENT": lambda doc, s, x, y: more_gradient(s, x, y),
    "MULTILEADER BLOCK": lambda doc, s, x, y: more_multileader_block(doc, s, x, y),
}


def dimension_style():
    return {"dimtxt": 3.0, "dimasz": 3.0, "dimexe": 1.5, "dimexo": 1.0, "dimgap": 1.0}


EVERY_DRAW = {
    "LINE": lambda doc, s, x, y: s.add_line((x - 18, y - 14), (x + 18, y + 14)),
    "LWPOLYLINE BULGES": lambda doc, s, x, y: s.add_lwpolyline(
        [(x - 18, y - 10, 0, 0, 0.6), (x + 18, y - 10, 0, 0, 0), (x + 18, y + 10, 0, 0, -1), (x - 18, y + 10, 0, 0, 0)],
        format="xyseb", close=True),
    "LWPOLYLINE WIDTH": lambda doc, s, x, y: s.add_lwpolyline(
        [(x - 18, y - 12), (x, y + 12), (x + 18, y - 12)], dxfattribs={"const_width": 3}),
    "LWPOLYLINE TAPER": lambda doc, s, x, y: s.add_lwpolyline(
        [(x - 18, y, 8, 0), (x + 18, y, 0, 0)], format="xyse"),
    "POLYLINE 2D": lambda doc, s, x, y: s.add_polyline2d(
        [(x - 18, y - 12), (x, y + 12), (x + 18, y - 12)], format="xy").vertices[0].dxf.set("bulge", 0.5),
    "CIRCLE": lambda doc, s, x, y: s.add_circle((x, y), 14),
    "ARC": lambda doc, s, x, y: s.add_arc((x, y - 6), 18, 20, 160),
    "ELLIPSE": lambda doc, s, x, y: s.add_ellipse((x, y), major_axis=(20, 6), ratio=0.45),
    "ELLIPSE ARC": lambda doc, s, x, y: s.add_ellipse((x, y), major_axis=(0, 16), ratio=0.9, start_param=0.3,
                                                      end_param=3.6),
    "SPLINE CONTROL": lambda doc, s, x, y: s.add_open_spline(
        [(x - 20, y - 12), (x - 8, y + 18), (x + 4, y - 18), (x + 20, y + 12)], degree=3),
    "SPLINE FIT": lambda doc, s, x, y: s.add_spline(
        [(x - 20, y), (x - 10, y + 12), (x, y - 10), (x + 10, y + 12), (x + 20, y)]),
    "SOLID": lambda doc, s, x, y: s.add_solid([(x - 16, y - 12), (x + 16, y - 12), (x - 10, y + 12), (x + 10, y + 12)]),
    "TRACE": lambda doc, s, x, y: s.add_trace([(x - 18, y - 4), (x + 18, y - 4), (x - 18, y + 4), (x + 18, y + 4)]),
    "POLYLINE 3D": lambda doc, s, x, y: s.add_polyline3d(
        [(x - 18, y - 12, 0), (x - 6, y + 12, 40), (x + 6, y - 12, -40), (x + 18, y + 12, 0)]),
    "HATCH SOLID": lambda doc, s, x, y: every_hatch(s, x, y, None),
    "HATCH PATTERN": lambda doc, s, x, y: every_hatch(s, x, y, "ANSI31"),
    "TEXT": lambda doc, s, x, y: s.add_text("Text 123", height=6).set_placement((x - 18, y - 3)),
    "TEXT ALIGNED": lambda doc, s, x, y: s.add_text(
        "Rotated %%c40", height=4, rotation=20, dxfattribs={"style": "NARROW", "width": 0.7}).set_placement(
        (x, y), align=ezdxf.enums.TextEntityAlignment.MIDDLE_CENTER),
    "MTEXT": lambda doc, s, x, y: s.add_mtext(
        "{\\C1;Red} \\H1.5x;big\\P{\\fArial|b1|i0;Bold} \\S1/2; done", dxfattribs={"char_height": 4, "width": 40}
    ).set_location((x - 20, y + 10)),
    "MTEXT CJK": lambda doc, s, x, y: s.add_mtext(
        "建筑说明\\P第二行", dxfattribs={"char_height": 5}).set_location((x, y), attachment_point=5),
    "TEXT CJK": lambda doc, s, x, y: s.add_text("平面图", height=8).set_placement(
        (x, y), align=ezdxf.enums.TextEntityAlignment.MIDDLE_CENTER),
    "INSERT NESTED": lambda doc, s, x, y: s.add_blockref(
        "OUTER", (x, y), dxfattribs={"xscale": 1.2, "yscale": 1.2, "rotation": 15}),
    "INSERT MIRRORED": lambda doc, s, x, y: s.add_blockref("FLAG", (x, y - 8), dxfattribs={"xscale": -1.2}),
    "ATTRIB": lambda doc, s, x, y: s.add_blockref("TAG", (x, y)).add_auto_attribs({"NO": "A-17"}),
    "ATTDEF": lambda doc, s, x, y: s.new_entity(
        "ATTDEF", {"tag": "SHOWN", "text": "value", "insert": (x - 15, y - 3), "height": 5}),
    "DIMENSION LINEAR": lambda doc, s, x, y: s.add_linear_dim(
        base=(x, y + 8), p1=(x - 18, y - 8), p2=(x + 18, y - 8), override=dimension_style()).render(),
    "DIMENSION RADIUS": lambda doc, s, x, y: every_radius(s, x, y),
    "VIEWPORT": lambda doc, s, x, y: s.add_viewport(
        center=(x, y), size=(40, 30), view_center_point=(20000, 0), view_height=300,
        dxfattribs={"layer": "VIEWPORTS"}),
    "LINETYPE": lambda doc, s, x, y: s.add_line((x - 20, y), (x + 20, y), dxfattribs={"linetype": "DASHED",
                                                                                       "ltscale": 8}),
    "LINEWEIGHT": lambda doc, s, x, y: s.add_line((x - 18, y - 12), (x + 18, y + 12), dxfattribs={"layer": "HEAVY"}),
    "TRUE COLOUR": lambda doc, s, x, y: s.add_lwpolyline(
        [(x - 18, y), (x + 18, y)], dxfattribs={"true_color": ezdxf.colors.rgb2int((0, 160, 0)), "const_width": 4}),
    "BYBLOCK": lambda doc, s, x, y: s.add_blockref("BYBLOCK", (x, y), dxfattribs={"color": 5}),
    "FROZEN": lambda doc, s, x, y: s.add_circle((x, y), 14, dxfattribs={"layer": "FROZEN"}),
    "OFF": lambda doc, s, x, y: s.add_circle((x, y), 14, dxfattribs={"layer": "OFF"}),
    "NO PLOT": lambda doc, s, x, y: s.add_circle((x, y), 14, dxfattribs={"layer": "NOPLOT"}),
}


def every_hatch(space, x, y, pattern):
    hatch = space.add_hatch(color=7)
    if pattern:
        hatch.set_pattern_fill(pattern, scale=0.5)
    hatch.paths.add_polyline_path(rect(x - 16, y - 12, x + 16, y + 12), is_closed=True)
    # An island: the hole stays empty.
    hatch.paths.add_polyline_path(rect(x - 5, y - 4, x + 5, y + 4), is_closed=True)


def every_radius(space, x, y):
    space.add_circle((x, y), 14)
    space.add_radius_dim(center=(x, y), radius=14, angle=40, override=dimension_style()).render()


if __name__ == "__main__":
    parser = argparse.ArgumentParser(description="Writes the sample drawings.")
    parser.add_argument("--output", metavar="FOLDER", default=HERE,
                        help="the folder to write them into (default: the script's own folder)")
    OUT = parser.parse_args().output
    os.makedirs(OUT, exist_ok=True)
    layouts_frames()
    oversized_layout()
    viewports_only()
    model_a1_grid()
    chinese_layouts()
    every_entity()
