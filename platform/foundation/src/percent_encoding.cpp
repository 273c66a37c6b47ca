#include "percent_encoding.h"

namespace foundation::percent_detail {

std::string percentEncoded(std::string_view text, bool (*keep)(unsigned char byte, std::size_t index)) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (keep(c, i)) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(digits[c >> 4]);
      out.push_back(digits[c & 0xF]);
    }
  }
  return out;
}

bool isAsciiAlphanumeric(unsigned char byte) {
  return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9');
}

}  // namespace foundation::percent_detail
