// Finding DWG files: what a search takes and passes over, files reached twice, its limit, its failures and
// cancellation.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "faulty_file_system.h"
#include "file_tree.h"
#include "queue/dwg_discovery.h"

namespace {

using Paths = std::vector<std::string>;

struct Outcome {
  std::optional<Paths> found;
  std::string error;
};

Outcome discover(const Paths& paths, bool recursive, const QDLQueueFileSystem& fs = QDLQueueFileSystem(),
                 std::function<bool()> cancelled = nullptr) {
  Outcome outcome;
  outcome.error = "left over";
  outcome.found = QDLQueueDiscover(paths, recursive, outcome.error, cancelled, fs);
  return outcome;
}

// A folder with every kind of item a search meets.
class DiscoveryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree.file("A.DWG");
    tree.file("b.Dwg");
    tree.file("c.dxf");
    tree.file("notes.txt");
    tree.file(".hidden.dwg");
    tree.file(".dwg");
    tree.file("sub/deep/d.dwg");
    tree.file("sub/e.dwg");
    tree.file(".git/f.dwg");
    tree.file("Viewer.app/Contents/g.dwg");
    tree.file("Sheets.BUNDLE/h.dwg");
    tree.fifo("pipe.dwg");
    tree.folder("folder.dwg");
    tree.symlink("link-to-file.dwg", tree / "A.DWG");
    tree.symlink("link-to-folder", tree / "sub");
    tree.symlink("sub/loop", tree.root());
    tree.symlink("dangling.dwg", tree / "missing.dwg");
  }

  FileTree tree;
};

TEST_F(DiscoveryTest, AFolderGivesItsDwgFilesByExtensionIgnoringCaseAndPassesOverEverythingElse) {
  const Outcome direct = discover({tree.root()}, false);
  ASSERT_TRUE(direct.found) << direct.error;
  EXPECT_EQ(direct.error, "");
  EXPECT_EQ(*direct.found, (Paths{tree / "A.DWG", tree / "b.Dwg"}));

  // All levels, but never into hidden folders, packages or through links (the loop would never end).
  const Outcome deep = discover({tree.root()}, true);
  ASSERT_TRUE(deep.found) << deep.error;
  EXPECT_EQ(*deep.found, (Paths{tree / "A.DWG", tree / "b.Dwg", tree / "sub/deep/d.dwg", tree / "sub/e.dwg"}));
}

TEST_F(DiscoveryTest, ChosenItemsAreTakenAsTheyAreButLinksAreIgnored) {
  const Outcome outcome = discover({tree / "sub/e.dwg", tree / "link-to-file.dwg", tree / "link-to-folder",
                                    tree / "c.dxf", tree / "Sheets.BUNDLE", tree / "pipe.dwg"},
                                   false);
  ASSERT_TRUE(outcome.found) << outcome.error;
  // A chosen package is searched: the user opened it on purpose.
  EXPECT_EQ(*outcome.found, (Paths{tree / "Sheets.BUNDLE/h.dwg", tree / "sub/e.dwg"}));
}

TEST_F(DiscoveryTest, PathsComeOutCanonical) {
  const Outcome outcome = discover({tree.root() + "/sub/../sub//deep/./"}, false);
  ASSERT_TRUE(outcome.found) << outcome.error;
  EXPECT_EQ(*outcome.found, Paths{tree / "sub/deep/d.dwg"});
  EXPECT_EQ(QDLQueueCanonicalPath(tree / "link-to-folder/e.dwg"), tree / "sub/e.dwg");
}

TEST(DiscoveryIdentity, OneFileReachedByTwoPathsIsFoundOnce) {
  FileTree tree;
  const std::string plan = tree.file("x/plan.dwg");
  tree.hardLink("y/plan-copy.dwg", plan);
  EXPECT_EQ(QDLQueueFileIdentity(plan), QDLQueueFileIdentity(tree / "y/plan-copy.dwg"));
  EXPECT_NE(QDLQueueFileIdentity(plan), QDLQueueFileIdentity(tree.file("y/other.dwg")));
  // A missing file is known by its canonical path.
  EXPECT_EQ(QDLQueueFileIdentity(tree.root() + "/x/../gone.dwg"), tree / "gone.dwg");

  // Both folders chosen, and one of them twice, with its file chosen too.
  const Outcome outcome = discover({tree / "x", tree / "y", tree / "x", plan}, false);
  ASSERT_TRUE(outcome.found) << outcome.error;
  EXPECT_EQ(*outcome.found, (Paths{plan, tree / "y/other.dwg"}));
}

