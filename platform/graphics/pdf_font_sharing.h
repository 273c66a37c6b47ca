#pragma once
// One copy of each font in a PDF made of pages of other PDFs: every page copied brings its own copy of the
// fonts it uses, and pages plotted alike use the same ones.

class QPDF;

namespace graphics {

// Points every font resource of the document's pages, and of the forms they draw, at the first of the fonts
// identical to it (the same dictionaries and the same font program bytes, all the way down); the copies are
// then no longer written. Throws what qpdf throws.
void shareIdenticalFonts(QPDF& pdf);

}  // namespace graphics
