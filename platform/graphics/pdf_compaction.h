#pragma once
// A PDF as a plot keeps it: embedded CFF fonts holding only what their glyphs use, coordinates to what a plot
// resolves, streams compressed. Objects are left loose: files joined from such pages pack them.

#include <string>

namespace graphics {

// Rewrites `pdf` (a whole file's bytes) compacted. False, with `pdf` as it was, when the bytes cannot be read
// as a PDF or cannot be written again; the file is then still what it was, only larger.
bool compactPdf(std::string& pdf);

}  // namespace graphics
