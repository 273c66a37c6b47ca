#pragma once
// Fits the pages of a plotted PDF to their sheets' exact papers: each page that plots a window is redrawn on
// its paper with the window centred at the sheet's content scale and everything else clipped away; a whole
// layout keeps the host's page, shrunk about its centre when its content scale is below 100 %. The file is
// rewritten only when a page changes, written whole beside it and put in its place in one rename, and is
// verified in the end. A page whose size disagrees with its validated paper leaves the file as the host wrote
// it.

#include <string>
#include <vector>

#include "pdf/page_geometry.h"

namespace quodl {

// One target per page, in page order. False with `error` (when given) set to the reason. `finalPath` is the
// name the file will have (a work file's output): messages name it and the verification holds it to the output
// names' rules; `path` itself when empty.
bool normalizePdf(const std::string& path, const std::vector<PdfPageTarget>& targets, std::string* error = nullptr,
                  const std::string& finalPath = {});

}  // namespace quodl
