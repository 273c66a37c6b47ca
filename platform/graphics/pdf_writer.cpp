#include "graphics/pdf_writer.h"

#include <qpdf/PDFVersion.hh>
#include <qpdf/Pl_String.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <cmath>
#include <exception>
#include <map>
#include <string>
#include <string_view>

#include "foundation/files.h"
#include "foundation/paths.h"
#include "graphics/pdf_font_sharing.h"
#include "pdf_numbers.h"
#include "pdf_page_data.h"
#include "pdf_qpdf_errors.h"

namespace graphics {

namespace {

// Ten decimals at most: far finer than any device resolves.
void appendNumber(std::string& out, double value) { appendPdfNumber(out, value, 10); }

void appendNumbers(std::string& out, std::initializer_list<double> values, const char* op) {
  for (double v : values) {
    appendNumber(out, v);
    out += ' ';
  }
  out += op;
  out += '\n';
}

bool allFinite(std::initializer_list<double> values) {
  for (double v : values) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

}  // namespace

struct PdfWriter::State {
  std::string path;
  // The documents whose pages were drawn: their stream data is read when the file is written. Declared
  // before the new document, which refers to them, so that it goes first.
  std::map<QPDF*, std::shared_ptr<PdfPage::Data>> sources;
  QPDF out;
  PDFVersion version{1, 4, 0};  // the least that carries a page's transparency group
  std::string error;            // the first failure; nothing is written once set
  bool closed = false;

  bool inPage = false;
  PdfRect mediaBox;
  std::string content;
  int savedStates = 0;
  QPDFObjectHandle xobjects;
  std::map<QPDFObjGen, std::string> formNames;

