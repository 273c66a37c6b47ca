#include "foundation/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "foundation/file_faults.h"
#include "foundation/folders.h"
#include "test_support.h"

namespace foundation {
namespace {

namespace fs = std::filesystem;
using foundation_test::permissionsAreEnforced;
using foundation_test::readText;
using foundation_test::ScopedEnv;
using foundation_test::writeText;

class Files : public ::testing::Test {
 protected:
  void TearDown() override { clearFileFaults(); }

  // Everything in the folder, so tests can see that no temporary file was left behind.
  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path())) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  TempFolder dir;
};

TEST_F(Files, KindsOfItems) {
  writeText(dir / "file", "x");
  fs::create_directory(dir / "folder");
  fs::create_symlink(dir / "file", dir / "link");
  fs::create_symlink(dir / "missing", dir / "dangling");

  EXPECT_TRUE(fileExists(dir / "file") && isRegularFile(dir / "file") && !isDirectory(dir / "file"));
  EXPECT_TRUE(isDirectory(dir / "folder") && !isRegularFile(dir / "folder"));
  EXPECT_TRUE(isRegularFile(dir / "link") && isSymbolicLink(dir / "link"));
  EXPECT_FALSE(fileExists(dir / "dangling"));
  EXPECT_TRUE(itemExists(dir / "dangling"));
  EXPECT_FALSE(itemExists(dir / "nothing"));
  EXPECT_TRUE(isWritable(dir.path()));
}

TEST_F(Files, CreatingFolders) {
  EXPECT_TRUE(createDirectory(dir / "a", false));
  const FileResult again = createDirectory(dir / "a", false);
  EXPECT_FALSE(again);
  EXPECT_EQ(again.code, EEXIST);
  EXPECT_NE(again.error.find(dir / "a"), std::string::npos);

  EXPECT_EQ(createDirectory(dir / "x/y", false).code, ENOENT);
  EXPECT_TRUE(createDirectory(dir / "x/y/z/", true));
  EXPECT_TRUE(isDirectory(dir / "x/y/z"));
  EXPECT_TRUE(createDirectory(dir / "x/y", true));  // existing is fine with intermediates

  writeText(dir / "file", "");
  EXPECT_EQ(createDirectory(dir / "file/sub", true).code, ENOTDIR);
  EXPECT_EQ(createDirectory(dir / "file", true).code, ENOTDIR);

  failNextFileOperation(FileOperation::mkdir, ENOSPC);
  const FileResult full = createDirectory(dir / "p/q", true);
  EXPECT_EQ(full.code, ENOSPC);
  EXPECT_FALSE(itemExists(dir / "p"));
}

TEST_F(Files, AtomicWriteCreatesAndReplaces) {
  const std::string path = dir / "settings.json";
  ASSERT_TRUE(writeFileAtomically(path, "first"));
  EXPECT_EQ(readText(path), "first");
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(writeFileAtomically(path, std::string("second\0binary", 13)));
  EXPECT_EQ(readText(path), std::string("second\0binary", 13));
  struct stat st{};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(entries(), std::vector<std::string>{"settings.json"});

  ASSERT_TRUE(writeFileAtomically(dir / "empty", ""));
  EXPECT_TRUE(isRegularFile(dir / "empty"));
}

TEST_F(Files, AtomicWriteRefusesWhatIsNotAFilePath) {
  EXPECT_EQ(writeFileAtomically(dir / "missing/x", "data").code, ENOENT);
  fs::create_directory(dir / "folder");
  EXPECT_FALSE(writeFileAtomically(dir / "folder", "data"));
  EXPECT_TRUE(isDirectory(dir / "folder"));
  EXPECT_EQ(writeFileAtomically("/", "data").code, EINVAL);
  EXPECT_EQ(writeFileAtomically(dir / "..", "data").code, EINVAL);
}

// A full volume, a failing disk or a read-only folder at each step: the old file stays whole and no temporary
// file is left behind.
TEST_F(Files, AtomicWriteFailuresKeepTheOldFile) {
  const std::string path = dir / "job.json";
  ASSERT_TRUE(writeFileAtomically(path, "old"));
  const struct {
    FileOperation operation;
    int error;
  } faults[] = {
      {FileOperation::open, EROFS}, {FileOperation::write, ENOSPC}, {FileOperation::fsync, EIO},
      {FileOperation::rename, EROFS}, {FileOperation::write, EDQUOT},
  };
  for (const auto& fault : faults) {
    failNextFileOperation(fault.operation, fault.error);
    const FileResult result = writeFileAtomically(path, "new contents that never land");
    EXPECT_FALSE(result);
    EXPECT_EQ(result.code, fault.error);
    EXPECT_NE(result.error.find(path), std::string::npos);
    EXPECT_EQ(readText(path), "old");
    EXPECT_EQ(entries(), std::vector<std::string>{"job.json"});
  }
}

