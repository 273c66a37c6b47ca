#pragma once
// What a page handle holds: the qpdf document it lives in and what opening read from it. Private to this
// library; it is the one header besides the sources that sees qpdf.

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <cstddef>
#include <memory>
#include <string>

#include "graphics/pdf_document.h"

namespace graphics {

struct PdfPage::Data {
  std::shared_ptr<QPDF> pdf;
  std::string path;
  QPDFObjectHandle page;
  std::size_t number = 0;
  PdfRect mediaBox;
  PdfRect cropBox;
  int rotation = 0;
  QPDFObjectHandle form;  // made on the first draw; null until then
};

// The page as a form XObject of its own document: its content and resources, /BBox its crop box, so that
// whoever draws it sees it clipped to that box. Made once per page. Throws what qpdf throws.
QPDFObjectHandle pageFormXObject(PdfPage::Data& page);

}  // namespace graphics