TEST(DiscoveryLimit, OneSearchFindsAtMostAThousandFiles) {
  FileTree tree;
  for (int i = 0; i < 1000; ++i) tree.file("many/" + std::to_string(i) + ".dwg", "");
  const Outcome thousand = discover({tree / "many"}, false);
  ASSERT_TRUE(thousand.found) << thousand.error;
  EXPECT_EQ(thousand.found->size(), 1000u);

  tree.file("many/one-more.dwg", "");
  const Outcome over = discover({tree / "many"}, false);
  EXPECT_FALSE(over.found);
  EXPECT_EQ(over.error, "单次最多加入 1000 个 DWG，请缩小文件夹范围。");
  // Hard links count once.
  std::remove((tree / "many/one-more.dwg").c_str());
  tree.hardLink("many/link.dwg", tree / "many/7.dwg");
  EXPECT_TRUE(discover({tree / "many"}, false).found);
}

TEST(DiscoveryFailure, AnItemThatCannotBeReadFailsTheSearchWithTheSystemsReason) {
  FileTree tree;
  tree.file("ok/a.dwg");
  const std::string locked = tree.folder("ok/locked");
  const std::string shy = tree.file("ok/shy.dwg");

  const Outcome missing = discover({tree / "ok", tree / "nowhere"}, true);
  EXPECT_FALSE(missing.found);
  EXPECT_NE(missing.error.find(tree / "nowhere"), std::string::npos) << missing.error;

  struct Case {
    const char* what;
    std::function<void(FaultyFileSystem&)> fault;
    std::string named;
    int code;
  };
  const Case cases[] = {
      {"a chosen folder", [&](FaultyFileSystem& fs) { fs.folderFailures[tree / "ok"] = EACCES; }, tree / "ok", EACCES},
      {"a subfolder", [&](FaultyFileSystem& fs) { fs.folderFailures[locked] = EACCES; }, locked, EACCES},
      {"a drawing's attributes", [&](FaultyFileSystem& fs) { fs.statusFailures[shy] = EIO; }, shy, EIO},
      {"a chosen item", [&](FaultyFileSystem& fs) { fs.statusFailures[tree / "ok"] = EACCES; }, tree / "ok", EACCES},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FaultyFileSystem fs;
    c.fault(fs);
    const Outcome outcome = discover({tree / "ok"}, true, fs);
    EXPECT_FALSE(outcome.found);
    EXPECT_NE(outcome.error.find(c.named), std::string::npos) << outcome.error;
    EXPECT_NE(outcome.error.find(std::strerror(c.code)), std::string::npos) << outcome.error;
  }
}

TEST(DiscoveryFailure, FilesAndFoldersThatVanishDuringTheSearchArePassedOver) {
  FileTree tree;
  tree.file("top/a.dwg");
  tree.file("top/gone.dwg");
  tree.file("top/sub/gone-too/b.dwg");
  tree.file("top/sub/c.dwg");
  FaultyFileSystem fs;
  fs.afterListing = [&](const std::string& folder) {
    if (folder == tree / "top") std::remove((tree / "top/gone.dwg").c_str());
    if (folder == tree / "top/sub") std::filesystem::remove_all(tree / "top/sub/gone-too");
  };
  const Outcome outcome = discover({tree / "top"}, true, fs);
  ASSERT_TRUE(outcome.found) << outcome.error;
  EXPECT_EQ(*outcome.found, (Paths{tree / "top/a.dwg", tree / "top/sub/c.dwg"}));
}

TEST(DiscoveryCancel, ACancelledSearchGivesNothingAndNoError) {
  FileTree tree;
  for (int i = 0; i < 20; ++i) tree.file("f/" + std::to_string(i) + ".dwg");
  int asked = 0;
  const Outcome outcome = discover({tree / "f"}, true, QDLQueueFileSystem(), [&] { return ++asked > 5; });
  EXPECT_FALSE(outcome.found);
  EXPECT_EQ(outcome.error, "");
  EXPECT_EQ(asked, 6) << "the search stops at the first check that answers true";
}

}  // namespace