TEST_F(Files, AtomicWriteReportsAFolderThatCannotBeFlushed) {
  const std::string path = dir / "x";
  ASSERT_TRUE(writeFileAtomically(path, "a"));
  // The file's flush passes, the folder's fails: the new file is in place but may not survive a crash.
  failNextFileOperation(FileOperation::fsync, EIO, 1, 1);
  const FileResult result = writeFileAtomically(path, "b");
  EXPECT_EQ(result.code, EIO);
  EXPECT_EQ(readText(path), "b");
  EXPECT_EQ(entries(), std::vector<std::string>{"x"});
}

// Without the flush no fsync is asked for at all (a failing one would show), yet a failed step still keeps the
// old file whole and leaves no temporary file.
TEST_F(Files, AtomicWriteWithoutFlushSkipsTheDiskButNotTheRename) {
  const std::string path = dir / "checkpoint.json";
  ASSERT_TRUE(writeFileAtomically(path, "old", Flush::none));
  failNextFileOperation(FileOperation::fsync, EIO);
  EXPECT_TRUE(writeFileAtomically(path, "new", Flush::none));
  clearFileFaults();
  EXPECT_EQ(readText(path), "new");

  failNextFileOperation(FileOperation::rename, EROFS);
  EXPECT_EQ(writeFileAtomically(path, "never", Flush::none).code, EROFS);
  EXPECT_EQ(readText(path), "new");
  EXPECT_EQ(entries(), std::vector<std::string>{"checkpoint.json"});
}

TEST_F(Files, ReadOnlyFolderRefusesWrites) {
  if (!permissionsAreEnforced()) GTEST_SKIP() << "running as root: permission bits do not stop writes";
  fs::create_directory(dir / "locked");
  writeText(dir / "locked/a", "old");
  ASSERT_EQ(chmod((dir / "locked").c_str(), 0555), 0);
  EXPECT_EQ(writeFileAtomically(dir / "locked/a", "new").code, EACCES);
  EXPECT_EQ(readText(dir / "locked/a"), "old");
  EXPECT_EQ(createDirectory(dir / "locked/sub", true).code, EACCES);
  EXPECT_EQ(moveItem(dir / "locked/a", dir / "a").code, EACCES);
  EXPECT_FALSE(isWritable(dir / "locked"));
}

TEST_F(Files, Reading) {
  writeText(dir / "f", "0123456789");
  EXPECT_EQ(readFile(dir / "f").data, "0123456789");
  const ReadResult tooBig = readFile(dir / "f", 9);
  EXPECT_EQ(tooBig.code, EFBIG);
  EXPECT_TRUE(tooBig.data.empty());
  EXPECT_EQ(readFile(dir / "f", 10).data, "0123456789");
  EXPECT_EQ(readFile(dir / "none").code, ENOENT);
  EXPECT_EQ(readFile(dir.path()).code, EISDIR);
  // What is not a regular file is refused at once: a named pipe nobody writes to would otherwise block.
  ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
  for (const std::string& special : {dir / "pipe", std::string("/dev/zero"), std::string("/dev/null")}) {
    SCOPED_TRACE(special);
    const ReadResult refused = readFile(special);
    EXPECT_EQ(refused.code, EINVAL);
    EXPECT_NE(refused.error.find("not a regular file"), std::string::npos);
  }
  failNextFileOperation(FileOperation::read, EIO);
  const ReadResult failed = readFile(dir / "f");
  EXPECT_EQ(failed.code, EIO);
  EXPECT_TRUE(failed.data.empty());
}

