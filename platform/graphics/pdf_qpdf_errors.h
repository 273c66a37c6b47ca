#pragma once
// qpdf's exceptions and warnings as one line for an error text, without the file name qpdf puts first
// (the caller names the file itself).

#include <exception>
#include <string>

namespace graphics {

std::string describeQpdfError(const std::exception& e);

}  // namespace graphics
