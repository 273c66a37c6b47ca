#include "sheet_drawing.h"

#include <cmath>
#include <cstdio>
#include <fstream>

namespace {

constexpr double kScale = 100;  // 1:100
constexpr double kWidth = 420 * kScale, kHeight = 297 * kScale;
constexpr double kPitchX = kWidth + 8000, kPitchY = kHeight + 8000;
constexpr int kColumns = 10;

class Dxf {
 public:
  void group(int code, const char* value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%3d\n", code);
    text_ += buffer;
    text_ += value;
    text_ += '\n';
  }
  void group(int code, const std::string& value) { group(code, value.c_str()); }
  void integer(int code, long value) { group(code, std::to_string(value)); }
  void real(int code, double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.4f", value);
    group(code, buffer);
  }
  void point(int code, double x, double y) {
    real(code, x);
    real(code + 10, y);
  }
  // An entity's opening: its type, layer and class markers.
  void entity(const char* type, const char* layer, const char* subclass) {
    group(0, type);
    group(100, "AcDbEntity");
    group(8, layer);
    group(100, subclass);
    ++entities;
  }
  std::string& text() { return text_; }
  std::size_t entities = 0;

 private:
  std::string text_;
};

// A little deterministic noise.
class Noise {
 public:
  double next() {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<double>(state_ >> 11) / 9007199254740992.0;
  }
  double in(double lo, double hi) { return lo + (hi - lo) * next(); }

