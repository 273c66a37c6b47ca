#include "graphics/pdf_compaction.h"

#include <qpdf/Buffer.hh>
#include <qpdf/Pl_String.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <exception>
#include <optional>
#include <string_view>

#include "pdf_cff_subset.h"
#include "pdf_coordinate_rounding.h"

namespace graphics {

namespace {

// Every CFF font program (FontFile3 of CIDFontType0C or Type1C) replaced by its compacted program.
void compactFontPrograms(QPDF& pdf) {
  for (QPDFObjectHandle& object : pdf.getAllObjects()) {
    if (!object.isStream()) continue;
    QPDFObjectHandle subtype = object.getDict().getKey("/Subtype");
    if (!subtype.isNameAndEquals("/CIDFontType0C") && !subtype.isNameAndEquals("/Type1C")) continue;
    const std::shared_ptr<Buffer> data = object.getStreamData(qpdf_dl_generalized);
    const std::string_view program(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
    const std::optional<std::string> compact = compactCffProgram(program);
    if (compact && compact->size() < program.size()) {
      object.replaceStreamData(*compact, QPDFObjectHandle::newNull(), QPDFObjectHandle::newNull());
    }
  }
}

// The content of every page with its coordinates rounded as it is written. Forms are left as they are: the
// space they are drawn in is not known here.
void roundCoordinates(QPDF& pdf) {
  for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(pdf).getAllPages()) {
    page.addContentTokenFilter(coordinateRounding());
  }
}

}  // namespace

bool compactPdf(std::string& bytes) {
  std::string out;
  try {
    // Reads `bytes` in place: they are replaced only once the document is gone.
    QPDF pdf;
    pdf.setSuppressWarnings(true);
    pdf.setAttemptRecovery(false);
    pdf.processMemoryFile("PDF", bytes.data(), bytes.size());
    if (pdf.anyWarnings()) return false;
    compactFontPrograms(pdf);
    roundCoordinates(pdf);
    Pl_String sink("compact PDF", nullptr, out);
    QPDFWriter writer(pdf);
    writer.setOutputPipeline(&sink);
    writer.setCompressStreams(true);
    writer.write();
    if (pdf.anyWarnings()) return false;
  } catch (const std::exception&) {
    return false;
  }
  bytes = std::move(out);
  return true;
}

}  // namespace graphics
