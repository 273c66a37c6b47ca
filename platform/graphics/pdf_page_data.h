#pragma once
// What a page handle holds: the qpdf document it lives in and what opening read from it. Private to this
// library; it is the one header besides the sources that sees qpdf.

#include <qpdf/PDFVersion.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <sys/stat.h>

#include <cstddef>
#include <memory>
#include <string>

#include "graphics/pdf_document.h"

namespace graphics {

// What tells one file at a path from another: a document reads its stream data from the path only when a
// page is written out, so a file replaced in between must be noticed.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};

  static FileIdentity of(const struct stat& st);
  bool operator==(const FileIdentity& other) const;
};

struct PdfPage::Data {
  std::shared_ptr<QPDF> pdf;
  std::string path;
  FileIdentity identity;  // of the file when it was opened
  PDFVersion version;     // of the document, which a file showing this page must reach
  QPDFObjectHandle page;
  std::size_t number = 0;
  PdfRect mediaBox;
  PdfRect cropBox;
  int rotation = 0;
  QPDFObjectHandle form;  // made on the first draw; null until then
};

// The page as a form XObject of its own document: its content and resources, /BBox its crop box, so that
// whoever draws it sees it clipped to that box. Made once per page; its content is read from the file only
// when a PDF that shows it is written. Throws what qpdf throws.
QPDFObjectHandle pageFormXObject(PdfPage::Data& page);

// False when the file at the page's path is no longer the one that was opened.
bool sourceUnchanged(const PdfPage::Data& page);

}  // namespace graphics
