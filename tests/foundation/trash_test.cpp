#include "foundation/trash.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <functional>
#include <map>

#include "foundation/file_faults.h"
#include "foundation/iso8601.h"
#include "immutable_flag.h"
#include "small_volume.h"
#include "test_support.h"

namespace foundation {
namespace {

namespace fs = std::filesystem;
using foundation_test::readText;
using foundation_test::ScopedEnv;
using foundation_test::writeText;

class Trash : public ::testing::Test {
 protected:
  Trash() : data("XDG_DATA_HOME", dir / "data"), zone("TZ", "UTC") {
    tzset();
    root = fs::canonical(dir.path()).string();
    setWallClockForTesting([] { return *parseIso8601("2026-12-10T11:44:32Z"); });
  }
  ~Trash() override {
    setWallClockForTesting(nullptr);
    clearFileFaults();
    tzset();
  }

  std::string trashFiles(const std::string& name) const { return root + "/data/Trash/files/" + name; }
  std::string trashInfo(const std::string& name) const { return root + "/data/Trash/info/" + name + ".trashinfo"; }

  TempFolder dir;
  ScopedEnv data;
  ScopedEnv zone;
  std::string root;
};

TEST_F(Trash, FileGoesToFilesWithARecordInInfo) {
  writeText(dir / "图纸 1#.pdf", "pdf");
  const TrashResult result = trashItem(dir / "图纸 1#.pdf");
  ASSERT_TRUE(result) << result.error;
  EXPECT_EQ(result.trashedPath, trashFiles("图纸 1#.pdf"));
  EXPECT_FALSE(itemExists(dir / "图纸 1#.pdf"));
  EXPECT_EQ(readText(result.trashedPath), "pdf");
  EXPECT_EQ(readText(trashInfo("图纸 1#.pdf")),
            "[Trash Info]\nPath=" + root + "/%E5%9B%BE%E7%BA%B8%201%23.pdf\nDeletionDate=2026-12-10T11:44:32\n");
}

TEST_F(Trash, NamesThatAreTakenGetANumber) {
  for (const char* folder : {"a", "b", "c"}) {
    fs::create_directory(dir / folder);
    writeText(dir / folder + "/Sheet.pdf", folder);
  }
  // A file left in the trash without its record still holds its name.
  fs::create_directories(root + "/data/Trash/files");
  writeText(trashFiles("Sheet 3.pdf"), "orphan");

  EXPECT_EQ(trashItem(dir / "a/Sheet.pdf").trashedPath, trashFiles("Sheet.pdf"));
  EXPECT_EQ(trashItem(dir / "b/Sheet.pdf").trashedPath, trashFiles("Sheet 2.pdf"));
  EXPECT_EQ(trashItem(dir / "c/Sheet.pdf").trashedPath, trashFiles("Sheet 4.pdf"));
  EXPECT_EQ(readText(trashFiles("Sheet 4.pdf")), "c");
  EXPECT_NE(readText(trashInfo("Sheet 2.pdf")).find("Path=" + root + "/b/Sheet.pdf\n"), std::string::npos);
  EXPECT_EQ(readText(trashFiles("Sheet 3.pdf")), "orphan");
}

TEST_F(Trash, FoldersAndLinks) {
  fs::create_directories(dir / "Quodline.bundle/Contents");
  writeText(dir / "Quodline.bundle/Contents/PackageContents.xml", "<x/>");
  const TrashResult folder = trashItem(dir / "Quodline.bundle/");
  ASSERT_TRUE(folder) << folder.error;
  EXPECT_EQ(readText(folder.trashedPath + "/Contents/PackageContents.xml"), "<x/>");

  writeText(dir / "target", "keep");
  fs::create_symlink(dir / "target", dir / "link");
  const TrashResult link = trashItem(dir / "link");
  ASSERT_TRUE(link);
  EXPECT_TRUE(isSymbolicLink(link.trashedPath));
  EXPECT_EQ(readText(dir / "target"), "keep");
}

TEST_F(Trash, RefusesWhatCannotBeTrashed) {
  EXPECT_EQ(trashItem(dir / "missing").code, ENOENT);
  EXPECT_EQ(trashItem("").code, EINVAL);
  EXPECT_EQ(trashItem("/").code, EINVAL);
  EXPECT_EQ(trashItem(dir / ".").code, EINVAL);
  fs::create_directories(root + "/data/Trash/files");
  EXPECT_EQ(trashItem(root + "/data/Trash").code, EINVAL);
  EXPECT_EQ(trashItem(root + "/data").code, EINVAL);
  EXPECT_TRUE(isDirectory(root + "/data/Trash"));
}

TEST_F(Trash, AFailedMoveLeavesTheItemAndNoRecord) {
  writeText(dir / "a.pdf", "A");
  failNextFileOperation(FileOperation::rename, EROFS);
  const TrashResult result = trashItem(dir / "a.pdf");
  EXPECT_EQ(result.code, EROFS);
  EXPECT_NE(result.error.find("a.pdf"), std::string::npos);
  EXPECT_EQ(readText(dir / "a.pdf"), "A");
  EXPECT_FALSE(itemExists(trashInfo("a.pdf")));

  failNextFileOperation(FileOperation::write, ENOSPC);
  EXPECT_EQ(trashItem(dir / "a.pdf").code, ENOSPC);
  EXPECT_EQ(readText(dir / "a.pdf"), "A");
  EXPECT_FALSE(itemExists(trashInfo("a.pdf")));

  EXPECT_TRUE(trashItem(dir / "a.pdf"));
}

TEST_F(Trash, LongNamesAreShortenedToFitTheRecord) {
  std::string name;
  for (int i = 0; i < 80; ++i) name += "图";  // 240 bytes
  name += ".pdf";
  writeText(dir / name, "x");
  const TrashResult result = trashItem(dir / name);
  ASSERT_TRUE(result) << result.error;
  const std::string trashedName = fs::path(result.trashedPath).filename().string();
  EXPECT_LE(trashedName.size() + 10, 255u);
  EXPECT_EQ(trashedName.substr(trashedName.size() - 4), ".pdf");
  EXPECT_EQ(readText(result.trashedPath), "x");
}

// The trash on another, nearly full volume: the copy stops half-way, and neither a part of it in the trash nor
// a record is left, while the package stays whole where it was; the reason is the system's.
TEST_F(Trash, AMoveAcrossVolumesThatRunsOutOfSpaceLeavesNoPartialCopy) {
  const SmallVolume volume(dir / "data", 200 * 1024);
  SKIP_UNLESS_MOUNTED(volume);
  const std::string bundle = dir / "Quodline.bundle";
  fs::create_directories(bundle + "/Contents/Resources");
  const std::string big(150 * 1024, 'a');
  writeText(bundle + "/Contents/first.bin", big);
  writeText(bundle + "/Contents/Resources/second.bin", big);
  // A package folder without write permission: its copy must still go.
  fs::permissions(bundle + "/Contents/Resources", fs::perms::owner_read | fs::perms::owner_exec);

  const TrashResult result = trashItem(bundle);
  EXPECT_FALSE(result);
  EXPECT_EQ(result.code, ENOSPC) << result.error;
  EXPECT_NE(result.error.find(errorText(ENOSPC)), std::string::npos) << result.error;
  EXPECT_TRUE(fs::is_empty(root + "/data/Trash/files"));
  EXPECT_TRUE(fs::is_empty(root + "/data/Trash/info"));
  EXPECT_EQ(readText(bundle + "/Contents/first.bin"), big);
  EXPECT_EQ(readText(bundle + "/Contents/Resources/second.bin"), big);

  // What fits moves across, whole, with its folders' permissions.
  fs::permissions(bundle + "/Contents/Resources", fs::perms::owner_all);
  fs::remove(bundle + "/Contents/first.bin");
  writeText(bundle + "/Contents/Resources/second.bin", "small");
  fs::permissions(bundle + "/Contents/Resources", fs::perms::owner_read | fs::perms::owner_exec);
  const TrashResult moved = trashItem(bundle);
  ASSERT_TRUE(moved) << moved.error;
  EXPECT_FALSE(itemExists(bundle));
  EXPECT_EQ(readText(moved.trashedPath + "/Contents/Resources/second.bin"), "small");
  EXPECT_EQ(fs::status(moved.trashedPath + "/Contents/Resources").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_exec);
  fs::permissions(moved.trashedPath + "/Contents/Resources", fs::perms::owner_all);
}

// Every item below a folder: its kind, permissions and content or link target.
std::map<std::string, std::string> treeOf(const std::string& folder) {
  std::map<std::string, std::string> items;
  for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it) {
    const fs::file_status status = it->symlink_status();
    std::string& item = items[it->path().lexically_relative(folder).string()];
    item = std::to_string(static_cast<int>(status.permissions())) + " ";
    if (fs::is_symlink(status)) item += "link " + fs::read_symlink(it->path()).string();
    else if (fs::is_directory(status)) item += "folder";
    else item += "file " + readText(it->path());
  }
  return items;
}

// The trash on another volume, a package with one item that will not go: either all of it moves, or the
// package stays whole where it was and nothing of it is in the trash; the reason names the item.
TEST_F(Trash, AMoveAcrossVolumesIsAllOrNothing) {
  const SmallVolume volume(dir / "data", 1024 * 1024);
  SKIP_UNLESS_MOUNTED(volume);
  const std::string bundle = dir / "Quodline.bundle";
  const std::string module = bundle + "/Contents/Linux/Quodline.so";
  struct Case {
    const char* what;
    // Puts the obstacle in place and returns what takes it away again, or nothing when it is a forced fault.
    std::function<std::function<void()>()> arrange;
    int code;
    std::string blocker;  // the part of the path the reason names
    bool copyKept;        // putting back failed too: the whole copy stays in the trash, with its record
  };
  const Case cases[] = {
      {"an immutable module",
       [&]() -> std::function<void()> {
         auto flag = std::make_shared<ScopedImmutable>(module);
         if (!flag->set()) return nullptr;
         return [flag] { flag->release(); };
       },
       EPERM, "Contents/Linux/Quodline.so", false},
      {"the removal fails half-way: what went is put back",
       [] {
         failNextFileOperation(FileOperation::remove, EIO, 1, 3);
         return std::function<void()>([] {});
       },
       EIO, "Quodline.bundle", false},
      {"the removal fails half-way and so does putting back",
       [] {
         failNextFileOperation(FileOperation::remove, EIO, 1, 3);
         // Past the trash record and the copy (two opens a file, a folder made for each folder), every copy fails.
         failNextFileOperation(FileOperation::open, EIO, 1000, 1 + 2 * 4);
         failNextFileOperation(FileOperation::mkdir, EIO, 1000, 4);
         return std::function<void()>([] {});
       },
       EIO, "Quodline.bundle", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(bundle);
    fs::create_directories(bundle + "/Contents/Linux");
    fs::create_directories(bundle + "/Contents/Resources");
    writeText(bundle + "/PackageContents.xml", "<ApplicationPackage/>");
    writeText(module, "module");
    writeText(bundle + "/Contents/Resources/a.txt", "a");
    writeText(bundle + "/Contents/Resources/b.txt", "b");
    fs::create_symlink("Linux/Quodline.so", bundle + "/Contents/current.so");
    fs::permissions(bundle + "/Contents/Resources", fs::perms::owner_read | fs::perms::owner_exec);
    const auto before = treeOf(bundle);

    const std::function<void()> undo = c.arrange();
    if (!undo) {
      ADD_FAILURE() << "the obstacle could not be put in place";
      continue;
    }
    const TrashResult result = trashItem(bundle);
    clearFileFaults();
    EXPECT_FALSE(result);
    EXPECT_EQ(result.code, c.code) << result.error;
    EXPECT_EQ(result.partlyLeft, c.copyKept);
    EXPECT_NE(result.error.find(c.blocker), std::string::npos) << result.error;
    EXPECT_NE(result.error.find(errorText(c.code)), std::string::npos) << result.error;
    if (c.copyKept) {
      EXPECT_NE(result.error.find("the whole copy is kept"), std::string::npos) << result.error;
      EXPECT_EQ(result.trashedPath, trashFiles("Quodline.bundle"));
      EXPECT_EQ(treeOf(result.trashedPath), before);
      EXPECT_TRUE(itemExists(trashInfo("Quodline.bundle")));
      EXPECT_NE(treeOf(bundle), before);  // some of it went
      fs::permissions(result.trashedPath + "/Contents/Resources", fs::perms::owner_all);
      fs::remove_all(result.trashedPath);
      fs::remove(trashInfo("Quodline.bundle"));
      continue;
    }
    EXPECT_NE(result.error.find("nothing was moved"), std::string::npos) << result.error;
    EXPECT_EQ(treeOf(bundle), before);
    EXPECT_TRUE(fs::is_empty(root + "/data/Trash/files"));
    EXPECT_TRUE(fs::is_empty(root + "/data/Trash/info"));

    // Once nothing is in the way, the move is whole: the copy with its record, and no original.
    undo();
    const TrashResult moved = trashItem(bundle);
    ASSERT_TRUE(moved) << moved.error;
    EXPECT_FALSE(itemExists(bundle));
    EXPECT_EQ(treeOf(moved.trashedPath), before);
    EXPECT_TRUE(itemExists(trashInfo("Quodline.bundle")));
    fs::permissions(moved.trashedPath + "/Contents/Resources", fs::perms::owner_all);
    fs::remove_all(moved.trashedPath);
    fs::remove(trashInfo("Quodline.bundle"));
  }
}

// A trash folder, or its "files" or "info", that is a link would send the item wherever it points.
TEST_F(Trash, ATrashFolderThatIsALinkIsRefused) {
  for (const std::string linked : {"Trash", "Trash/files", "Trash/info"}) {
    fs::remove_all(dir / "data");
    fs::remove_all(dir / "elsewhere");
    fs::create_directories(dir / "elsewhere");
    fs::create_directories(fs::path(dir / ("data/" + linked)).parent_path());
    fs::create_directory_symlink(dir / "elsewhere", dir / ("data/" + linked));
    writeText(dir / "a.pdf", "A");

    const TrashResult result = trashItem(dir / "a.pdf");
    EXPECT_FALSE(result) << linked;
    EXPECT_NE(result.error.find("symbolic link"), std::string::npos) << linked << ": " << result.error;
    EXPECT_EQ(readText(dir / "a.pdf"), "A") << linked;
    EXPECT_TRUE(fs::is_empty(dir / "elsewhere")) << linked;
  }
}

}  // namespace
}  // namespace foundation