  void fail(const std::string& text) {
    if (error.empty()) error = text;
  }
  bool requirePage(const char* operation) {
    if (closed) {
      fail(std::string(operation) + " after the PDF was closed");
      return false;
    }
    if (!inPage) {
      fail(std::string(operation) + " outside a page");
      return false;
    }
    return true;
  }
};

PdfWriter::PdfWriter(std::unique_ptr<State> state) : state_(std::move(state)) {}
PdfWriter::~PdfWriter() = default;

std::unique_ptr<PdfWriter> PdfWriter::create(const std::string& path, std::string* error) {
  if (error) error->clear();
  const auto refuse = [&](const std::string& reason) -> std::unique_ptr<PdfWriter> {
    if (error) *error = "Cannot create PDF \"" + path + "\": " + reason;
    return nullptr;
  };
  const std::string name = foundation::lastPathComponent(path);
  if (name.empty() || name == "/" || name == "." || name == ".." || path.back() == '/') {
    return refuse("not a file name");
  }
  const std::string parent = foundation::deletingLastPathComponent(path);
  const std::string folder = parent.empty() ? std::string(".") : parent;
  if (!foundation::isDirectory(folder)) return refuse("no folder \"" + folder + "\"");
  if (!foundation::isWritable(folder)) return refuse("the folder \"" + folder + "\" is not writable");
  if (foundation::isDirectory(path)) return refuse("a folder stands at that path");

  auto state = std::make_unique<State>();
  state->path = path;
  try {
    state->out.emptyPDF();
  } catch (const std::exception& e) {
    return refuse(describeQpdfError(e));
  }
  return std::unique_ptr<PdfWriter>(new PdfWriter(std::move(state)));
}

void PdfWriter::beginPage(PdfRect mediaBox) {
  State& s = *state_;
  if (s.closed) return s.fail("beginPage after the PDF was closed");
  if (s.inPage) return s.fail("beginPage inside a page");
  mediaBox = standardized(mediaBox);
  if (!isUsable(mediaBox)) return s.fail("beginPage with an unusable media box");
  s.inPage = true;
  s.mediaBox = mediaBox;
  s.content.clear();
  s.savedStates = 0;
  s.xobjects = QPDFObjectHandle::newDictionary();
  s.formNames.clear();
}

void PdfWriter::saveGState() {
  State& s = *state_;
  if (!s.requirePage("saveGState")) return;
  s.content += "q\n";
  ++s.savedStates;
}

void PdfWriter::restoreGState() {
  State& s = *state_;
  if (!s.requirePage("restoreGState")) return;
  if (s.savedStates == 0) return s.fail("restoreGState without a saved state");
  s.content += "Q\n";
  --s.savedStates;
}

void PdfWriter::clipToRect(PdfRect rect) {
  State& s = *state_;
  if (!s.requirePage("clipToRect")) return;
  rect = standardized(rect);
  if (!allFinite({rect.x, rect.y, rect.width, rect.height})) return s.fail("clipToRect with a non-finite value");
  appendNumbers(s.content, {rect.x, rect.y, rect.width, rect.height}, "re W n");
}

void PdfWriter::concatCTM(const PdfMatrix& m) {
  State& s = *state_;
  if (!s.requirePage("concatCTM")) return;
  if (!allFinite({m.a, m.b, m.c, m.d, m.tx, m.ty})) return s.fail("concatCTM with a non-finite value");
  appendNumbers(s.content, {m.a, m.b, m.c, m.d, m.tx, m.ty}, "cm");
}

void PdfWriter::drawPage(const PdfPage& page) {
  State& s = *state_;
  if (!s.requirePage("drawPage")) return;
  PdfPage::Data& source = *page.data_;
  QPDFObjectHandle form;
  try {
    form = s.out.copyForeignObject(pageFormXObject(source));
    if (source.pdf->anyWarnings()) throw source.pdf->getWarnings().front();
    s.version.updateIfGreater(source.version);
    s.sources.emplace(source.pdf.get(), page.data_);
  } catch (const std::exception& e) {
    return s.fail("Cannot draw page " + std::to_string(source.number) + " of \"" + source.path +
                  "\": " + describeQpdfError(e));
  }
  auto [named, added] = s.formNames.emplace(form.getObjGen(), "");
  if (added) {
    named->second = "/Pg" + std::to_string(s.formNames.size());
    s.xobjects.replaceKey(named->second, form);
  }
  s.content += named->second + " Do\n";
}

void PdfWriter::endPage() {
  State& s = *state_;
  if (!s.requirePage("endPage")) return;
  for (; s.savedStates > 0; --s.savedStates) s.content += "Q\n";
  s.inPage = false;
  try {
    const PdfRect& box = s.mediaBox;
    QPDFObjectHandle page = QPDFObjectHandle::newDictionary();
    page.replaceKey("/Type", QPDFObjectHandle::newName("/Page"));
    page.replaceKey("/MediaBox", QPDFObjectHandle::newArray(QPDFObjectHandle::Rectangle(
                                     box.x, box.y, box.x + box.width, box.y + box.height)));
    QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
    if (!s.formNames.empty()) resources.replaceKey("/XObject", s.xobjects);
    page.replaceKey("/Resources", resources);
    page.replaceKey("/Contents", QPDFObjectHandle::newStream(&s.out, s.content));
    QPDFPageDocumentHelper(s.out).addPage(QPDFPageObjectHelper(s.out.makeIndirectObject(page)), false);
  } catch (const std::exception& e) {
    s.fail("Cannot add a page: " + describeQpdfError(e));
  }
  s.content.clear();
  s.xobjects = QPDFObjectHandle();
  s.formNames.clear();
}

bool PdfWriter::close(std::string* error) {
  State& s = *state_;
  if (error) error->clear();
  const auto failed = [&]() {
    if (error) *error = s.error;
    return false;
  };
  if (s.closed) {
    s.fail("close of a PDF already closed");
    return failed();
  }
  if (s.inPage) endPage();
  s.closed = true;
  if (!s.error.empty()) return failed();

  const auto sourcesChanged = [&]() {
    for (const auto& [pdf, source] : s.sources) {
      if (!sourceUnchanged(*source)) {
        s.fail("Cannot write PDF \"" + s.path + "\": \"" + source->path + "\" changed after it was opened");
        return true;
      }
    }
    return false;
  };
  if (sourcesChanged()) return failed();
  std::string bytes;
  try {
    Pl_String sink("PDF file", nullptr, bytes);
    shareIdenticalFonts(s.out);
    QPDFWriter writer(s.out);
    writer.setOutputPipeline(&sink);
    writer.setObjectStreamMode(qpdf_o_generate);
    writer.setMinimumPDFVersion(s.version);
    writer.write();
    if (s.out.anyWarnings()) throw s.out.getWarnings().front();
  } catch (const std::exception& e) {
    s.fail("Cannot write PDF \"" + s.path + "\": " + describeQpdfError(e));
    return failed();
  }
  for (const auto& [pdf, source] : s.sources) {
    if (pdf->anyWarnings()) {
      s.fail("Cannot write PDF \"" + s.path + "\": reading \"" + source->path +
             "\": " + describeQpdfError(pdf->getWarnings().front()));
      return failed();
    }
  }
  // Read while writing: a file replaced meanwhile may have given bytes of another file.
  if (sourcesChanged()) return failed();
  s.sources.clear();
  // Callers write into work files that they move into place themselves, as a PDF context writes its file
  // without waiting for the disk.
  const foundation::FileResult written = foundation::writeFileAtomically(s.path, bytes, foundation::Flush::none);
  if (!written) {
    s.fail(written.error);
    return failed();
  }
  return true;
}

}  // namespace graphics
