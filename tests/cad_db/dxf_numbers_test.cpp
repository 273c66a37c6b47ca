// Numbers as the DXF reader reads them: every real exactly the double the C library makes of its text, by
// whichever path the reader takes to it, and integers and group codes in the forms writers use.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "test_support.h"

using namespace cad;

namespace {

// A drawing whose model space holds one line for each value, the value as its start's X.
std::string linesStartingAt(const std::vector<std::string>& values) {
  std::string entities;
  for (const std::string& value : values) entities += "0\nLINE\n8\n0\n10\n" + value + "\n20\n0\n11\n1\n21\n1\n";
  return "0\nSECTION\n2\nENTITIES\n" + entities + "0\nENDSEC\n0\nEOF\n";
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void expectReadAsTheLibraryReads(const std::vector<std::string>& values) {
  auto result = readDxfText(linesStartingAt(values));
  ASSERT_TRUE(result.database) << result.error;
  const auto lines = cadtest::ofKind<Line>(cadtest::layoutEntities(*result.database, L"Model"));
  ASSERT_EQ(lines.size(), values.size());
  for (std::size_t k = 0; k < values.size(); ++k) {
    const double expected = std::strtod(values[k].c_str(), nullptr);
    EXPECT_TRUE(sameBits(lines[k]->start.x, expected))
        << values[k] << " read as " << lines[k]->start.x << ", not " << expected;
  }
}

}  // namespace

TEST(DxfNumbers, RealsAreTheLibrarysDoubles) {
  expectReadAsTheLibraryReads(
      {// As writers print them.
       "1234.567890", "-98765.432100", "0", "-0.0", "0.1", "0.3", ".5", "5.", "+4", "-.25", "1.5E+03", "2e-3",
       // The last powers of ten a double holds exactly, and the first past them.
       "1e22", "1e23", "1e-22", "1e-23",
       // 2^53 and one more, which rounds; more digits than any quick reading takes.
       "9007199254740992", "9007199254740993", "4503599627370497.5", "123456789012345678", "1234567890123456789012",
       "0.000000000000000000001", "00000000000000000000012.5", "17976931348623157" + std::string(292, '0'),
       // Fixed precision: trailing zeros, more of them than a mantissa holds, and zeros alone.
       "5000.000000", "-0.000000", ".000", "0.10", "1.25000000000000000000000000", "120.500e2", "1.0e10",
       // Blanks around the number.
       "  12.5", "12.5  ", "\t-3\t"});
  // And numbers as writers print them, at random: digits before and after the point, signs and exponents.
  std::mt19937 random(2024);
  std::vector<std::string> values;
  for (int k = 0; k < 5000; ++k) {
    std::string text = random() % 4 == 0 ? "-" : "";
    const int whole = static_cast<int>(random() % 12), fraction = static_cast<int>(random() % 14);
    for (int d = 0; d < whole; ++d) text += static_cast<char>('0' + random() % 10);
    if (whole == 0 || fraction > 0) text += ".";
    for (int d = 0; d < fraction || (whole == 0 && d == 0); ++d) text += static_cast<char>('0' + random() % 10);
    if (random() % 5 == 0) text.append("e").append(std::to_string(static_cast<int>(random() % 60) - 30));
    values.push_back(text);
  }
  expectReadAsTheLibraryReads(values);
}

TEST(DxfNumbers, IntegersAndCodesInTheirUsualForms) {
  struct Case {
    const char* name;
    std::string colour;  // the line's 62 group, as written
    int expected;
  };
  const Case cases[] = {{"plain", "1", 1},
                        {"negative", "-7", -7},
                        {"signed", "+3", 3},
                        {"padded", "   5  ", 5},
                        {"as a real", "4.0", 4},
                        {"leading zeros", "0012", 12},
                        {"long", "000000000000000000000000000000000000042", 42}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Group codes right-aligned, left-aligned, with leading zeros and with CR LF.
    const std::string text = "  0\r\nSECTION\r\n2\r\nENTITIES\r\n  0\nLINE\n 62\n" + c.colour +
                             "\n010\n0\n 20\n0\n11  \n1\n  21\n1\n0\nENDSEC\n0\nEOF\n";
    auto result = readDxfText(text);
    ASSERT_TRUE(result.database) << result.error;
    const auto lines = cadtest::ofKind<Line>(cadtest::layoutEntities(*result.database, L"Model"));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]->colorIndex(), c.expected);
    EXPECT_EQ(lines[0]->end.x, 1);
  }
}
