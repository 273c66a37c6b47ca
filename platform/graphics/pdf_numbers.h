#pragma once
// Private to the PDF library: numbers as content streams write them.

#include <string>

namespace graphics {

// Fixed notation (PDF has no exponents) with at most `decimals` decimals, trailing zeros dropped; "-0" is 0.
void appendPdfNumber(std::string& out, double value, int decimals);

}  // namespace graphics
