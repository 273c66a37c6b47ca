#pragma once
// Private to the PDF library: content streams whose coordinates carry only the digits a plot resolves.

#include <qpdf/QPDFObjectHandle.hh>

#include <memory>

namespace graphics {

// A token filter that writes the operands of path construction (m l c v y re), line widths and the text
// matrix's origin to 0.01 point on the page (a third of 0.01 mm), whatever "cm" scales the space by; every
// other token passes as it is.
std::shared_ptr<QPDFObjectHandle::TokenFilter> coordinateRounding();

}  // namespace graphics
