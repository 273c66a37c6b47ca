#include <gtest/gtest.h>

#include "options.h"

namespace {

TEST(OptionsTest, ReadsEveryFormAndKeepsOrder) {
  const cadhost::ParsedOptions parsed = cadhost::parseOptions(
      {"--load", "a.so", "one.dwg", "--load=b.so", "--script=run.txt", "--no-autoload", "--read-only", "--", "--two.dwg"});
  ASSERT_EQ(parsed.error, "");
  const cadhost::Options& o = parsed.options;
  EXPECT_EQ(o.modules, (std::vector<std::string>{"a.so", "b.so"}));
  EXPECT_EQ(o.script, "run.txt");
  EXPECT_FALSE(o.autoload);
  EXPECT_TRUE(o.readOnly);
  EXPECT_EQ(o.drawings, (std::vector<std::string>{"one.dwg", "--two.dwg"}));
}

TEST(OptionsTest, BadArgumentsAreErrors) {
  const struct {
    std::vector<std::string> arguments;
    std::string error;
  } cases[] = {
      {{"--load"}, "--load needs a value"},
      {{"--load="}, "--load needs a module"},
      {{"--script", "a", "--script", "b"}, "--script given twice"},
      {{"--script="}, "--script needs a file"},
      {{"-x"}, "unknown option -x"},
      {{"--loader=x"}, "unknown option --loader=x"},
  };
  for (const auto& c : cases) EXPECT_EQ(cadhost::parseOptions(c.arguments).error, c.error);
  EXPECT_TRUE(cadhost::parseOptions({"-h"}).options.help);
  EXPECT_EQ(cadhost::parseOptions({"-"}).options.drawings, std::vector<std::string>{"-"});
}

}  // namespace
