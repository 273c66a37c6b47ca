#include "cad/plot/plot_style_table.h"

#include <qpdf/Pipeline.hh>
#include <qpdf/Pl_Flate.hh>
#include <qpdf/Pl_String.hh>

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <exception>
#include <map>
#include <set>
#include <stdexcept>

#include "cad/tables.h"
#include "foundation/paths.h"
#include "foundation/text.h"

namespace cad {

namespace {

constexpr std::string_view kMagic = "PLOTSTYLETABLE_1.0,";
constexpr std::string_view kHeaderEnd = ",compress\r\n";
constexpr std::size_t kBinaryFields = 12;
// Far beyond any real table (a full colour-dependent one is some 30 KB of text): a stream that inflates beyond it is refused there.
constexpr std::uint32_t kMaxTextBytes = 1u << 20;

std::uint32_t adler32(std::string_view data) {
  constexpr std::uint32_t kModulus = 65521;
  std::uint32_t a = 1, b = 0;
  for (unsigned char c : data) {
    a = (a + c) % kModulus;
    b = (b + a) % kModulus;
  }
  return (b << 16) | a;
}

void putU32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::uint32_t getU32(std::string_view in) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(in[i]);
  return v;
}

std::string_view kindCode(PlotStyleKind kind) { return kind == PlotStyleKind::kNamed ? "STB" : "CTB"; }

// Collects inflated bytes and stops a stream that would inflate beyond what the header promised.
class BoundedSink : public Pipeline {
 public:
  BoundedSink(std::string& out, std::size_t limit) : Pipeline("plot style text", nullptr), out_(out), limit_(limit) {}
  void write(unsigned char const* data, size_t len) override {
    if (len > limit_ - out_.size()) throw std::length_error("the stream holds more than the header says");
    out_.append(reinterpret_cast<const char*>(data), len);
  }
  void finish() override {}

 private:
  std::string& out_;
  std::size_t limit_;
};

std::string deflated(std::string_view text) {
  std::string out;
  Pl_String sink("plot style stream", nullptr, out);
  Pl_Flate deflate("plot style deflate", &sink, Pl_Flate::a_deflate);
  deflate.write(reinterpret_cast<const unsigned char*>(text.data()), text.size());
  deflate.finish();
  return out;
}

// The stream inflated; nullopt when it is damaged or truncated (the inflater's warnings count as damage).
std::optional<std::string> inflated(std::string_view stream, std::size_t limit) {
  std::string out;
  try {
    BoundedSink sink(out, limit);
    Pl_Flate inflate("plot style inflate", &sink, Pl_Flate::a_inflate);
    bool warned = false;
    inflate.setWarnCallback([&warned](char const*, int) { warned = true; });
    inflate.write(reinterpret_cast<const unsigned char*>(stream.data()), stream.size());
    inflate.finish();
    if (warned) return std::nullopt;
  } catch (const std::exception&) {
    return std::nullopt;
  }
  return out;
}

// ---- text ----

std::string quoted(std::wstring_view text) {
  std::string out = "\"";
  for (char c : foundation::utf8FromWideLossy(text)) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string number(double v) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
  return std::string(buffer, result.ptr);
}

std::string colorText(const std::optional<PenColor>& c) {
  if (!c) return "object";
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", c->red, c->green, c->blue);
  return buffer;
}

std::string tableText(const PlotStyleTable& table) {
  std::string text = "description=" + quoted(table.description) + "\n";
  text += "plot_style{\n";
  const int first = table.kind == PlotStyleKind::kColorDependent ? 1 : 0;
  for (std::size_t i = 0; i < table.styles.size(); ++i) {
    const PlotStyle& s = table.styles[i];
    text += ' ';
    text += std::to_string(first + static_cast<int>(i));
    text += "{\n";
    text += "  name=" + quoted(s.name) + "\n";
    text += "  description=" + quoted(s.description) + "\n";
    text += "  color=" + colorText(s.color) + "\n";
    text += "  lineweight=" + (s.lineweight ? number(*s.lineweight) : std::string("object")) + "\n";
    text += "  screen=" + std::to_string(s.screen) + "\n";
    text += " }\n";
  }
  text += "}\n";
  return text;
}

struct Node {
  std::string key;
  std::optional<std::string> value;  // a "key=value" line; a block has children instead
  std::vector<Node> children;
  int line = 0;
};

class TextError : public std::runtime_error {
 public:
  TextError(int line, const std::string& what) : std::runtime_error("line " + std::to_string(line) + ": " + what) {}
};

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

Node parseTree(std::string_view text) {
  Node root;
  std::vector<Node*> open{&root};
  int lineNumber = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = trimmed(text.substr(start, end - start));
    start = end + 1;
    ++lineNumber;
    if (line.empty()) continue;
    if (line == "}") {
      if (open.size() == 1) throw TextError(lineNumber, "a block ends that never began");
      open.pop_back();
      continue;
    }
    Node node;
    node.line = lineNumber;
    if (line.back() == '{') {
      node.key = std::string(trimmed(line.substr(0, line.size() - 1)));
      if (node.key.empty()) throw TextError(lineNumber, "a block without a name");
      open.back()->children.push_back(std::move(node));
      open.push_back(&open.back()->children.back());
      continue;
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos || eq == 0) throw TextError(lineNumber, "neither a value nor a block");
    node.key = std::string(trimmed(line.substr(0, eq)));
    node.value = std::string(trimmed(line.substr(eq + 1)));
    open.back()->children.push_back(std::move(node));
  }
  if (open.size() != 1) throw TextError(lineNumber, "a block does not end");
  return root;
}

