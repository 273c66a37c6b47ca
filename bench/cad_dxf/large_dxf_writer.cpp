#include "large_dxf_writer.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace {

class Writer {
 public:
  explicit Writer(std::ofstream& out) : out_(out) {}
  void group(int code, const std::string& value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%3d\n", code);
    text_ += buffer;
    text_ += value;
    text_ += '\n';
    if (text_.size() > (1 << 20)) flush();
  }
  void real(int code, double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.6f", value);
    group(code, buffer);
  }
  void point(int code, double x, double y) {
    real(code, x);
    real(code + 10, y);
    real(code + 20, 0);
  }
  std::string handle() {
    char buffer[20];
    std::snprintf(buffer, sizeof buffer, "%llX", static_cast<unsigned long long>(next_++));
    return buffer;
  }
  void entity(const char* type, const std::string& owner, const char* layer, const char* subclass, bool paper = false) {
    group(0, type);
    group(5, handle());
    group(330, owner);
    group(100, "AcDbEntity");
    if (paper) group(67, "1");
    group(8, layer);
    group(100, subclass);
  }
  void flush() {
    out_ << text_;
    written_ += text_.size();
    text_.clear();
  }
  std::uintmax_t written() const { return written_ + text_.size(); }

 private:
  std::ofstream& out_;
  std::string text_;
  std::uintmax_t written_ = 0;
  unsigned long long next_ = 0x100;
};

void frameBlock(Writer& w) {
  w.group(0, "BLOCK");
  w.group(5, "30");
  w.group(330, "2F");
  w.group(100, "AcDbEntity");
  w.group(8, "0");
  w.group(100, "AcDbBlockBegin");
  w.group(2, "TK-A1");
  w.group(70, "0");
  w.point(10, 0, 0);
  w.group(3, "TK-A1");
  const double rects[][4] = {{0, 0, 841, 594}, {25, 10, 831, 584}, {651, 10, 831, 66}};
  for (const auto& r : rects) {
    w.entity("LWPOLYLINE", "2F", "FRAME", "AcDbPolyline");
    w.group(90, "4");
    w.group(70, "1");
    const double corners[][2] = {{r[0], r[1]}, {r[2], r[1]}, {r[2], r[3]}, {r[0], r[3]}};
    for (const auto& c : corners) {
      w.real(10, c[0]);
      w.real(20, c[1]);
    }
  }
  w.entity("TEXT", "2F", "TEXT", "AcDbText");
  w.point(10, 660, 50);
  w.real(40, 5);
  w.group(1, "DRAWING TITLE");
  w.group(100, "AcDbText");
  w.group(0, "ENDBLK");
  w.group(5, "31");
  w.group(330, "2F");
  w.group(100, "AcDbEntity");
  w.group(8, "0");
  w.group(100, "AcDbBlockEnd");
}

// One sheet of content around a frame at (x, y), drawn at 1:100.
void sheet(Writer& w, double x, double y, int number) {
  w.entity("INSERT", "1F", "FRAME", "AcDbBlockReference");
  w.group(2, "TK-A1");
  w.point(10, x, y);
  for (int code : {41, 42, 43}) w.real(code, 100);
  for (int k = 0; k < 40; ++k) {
    w.entity("LINE", "1F", "WALLS", "AcDbLine");
    w.point(10, x + 3000 + k * 1800, y + 5000);
    w.point(11, x + 3000 + k * 1800, y + 50000 + (k % 7) * 100);
  }
  for (int k = 0; k < 6; ++k) {
    w.entity("LWPOLYLINE", "1F", "ROOMS", "AcDbPolyline");
    w.group(90, "5");
    w.group(70, "1");
    const double x0 = x + 5000 + k * 12000, y0 = y + 10000;
    const double vertices[][3] = {{x0, y0, 0}, {x0 + 10000, y0, 0.25}, {x0 + 10000, y0 + 8000, 0},
                                  {x0 + 5000, y0 + 12000, 0}, {x0, y0 + 8000, 0}};
    for (const auto& v : vertices) {
      w.real(10, v[0]);
      w.real(20, v[1]);
      if (v[2] != 0) w.real(42, v[2]);
    }
  }
  for (int k = 0; k < 8; ++k) {
    w.entity("CIRCLE", "1F", "COLUMNS", "AcDbCircle");
    w.point(10, x + 4000 + k * 9000, y + 30000);
    w.real(40, 300);
  }
  for (int k = 0; k < 6; ++k) {
    w.entity("TEXT", "1F", "TEXT", "AcDbText");
    w.point(10, x + 6000 + k * 11000, y + 45000);
    w.real(40, 350);
    w.group(1, "ROOM " + std::to_string(number) + "-" + std::to_string(k));
    w.group(100, "AcDbText");
  }
}

}  // namespace

