// The update check end to end, against a real HTTPS server on 127.0.0.1: what each reply leads to, the once-a-day
// limit, one request at a time, and shutdown in the middle of a request.
#include <dirent.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

#include "foundation/https_session.h"
#include "foundation/json.h"
#include "foundation/text.h"
#include "services/download_address.h"
#include "services/host_year.h"
#include "services/update_configuration.h"
#include "update_fixture.h"

namespace services_test {
namespace {

using foundation::Json;

Json release(const std::string& version) {
  return Json{{"product", "quodline"},
              {"platform", "macos"},
              {"channel", "stable"},
              {"published", true},
              {"min_host_year", 2025},
              {"max_host_year", 2027},
              {"sha256", std::string(64, 'e')},
              {"version", version},
              {"download_url", "https://" + std::string(kReleaseStoreHost) + "/releases/quodline/macos/Quodline-" +
                                   version + ".pkg"},
              {"notes", "Faster plots.\nFixes for layouts."}};
}

std::string manifest(const Json& releases) { return Json{{"schema_version", 1}, {"releases", releases}}.dump(); }

// A manifest of exactly `bytes` bytes offering 1.2.0, padded with blanks.
std::string manifestOfSize(std::size_t bytes) {
  std::string body = manifest(Json::array({release("1.2.0")}));
  body.insert(body.size() - 1, std::string(bytes - body.size(), ' '));
  return body;
}

const std::string kNoneMessage = "当前没有适用于本机的更高版本。\n当前版本：1.0.0-beta.9|";
const std::string kFailMessage = "暂时无法获取更新信息，请稍后重试；不影响批量打印。|";

// The threads of this process that carry the name of a request's thread. Counted by name: the first alert's
// text also starts a thread of the font library's own, which ends when that library is done with it.
std::size_t requestThreads() {
  std::size_t count = 0;
  if (DIR* tasks = opendir("/proc/self/task")) {
    while (dirent* entry = readdir(tasks)) {
      if (entry->d_name[0] == '.') continue;
      std::ifstream comm(std::string("/proc/self/task/") + entry->d_name + "/comm");
      std::string name;
      count += std::getline(comm, name) && name == foundation::kHttpsThreadName;
    }
    closedir(tasks);
  }
  return count;
}

TEST(UpdateConfiguration, ShippedConfigurationIsTheUpdateServiceWithItsLimits) {
  unsetenv("QUODL_UPDATE_TEST_CONFIGURATION");
#ifdef QUODL_UPDATE_TEST_CONFIGURATION
  // A test build without a test configuration asks a closed port of this machine, nothing beyond it.
  EXPECT_EQ(updateConfiguration().manifestAddress, "https://127.0.0.1:1/plugin-updates/stable.json");
#endif
  const UpdateConfiguration shipped = shippedUpdateConfiguration();
  EXPECT_EQ(shipped.manifestAddress, "https://updates.nuvolk.com/plugin-updates/stable.json");
  EXPECT_EQ(shipped.session.requestTimeout, 10.0);
  EXPECT_EQ(shipped.session.resourceTimeout, 12.0);
  EXPECT_EQ(shipped.session.maxBodyBytes, 65536u);
  EXPECT_EQ(shipped.session.caFile, "");
}

TEST_F(UpdateTest, EachReplyEndsAsItShould) {
  HttpsTestServer server;
  HttpsTestServer stranger(false);  // a certificate nobody trusts
  const std::string redirect =
      "{\"Location\": \"https://127.0.0.1:" + std::to_string(server.port()) + "/plugin-updates/other.json\"}";
  struct Case {
    const char* name;
    HttpsTestServer::Answer answer;
    bool manual;
    bool ignored;        // 1.2.0 is the ignored version
    bool untrusted;      // asked of the server with the untrusted certificate
    bool window;         // the new-version window opens
    std::string alerts;  // the messages shown
  };
  const std::vector<Case> cases = {
      {"a newer release, manual", {200, "{}", manifest(Json::array({release("1.2.0")}))}, true, false, false, true, ""},
      {"a newer release, automatic", {200, "{}", manifest(Json::array({release("1.2.0")}))}, false, false, false, true,
       ""},
      {"none newer, manual", {200, "{}", manifest(Json::array({release("1.0.0-beta.9")}))}, true, false, false, false,
       kNoneMessage},
      {"none newer, automatic", {200, "{}", manifest(Json::array())}, false, false, false, false, ""},
      {"ignored, automatic", {200, "{}", manifest(Json::array({release("1.2.0")}))}, false, true, false, false, ""},
      {"ignored, manual", {200, "{}", manifest(Json::array({release("1.2.0")}))}, true, true, false, true, ""},
      {"a newer one than the ignored, automatic",
       {200, "{}", manifest(Json::array({release("1.2.1")}))}, false, true, false, true, ""},
      {"a redirect", {302, redirect, manifest(Json::array({release("1.2.0")}))}, true, false, false, false,
       kFailMessage},
      {"not found", {404, "{}", "{}"}, true, false, false, false, kFailMessage},
      {"not found, automatic", {404, "{}", "{}"}, false, false, false, false, ""},
      {"schema as text", {200, "{}", "{\"schema_version\": \"1\", \"releases\": []}"}, true, false, false, false,
       kFailMessage},
      {"65,536 bytes", {200, "{}", manifestOfSize(65536)}, true, false, false, true, ""},
      {"65,537 bytes", {200, "{}", manifestOfSize(65537)}, true, false, false, false, kFailMessage},
      {"silent past the idle time-out", {200, "{}", manifest(Json::array()), kTestIdle * 3}, true, false, false,
       false, kFailMessage},
      {"trickling past the total time-out", {200, "{}", manifest(Json::array()), 0, 0.1}, true, false, false, false,
       kFailMessage},
      {"a wrong certificate", {200, "{}", manifest(Json::array({release("1.2.0")}))}, true, false, true, false,
       kFailMessage},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HttpsTestServer& target = c.untrusted ? stranger : server;
    target.answer(c.answer);
    toolkit::ModalResponder::shared().reset();
    foundation::UserDefaults::suite(kUpdateDefaultsSuite).removeObjectForKey("last_check");
    if (c.ignored) {
      foundation::UserDefaults::suite(kUpdateDefaultsSuite).setString("1.2.0", "ignored_version");
    } else {
      foundation::UserDefaults::suite(kUpdateDefaultsSuite).removeObjectForKey("ignored_version");
    }
    start(target);
    const auto started = std::chrono::steady_clock::now();
    if (c.manual) {
      qdl_updates_check();
    } else {
      qdl_update_notice()->check(false);
    }
    waitForReply();
    EXPECT_EQ(windowShown(), c.window);
    EXPECT_EQ(messages(), c.alerts);
    if (c.answer.trickle > 0) {
      // Ended by the total time-out, not by the idle one, and long before the body could have arrived.
      EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(8));
    }
    qdl_updates_shutdown();
  }
  // Every request asked the manifest's path for JSON; none reached any other server.
  const std::string requests = server.requests();
  EXPECT_NE(requests.find("{\"path\": \"/plugin-updates/stable.json\", \"accept\": \"application/json\"}"),
            std::string::npos);
  EXPECT_EQ(requests.find("other.json"), std::string::npos);  // the redirect was not followed
}

TEST_F(UpdateTest, AutomaticChecksRunOnceADayAndEveryCheckCounts) {
  HttpsTestServer server;
  server.answer({404, "{}", "{}"});
  start(server);
  auto requests = [&] {
    const std::string log = server.requests();
    return std::count(log.begin(), log.end(), '\n');
  };
  foundation::UserDefaults& prefs = foundation::UserDefaults::suite(kUpdateDefaultsSuite);

  // The timer fires once, 25 to 44 seconds after the start.
  const std::optional<double> due = foundation::MainQueue::main().nextTimerDue();
  ASSERT_TRUE(due);
  EXPECT_GE(*due - clock_->now(), 25.0);
  EXPECT_LE(*due - clock_->now(), 44.0);
  clock_->advance(*due - clock_->now());
  foundation::MainQueue::main().drain();
  EXPECT_TRUE(qdl_update_notice()->taskRunning());
  waitForReply();
  EXPECT_EQ(requests(), 1);
  EXPECT_EQ(prefs.doubleForKey("last_check"), wallNow_);  // a failed request counts as a check
  EXPECT_EQ(messages(), "");                               // and an automatic one stays silent

  // A manual check within the day still runs; an automatic one after it does not.
  wallNow_ += 3600;
  qdl_updates_check();
  waitForReply();
  EXPECT_EQ(requests(), 2);
  EXPECT_EQ(messages(), kFailMessage);
  wallNow_ += 86399;
  qdl_update_notice()->check(false);
  EXPECT_FALSE(qdl_update_notice()->taskRunning());
  EXPECT_EQ(requests(), 2);
  // A full day after the last check it runs again; a last check in the future holds nothing back.
  wallNow_ += 1;
  qdl_update_notice()->check(false);
  waitForReply();
  EXPECT_EQ(requests(), 3);
  prefs.setDouble(wallNow_ + 1000, "last_check");
  qdl_update_notice()->check(false);
  waitForReply();
  EXPECT_EQ(requests(), 4);
}

TEST_F(UpdateTest, OneRequestAtATimeAndShutdownEndsItWithNoThreadLeft) {
  HttpsTestServer server;
  server.answer({200, "{}", manifest(Json::array({release("1.2.0")})), 20});  // silent far past the test's wait
  start(server);
  // Generous limits here, so only the shutdown can end the request.
  qdl_updates_shutdown();
  const std::string path = folder_ / "update-test.json";
  std::ofstream(path) << "{\"port\": " << server.port() << ", \"ca_file\": \""
                      << HttpsTestServer::trustedCertificate()
                      << "\", \"request_timeout\": 30, \"resource_timeout\": 30}";
  qdl_updates_start(kQuodlVersion, 2025);

  qdl_updates_check();
  ASSERT_TRUE(qdl_update_notice()->taskRunning());
  qdl_updates_check();
  EXPECT_EQ(messages(), "正在检查更新，请稍候。|");
  qdl_update_notice()->check(false);
  EXPECT_EQ(messages(), "正在检查更新，请稍候。|");
  EXPECT_EQ(requestThreads(), 1u);

  const auto started = std::chrono::steady_clock::now();
  qdl_updates_shutdown();
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
  EXPECT_EQ(qdl_update_notice(), nullptr);
  EXPECT_EQ(requestThreads(), 0u);
  // The cancelled request's reply never reaches anyone.
  foundation::MainQueue::main().drain();
  EXPECT_EQ(foundation::MainQueue::main().pendingCount(), 0u);
  EXPECT_EQ(messages(), "正在检查更新，请稍候。|");
}

// While the server keeps silent the main thread goes on: the longest time it is held (starting the request, any
// turn of the main queue, handling the reply) is printed, and bound only loosely against a hang.
TEST_F(UpdateTest, TheMainThreadKeepsRunningWhileTheServerIsSilent) {
  HttpsTestServer server;
  server.answer({200, "{}", manifest(Json::array()), 0.4});
  start(server);
  using Clock = std::chrono::steady_clock;
  Clock::duration longest{};
  auto last = Clock::now();
  qdl_updates_check();
  longest = Clock::now() - last;
  const auto until = Clock::now() + std::chrono::seconds(20);
  while (qdl_update_notice()->taskRunning() && Clock::now() < until) {
    last = Clock::now();
    foundation::MainQueue::main().drain();
    longest = std::max(longest, Clock::now() - last);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_FALSE(qdl_update_notice()->taskRunning());
  EXPECT_EQ(messages(), kNoneMessage);  // the alert answers at once here, so it is part of the reply's turn
  const double ms = std::chrono::duration<double, std::milli>(longest).count();
  std::printf("longest main-thread stall during an update check: %.1f ms\n", ms);
  RecordProperty("longest_main_thread_stall_ms", std::to_string(ms));
  EXPECT_LT(ms, 1000.0);
}

TEST(HostYear, TheHostYearComesFromTheHostVersion) {
  struct Case {
    const wchar_t* acadver;
    std::int64_t year;
  };
  for (const Case& c : {Case{L"26.0s (LMS Tech)", 2027}, Case{L"25.1", 2026}, Case{L"25.0xyz", 2025},
                        Case{L"24.3s", 2024}, Case{L"24.2", 0}, Case{L"23.1", 0}, Case{L"", 0}, Case{L"2", 0}}) {
    SCOPED_TRACE(foundation::utf8FromWideLossy(c.acadver));
    EXPECT_EQ(hostYearFromVersion(c.acadver), c.year);
  }
}

}  // namespace
}  // namespace services_test
