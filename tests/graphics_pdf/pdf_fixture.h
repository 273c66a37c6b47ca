#pragma once
// Hand-made PDF files for the PDF layer's tests, and a look at how a viewer shows a page: pages rendered by
// pdftoppm and read back as grey pixels.

#include <optional>
#include <string>
#include <vector>

#include "graphics/pdf_geometry.h"

namespace pdf_test {

// The names of a folder's entries, sorted.
std::vector<std::string> folderEntries(const std::string& folder);

void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);

// Objects written as text with a computed cross-reference table, so a test decides every key, every
// inheritance and every fault.
class PdfBuilder {
 public:
  // The object's number; `body` is what stands between "obj" and "endobj".
  int add(std::string body);
  int reserve();
  void set(int number, std::string body);
  // A stream: `dictionary` holds the keys besides /Length.
  int addStream(const std::string& dictionary, const std::string& data);
  std::string build(int root) const;

 private:
  std::vector<std::string> bodies_;
};

struct PageSpec {
  std::string mediaBox = "[0 0 200 100]";  // empty: none on the page
  std::string cropBox;                      // empty: none
  std::string rotate;                       // empty: none
  std::string content;                      // the content stream's text
};

// One page-tree node holding `pages`, with `treeKeys` (e.g. "/Rotate 90") on it. With `middleKeys` the pages
// hang under a second node that carries those keys.
std::string pdfWithPages(const std::vector<PageSpec>& pages, const std::string& treeKeys = "",
                         const std::string& middleKeys = "");

// Content that fills a rectangle black.
std::string fillRect(double x, double y, double width, double height);

// The content of `text` deflated, as a /FlateDecode stream holds it.
std::string deflate(const std::string& text);

struct Raster {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> gray;  // rows from the top
  bool ink(int column, int row) const { return gray[static_cast<std::size_t>(row) * width + column] < 128; }
};

// The page as a viewer shows it (its /Rotate applied), one pixel per point. Empty on failure.
Raster renderPage(const std::string& pdfPath, int page = 1);
// The smallest rectangle, in points from the shown page's lower-left corner, holding every inked pixel of
// `region` (the whole page when not given). Nothing when the region holds no ink.
std::optional<graphics::PdfRect> inkBounds(const Raster& raster, std::optional<graphics::PdfRect> region = {});
// Pixels that are ink in one raster and not in the other; the rasters must be of one size.
int inkDifference(const Raster& a, const Raster& b);

// `qpdf --check` passes on the file.
bool qpdfChecks(const std::string& pdfPath);
// The full path of a program found on $PATH; empty when there is none.
std::string programPath(const std::string& name);

}  // namespace pdf_test
