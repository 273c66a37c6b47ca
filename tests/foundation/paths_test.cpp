#include "foundation/paths.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "test_support.h"

namespace foundation {
namespace {

using foundation_test::ScopedEnv;

TEST(Paths, TakingPathsApart) {
  const struct {
    const char* path;
    const char* last;
    const char* parent;
    const char* extension;
    const char* withoutExtension;
  } cases[] = {
      {"/tmp/scratch.tiff", "scratch.tiff", "/tmp", "tiff", "/tmp/scratch"},
      {"/tmp/a.tar.gz", "a.tar.gz", "/tmp", "gz", "/tmp/a.tar"},
      {"/tmp/lock/", "lock", "/tmp", "", "/tmp/lock"},
      {"/tmp//x///", "x", "/tmp", "", "/tmp/x"},
      {"/tmp", "tmp", "/", "", "/tmp"},
      {"/", "/", "/", "", "/"},
      {"", "", "", "", ""},
      {"scratch.tiff", "scratch.tiff", "", "tiff", "scratch"},
      {"/home/u/.bashrc", ".bashrc", "/home/u", "", "/home/u/.bashrc"},
      {".bashrc", ".bashrc", "", "", ".bashrc"},
      {"a.", "a.", "", "", "a."},
      {"a..b", "a..b", "", "b", "a."},
      {"dir.d/file", "file", "dir.d", "", "dir.d/file"},
      {"图纸/第1张.DWG", "第1张.DWG", "图纸", "DWG", "图纸/第1张"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(lastPathComponent(c.path), c.last);
    EXPECT_EQ(deletingLastPathComponent(c.path), c.parent);
    EXPECT_EQ(pathExtension(c.path), c.extension);
    EXPECT_EQ(deletingPathExtension(c.path), c.withoutExtension);
  }
}

TEST(Paths, PuttingPathsTogether) {
  EXPECT_EQ(appendingPathComponent("/tmp", "x.pdf"), "/tmp/x.pdf");
  EXPECT_EQ(appendingPathComponent("/tmp/", "/x/"), "/tmp/x");
  EXPECT_EQ(appendingPathComponent("/", "x"), "/x");
  EXPECT_EQ(appendingPathComponent("", "PDF"), "PDF");
  EXPECT_EQ(appendingPathComponent("/tmp", ""), "/tmp");
  EXPECT_EQ(appendingPathExtension("/tmp/a", "pdf"), "/tmp/a.pdf");
  EXPECT_EQ(appendingPathExtension("/tmp/a/", "pdf"), "/tmp/a.pdf");
  EXPECT_EQ(appendingPathExtension("/", "pdf"), "/");
  EXPECT_EQ(appendingPathExtension("a", ""), "a");
  EXPECT_EQ(pathComponents("/tmp//a/"), (std::vector<std::string>{"/", "tmp", "a"}));
  EXPECT_EQ(pathComponents("a/b"), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(isAbsolutePath("/a"));
  EXPECT_FALSE(isAbsolutePath("a/b"));
}

TEST(Paths, TildeAndStandardizing) {
  ScopedEnv home("HOME", "/home/tester");
  EXPECT_EQ(expandingTildeInPath("~"), "/home/tester");
  EXPECT_EQ(expandingTildeInPath("~/Library/x"), "/home/tester/Library/x");
  EXPECT_EQ(expandingTildeInPath("~no-such-user-here/x"), "~no-such-user-here/x");
  EXPECT_EQ(expandingTildeInPath("a/~"), "a/~");
  EXPECT_EQ(expandingTildeInPath("~root"), "/root");

  const struct {
    const char* path;
    const char* expected;
  } cases[] = {
      {"~/a/./b/../c/", "/home/tester/a/c"},
      {"/a//b/./c/..", "/a/b"},
      {"/../..", "/"},
      {"/a/../../b", "/b"},
      {"a/./b/../c", "a/b/../c"},  // a relative path keeps its ".."
      {"./", "."},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(standardizingPath(c.path), c.expected) << c.path;
}

TEST(Paths, CanonicalPathResolvesLinksAfterTheLexicalSteps) {
  TempFolder dir;
  const std::string root = std::filesystem::canonical(dir.path()).string();
  std::filesystem::create_directories(root + "/real/sub");
  std::filesystem::create_directory_symlink(root + "/real/sub", root + "/link");
  // "link/.." is the folder holding the link, lexically, not the link target's parent.
  EXPECT_EQ(canonicalPath(root + "/link/.."), root);
  EXPECT_EQ(canonicalPath(root + "/link/./file.pdf"), root + "/real/sub/file.pdf");
  EXPECT_EQ(canonicalPath(root + "/missing/../real//"), root + "/real");

  const std::string cwd = std::filesystem::current_path().string();
  ASSERT_EQ(chdir(root.c_str()), 0);
  EXPECT_EQ(canonicalPath("link"), root + "/real/sub");
  ASSERT_EQ(chdir(cwd.c_str()), 0);
  EXPECT_EQ(canonicalPath(""), "");
}

TEST(Paths, HomeFallsBackWhenTheEnvironmentHasNone) {
  {
    ScopedEnv home("HOME", std::nullopt);
    EXPECT_TRUE(isAbsolutePath(homeDirectory()));
  }
  ScopedEnv relative("HOME", "relative/home");
  EXPECT_TRUE(isAbsolutePath(homeDirectory()));
}

}  // namespace
}  // namespace foundation
