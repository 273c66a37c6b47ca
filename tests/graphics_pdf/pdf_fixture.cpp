#include "pdf_fixture.h"

#include <qpdf/Pl_Flate.hh>
#include <qpdf/Pl_String.hh>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "cadhost_run.h"
#include "temp_folder.h"

namespace pdf_test {

std::vector<std::string> folderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

int PdfBuilder::add(std::string body) {
  bodies_.push_back(std::move(body));
  return static_cast<int>(bodies_.size());
}

int PdfBuilder::reserve() {
  return add("null");
}

void PdfBuilder::set(int number, std::string body) {
  bodies_.at(static_cast<std::size_t>(number - 1)) = std::move(body);
}

int PdfBuilder::addStream(const std::string& dictionary, const std::string& data) {
  return add("<< " + dictionary + " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data +
             "\nendstream");
}

std::string PdfBuilder::build(int root) const {
  std::string out = "%PDF-1.7\n%\xE2\xE3\xCF\xD3\n";
  std::vector<std::size_t> offsets;
  for (std::size_t i = 0; i < bodies_.size(); ++i) {
    offsets.push_back(out.size());
    out += std::to_string(i + 1) + " 0 obj\n" + bodies_[i] + "\nendobj\n";
  }
  const std::size_t xref = out.size();
  out += "xref\n0 " + std::to_string(bodies_.size() + 1) + "\n0000000000 65535 f \n";
  for (std::size_t offset : offsets) {
    char line[21];
    std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
    out += line;
  }
  out += "trailer\n<< /Size " + std::to_string(bodies_.size() + 1) + " /Root " + std::to_string(root) +
         " 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  return out;
}

std::string pdfWithPages(const std::vector<PageSpec>& pages, const std::string& treeKeys,
                         const std::string& middleKeys) {
  PdfBuilder pdf;
  const int catalog = pdf.reserve();
  const int tree = pdf.reserve();
  const int middle = middleKeys.empty() ? tree : pdf.reserve();
  std::string kids;
  for (const PageSpec& spec : pages) {
    const int content = pdf.addStream("", spec.content);
    std::string page = "<< /Type /Page /Parent " + std::to_string(middle) + " 0 R /Contents " +
                       std::to_string(content) + " 0 R /Resources << >>";
    if (!spec.mediaBox.empty()) page += " /MediaBox " + spec.mediaBox;
    if (!spec.cropBox.empty()) page += " /CropBox " + spec.cropBox;
    if (!spec.rotate.empty()) page += " /Rotate " + spec.rotate;
    kids += std::to_string(pdf.add(page + " >>")) + " 0 R ";
  }
  const std::string count = std::to_string(pages.size());
  if (middle != tree) {
    pdf.set(middle, "<< /Type /Pages /Parent " + std::to_string(tree) + " 0 R /Kids [" + kids + "] /Count " +
                        count + " " + middleKeys + " >>");
    kids = std::to_string(middle) + " 0 R";
  }
  pdf.set(tree, "<< /Type /Pages /Kids [" + kids + "] /Count " + count + " " + treeKeys + " >>");
  pdf.set(catalog, "<< /Type /Catalog /Pages " + std::to_string(tree) + " 0 R >>");
  return pdf.build(catalog);
}

std::string fillRect(double x, double y, double width, double height) {
  std::ostringstream out;
  out << "0 g " << x << ' ' << y << ' ' << width << ' ' << height << " re f\n";
  return out.str();
}

std::string deflate(const std::string& text) {
  std::string out;
  Pl_String sink("deflated", nullptr, out);
  Pl_Flate flate("deflate", &sink, Pl_Flate::a_deflate);
  flate.writeString(text);
  flate.finish();
  return out;
}

std::string programPath(const std::string& name) {
  const char* path = getenv("PATH");
  std::istringstream folders(path ? path : "/usr/bin:/bin");
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    const std::string candidate = folder + "/" + name;
    if (!folder.empty() && access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

namespace {

// A binary PGM ("P5", maximum 255) as pdftoppm writes it.
Raster readPgm(const std::string& bytes) {
  std::istringstream in(bytes);
  std::string magic;
  int width = 0, height = 0, maximum = 0;
  in >> magic >> width >> height >> maximum;
  in.get();
  Raster raster;
  if (magic != "P5" || width <= 0 || height <= 0 || maximum != 255) return raster;
  raster.gray.resize(static_cast<std::size_t>(width) * height);
  in.read(reinterpret_cast<char*>(raster.gray.data()), static_cast<std::streamsize>(raster.gray.size()));
  if (!in) return {};
  raster.width = width;
  raster.height = height;
  return raster;
}

}  // namespace

Raster renderPage(const std::string& pdfPath, int page) {
  TempFolder folder("quodl-pdf-render");
  const std::string prefix = folder / "page";
  const std::string number = std::to_string(page);
  const CadhostRun run = runProgram(programPath("pdftoppm"),
                                    {"-gray", "-r", "72", "-f", number, "-l", number, "-singlefile", pdfPath, prefix},
                                    "", RunOptions{});
  if (run.exitStatus != 0) return {};
  return readPgm(readFile(prefix + ".pgm"));
}

std::optional<graphics::PdfRect> inkBounds(const Raster& raster, std::optional<graphics::PdfRect> region) {
  const graphics::PdfRect area = region.value_or(graphics::PdfRect{0, 0, double(raster.width), double(raster.height)});
  const int firstColumn = std::max(0, static_cast<int>(area.x));
  const int lastColumn = std::min(raster.width, static_cast<int>(area.x + area.width));
  const int firstRow = std::max(0, raster.height - static_cast<int>(area.y + area.height));
  const int lastRow = std::min(raster.height, raster.height - static_cast<int>(area.y));
  int left = raster.width, right = -1, top = raster.height, bottom = -1;
  for (int row = firstRow; row < lastRow; ++row) {
    for (int column = firstColumn; column < lastColumn; ++column) {
      if (!raster.ink(column, row)) continue;
      left = std::min(left, column);
      right = std::max(right, column);
      top = std::min(top, row);
      bottom = std::max(bottom, row);
    }
  }
  if (right < 0) return std::nullopt;
  return graphics::PdfRect{double(left), double(raster.height - 1 - bottom), double(right - left + 1),
                           double(bottom - top + 1)};
}

int inkDifference(const Raster& a, const Raster& b) {
  if (a.width != b.width || a.height != b.height) return -1;
  int differing = 0;
  for (int row = 0; row < a.height; ++row) {
    for (int column = 0; column < a.width; ++column) differing += a.ink(column, row) != b.ink(column, row);
  }
  return differing;
}

bool qpdfChecks(const std::string& pdfPath) {
  return runProgram(programPath("qpdf"), {"--check", pdfPath}, "", RunOptions{}).exitStatus == 0;
}

}  // namespace pdf_test