// Large files are read into memory of their own, with the same refusals; what a file holds beyond the size
// the system gave for it (as /proc files do, which say 0) is read all the same.
TEST_F(Files, ReadingBytesIntoLargePages) {
  std::string large(3 << 20, '\0');
  for (std::size_t k = 0; k < large.size(); ++k) large[k] = static_cast<char>('a' + k % 26);
  writeText(dir / "large", large);
  writeText(dir / "small", "0123456789");
  writeText(dir / "empty", "");
  for (const char* name : {"large", "small", "empty"}) {
    SCOPED_TRACE(name);
    const BytesResult read = readFileBytes(dir / name);
    ASSERT_TRUE(read) << read.error;
    EXPECT_EQ(read.bytes.view(), readFile(dir / name).data);
  }
  const BytesResult status = readFileBytes("/proc/self/status");
  ASSERT_TRUE(status) << status.error;
  EXPECT_NE(status.bytes.view().find("VmRSS:"), std::string_view::npos);
  EXPECT_EQ(readFileBytes(dir / "small", 9).code, EFBIG);
  EXPECT_EQ(readFileBytes(dir / "none").code, ENOENT);
  EXPECT_EQ(readFileBytes(dir.path()).code, EISDIR);
  EXPECT_EQ(readFileBytes("/dev/zero").code, EINVAL);
  failNextFileOperation(FileOperation::read, EIO);
  const BytesResult failed = readFileBytes(dir / "large");
  EXPECT_EQ(failed.code, EIO);
  EXPECT_TRUE(failed.bytes.view().empty());
  // Moving keeps the bytes and leaves the source empty.
  BytesResult moved = readFileBytes(dir / "large");
  FileBytes kept = std::move(moved.bytes);
  EXPECT_EQ(kept.size(), large.size());
  EXPECT_TRUE(moved.bytes.view().empty());
}

TEST_F(Files, ReadingOwnFilesRefusesLinksAndKeepsTheChecksOfReading) {
  writeText(dir / "f", "mine");
  EXPECT_EQ(readOwnFile(dir / "f").data, "mine");
  fs::create_symlink(dir / "f", dir / "link");
  const ReadResult throughLink = readOwnFile(dir / "link");
  EXPECT_EQ(throughLink.code, ELOOP);
  EXPECT_TRUE(throughLink.data.empty());
  EXPECT_EQ(readFile(dir / "link").data, "mine");  // the plain reader follows it
  EXPECT_EQ(readOwnFile(dir.path()).code, EISDIR);
  EXPECT_EQ(readOwnFile(dir / "f", 3).code, EFBIG);
  EXPECT_EQ(readOwnFile(dir / "none").code, ENOENT);
  // The system's own world-readable files belong to another user, unless the tests run as their owner.
  struct stat st{};
  if (::stat("/etc/passwd", &st) == 0 && st.st_uid != ::geteuid()) {
    EXPECT_EQ(readOwnFile("/etc/passwd").code, EACCES);
  }
}

TEST_F(Files, MoveNeverOverwrites) {
  writeText(dir / "a", "A");
  writeText(dir / "b", "B");
  const FileResult refused = moveItem(dir / "a", dir / "b");
  EXPECT_EQ(refused.code, EEXIST);
  EXPECT_EQ(readText(dir / "a"), "A");
  EXPECT_EQ(readText(dir / "b"), "B");

  // A dangling link in the way counts as an item too.
  fs::create_symlink(dir / "nowhere", dir / "link");
  EXPECT_EQ(moveItem(dir / "a", dir / "link").code, EEXIST);

  ASSERT_TRUE(moveItem(dir / "a", dir / "c"));
  EXPECT_FALSE(itemExists(dir / "a"));
  EXPECT_EQ(readText(dir / "c"), "A");

  fs::create_directories(dir / "tree/inner");
  writeText(dir / "tree/inner/f", "F");
  ASSERT_TRUE(moveItem(dir / "tree", dir / "moved"));
  EXPECT_EQ(readText(dir / "moved/inner/f"), "F");

  ASSERT_TRUE(moveItem(dir / "link", dir / "link2"));
  EXPECT_TRUE(isSymbolicLink(dir / "link2"));

  EXPECT_EQ(moveItem(dir / "none", dir / "x").code, ENOENT);
  failNextFileOperation(FileOperation::rename, EROFS);
  EXPECT_EQ(moveItem(dir / "c", dir / "d").code, EROFS);
  EXPECT_EQ(readText(dir / "c"), "A");
}

