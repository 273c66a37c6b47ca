#pragma once
// Percent-encoding of text bytes for names and records that must stay plain ASCII.

#include <cstddef>
#include <string>
#include <string_view>

namespace foundation::percent_detail {

// Each byte `keep(byte, index)` refuses becomes "%XX" (upper-case hex); the rest stand as they are.
std::string percentEncoded(std::string_view text, bool (*keep)(unsigned char byte, std::size_t index));

// Letters and digits of ASCII.
bool isAsciiAlphanumeric(unsigned char byte);

}  // namespace foundation::percent_detail
