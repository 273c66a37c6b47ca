#include "foundation/work_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "foundation/folders.h"
#include "foundation/json.h"
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
  // A record as a process leaves it.
  void record(int pid, const std::string& path) const {
    Json json = {{"processIdentifier", pid}, {"path", path}};
    if (const auto start = processStartTime(pid)) json["processStartTime"] = *start;
    std::string folder;
    ASSERT_TRUE(privateRuntimeFolder("work-items", folder));
    ASSERT_TRUE(writeJsonFile(folder + "/" + std::to_string(pid) + "-" + makeUuid() + ".json", json));
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

// What a killed process recorded goes at the next start; what a running one works on stays, and so does
// whatever is not named as the cleaner's program names its work items.
TEST_F(WorkFiles, AbandonedWorkItemsOfEndedProcessesAreRemoved) {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  ASSERT_GT(child, 0);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);  // a pid whose process has ended

  const std::string dead = dir / ("Plot-" + makeUuid() + ".pdf");
  const std::string deadPages = dir / ("plot-pages-" + makeUuid());
  const std::string live = dir / ("Plot-" + makeUuid() + ".pdf");
  const std::string foreign = dir / "report.pdf";
  const std::string lowerCase = dir / "Plot-e621e1f8-c36c-495a-93fc-0c247a3e6e5f.pdf";
  for (const std::string& file : {dead, live, foreign, lowerCase}) foundation_test::writeText(file, "x");
  fs::create_directories(deadPages + "/inside");
  record(child, dead);
  record(child, deadPages);
  record(child, foreign);
  record(child, lowerCase);
  record(getpid(), live);

  const std::vector<std::string> removed = removeAbandonedWorkItems([](std::string_view name) {
    return isWorkItemName(name, "Plot-", ".pdf") || isWorkItemName(name, "plot-pages-", "");
  });
  EXPECT_EQ(removed.size(), 2u);
  EXPECT_FALSE(itemExists(dead));
  EXPECT_FALSE(itemExists(deadPages));
  for (const std::string& kept : {live, foreign, lowerCase}) EXPECT_TRUE(itemExists(kept)) << kept;
  // The live process's record and the records of names this cleaner does not own stay for their owners.
  EXPECT_EQ(records(), 3u);
}

}  // namespace