TEST_F(Files, MoveAcrossVolumesCopiesThenRemoves) {
  // /dev/shm is another file system than the test folder when it exists; otherwise there is nothing to test.
  if (!isDirectory("/dev/shm") || !isWritable("/dev/shm")) GTEST_SKIP() << "no second volume";
  struct stat a{}, b{};
  stat(dir.path().c_str(), &a);
  stat("/dev/shm", &b);
  if (a.st_dev == b.st_dev) GTEST_SKIP() << "/dev/shm is on the same volume";
  std::string other = "/dev/shm/quodl-move-XXXXXX";
  ASSERT_TRUE(mkdtemp(other.data()));
  struct Cleanup {
    std::string path;
    ~Cleanup() {
      std::error_code ec;
      fs::remove_all(path, ec);
    }
  } cleanup{other};
  fs::create_directories(dir / "tree/sub");
  writeText(dir / "tree/sub/f", "payload");
  fs::create_symlink("sub/f", dir / "tree/rel");
  const FileResult moved = moveItem(dir / "tree", other + "/tree");
  EXPECT_TRUE(moved) << moved.error;
  EXPECT_FALSE(itemExists(dir / "tree"));
  EXPECT_EQ(readText(other + "/tree/sub/f"), "payload");
  EXPECT_TRUE(isSymbolicLink(other + "/tree/rel"));
  writeText(dir / "again", "x");
  EXPECT_EQ(moveItem(dir / "again", other + "/tree").code, EEXIST);
  EXPECT_TRUE(itemExists(dir / "again"));
}

TEST_F(Files, ReplaceAndRemove) {
  writeText(dir / "target", "old");
  writeText(dir / "new", "new");
  ASSERT_TRUE(replaceItem(dir / "target", dir / "new"));
  EXPECT_EQ(readText(dir / "target"), "new");
  EXPECT_FALSE(itemExists(dir / "new"));
  EXPECT_EQ(replaceItem(dir / "target", dir / "new").code, ENOENT);

  // A folder replaces a folder that is not empty.
  fs::create_directories(dir / "out/old");
  fs::create_directories(dir / "staged/fresh");
  ASSERT_TRUE(replaceItem(dir / "out", dir / "staged"));
  EXPECT_TRUE(isDirectory(dir / "out/fresh"));
  EXPECT_FALSE(itemExists(dir / "out/old"));
  EXPECT_FALSE(itemExists(dir / "staged"));

  // Removing a link leaves what it points to.
  fs::create_directory_symlink(dir / "out", dir / "link");
  ASSERT_TRUE(removeItem(dir / "link"));
  EXPECT_TRUE(isDirectory(dir / "out/fresh"));
  ASSERT_TRUE(removeItem(dir / "out"));
  EXPECT_FALSE(itemExists(dir / "out"));
  EXPECT_EQ(removeItem(dir / "out").code, ENOENT);

  writeText(dir / "keep", "k");
  failNextFileOperation(FileOperation::remove, EBUSY);
  EXPECT_EQ(removeItem(dir / "keep").code, EBUSY);
  EXPECT_TRUE(itemExists(dir / "keep"));
}

TEST_F(Files, RemovingAFileNeverRemovesAFolder) {
  fs::create_directories(dir / "folder/inside");
  EXPECT_EQ(removeFile(dir / "folder").code, EISDIR);
  EXPECT_TRUE(isDirectory(dir / "folder/inside"));
  writeText(dir / "f", "x");
  fs::create_symlink(dir / "folder", dir / "link");
  ASSERT_TRUE(removeFile(dir / "link"));
  EXPECT_TRUE(isDirectory(dir / "folder/inside"));
  ASSERT_TRUE(removeFile(dir / "f"));
  EXPECT_EQ(removeFile(dir / "f").code, ENOENT);
  writeText(dir / "keep", "k");
  failNextFileOperation(FileOperation::remove, EBUSY);
  EXPECT_EQ(removeFile(dir / "keep").code, EBUSY);
  EXPECT_TRUE(itemExists(dir / "keep"));
}

TEST_F(Files, VolumeSpace) {
  const SpaceResult space = volumeSpace(dir.path());
  ASSERT_TRUE(space);
  EXPECT_GT(space.totalBytes, 0u);
  EXPECT_LE(space.availableBytes, space.totalBytes);
  EXPECT_EQ(volumeSpace(dir / "missing").code, ENOENT);
  failNextFileOperation(FileOperation::statvfs, EIO);
  EXPECT_EQ(volumeSpace(dir.path()).code, EIO);
}

