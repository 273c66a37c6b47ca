#include "graphics/pdf_document.h"

#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <exception>
#include <limits>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "pdf_file_input.h"
#include "pdf_page_data.h"
#include "pdf_qpdf_errors.h"

namespace graphics {

namespace {

// A reason to refuse the file that qpdf itself would accept.
struct Refusal {
  std::string reason;
};

std::string pageLabel(std::size_t number) {
  return "page " + std::to_string(number);
}

PdfRect rectFrom(QPDFObjectHandle box) {
  const QPDFObjectHandle::Rectangle r = box.getArrayAsRectangle();
  return standardized({r.llx, r.lly, r.urx - r.llx, r.ury - r.lly});
}

// A box array where one is required: four numbers enclosing an area.
PdfRect requiredBox(QPDFObjectHandle box, const char* key, std::size_t number) {
  if (box.isNull()) throw Refusal{pageLabel(number) + " has no " + key};
  const PdfRect rect = box.isRectangle() ? rectFrom(box) : PdfRect{};
  if (!isUsable(rect)) throw Refusal{pageLabel(number) + " has an unusable " + key};
  return rect;
}

int rotationOf(QPDFObjectHandle rotate, std::size_t number) {
  if (rotate.isNull()) return 0;
  double degrees = std::numeric_limits<double>::quiet_NaN();
  if (rotate.isInteger()) {
    degrees = static_cast<double>(rotate.getIntValue());
  } else if (rotate.isReal()) {
    degrees = rotate.getNumericValue();
  }
  // Viewers disagree about what other angles mean, so such a page is refused rather than guessed at.
  if (!std::isfinite(degrees) || std::fabs(degrees) > 1e6 || std::fmod(degrees, 90.0) != 0.0) {
    throw Refusal{pageLabel(number) + " has an invalid /Rotate"};
  }
  return static_cast<int>(degrees);
}

// Parses every object the page's drawing needs, so that damage in them is found now rather than half-way
// through a later write. Iterative, as hostile files nest deeply.
void readEverythingDrawn(QPDFPageObjectHelper page, std::set<QPDFObjGen>& seen) {
  QPDFObjectHandle object = page.getObjectHandle();
  std::vector<QPDFObjectHandle> pending{page.getAttribute("/Resources", false), object.getKey("/Contents"),
                                        object.getKey("/Group")};
  while (!pending.empty()) {
    QPDFObjectHandle item = pending.back();
    pending.pop_back();
    if (item.isIndirect() && !seen.insert(item.getObjGen()).second) continue;
    if (item.isStream()) {
      pending.push_back(item.getDict());
    } else if (item.isDictionary()) {
      for (auto& entry : item.ditems()) pending.push_back(entry.second);
    } else if (item.isArray()) {
      for (auto& element : item.aitems()) pending.push_back(element);
    }
  }
}

// The header's version with the catalog's extension level. Read by hand: qpdf's own reading compiles a
// regular expression at every call.
PDFVersion versionOf(QPDF& pdf) {
  int major = 1, minor = 0;
  if (std::sscanf(pdf.getPDFVersion().c_str(), "%d.%d", &major, &minor) != 2) return PDFVersion(1, 0, 0);
  return PDFVersion(major, minor, pdf.getExtensionLevel());
}

std::shared_ptr<PdfPage::Data> readPage(const std::shared_ptr<QPDF>& pdf, const std::string& path,
                                        const FileIdentity& identity, const PDFVersion& version,
                                        QPDFPageObjectHelper page, std::size_t number) {
  auto data = std::make_shared<PdfPage::Data>();
  data->pdf = pdf;
  data->path = path;
  data->identity = identity;
  data->version = version;
  data->page = page.getObjectHandle();
  data->number = number;
  data->mediaBox = requiredBox(page.getAttribute("/MediaBox", false), "/MediaBox", number);
  QPDFObjectHandle crop = page.getAttribute("/CropBox", false);
  data->cropBox = data->mediaBox;
  if (!crop.isNull()) {
    // A crop box reaching beyond the media box shows only the media box; one outside it shows the media box,
    // as viewers do.
    const PdfRect within = intersection(requiredBox(crop, "/CropBox", number), data->mediaBox);
    if (isUsable(within)) data->cropBox = within;
  }
  data->rotation = rotationOf(page.getAttribute("/Rotate", false), number);
  return data;
}

}  // namespace

std::size_t PdfPage::pageNumber() const {
  return data_->number;
}

PdfRect PdfPage::boxRect(PdfBox box) const {
  return box == PdfBox::crop ? data_->cropBox : data_->mediaBox;
}

int PdfPage::rotationAngle() const {
  return data_->rotation;
}

PdfMatrix PdfPage::drawingTransform(PdfBox box, PdfRect rect, int rotate, bool preserveAspectRatio) const {
  return graphics::drawingTransform(boxRect(box), data_->rotation, rect, rotate, preserveAspectRatio);
}

std::unique_ptr<PdfDocument> PdfDocument::open(const std::string& path, std::string* error) {
  if (error) error->clear();
  const auto refuse = [&](const std::string& reason) -> std::unique_ptr<PdfDocument> {
    if (error) *error = "Cannot open PDF \"" + path + "\": " + reason;
    return nullptr;
  };
  struct stat st{};
  if (::stat(path.c_str(), &st) != 0) return refuse("no such file");
  if (!S_ISREG(st.st_mode)) return refuse("not a regular file");
  const FileIdentity identity = FileIdentity::of(st);

  auto pdf = std::make_shared<QPDF>();
  try {
    pdf->setSuppressWarnings(true);
    // qpdf would otherwise rebuild a broken cross-reference table and carry on quietly.
    pdf->setAttemptRecovery(false);
    // Open while it is read now; afterwards the file is opened only for the moments its stream data is read,
    // so that any number of documents can wait for one write.
    auto input = std::make_shared<PdfFileInput>(path);
    input->stayOpen(true);
    pdf->processInputSource(input);

    const PDFVersion version = versionOf(*pdf);
    std::vector<PdfPage> pages;
    std::set<QPDFObjGen> seen;
    const std::vector<QPDFObjectHandle>& all = pdf->getAllPages();
    pages.reserve(all.size());
    for (std::size_t i = 0; i < all.size(); ++i) {
      QPDFPageObjectHelper page(all[i]);
      pages.push_back(PdfPage(readPage(pdf, path, identity, version, page, i + 1)));
      readEverythingDrawn(page, seen);
    }
    if (pdf->anyWarnings()) return refuse(describeQpdfError(pdf->getWarnings().front()));
    input->stayOpen(false);
    return std::unique_ptr<PdfDocument>(new PdfDocument(std::move(pages)));
  } catch (const Refusal& refusal) {
    return refuse(refusal.reason);
  } catch (const std::exception& e) {
    return refuse(describeQpdfError(e));
  }
}

std::optional<PdfPage> PdfDocument::page(std::size_t number) const {
  if (number < 1 || number > pages_.size()) return std::nullopt;
  return pages_[number - 1];
}

}  // namespace graphics
