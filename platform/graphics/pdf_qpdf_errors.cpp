#include "pdf_qpdf_errors.h"

#include <qpdf/QPDFExc.hh>

namespace graphics {

std::string describeQpdfError(const std::exception& e) {
  const auto* qpdf = dynamic_cast<const QPDFExc*>(&e);
  if (!qpdf) return e.what();
  std::string text = qpdf->getMessageDetail();
  std::string where;
  if (!qpdf->getObject().empty()) where = qpdf->getObject();
  if (qpdf->getFilePosition() > 0) {
    where += (where.empty() ? "" : ", ") + std::string("offset ") + std::to_string(qpdf->getFilePosition());
  }
  if (!where.empty()) text += " (" + where + ")";
  return text;
}

}  // namespace graphics
