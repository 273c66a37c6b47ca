#include "foundation/work_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "foundation/folders.h"
#include "foundation/json.h"
#include "foundation/paths.h"
#include "foundation/processes.h"
#include "foundation/uuid.h"
#include "small_volume.h"
#include "test_support.h"

namespace {

using namespace foundation;
using foundation_test::ScopedEnv;
namespace fs = std::filesystem;

class WorkFiles : public ::testing::Test {
 protected:
  WorkFiles() : runtime("XDG_RUNTIME_DIR", dir / "run") {}

  std::vector<std::string> namesIn(const std::string& folder) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  std::size_t records() const {
    const std::string folder = dir / "run/work-items";
    return fs::exists(folder) ? namesIn(folder).size() : 0;
  }
  TempFolder dir;
  ScopedEnv runtime;
};

// A volume with room for the earlier file and little more: the new one cannot be written, the system says why,
// the earlier file stays whole and no work file is left.
TEST_F(WorkFiles, AFullVolumeKeepsTheEarlierFileWhole) {
  SmallVolume volume(dir / "disk", 64 * 1024);
  SKIP_UNLESS_MOUNTED(volume);
  const std::string target = volume.path() + "/out.pdf";
  foundation_test::writeText(target, "earlier");
  for (std::size_t left : {std::size_t{8192}, std::size_t{0}}) {
    ASSERT_TRUE(volume.fillLeaving(left));
    WorkFile work(target, "Plot-", ".pdf");
    const FileResult written = work.write(std::string(32 * 1024, 'n'));
    EXPECT_FALSE(written) << left;
    EXPECT_EQ(written.code, ENOSPC) << left;
    EXPECT_NE(written.error.find(target), std::string::npos) << written.error;
    EXPECT_NE(written.error.find(errorText(ENOSPC)), std::string::npos) << written.error;
    EXPECT_EQ(written.error.find("Plot-"), std::string::npos) << written.error;
    EXPECT_FALSE(work.commit()) << left;
    EXPECT_EQ(foundation_test::readText(target), "earlier") << left;
    EXPECT_EQ(namesIn(volume.path()), (std::vector<std::string>{"filler-" + std::to_string(getpid()), "out.pdf"}));
  }
}

TEST_F(WorkFiles, OnlyARegularFileIsEverReplaced) {
  fs::create_directory(dir / "folder.pdf");
  ASSERT_EQ(mkfifo((dir / "pipe.pdf").c_str(), 0644), 0);
  foundation_test::writeText(dir / "real.pdf", "real");
  fs::create_symlink(dir / "real.pdf", dir / "link.pdf");
  for (const char* name : {"folder.pdf", "pipe.pdf", "link.pdf"}) {
    WorkFile work(dir / name, "Plot-", ".pdf");
    ASSERT_TRUE(work.write("new"));
    const FileResult committed = work.commit();
    EXPECT_FALSE(committed) << name;
    EXPECT_NE(committed.error.find(dir / name), std::string::npos) << committed.error;
  }
  EXPECT_TRUE(fs::is_directory(dir / "folder.pdf"));
  EXPECT_TRUE(fs::is_fifo(dir / "pipe.pdf"));
  EXPECT_EQ(foundation_test::readText(dir / "real.pdf"), "real");
  // Refused work files went with their owners.
  EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"folder.pdf", "link.pdf", "pipe.pdf", "real.pdf", "run"}));
  EXPECT_EQ(records(), 0u);

  WorkFile work(dir / "real.pdf", "Plot-", ".pdf");
  ASSERT_TRUE(work.write("new"));
  EXPECT_EQ(records(), 1u);
  ASSERT_TRUE(work.commit());
  EXPECT_EQ(foundation_test::readText(dir / "real.pdf"), "new");
  EXPECT_EQ(records(), 0u);
}

// The cleaner as each program runs it at start-up: its own names only.
std::vector<std::string> removeAbandoned() {
  return removeAbandonedWorkItems([](std::string_view name) {
    return isWorkItemName(name, "Plot-", ".pdf") || isWorkItemName(name, "plot-pages-", "");
  });
}