std::wstring unquoted(const Node& node) {
  const std::string& v = *node.value;
  if (v.size() < 2 || v.front() != '"' || v.back() != '"') throw TextError(node.line, node.key + " is not quoted");
  std::string out;
  for (std::size_t i = 1; i + 1 < v.size(); ++i) {
    char c = v[i];
    if (c == '"') throw TextError(node.line, node.key + " has a stray quote");
    if (c == '\\') {
      if (i + 2 >= v.size()) throw TextError(node.line, node.key + " ends in an escape");
      c = v[++i];
      if (c == 'n') {
        c = '\n';
      } else if (c == 'r') {
        c = '\r';
      } else if (c != '"' && c != '\\') {
        throw TextError(node.line, node.key + " has an unknown escape");
      }
    }
    out += c;
  }
  std::optional<std::wstring> wide = foundation::wideFromUtf8(out);
  if (!wide) throw TextError(node.line, node.key + " is not UTF-8");
  return *wide;
}

std::optional<PenColor> colorValue(const Node& node) {
  const std::string& v = *node.value;
  if (v == "object") return std::nullopt;
  unsigned rgb = 0;
  const auto [ptr, ec] = std::from_chars(v.data() + 1, v.data() + v.size(), rgb, 16);
  if (v.size() != 7 || v[0] != '#' || ec != std::errc() || ptr != v.data() + v.size()) {
    throw TextError(node.line, "color is neither \"object\" nor #RRGGBB");
  }
  return PenColor{static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>((rgb >> 8) & 0xFF),
                  static_cast<std::uint8_t>(rgb & 0xFF)};
}

std::optional<double> lineweightValue(const Node& node) {
  const std::string& v = *node.value;
  if (v == "object") return std::nullopt;
  double mm = 0;
  const auto [ptr, ec] = std::from_chars(v.data(), v.data() + v.size(), mm);
  if (ec != std::errc() || ptr != v.data() + v.size() || !std::isfinite(mm) || mm < 0 ||
      mm > PlotStyleTable::kMaxLineweight) {
    throw TextError(node.line, "lineweight is neither \"object\" nor a width from 0 to 2.11 mm");
  }
  return mm;
}

