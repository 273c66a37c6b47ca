#include "pdf_numbers.h"

#include <charconv>
#include <string_view>

namespace graphics {

void appendPdfNumber(std::string& out, double value, int decimals) {
  char buffer[400];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (ec != std::errc()) {
    out += '0';
    return;
  }
  std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
  if (text.find('.') != std::string_view::npos) {
    while (text.back() == '0') text.remove_suffix(1);
    if (text.back() == '.') text.remove_suffix(1);
  }
  out += text == "-0" ? "0" : text;
}

}  // namespace graphics
