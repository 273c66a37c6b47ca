#pragma once
// Private to the publish engine: joins the one-page PDFs a renderer wrote into the plot's PDF, each page
// turned by its /Rotate as a PDF device writes turned sheets.

#include <string>
#include <vector>

namespace cad {

struct AssembledPage {
  std::string file;  // a one-page PDF
  int rotate = 0;    // degrees, a multiple of 90; 0 writes no /Rotate
};

// The PDF's bytes, for the caller to write and check; false with `error` set when a page cannot be read.
bool assemblePages(const std::vector<AssembledPage>& pages, std::string& bytes, std::string& error);

}  // namespace cad