 private:
  unsigned long long state_ = 0x9E3779B97F4A7C15ull;
};

void tables(Dxf& d) {
  d.group(0, "SECTION");
  d.group(2, "TABLES");
  d.group(0, "TABLE");
  d.group(2, "LTYPE");
  for (const char* name : {"Continuous", "CENTER"}) {
    d.group(0, "LTYPE");
    d.group(100, "AcDbSymbolTableRecord");
    d.group(100, "AcDbLinetypeTableRecord");
    d.group(2, name);
    d.integer(70, 0);
    d.group(3, "");
    d.integer(72, 65);
    if (std::string(name) == "CENTER") {
      d.integer(73, 4);
      d.real(40, 2.0);
      for (double dash : {1.25, -0.25, 0.25, -0.25}) d.real(49, dash);
    } else {
      d.integer(73, 0);
      d.real(40, 0);
    }
  }
  d.group(0, "ENDTAB");
  d.group(0, "TABLE");
  d.group(2, "LAYER");
  const struct {
    const char* name;
    int color;
    const char* linetype;
    int lineweight;
  } layers[] = {{"0", 7, "Continuous", -3},     {"FRAME", 7, "Continuous", 70}, {"WALLS", 7, "Continuous", 50},
                {"ROOMS", 4, "Continuous", 25}, {"AXES", 1, "CENTER", 18},      {"TEXT", 3, "Continuous", 25},
                {"DIMS", 2, "Continuous", 18},  {"HATCH", 8, "Continuous", 0},  {"SYMBOLS", 6, "Continuous", 25}};
  for (const auto& l : layers) {
    d.group(0, "LAYER");
    d.group(100, "AcDbSymbolTableRecord");
    d.group(100, "AcDbLayerTableRecord");
    d.group(2, l.name);
    d.integer(70, 0);
    d.integer(62, l.color);
    d.group(6, l.linetype);
    d.integer(370, l.lineweight);
  }
  d.group(0, "ENDTAB");
  d.group(0, "ENDSEC");
}

void blockStart(Dxf& d, const std::string& name, bool anonymous = false) {
  d.group(0, "BLOCK");
  d.group(100, "AcDbEntity");
  d.group(8, "0");
  d.group(100, "AcDbBlockBegin");
  d.group(2, name);
  d.integer(70, anonymous ? 1 : 0);
  d.point(10, 0, 0);
  d.group(3, name);
}

void blockEnd(Dxf& d) {
  d.group(0, "ENDBLK");
  d.group(100, "AcDbEntity");
  d.group(8, "0");
  d.group(100, "AcDbBlockEnd");
}

void rectangle(Dxf& d, const char* layer, double x0, double y0, double x1, double y1, double width = 0) {
  d.entity("LWPOLYLINE", layer, "AcDbPolyline");
  d.integer(90, 4);
  d.integer(70, 1);
  if (width > 0) d.real(43, width);
  for (const auto& [x, y] : {std::pair{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}) {
    d.real(10, x);
    d.real(20, y);
  }
}

void text(Dxf& d, const char* layer, double x, double y, double height, const std::string& contents) {
  d.entity("TEXT", layer, "AcDbText");
  d.point(10, x, y);
  d.real(40, height);
  d.group(1, contents);
  d.group(100, "AcDbText");
}

void attributeDefinition(Dxf& d, double x, double y, double height, const char* value, const char* prompt,
                         const char* tag) {
  d.group(0, "ATTDEF");
  d.group(100, "AcDbEntity");
  d.group(8, "TEXT");
  d.group(100, "AcDbText");
  d.point(10, x, y);
  d.real(40, height);
  d.group(1, value);
  d.group(100, "AcDbAttributeDefinition");
  d.group(3, prompt);
  d.group(2, tag);
  d.integer(70, 0);
}

void frameBlock(Dxf& d) {
  blockStart(d, "FRAME-A3");
  rectangle(d, "FRAME", 0, 0, 420, 297);
  rectangle(d, "FRAME", 25, 5, 415, 292, 0.7);
  rectangle(d, "FRAME", 235, 5, 415, 61);
  for (int k = 1; k < 4; ++k) {
    d.entity("LINE", "FRAME", "AcDbLine");
    d.point(10, 235, 5 + k * 14);
    d.point(11, 415, 5 + k * 14);
  }
  text(d, "TEXT", 240, 50, 5, "GENERAL ARRANGEMENT");
  text(d, "TEXT", 240, 36, 3.5, "总平面图 第一版");
  attributeDefinition(d, 240, 8, 5, "A-000", "Sheet number", "NUMBER");
  blockEnd(d);
}

void symbolBlock(Dxf& d) {
  blockStart(d, "DOOR");
  d.entity("LINE", "0", "AcDbLine");
  d.point(10, 0, 0);
  d.point(11, 0, 900);
  d.entity("ARC", "0", "AcDbCircle");
  d.point(10, 0, 0);
  d.real(40, 900);
  d.group(100, "AcDbArc");
  d.real(50, 0);
  d.real(51, 90);
  d.entity("LWPOLYLINE", "0", "AcDbPolyline");
  d.integer(90, 2);
  d.real(43, 40);
  d.point(10, -60, 0);
  d.point(10, 960, 0);
  d.entity("CIRCLE", "SYMBOLS", "AcDbCircle");
  d.point(10, 450, 450);
  d.real(40, 80);
  attributeDefinition(d, 100, 100, 150, "D1", "Door", "TAG");
  blockEnd(d);
}

// A linear dimension's block: two extension lines, the dimension line, two arrowheads and the measurement.
void dimensionBlock(Dxf& d, const std::string& name, double x0, double x1, double y, double lineY) {
  blockStart(d, name, true);
  for (double x : {x0, x1}) {
    d.entity("LINE", "0", "AcDbLine");
    d.point(10, x, y + 100);
    d.point(11, x, lineY + 150);
  }
  d.entity("LINE", "0", "AcDbLine");
  d.point(10, x0, lineY);
  d.point(11, x1, lineY);
  for (const auto& [tip, back] : {std::pair{x0, x0 + 250}, {x1, x1 - 250}}) {
    d.entity("SOLID", "0", "AcDbTrace");
    d.point(10, tip, lineY);
    d.point(11, back, lineY + 60);
    d.point(12, back, lineY - 60);
  }
  d.entity("MTEXT", "0", "AcDbMText");
  d.point(10, (x0 + x1) / 2, lineY + 80);
  d.real(40, 250);
  d.integer(71, 8);
  d.group(1, std::to_string(static_cast<int>(std::lround(x1 - x0))));
  blockEnd(d);
}

struct DimensionPlace {
  double x0, x1, y, lineY;
};

DimensionPlace dimensionPlace(int sheet, int k) {
  double box[4];
  SheetDrawing::window(sheet, box);
  const double x0 = box[0] + 4000 + k * 3500;
  return {x0, x0 + 3000, box[1] + 26000, box[1] + 26800};
}

constexpr int kDimensionsPerSheet = 10;

void sheet(Dxf& d, Noise& n, int number) {
  double box[4];
  SheetDrawing::window(number, box);
  const double x = box[0], y = box[1];
  d.entity("INSERT", "FRAME", "AcDbBlockReference");
  d.integer(66, 1);
  d.group(2, "FRAME-A3");
  d.point(10, x, y);
  for (int code : {41, 42, 43}) d.real(code, kScale);
  d.group(0, "ATTRIB");
  d.group(100, "AcDbEntity");
  d.group(8, "TEXT");
  d.group(100, "AcDbText");
  d.point(10, x + 24000, y + 800);
  d.real(40, 500);
  d.group(1, "A-" + std::to_string(100 + number));
  d.group(100, "AcDbAttribute");
  d.group(2, "NUMBER");
  d.integer(70, 0);
  d.group(0, "SEQEND");
  d.group(100, "AcDbEntity");
  d.group(8, "FRAME");

  // The plan inside the frame's drawing area.
  const double ax = x + 3500, ay = y + 7000, aw = 36000, ah = 21500;
  for (int k = 0; k < 600; ++k) {  // walls
    const double px = ax + n.in(0, aw), py = ay + n.in(0, ah);
    const bool across = k % 2 == 0;
    d.entity("LINE", "WALLS", "AcDbLine");
    d.point(10, px, py);
    d.point(11, across ? std::min(px + n.in(300, 3000), ax + aw) : px,
            across ? py : std::min(py + n.in(300, 3000), ay + ah));
  }
  for (int k = 0; k < 300; ++k) {  // rooms, some with an arc side, some drawn wide
    const double px = ax + n.in(0, aw - 3000), py = ay + n.in(0, ah - 3000), w = n.in(800, 3000), h = n.in(800, 3000);
    d.entity("LWPOLYLINE", "ROOMS", "AcDbPolyline");
    d.integer(90, 4);
    d.integer(70, 1);
    if (k % 15 == 0) d.real(43, 60);
    const double corners[4][2] = {{px, py}, {px + w, py}, {px + w, py + h}, {px, py + h}};
    for (int c = 0; c < 4; ++c) {
      d.real(10, corners[c][0]);
      d.real(20, corners[c][1]);
      if (c == 1 && k % 3 == 0) d.real(42, 0.4);
    }
  }
  for (int k = 0; k < 200; ++k) {  // columns
    d.entity("CIRCLE", "WALLS", "AcDbCircle");
    d.point(10, ax + n.in(0, aw), ay + n.in(0, ah));
    d.real(40, n.in(100, 400));
  }
  for (int k = 0; k < 150; ++k) {  // swings
    d.entity("ARC", "WALLS", "AcDbCircle");
    d.point(10, ax + n.in(0, aw), ay + n.in(0, ah));
    d.real(40, n.in(300, 1000));
    d.group(100, "AcDbArc");
    d.real(50, n.in(0, 180));
    d.real(51, n.in(180, 360));
  }
  for (int k = 0; k < 50; ++k) {  // ellipses
    d.entity("ELLIPSE", "ROOMS", "AcDbEllipse");
    d.point(10, ax + n.in(0, aw), ay + n.in(0, ah));
    d.point(11, n.in(200, 900), n.in(-300, 300));
    d.real(40, n.in(0.2, 1));
    d.real(41, 0);
    d.real(42, 6.283185307179586);
  }
  for (int k = 0; k < 30; ++k) {  // splines
    d.entity("SPLINE", "ROOMS", "AcDbSpline");
    d.integer(70, 8);
    d.integer(71, 3);
    d.integer(72, 8);
    d.integer(73, 4);
    for (double knot : {0, 0, 0, 0, 1, 1, 1, 1}) d.real(40, knot);
    const double px = ax + n.in(0, aw - 3000), py = ay + n.in(0, ah - 2000);
    for (int c = 0; c < 4; ++c) {
      d.real(10, px + c * 1000);
      d.real(20, py + n.in(0, 2000));
      d.real(30, 0);
    }
  }
  for (int k = 0; k < 200; ++k) {  // dashed axes
    d.entity("LINE", "AXES", "AcDbLine");
    const double px = ax + n.in(0, aw);
    d.point(10, px, ay);
    d.point(11, px + n.in(-500, 500), ay + ah);
  }
  for (int k = 0; k < 250; ++k) {  // room names
    text(d, "TEXT", ax + n.in(0, aw - 2000), ay + n.in(0, ah), 250,
         k % 4 == 0 ? "卧室 " + std::to_string(k) : "ROOM " + std::to_string(number) + "." + std::to_string(k));
  }
  for (int k = 0; k < 40; ++k) {  // notes
    d.entity("MTEXT", "TEXT", "AcDbMText");
    d.point(10, ax + n.in(0, aw - 4000), ay + n.in(1000, ah));
    d.real(40, 200);
    d.real(41, 4000);
    d.integer(71, 1);
    d.group(1, k % 2 == 0 ? "{\\C1;NOTE} Walls are 200 thick\\Pfinished both sides" : "说明：\\P墙体厚度均为200");
  }
  for (int k = 0; k < 20; ++k) {  // filled areas
    d.entity("HATCH", "HATCH", "AcDbHatch");
    d.point(10, 0, 0);
    d.real(30, 0);
    d.group(2, "SOLID");
    d.integer(70, 1);
    d.integer(71, 0);
    d.integer(91, 1);
    d.integer(92, 2);
    d.integer(72, 0);
    d.integer(73, 1);
    d.integer(93, 4);
    const double px = ax + n.in(0, aw - 2000), py = ay + n.in(0, ah - 2000), s = n.in(300, 1500);
    for (const auto& [cx, cy] : {std::pair{px, py}, {px + s, py}, {px + s, py + s}, {px, py + s}}) d.point(10, cx, cy);
    d.integer(97, 0);
    d.integer(75, 0);
    d.integer(76, 1);
    d.integer(98, 0);
  }
  for (int k = 0; k < 150 - kDimensionsPerSheet; ++k) {  // doors with their tags
    const double px = ax + n.in(0, aw), py = ay + n.in(0, ah);
    d.entity("INSERT", "SYMBOLS", "AcDbBlockReference");
    d.integer(66, 1);
    d.group(2, "DOOR");
    d.point(10, px, py);
    d.real(50, 90.0 * (k % 4));
    if (k % 5 == 0) d.real(41, -1);
    d.group(0, "ATTRIB");
    d.group(100, "AcDbEntity");
    d.group(8, "TEXT");
    d.group(100, "AcDbText");
    d.point(10, px + 100, py + 100);
    d.real(40, 150);
    d.group(1, std::string("D").append(std::to_string(k)));
    d.group(100, "AcDbAttribute");
    d.group(2, "TAG");
    d.integer(70, 0);
    d.group(0, "SEQEND");
    d.group(100, "AcDbEntity");
    d.group(8, "SYMBOLS");
  }
  for (int k = 0; k < kDimensionsPerSheet; ++k) {
    const DimensionPlace p = dimensionPlace(number, k);
    d.entity("DIMENSION", "DIMS", "AcDbDimension");
    d.group(2, "*D" + std::to_string(number * kDimensionsPerSheet + k + 1));
    d.point(10, p.x1, p.lineY);
    d.point(11, (p.x0 + p.x1) / 2, p.lineY + 200);
    d.integer(70, 32);
    d.group(100, "AcDbAlignedDimension");
    d.point(13, p.x0, p.y);
    d.point(14, p.x1, p.y);
    d.group(100, "AcDbRotatedDimension");
  }
}

}  // namespace

void SheetDrawing::window(int n, double box[4]) {
  box[0] = (n % kColumns) * kPitchX;
  box[1] = -(n / kColumns) * kPitchY;
  box[2] = box[0] + kWidth;
  box[3] = box[1] + kHeight;
}

SheetDrawing writeSheetDrawing(const std::string& path, int sheets) {
  Dxf d;
  d.text().reserve(std::size_t{60} << 20);
  d.group(0, "SECTION");
  d.group(2, "HEADER");
  d.group(9, "$ACADVER");
  d.group(1, "AC1021");  // text in UTF-8
  d.group(9, "$LTSCALE");
  d.real(40, 100);
  d.group(0, "ENDSEC");
  tables(d);

  d.group(0, "SECTION");
  d.group(2, "BLOCKS");
  blockStart(d, "*Model_Space");
  blockEnd(d);
  blockStart(d, "*Paper_Space");
  blockEnd(d);
  frameBlock(d);
  symbolBlock(d);
  for (int s = 0; s < sheets; ++s) {
    for (int k = 0; k < kDimensionsPerSheet; ++k) {
      const DimensionPlace p = dimensionPlace(s, k);
      dimensionBlock(d, "*D" + std::to_string(s * kDimensionsPerSheet + k + 1), p.x0, p.x1, p.y, p.lineY);
    }
  }
  d.group(0, "ENDSEC");

  const std::size_t blockEntities = d.entities;
  d.group(0, "SECTION");
  d.group(2, "ENTITIES");
  Noise noise;
  for (int s = 0; s < sheets; ++s) sheet(d, noise, s);
  d.group(0, "ENDSEC");
  d.group(0, "EOF");

  SheetDrawing result;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << d.text();
  if (!out.flush()) return result;
  result.bytes = d.text().size();
  result.sheets = sheets;
  result.entities = d.entities - blockEntities;
  return result;
}
