// Host texts and system strings meet through UTF-32LE data, four bytes per character.
#include "core/host_bridge.h"

#include "foundation/text.h"

std::wstring vexBatchWideString(std::string_view text) {
  if (text.empty()) return {};
  const auto data = foundation::utf32leFromUtf8(text);
  if (!data || data->empty()) return {};
  return foundation::wideFromUtf32le(*data).value_or(std::wstring{});
}

std::string vexBatchNSString(const std::wstring& text) {
  if (text.empty()) return {};
  const auto data = foundation::utf32leFromWide(text);
  if (!data) return {};
  return foundation::utf8FromUtf32le(*data).value_or(std::string{});
}