int integerValue(const Node& node, int low, int high) {
  const std::string& v = *node.value;
  int n = 0;
  const auto [ptr, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
  if (ec != std::errc() || ptr != v.data() + v.size() || n < low || n > high) {
    throw TextError(node.line,
                    node.key + " must be a whole number from " + std::to_string(low) + " to " + std::to_string(high));
  }
  return n;
}

PlotStyle styleFrom(const Node& block) {
  PlotStyle style;
  std::set<std::string> seen;
  for (const Node& field : block.children) {
    if (!field.value) throw TextError(field.line, "a style holds no blocks");
    if (!seen.insert(field.key).second) throw TextError(field.line, field.key + " is given twice");
    if (field.key == "name") {
      style.name = unquoted(field);
    } else if (field.key == "description") {
      style.description = unquoted(field);
    } else if (field.key == "color") {
      style.color = colorValue(field);
    } else if (field.key == "lineweight") {
      style.lineweight = lineweightValue(field);
    } else if (field.key == "screen") {
      style.screen = integerValue(field, 0, 100);
    } else {
      throw TextError(field.line, "unknown style field " + field.key);
    }
  }
  for (const char* required : {"name", "color", "lineweight"}) {
    if (seen.count(required) == 0) throw TextError(block.line, std::string("a style without ") + required);
  }
  if (style.name.empty()) throw TextError(block.line, "a style without a name");
  return style;
}

PlotStyleTable tableFrom(const Node& root, PlotStyleKind kind) {
  PlotStyleTable table;
  table.kind = kind;
  const Node* styles = nullptr;
  bool described = false;
  for (const Node& node : root.children) {
    if (node.key == "description" && node.value && !described) {
      table.description = unquoted(node);
      described = true;
    } else if (node.key == "plot_style" && !node.value && styles == nullptr) {
      styles = &node;
    } else {
      throw TextError(node.line, "unexpected " + node.key);
    }
  }
  if (styles == nullptr) throw TextError(1, "no plot_style block");
  const int first = kind == PlotStyleKind::kColorDependent ? 1 : 0;
  std::set<std::wstring> names;
  for (const Node& block : styles->children) {
    if (block.value) throw TextError(block.line, "plot_style holds only numbered styles");
    const int expected = first + static_cast<int>(table.styles.size());
    if (block.key != std::to_string(expected)) {
      throw TextError(block.line, "style " + block.key + " where " + std::to_string(expected) + " belongs");
    }
    table.styles.push_back(styleFrom(block));
    if (!names.insert(foldedName(table.styles.back().name)).second) {
      throw TextError(block.line, "two styles share a name");
    }
  }
  if (kind == PlotStyleKind::kColorDependent && table.styles.size() != PlotStyleTable::kColorCount) {
    throw TextError(styles->line, "a colour-dependent table needs 255 styles");
  }
  if (kind == PlotStyleKind::kNamed && table.styles.empty()) throw TextError(styles->line, "no styles");
  return table;
}

PlotStyleTableRead refused(std::string why) { return {std::nullopt, std::move(why)}; }

}  // namespace

PlotStyleTable PlotStyleTable::colorDependent(std::wstring description) {
  PlotStyleTable table;
  table.kind = PlotStyleKind::kColorDependent;
  table.description = std::move(description);
  for (int i = 1; i <= kColorCount; ++i) table.styles.push_back({L"Color_" + std::to_wstring(i), L"", {}, {}, 100});
  return table;
}

PlotStyleTable PlotStyleTable::named(std::wstring description) {
  PlotStyleTable table;
  table.kind = PlotStyleKind::kNamed;
  table.description = std::move(description);
  table.styles.push_back({L"Normal", L"", {}, {}, 100});
  return table;
}

const PlotStyle* PlotStyleTable::styleForColor(int colorIndex) const {
  if (kind != PlotStyleKind::kColorDependent || colorIndex < 1 || colorIndex > static_cast<int>(styles.size())) {
    return nullptr;
  }
  return &styles[colorIndex - 1];
}

const PlotStyle* PlotStyleTable::styleNamed(std::wstring_view name) const {
  if (kind != PlotStyleKind::kNamed) return nullptr;
  for (const PlotStyle& s : styles) {
    if (namesEqual(s.name, name)) return &s;
  }
  return nullptr;
}

Pen penFor(const PlotStyle* style, PenColor objectColor, double objectLineweight) {
  if (style == nullptr) return {objectColor, objectLineweight};
  PenColor c = style->color.value_or(objectColor);
  // Screening thins the ink towards the paper's white.
  const auto screened = [screen = style->screen](std::uint8_t v) {
    return static_cast<std::uint8_t>(std::lround(255 - (255 - v) * screen / 100.0));
  };
  c = {screened(c.red), screened(c.green), screened(c.blue)};
  return {c, style->lineweight.value_or(objectLineweight)};
}