TEST_F(Files, HiddenFlag) {
  const std::string path = dir / "out.pdf";
  writeText(path, "%PDF");
  EXPECT_FALSE(hiddenFlag(path).hidden);
  EXPECT_FALSE(isHiddenItem(path));
  ASSERT_TRUE(setHiddenFlag(path, true));
  EXPECT_TRUE(hiddenFlag(path).hidden);
  EXPECT_TRUE(isHiddenItem(path));
  ASSERT_TRUE(setHiddenFlag(path, false));
  EXPECT_FALSE(hiddenFlag(path).hidden);
  EXPECT_TRUE(setHiddenFlag(path, false));  // clearing twice is fine

  writeText(dir / ".dot.pdf", "");
  EXPECT_TRUE(isHiddenItem(dir / ".dot.pdf"));
  EXPECT_EQ(hiddenFlag(dir / "missing").code, ENOENT);
  EXPECT_EQ(setHiddenFlag(dir / "missing", true).code, ENOENT);
}

TEST_F(Files, WithoutExtendedAttributesNothingIsHidden) {
  const std::string path = dir / "out.pdf";
  writeText(path, "");
  failNextFileOperation(FileOperation::xattr, ENOTSUP);
  const HiddenResult read = hiddenFlag(path);
  EXPECT_TRUE(read);
  EXPECT_FALSE(read.hidden);
  failNextFileOperation(FileOperation::xattr, ENOTSUP);
  EXPECT_TRUE(setHiddenFlag(path, false));
  failNextFileOperation(FileOperation::xattr, ENOTSUP);
  const FileResult set = setHiddenFlag(path, true);
  EXPECT_EQ(set.code, ENOTSUP);
  EXPECT_FALSE(set.error.empty());
  failNextFileOperation(FileOperation::xattr, EIO);
  EXPECT_EQ(hiddenFlag(path).code, EIO);
}

TEST(Folders, ComeFromTheEnvironment) {
  {
    ScopedEnv tmp("TMPDIR", "/var/tmp/");
    EXPECT_EQ(temporaryDirectory(), "/var/tmp");
  }
  {
    ScopedEnv tmp("TMPDIR", "relative");
    EXPECT_EQ(temporaryDirectory(), "/tmp");
  }
  ScopedEnv home("HOME", "/home/tester");
  {
    ScopedEnv data("XDG_DATA_HOME", std::nullopt);
    ScopedEnv config("XDG_CONFIG_HOME", "not/absolute");
    EXPECT_EQ(applicationSupportDirectory(), "/home/tester/.local/share");
    EXPECT_EQ(configurationDirectory(), "/home/tester/.config");
    EXPECT_EQ(trashDirectory(), "/home/tester/.local/share/Trash");
  }
  ScopedEnv data("XDG_DATA_HOME", "/data/");
  ScopedEnv config("XDG_CONFIG_HOME", "/conf");
  EXPECT_EQ(applicationSupportDirectory(), "/data");
  EXPECT_EQ(configurationDirectory(), "/conf");
}

// Another program cutting a large file short while its bytes are held must not kill the reader: the bytes past
// the new end read as zeros and the holder learns the file changed under it.
TEST_F(Files, LargeFileCutShortWhileHeld) {
  std::string large(4 << 20, 'x');
  writeText(dir / "cut", large);
  BytesResult read = readFileBytes(dir / "cut");
  ASSERT_TRUE(read) << read.error;
  EXPECT_FALSE(read.bytes.cutShort());
  // A real other process does the cutting, as another program would.
  std::string command = "truncate -s 4096 '";
  command += std::string(dir / "cut");
  command += "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::string_view bytes = read.bytes.view();
  ASSERT_EQ(bytes.size(), large.size());
  EXPECT_EQ(bytes[0], 'x');
  EXPECT_EQ(bytes[bytes.size() - 1], '\0');
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 'x'), 4096);
  EXPECT_TRUE(read.bytes.cutShort());
  read.bytes.release();  // a reader that let go of the bytes can still tell
  EXPECT_TRUE(read.bytes.cutShort());
  // A file read whole that stayed as it was is not marked.
  const BytesResult again = readFileBytes(dir / "cut");
  ASSERT_TRUE(again);
  EXPECT_FALSE(again.bytes.cutShort());
}

}  // namespace
}  // namespace foundation
