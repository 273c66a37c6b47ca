#pragma once
// Joins the pages of several PDFs into one, in order: every page drawn upright on a page of its own upright
// media-box size (a turned page loses its /Rotate and is drawn turned), clipped to its crop box.

#include <string>
#include <vector>

namespace graphics {

// Writes `target` as PdfWriter does (complete or not at all). False with `error` when a source cannot be
// opened, there is none, or the target cannot be written; the target is then unchanged.
bool mergePdfDocuments(const std::vector<std::string>& sources, const std::string& target,
                       std::string* error = nullptr);

}  // namespace graphics