// A process that records and makes work items, then ends without removing them, as a killed one does.
pid_t endedOwnerOf(const std::vector<std::string>& files, const std::vector<std::string>& folders = {}) {
  const pid_t child = fork();
  if (child == 0) {
    for (const std::string& file : files) {
      (void)new WorkItem(file);  // never destroyed: _exit ends the process as a kill would
      foundation_test::writeText(file, "work");
    }
    for (const std::string& folder : folders) {
      (void)new WorkItem(folder);
      fs::create_directories(folder + "/inside");
      foundation_test::writeText(folder + "/inside/page-0001.pdf", "page");
    }
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return child;
}

// The records under the runtime folder, by the name of the item each holds.
std::string recordOf(const std::string& runtime, const std::string& item) {
  for (const auto& entry : fs::directory_iterator(runtime + "/work-items")) {
    const JsonResult read = readJsonFile(entry.path());
    if (read && jsonString(read.value, "path").value_or("").ends_with("/" + item)) return entry.path();
  }
  return {};
}

void editRecord(const std::string& runtime, const std::string& item, const std::function<void(Json&)>& edit) {
  const std::string at = recordOf(runtime, item);
  ASSERT_FALSE(at.empty()) << item;
  JsonResult read = readJsonFile(at);
  ASSERT_TRUE(read);
  edit(read.value);
  ASSERT_TRUE(writeJsonFile(at, read.value));
}

// A record is honoured only as far as it can be trusted: what an ended process (pid and start time) made, in
// the very folder it made it in, reached without a link, through a record that is no link either. Whatever a
// record claims beyond that, no file of the user goes.
TEST_F(WorkFiles, ARecordRemovesOnlyWhatItsEndedProcessMadeWhereItMadeIt) {
  const std::string run = dir / "run";
  for (const char* folder : {"a", "b", "c", "docs", "elsewhere"}) fs::create_directories(dir / folder);
  const auto name = [] { return "Plot-" + makeUuid() + ".pdf"; };
  struct Case {
    const char* what;
    std::string item;  // what a cleaner could remove
    bool removed;
  };
  std::vector<Case> cases;

  const std::string ended = dir / ("a/" + name());
  const std::string endedFolder = dir / ("a/plot-pages-" + makeUuid());
  const std::string otherFolder = dir / ("a/" + name());
  const std::string linkedRecord = dir / ("a/" + name());
  const std::string throughLink = dir / ("b/" + name());
  const std::string swapped = dir / ("c/" + name());
  const std::string reused = dir / ("a/" + name());
  const std::string noStart = dir / ("a/" + name());
  const std::string notOurs = dir / "a/report.pdf";
  endedOwnerOf({ended, otherFolder, linkedRecord, throughLink, swapped, reused, noStart, notOurs}, {endedFolder});

  cases.push_back({"an ended process's file", ended, true});
  cases.push_back({"an ended process's folder", endedFolder, true});

  // A record changed to name a user's file of a work file's name in another folder.
  const std::string usersFile = dir / ("docs/" + lastPathComponent(otherFolder));
  foundation_test::writeText(usersFile, "user's");
  editRecord(run, lastPathComponent(otherFolder), [&](Json& record) {
    record["path"] = fs::canonical(dir / "docs").string() + "/" + lastPathComponent(otherFolder);
  });
  cases.push_back({"a record naming another folder", usersFile, false});

  // The record itself a link to a record kept elsewhere.
  const std::string record = recordOf(run, lastPathComponent(linkedRecord));
  ASSERT_FALSE(record.empty());
  fs::rename(record, dir / "elsewhere/record.json");
  fs::create_symlink(dir / "elsewhere/record.json", record);
  cases.push_back({"a record that is a link", linkedRecord, false});

  // The item's folder moved and a link to it put in its place.
  fs::rename(dir / "b", dir / "b-moved");
  fs::create_symlink(dir / "b-moved", dir / "b");
  cases.push_back({"a path through a linked folder", dir / ("b-moved/" + lastPathComponent(throughLink)), false});

  // The item's folder removed and made again, with a user's file of that name in it.
  fs::remove_all(dir / "c");
  fs::create_directories(dir / "c");
  foundation_test::writeText(swapped, "user's");
  cases.push_back({"a folder made again since", swapped, false});

  // The pid given to a process that runs now (this one), which started at another time: the recorded one is gone.
  editRecord(run, lastPathComponent(reused), [](Json& record) {
    record["processIdentifier"] = getpid();
    record["processStartTime"] = *processStartTime(getpid()) - 1;
  });
  cases.push_back({"a live pid with another start time", reused, true});

  // Without its start time a record cannot tell its process from a later one.
  editRecord(run, lastPathComponent(noStart), [](Json& record) { record.erase("processStartTime"); });
  cases.push_back({"a record without start time", noStart, false});
  cases.push_back({"a name that is not a work file's", notOurs, false});

  // This process's own item: the same pid and start time, still running.
  const std::string live = dir / ("a/" + name());
  WorkItem running(live);
  foundation_test::writeText(live, "work");
  cases.push_back({"a running process's file", live, false});

  const std::vector<std::string> removed = removeAbandoned();
  for (const Case& c : cases) EXPECT_EQ(!itemExists(c.item), c.removed) << c.what << ": " << c.item;
  EXPECT_EQ(removed.size(), 3u);
  EXPECT_EQ(foundation_test::readText(usersFile), "user's");
  EXPECT_EQ(foundation_test::readText(swapped), "user's");
  // What stays recorded: the link (no record of ours), the running process's, the record without start time and
  // the one of another program's name. Records of items refused stay no longer.
  EXPECT_EQ(records(), 4u);
}

// The owner removes its work through the folder it made it in: a folder renamed meanwhile still loses the work
// file and the atomic write's temporary, and a link put in a work folder goes without what it points to.
TEST_F(WorkFiles, TheOwnerRemovesItsWorkWhereverItsFolderWentAndNeverThroughALink) {
  fs::create_directories(dir / "out");
  WorkFile work(dir / "out/plan.pdf", "Plot-", ".pdf");
  ASSERT_TRUE(work.write("partial"));
  fs::rename(dir / "out", dir / "renamed");
  EXPECT_FALSE(work.commit());
  work.discard();
  EXPECT_EQ(namesIn(dir / "renamed"), std::vector<std::string>{});

  fs::create_directories(dir / "users");
  foundation_test::writeText(dir / "users/drawing.dwg", "user's");
  WorkItem pages(dir / ("plot-pages-" + makeUuid()));
  fs::create_directories(pages.path());
  fs::create_symlink(dir / "users", pages.path() + "/link");
  const std::string made = pages.path();
  pages.remove();
  EXPECT_FALSE(itemExists(made));
  EXPECT_EQ(foundation_test::readText(dir / "users/drawing.dwg"), "user's");
  EXPECT_EQ(records(), 0u);
}

// A process killed while it writes a file atomically leaves the temporary beside it; the next start removes it,
// and the file as it was stays.
TEST_F(WorkFiles, AKilledAtomicWritersTemporaryGoesAtTheNextStart) {
  fs::create_directories(dir / "out");
  foundation_test::writeText(dir / "out/settings.json", "earlier");
  std::vector<std::string> left;
  for (int attempt = 0; attempt < 20 && left.empty(); ++attempt) {
    const pid_t child = fork();
    if (child == 0) {
      const std::string data(16 << 20, 'x');
      for (;;) (void)writeFileAtomically(dir / "out/settings.json", data, Flush::none);
    }
    ASSERT_GT(child, 0);
    const auto temporaries = [&] {
      std::vector<std::string> found;
      for (const std::string& n : namesIn(dir / "out")) {
        if (isAtomicWriteTemporaryName(n)) found.push_back(n);
      }
      return found;
    };
    while (temporaries().empty()) usleep(1000);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    left = temporaries();
  }
  ASSERT_EQ(left.size(), 1u);
  removeAbandoned();
  EXPECT_EQ(namesIn(dir / "out"), std::vector<std::string>{"settings.json"});
  const std::string kept = foundation_test::readText(dir / "out/settings.json");
  EXPECT_TRUE(kept == "earlier" || kept == std::string(16 << 20, 'x'));
  EXPECT_EQ(records(), 0u);
}

}  // namespace

