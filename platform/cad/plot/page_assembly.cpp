#include "cad/plot/page_assembly.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <exception>
#include <memory>
#include <new>

#include "graphics/pdf_font_sharing.h"

namespace cad {

bool assemblePages(const std::vector<AssembledPage>& pages, std::string& bytes, std::string& error) {
  try {
    QPDF pdf;
    pdf.emptyPDF();
    QPDFPageDocumentHelper document(pdf);
    // Copied pages refer to their sources until the file is written.
    std::vector<std::unique_ptr<QPDF>> sources;
    for (const AssembledPage& page : pages) {
      auto source = std::make_unique<QPDF>();
      source->setSuppressWarnings(true);
      source->processFile(page.file.c_str());
      std::vector<QPDFPageObjectHelper> found = QPDFPageDocumentHelper(*source).getAllPages();
      if (found.size() != 1) {
        error = "A rendered page is not a one-page PDF";
        return false;
      }
      document.addPage(found.front(), false);
      if (page.rotate != 0) {
        document.getAllPages().back().getObjectHandle().replaceKey("/Rotate",
                                                                   QPDFObjectHandle::newInteger(page.rotate));
      }
      sources.push_back(std::move(source));
    }
    // Sheets plotted alike use the same fonts: the file holds each once.
    graphics::shareIdenticalFonts(pdf);
    // Into memory: qpdf does not check the final flush and close of a file it writes, so a full disk would pass.
    QPDFWriter writer(pdf);
    writer.setOutputMemory();
    writer.setObjectStreamMode(qpdf_o_generate);
    writer.write();
    const std::shared_ptr<Buffer> buffer = writer.getBufferSharedPointer();
    bytes.assign(reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize());
  } catch (const std::bad_alloc&) {
    error = "Cannot write the plot's PDF: there is not enough memory";
    return false;
  } catch (const std::exception& e) {
    error = std::string("Cannot write the plot's PDF: ") + e.what();
    return false;
  }
  return true;
}

}  // namespace cad
