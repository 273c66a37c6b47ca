#include "toolkit/running_applications.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <optional>

#include "foundation/files.h"
#include "temp_folder.h"
#include "toolkit/workspace.h"

namespace {

class RunningApplicationsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* old = std::getenv("XDG_RUNTIME_DIR")) saved_ = old;
    setenv("XDG_RUNTIME_DIR", runtime_.path().c_str(), 1);
  }
  void TearDown() override {
    if (saved_) {
      setenv("XDG_RUNTIME_DIR", saved_->c_str(), 1);
    } else {
      unsetenv("XDG_RUNTIME_DIR");
    }
  }

  std::string entries() const { return runtime_ / "running-applications"; }
  void writeEntry(const std::string& name, const std::string& text) const {
    foundation::createDirectory(entries(), true, 0700);
    std::ofstream(entries() + "/" + name) << text;
  }
  static std::vector<toolkit::RunningApplication> running() {
    return toolkit::Workspace::shared().runningApplications();
  }

  TempFolder runtime_{"quodl-runtime"};
  std::optional<std::string> saved_;
};

// The pid of a process that has ended and been collected: no process has it now (short of a quick reuse).
int endedProcess() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  int status = 0;
  waitpid(child, &status, 0);
  return static_cast<int>(child);
}

TEST_F(RunningApplicationsTest, ARegisteredProcessIsListedUntilItsRegistrationEnds) {
  EXPECT_TRUE(running().empty());
  {
    const toolkit::RunningApplicationRegistration registration("com.example.Host2026", "Host 2026");
    ASSERT_TRUE(registration.ok()) << registration.error();
    const auto listed = running();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].bundleIdentifier, "com.example.Host2026");
    EXPECT_EQ(listed[0].localizedName, "Host 2026");
    EXPECT_EQ(listed[0].processIdentifier, static_cast<int>(getpid()));
    struct stat info {};
    ASSERT_EQ(stat(entries().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
  }
  EXPECT_TRUE(running().empty());
  EXPECT_FALSE(foundation::itemExists(entries() + "/" + std::to_string(getpid()) + ".json"));
}

TEST_F(RunningApplicationsTest, EntriesOfEndedOrUnknownProcessesAreNotListed) {
  const std::string self = std::to_string(getpid());
  // What a crashed program leaves, a recycled pid, and entries that say nothing usable.
  writeEntry("crashed.json",
             "{\"bundleIdentifier\": \"a\", \"processIdentifier\": " + std::to_string(endedProcess()) + "}");
  writeEntry("recycled.json",
             "{\"bundleIdentifier\": \"b\", \"processIdentifier\": " + self + ", \"processStartTime\": 1}");
  writeEntry("damaged.json", "{\"bundleIdentifier\": \"c\", \"processIdentifier\": ");
  writeEntry("nopid.json", "{\"bundleIdentifier\": \"d\"}");
  writeEntry("negative.json", "{\"bundleIdentifier\": \"e\", \"processIdentifier\": -1}");
  writeEntry("list.json", "[1, 2]");
  writeEntry("self.txt", "{\"bundleIdentifier\": \"f\", \"processIdentifier\": " + self + "}");
  // Without a start time an entry of a living process counts; either name may be missing.
  writeEntry("living.json", "{\"localizedName\": \"Host\", \"processIdentifier\": " + self + "}");
  const auto listed = running();
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].bundleIdentifier, std::nullopt);
  EXPECT_EQ(listed[0].localizedName, "Host");
}

// A killed program cannot take its entry away: the next one to register removes it, and nothing else.
TEST_F(RunningApplicationsTest, AnEndedProcesssEntryGoesWhenTheNextProgramRegisters) {
  const std::string self = std::to_string(getpid());
  writeEntry("111.json", "{\"bundleIdentifier\": \"a\", \"processIdentifier\": " + std::to_string(endedProcess()) + "}");
  writeEntry("222.json", "{\"bundleIdentifier\": \"b\", \"processIdentifier\": " + self + ", \"processStartTime\": 1}");
  writeEntry("living.json", "{\"processIdentifier\": " + self + "}");
  writeEntry("damaged.json", "{\"processIdentifier\": ");
  writeEntry("notes.txt", "{\"processIdentifier\": " + std::to_string(endedProcess()) + "}");
  const toolkit::RunningApplicationRegistration registration("com.example.Host2026", "Host 2026");
  ASSERT_TRUE(registration.ok()) << registration.error();
  for (const char* gone : {"111.json", "222.json"}) EXPECT_FALSE(foundation::itemExists(entries() + "/" + gone));
  for (const char* kept : {"living.json", "damaged.json", "notes.txt"}) {
    EXPECT_TRUE(foundation::itemExists(entries() + "/" + kept)) << kept;
  }
}

TEST_F(RunningApplicationsTest, AZombieIsNotRunning) {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  // Waits for the end without collecting it: the process has ended but its pid is still taken.
  siginfo_t info{};
  ASSERT_EQ(waitid(P_PID, child, &info, WEXITED | WNOWAIT), 0);
  writeEntry("zombie.json", "{\"processIdentifier\": " + std::to_string(child) + "}");
  EXPECT_TRUE(running().empty());
  waitpid(child, nullptr, 0);
}

TEST_F(RunningApplicationsTest, AFolderOthersCanReadIsNeitherReadNorWritten) {
  writeEntry("living.json", "{\"processIdentifier\": " + std::to_string(getpid()) + "}");
  ASSERT_EQ(chmod(entries().c_str(), 0755), 0);
  EXPECT_TRUE(running().empty());
  const toolkit::RunningApplicationRegistration registration("com.example.Host", "Host");
  EXPECT_FALSE(registration.ok());
  EXPECT_NE(registration.error().find("not a private folder"), std::string::npos) << registration.error();
}

}  // namespace
