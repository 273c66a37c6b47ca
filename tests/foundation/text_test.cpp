#include "foundation/text.h"

#include <gtest/gtest.h>

namespace foundation {
namespace {

// Texts in several scripts, including characters outside the basic plane.
const std::string kMixed = "A3｜297 × 420 图框 \xF0\x9F\x93\x84 ä";

TEST(Text, ValidTextRoundTripsThroughEveryEncoding) {
  const auto wide = wideFromUtf8(kMixed);
  ASSERT_TRUE(wide);
  EXPECT_EQ(wide->size(), 19u);  // one wide character per scalar value
  EXPECT_EQ(utf8FromWide(*wide), kMixed);

  const auto utf16 = utf16FromUtf8(kMixed);
  ASSERT_TRUE(utf16);
  EXPECT_EQ(utf16->size(), 20u);  // the document emoji takes a surrogate pair
  EXPECT_EQ(utf16Length(kMixed), 20u);
  EXPECT_EQ(utf8FromUtf16(*utf16), kMixed);

  const auto bytes = utf32leFromUtf8(kMixed);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(bytes->size(), 19u * 4);
  EXPECT_EQ(utf8FromUtf32le(*bytes), kMixed);
  EXPECT_EQ(utf32leFromWide(*wide), bytes);
  EXPECT_EQ(wideFromUtf32le(*bytes), wide);
}

TEST(Text, Utf32leIsLittleEndianWithoutByteOrderMark) {
  const auto bytes = utf32leFromUtf8("A\xE5\x9B\xBE");  // "A图" (U+56FE)
  ASSERT_TRUE(bytes);
  EXPECT_EQ(*bytes, std::string("A\0\0\0\xFE\x56\0\0", 8));
}

struct IllFormed {
  const char* what;
  std::string bytes;
  std::string lossy;  // the expected replacement
};

class IllFormedUtf8 : public ::testing::TestWithParam<IllFormed> {};

TEST_P(IllFormedUtf8, CheckedFormsRefuseLossyFormsReplace) {
  const IllFormed& c = GetParam();
  EXPECT_FALSE(isValidUtf8(c.bytes));
  EXPECT_FALSE(wideFromUtf8(c.bytes));
  EXPECT_FALSE(utf16FromUtf8(c.bytes));
  EXPECT_FALSE(utf32leFromUtf8(c.bytes));
  EXPECT_EQ(sanitizedUtf8(c.bytes), c.lossy);
  EXPECT_EQ(utf8FromWide(wideFromUtf8Lossy(c.bytes)), c.lossy);
}

const std::string R = "\xEF\xBF\xBD";  // U+FFFD

INSTANTIATE_TEST_SUITE_P(
    Cases, IllFormedUtf8,
    ::testing::Values(
        IllFormed{"overlong slash", "a\xC0\xAF" "b", "a" + R + R + "b"},
        IllFormed{"overlong three-byte NUL", "\xE0\x80\x80", R + R + R},
        IllFormed{"overlong four-byte", "\xF0\x8F\xBF\xBF", R + R + R + R},
        IllFormed{"encoded high surrogate", "x\xED\xA0\x80", "x" + R + R + R},
        IllFormed{"encoded low surrogate", "\xED\xBF\xBF", R + R + R},
        IllFormed{"above U+10FFFF", "\xF4\x90\x80\x80", R + R + R + R},
        IllFormed{"F5 lead byte", "\xF5\x80", R + R},
        IllFormed{"lone continuation", "\x80" "a", R + "a"},
        IllFormed{"truncated at end", "ab\xE5\x9B", "ab" + R},
        IllFormed{"truncated before ASCII", "\xF0\x9F\x93" "z", R + "z"}),
    [](const ::testing::TestParamInfo<IllFormed>& info) {
      std::string name = info.param.what;
      for (char& ch : name) if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return name;
    });

TEST(Text, WideCharactersThatAreNotScalarValuesAreRefused) {
  for (wchar_t bad : {static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0xDFFF), static_cast<wchar_t>(0x110000),
                      static_cast<wchar_t>(-1)}) {
    const std::wstring text = std::wstring(L"ok") + bad;
    EXPECT_FALSE(utf8FromWide(text)) << static_cast<long>(bad);
    EXPECT_FALSE(utf32leFromWide(text)) << static_cast<long>(bad);
    EXPECT_EQ(utf8FromWideLossy(text), "ok" + R);
  }
  // The largest scalar value and the values beside the surrogates are fine.
  EXPECT_TRUE(utf8FromWide(std::wstring{static_cast<wchar_t>(0x10FFFF), static_cast<wchar_t>(0xD7FF),
                                        static_cast<wchar_t>(0xE000)}));
}

TEST(Text, UnpairedUtf16SurrogatesAreRefused) {
  EXPECT_FALSE(utf8FromUtf16(u"a\xD83D"));              // high at the end
  EXPECT_FALSE(utf8FromUtf16(std::u16string{0xDC00}));  // low alone
  EXPECT_FALSE(utf8FromUtf16(std::u16string{0xD83D, u'x'}));
  EXPECT_EQ(utf8FromUtf16(std::u16string{0xD83D, 0xDCC4}), "\xF0\x9F\x93\x84");
}

TEST(Text, Utf32leBytesAreChecked) {
  EXPECT_FALSE(utf8FromUtf32le(std::string("A\0\0", 3)));             // not a whole unit
  EXPECT_FALSE(utf8FromUtf32le(std::string("\x00\xD8\x00\x00", 4)));  // surrogate
  EXPECT_FALSE(utf8FromUtf32le(std::string("\x00\x00\x11\x00", 4)));  // above U+10FFFF
  EXPECT_FALSE(wideFromUtf32le(std::string("\x00\x00\x00\x80", 4)));  // would be negative
  EXPECT_EQ(utf8FromUtf32le(""), "");
  EXPECT_EQ(wideFromUtf32le(""), L"");
}

TEST(Text, CursorCountsEachIllFormedRunOnce) {
  Utf8Cursor cursor{"a\xE5\x9B\xBE\xFF"};
  char32_t c = 0;
  std::size_t length = 0;
  std::u32string seen;
  std::size_t bytes = 0;
  while (cursor.next(c, length)) {
    seen.push_back(c);
    bytes += length;
  }
  EXPECT_EQ(seen, (std::u32string{U'a', 0x56FE, 0xFFFD}));
  EXPECT_EQ(bytes, 5u);
}

}  // namespace
}  // namespace foundation