std::uintmax_t writeLargeDxf(const std::string& path, std::uintmax_t minimumBytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return 0;
  Writer w(out);
  w.group(0, "SECTION");
  w.group(2, "HEADER");
  w.group(9, "$ACADVER");
  w.group(1, "AC1015");
  w.group(9, "$DWGCODEPAGE");
  w.group(3, "ANSI_1252");
  w.group(9, "$TILEMODE");
  w.group(70, "1");
  w.group(0, "ENDSEC");

  w.group(0, "SECTION");
  w.group(2, "TABLES");
  w.group(0, "TABLE");
  w.group(2, "LAYER");
  for (const char* layer : {"0", "FRAME", "WALLS", "ROOMS", "COLUMNS", "TEXT"}) {
    w.group(0, "LAYER");
    w.group(5, w.handle());
    w.group(100, "AcDbSymbolTableRecord");
    w.group(100, "AcDbLayerTableRecord");
    w.group(2, layer);
    w.group(70, "0");
    w.group(62, "7");
  }
  w.group(0, "ENDTAB");
  w.group(0, "TABLE");
  w.group(2, "BLOCK_RECORD");
  const char* records[][3] = {{"1F", "*Model_Space", "22"}, {"1B", "*Paper_Space", "1E"}, {"2F", "TK-A1", "0"}};
  for (const auto& r : records) {
    w.group(0, "BLOCK_RECORD");
    w.group(5, r[0]);
    w.group(100, "AcDbSymbolTableRecord");
    w.group(100, "AcDbBlockTableRecord");
    w.group(2, r[1]);
    w.group(340, r[2]);
  }
  w.group(0, "ENDTAB");
  w.group(0, "ENDSEC");

  w.group(0, "SECTION");
  w.group(2, "BLOCKS");
  frameBlock(w);
  w.group(0, "ENDSEC");

  w.group(0, "SECTION");
  w.group(2, "ENTITIES");
  for (int n = 0; w.written() < minimumBytes; ++n) sheet(w, (n % 40) * 90000.0, -(n / 40) * 65000.0, n);
  w.group(0, "ENDSEC");

  w.group(0, "SECTION");
  w.group(2, "OBJECTS");
  w.group(0, "DICTIONARY");
  w.group(5, "C");
  w.group(330, "0");
  w.group(100, "AcDbDictionary");
  w.group(3, "ACAD_LAYOUT");
  w.group(350, "1A");
  w.group(0, "DICTIONARY");
  w.group(5, "1A");
  w.group(330, "C");
  w.group(100, "AcDbDictionary");
  w.group(3, "Model");
  w.group(350, "22");
  w.group(3, "Layout1");
  w.group(350, "1E");
  const char* layouts[][5] = {{"22", "Model", "0", "1F", "1024"}, {"1E", "Layout1", "1", "1B", "0"}};
  for (const auto& l : layouts) {
    w.group(0, "LAYOUT");
    w.group(5, l[0]);
    w.group(330, "1A");
    w.group(100, "AcDbPlotSettings");
    w.group(2, "DWG To PDF.pc3");
    w.group(4, "ISO_A1_(841.00_x_594.00_MM)");
    w.real(44, 841);
    w.real(45, 594);
    w.group(70, l[4]);
    w.group(72, "1");
    w.group(100, "AcDbLayout");
    w.group(1, l[1]);
    w.group(71, l[2]);
    w.group(330, l[3]);
  }
  w.group(0, "ENDSEC");
  w.group(0, "EOF");
  w.flush();
  out.close();
  return out ? w.written() : 0;
}
