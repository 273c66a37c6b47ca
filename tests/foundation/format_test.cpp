#include "foundation/format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace foundation {
namespace {

TEST(Format, PlaceholdersTheSystemUses) {
  const std::string path = "/tmp/输出.pdf";
  EXPECT_EQ(format("输出失败：%@", path), "输出失败：/tmp/输出.pdf");
  EXPECT_EQ(format("%@-%04lu.pdf", std::string("Drawing"), 7ul), "Drawing-0007.pdf");
  EXPECT_EQ(format("%04ld|%02ld|%ld|%lu|%d", 42L, 5L, -12L, 3000000000ul, 9), "0042|05|-12|3000000000|9");
  EXPECT_EQ(format("%@｜%.0f × %.0f", "A3", 297.0, 420.4), "A3｜297 × 420");
  EXPECT_EQ(format("%.1f%%", 99.95), "100.0%");
  EXPECT_EQ(format("%g %g", 0.5, 1e20), "0.5 1e+20");
  EXPECT_EQ(format("\nFerrolin 批打工具无法启动命令：%ls", std::wstring(L"\x1B\x1B_QUODL ")),
            "\nFerrolin 批打工具无法启动命令：\x1B\x1B_QUODL ");
  int object = 0;
  const std::string pointer = format("unsaved-%p", &object);
  EXPECT_EQ(pointer.rfind("unsaved-0x", 0), 0u);
  EXPECT_EQ(format("%p", nullptr), "0x0");
}

TEST(Format, WideTemplatesShareTheEngine) {
  EXPECT_EQ(formatWide(L"%ls: %d pages, %s", std::wstring(L"图纸"), 3, std::string("ok")), L"图纸: 3 pages, ok");
  EXPECT_EQ(formatWide(L"\n%ls=%ld%%", L"DUZOZAREDEXEC", 100L), L"\nDUZOZAREDEXEC=100%");
  // A wide template holding a lone surrogate is still formatted, the bad character replaced.
  EXPECT_EQ(formatWide(std::wstring(L"a") + static_cast<wchar_t>(0xD800) + L"%d", 1), L"a\xFFFD" L"1");
}

TEST(Format, TextArgumentsOfEveryKind) {
  const std::optional<std::string> none;
  const char* nullText = nullptr;
  EXPECT_EQ(format("[%@][%@][%@][%s]", std::optional<std::string>("x"), none, nullText, std::string_view("sv")),
            "[x][(null)][(null)][sv]");
  EXPECT_EQ(format("%@ %@ %@", 42, 2.5, -7L), "42 2.5 -7");
  EXPECT_EQ(format("%ls", "narrow"), "narrow");
}

TEST(Format, WidthAndPrecisionCountCharactersNotBytes) {
  EXPECT_EQ(format("[%5@]", "图纸"), "[   图纸]");
  EXPECT_EQ(format("[%-4s]", "ab"), "[ab  ]");
  EXPECT_EQ(format("[%.2@]", "图纸列表"), "[图纸]");
  EXPECT_EQ(format("[%*d]", 4, 7), "[   7]");
  EXPECT_EQ(format("[%-*d]", 3, 7), "[7  ]");
  EXPECT_EQ(format("[%.*f]", 2, 3.14159), "[3.14]");
}

TEST(Format, PositionalArguments) {
  EXPECT_EQ(format("%2$@ / %1$@", "first", "second"), "second / first");
  EXPECT_EQ(format("%3$@|", "a"), "|");  // no such argument
}

TEST(Format, MissingArgumentsRenderNothing) {
  EXPECT_EQ(format("共 %ld 个%@，已选 %ld 个", 3L), "共 3 个，已选  个");
  EXPECT_EQ(format("%@ %d %f %p %ls %c"), "     ");
  EXPECT_EQ(format("%*d", 5), "");  // the width took the only argument
}

TEST(Format, MismatchedKindsAreSafe) {
  // Numbers convert among themselves.
  EXPECT_EQ(format("%d", 3.99), "3");
  EXPECT_EQ(format("%d", -3.99), "-3");
  EXPECT_EQ(format("%ld", std::nan("")), "0");
  EXPECT_EQ(format("%ld", 1e300), "9223372036854775807");
  EXPECT_EQ(format("%ld", -1e300), "-9223372036854775808");
  EXPECT_EQ(format("%.1f", 3), "3.0");
  EXPECT_EQ(format("%lu", -1), "18446744073709551615");
  EXPECT_EQ(format("%x", 255u), "ff");
  EXPECT_EQ(format("%ld", std::numeric_limits<std::uint64_t>::max()), "18446744073709551615");
  // Text where a number is expected, and a number where text is expected, render nothing but are consumed.
  EXPECT_EQ(format("[%d][%@]", "text", "next"), "[][next]");
  EXPECT_EQ(format("[%s][%d]", 5, 6), "[][6]");
  EXPECT_EQ(format("[%f]", static_cast<const void*>(nullptr)), "[]");
  EXPECT_EQ(format("[%p]", "text"), "[]");
}

TEST(Format, HostileTemplates) {
  EXPECT_EQ(format("100%"), "100%");
  EXPECT_EQ(format("%ll"), "%ll");
  EXPECT_EQ(format("%n|%d", 4), "|4");       // %n never writes and takes nothing
  EXPECT_EQ(format("%y %k", 1), "%y %k");  // unknown conversions stay as they are
  // Absurd widths are capped rather than allocating gigabytes.
  EXPECT_EQ(format("%999999999999d", 1).size(), 4096u);
  EXPECT_EQ(format("%.999999999f", 1.0).size(), 4098u);
  EXPECT_EQ(format("%*d", std::numeric_limits<int>::min(), 1).size(), 4096u);
  EXPECT_EQ(format("%*d", -3, 1), "1  ");
  EXPECT_EQ(format("%c%c", 0x56FE, 0x110000), "图\xEF\xBF\xBD");
}

}  // namespace
}  // namespace foundation