namespace {

// Output folders recorded to go while empty: a killed maker's empty ones go at the next start, after the work
// files in them and deepest first; one holding a file of the user's stays as it is, and one holding an item
// that another program's cleaner removes goes with that cleaning.
TEST_F(WorkFiles, AKilledRunsEmptyOutputFoldersGoAndFilledOnesStay) {
  const std::string out = dir / "out";
  const std::string run = out + "/run";
  fs::create_directories(out);
  const std::string plot = "Plot-" + makeUuid() + ".pdf";
  const std::string merge = "Merge-" + makeUuid() + ".pdf";
  const pid_t child = fork();
  if (child == 0) {
    for (const char* folder : {"", "/empty", "/user", "/work", "/other"}) {
      (void)new WorkItem(WorkItem::emptyFolder(run + folder));
      fs::create_directories(run + folder);
    }
    foundation_test::writeText(run + "/user/sheet.pdf", "the user's");
    for (const std::string& file : {run + "/work/" + plot, run + "/other/" + merge}) {
      (void)new WorkItem(file);
      foundation_test::writeText(file, "work");
    }
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_EQ(records(), 7u);

  removeAbandoned();
  EXPECT_EQ(namesIn(run), (std::vector<std::string>{"other", "user"}));
  EXPECT_EQ(foundation_test::readText(run + "/user/sheet.pdf"), "the user's");
  EXPECT_EQ(records(), 3u);  // the other program's work file and the folders around it, for that cleaning

  removeAbandonedWorkItems([](std::string_view name) { return isWorkItemName(name, "Merge-", ".pdf"); });
  EXPECT_EQ(namesIn(run), std::vector<std::string>{"user"});
  EXPECT_EQ(records(), 0u);
}

// The maker's own removal takes the folder only while nothing is in it.
TEST_F(WorkFiles, AnEmptyFolderItemIsRemovedOnlyWhileEmpty) {
  for (const bool filled : {false, true}) {
    const std::string folder = dir / (filled ? "filled" : "empty");
    WorkItem item = WorkItem::emptyFolder(folder);
    fs::create_directories(folder);
    if (filled) foundation_test::writeText(folder + "/sheet.pdf", "pdf");
    item.remove();
    EXPECT_EQ(fs::exists(folder), filled) << folder;
    if (filled) {
      EXPECT_EQ(foundation_test::readText(folder + "/sheet.pdf"), "pdf");
    }
  }
  EXPECT_EQ(records(), 0u);
}

}  // namespace

namespace {

// A process killed while it writes a record leaves it cut short: the next start removes it once that process
// is gone, and leaves alone one a running process may still be writing.
TEST_F(WorkFiles, ARecordCutShortByAKillGoesAtTheNextStart) {
  fs::create_directories(dir / "out");
  const auto cutShort = [&] {
    std::vector<std::string> found;
    if (!fs::exists(dir / "run/work-items")) return found;
    for (const std::string& n : namesIn(dir / "run/work-items")) {
      if (!readJsonFile(dir / ("run/work-items/" + n))) found.push_back(n);
    }
    return found;
  };
  for (int attempt = 0; attempt < 2000; ++attempt) {
    const pid_t child = fork();
    if (child == 0) {
      for (;;) WorkItem(dir / ("out/Plot-" + makeUuid() + ".pdf"));
    }
    ASSERT_GT(child, 0);
    usleep(static_cast<useconds_t>(200 + attempt % 7 * 150));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    if (!cutShort().empty()) break;
    removeAbandoned();  // a kill between records leaves the ordinary case, cleaned as ever
  }
  ASSERT_FALSE(cutShort().empty()) << "no kill fell into a record's writing";
  const std::string mine = std::to_string(getpid()) + "-" + makeUuid() + ".json";
  foundation_test::writeText(dir / ("run/work-items/" + mine), "");

  removeAbandoned();
  EXPECT_EQ(cutShort(), std::vector<std::string>{mine});
}

}  // namespace