std::string plotStyleSuffix(PlotStyleKind kind) { return kind == PlotStyleKind::kNamed ? ".stb" : ".ctb"; }

std::string encodePlotStyleTable(const PlotStyleTable& table) {
  return packPlotStyleTable(table.kind, tableText(table));
}

std::string packPlotStyleTable(PlotStyleKind kind, std::string_view text) {
  const std::string stream = deflated(text);
  std::string out;
  out += kMagic;
  out += kindCode(kind);
  out += kHeaderEnd;
  putU32(out, adler32(text));
  putU32(out, static_cast<std::uint32_t>(text.size()));
  putU32(out, static_cast<std::uint32_t>(stream.size()));
  return out + stream;
}

PlotStyleTableRead decodePlotStyleTable(std::string_view bytes) {
  const std::size_t headerSize = kMagic.size() + 3 + kHeaderEnd.size();
  if (bytes.size() < headerSize + kBinaryFields || bytes.substr(0, kMagic.size()) != kMagic ||
      bytes.substr(kMagic.size() + 3, kHeaderEnd.size()) != kHeaderEnd) {
    return refused("not a plot-style table");
  }
  const std::string_view code = bytes.substr(kMagic.size(), 3);
  if (code != "CTB" && code != "STB") return refused("not a plot-style table");
  const PlotStyleKind kind = code == "STB" ? PlotStyleKind::kNamed : PlotStyleKind::kColorDependent;
  const std::string_view fields = bytes.substr(headerSize, kBinaryFields);
  const std::uint32_t checksum = getU32(fields);
  const std::uint32_t textSize = getU32(fields.substr(4));
  const std::uint32_t streamSize = getU32(fields.substr(8));
  const std::string_view stream = bytes.substr(headerSize + kBinaryFields);
  if (stream.size() != streamSize || stream.size() < 6)
    return refused("the table is truncated or has bytes after its end");
  if (textSize > kMaxTextBytes) return refused("the table claims an impossible size");
  const std::optional<std::string> text = inflated(stream, textSize);
  if (!text) return refused("the table's compressed text is damaged");
  // The stream ends in its own checksum of the text (big-endian), which the inflater does not insist on.
  const std::uint32_t sum = adler32(*text);
  const std::string_view trailer = stream.substr(stream.size() - 4);
  const std::uint32_t streamSum = (std::uint32_t{static_cast<unsigned char>(trailer[0])} << 24) |
                                  (std::uint32_t{static_cast<unsigned char>(trailer[1])} << 16) |
                                  (std::uint32_t{static_cast<unsigned char>(trailer[2])} << 8) |
                                  std::uint32_t{static_cast<unsigned char>(trailer[3])};
  if (text->size() != textSize || sum != checksum || sum != streamSum) {
    return refused("the table's checksum does not match");
  }
  if (!foundation::isValidUtf8(*text)) return refused("the table's text is not UTF-8");
  try {
    return {tableFrom(parseTree(*text), kind), ""};
  } catch (const TextError& e) {
    return refused(std::string("the table's text is damaged: ") + e.what());
  }
}

PlotStyleTableRead readPlotStyleTable(const std::string& path) {
  const foundation::ReadResult file = foundation::readFile(path, kMaxTextBytes);
  if (!file) return refused(file.error);
  PlotStyleTableRead read = decodePlotStyleTable(file.data);
  if (!read.table) {
    read.error = "\"" + path + "\": " + read.error;
    return read;
  }
  std::string suffix = foundation::pathExtension(path);
  for (char& c : suffix) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if ("." + suffix != plotStyleSuffix(read.table->kind)) {
    return refused("\"" + path + "\": the name's suffix does not match the kind of table inside");
  }
  return read;
}

foundation::FileResult writePlotStyleTable(const PlotStyleTable& table, const std::string& path) {
  return foundation::writeFileAtomically(path, encodePlotStyleTable(table));
}

}  // namespace cad
