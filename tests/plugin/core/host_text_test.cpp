// Host texts and system strings: the UTF-32LE round trip, its edge cases and its refusals.
#include <gtest/gtest.h>

#include "core/host_bridge.h"

namespace {

TEST(HostText, WideStringGivesOneWideCharacterPerCodePoint) {
  struct Case {
    std::string text;
    std::wstring wide;
  };
  const Case cases[] = {
      {"", L""},
      {"DUZOZARED", L"DUZOZARED"},
      {"布局1", L"\u5E03\u5C401"},
      // Outside the Basic Multilingual Plane: one wide character each, never a surrogate pair.
      {"A\xF0\x9F\x98\x80" "B", L"A\U0001F600B"},
      {"\xF0\xA0\x80\x80", L"\U00020000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(vexBatchWideString(c.text), c.wide);
  }
}

TEST(HostText, WideStringOfIllFormedTextIsEmpty) {
  // An encoded surrogate, a truncated sequence and a stray continuation byte cannot become UTF-32LE data.
  for (const std::string bad : {"a\xED\xA0\x80z", "ab\xE5\xB8", "\x80"}) {
    EXPECT_EQ(vexBatchWideString(bad), L"");
  }
}

TEST(HostText, SystemStringRoundTripsHostText) {
  for (const std::wstring text : {L"Layout1", L"\u5E03\u5C40\u00A0A3", L"\U0001F600\U0010FFFF"}) {
    const std::string utf8 = vexBatchNSString(text);
    EXPECT_FALSE(utf8.empty());
    EXPECT_EQ(vexBatchWideString(utf8), text);
  }
  EXPECT_EQ(vexBatchNSString(L"\U0001F600"), "\xF0\x9F\x98\x80");
}

TEST(HostText, SystemStringRejectsNonScalarValuesWhole) {
  EXPECT_EQ(vexBatchNSString(L""), "");
  const wchar_t surrogate[] = {L'a', static_cast<wchar_t>(0xD800), L'b', 0};
  const wchar_t tooLarge[] = {L'a', static_cast<wchar_t>(0x110000), 0};
  EXPECT_EQ(vexBatchNSString(surrogate), "");
  EXPECT_EQ(vexBatchNSString(tooLarge), "");
}

}  // namespace
