#pragma once
// The update notice against a real HTTPS server on 127.0.0.1: the test configuration points it there, trusts the
// server's test certificate and shortens the waits (0.5 s idle, 1.2 s in all). Settings in a private folder, the
// main queue on a manual clock, the wall clock held still, alerts answered and recorded.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "foundation/iso8601.h"
#include "foundation/main_queue.h"
#include "foundation/user_defaults.h"
#include "https_test_server.h"
#include "services/update_notice.h"
#include "services/update_notice_object.h"
#include "temp_folder.h"
#include "toolkit/application.h"
#include "toolkit/modal_responder.h"
#include "toolkit/window.h"
#include "toolkit/workspace.h"
#include "ui/localisation.h"

namespace services_test {

inline constexpr double kTestIdle = 0.5;
inline constexpr double kTestTotal = 1.2;

class UpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifndef QUODL_UPDATE_TEST_CONFIGURATION
    GTEST_SKIP() << "this build reads no test configuration (a debug build with tests does)";
#endif
    foundation::UserDefaults::setRootForTesting(folder_ / "defaults");
    foundation::MainQueue::main().resetForTesting();
    clock_ = std::make_shared<foundation::ManualClock>(1000.0);
    foundation::MainQueue::main().setClock(clock_);
    wallNow_ = 1.8e9;
    foundation::setWallClockForTesting([this] { return foundation::wallTimeFromSecondsSince1970(wallNow_); });
    toolkit::Application::shared().resetForTesting();
    toolkit::ModalResponder::shared().reset();
    toolkit::Workspace::shared().reset();
    ASSERT_TRUE(QDLSetLanguagePreference("zh"));
  }

  void TearDown() override {
    qdl_updates_shutdown();
    unsetenv("QUODL_UPDATE_TEST_CONFIGURATION");
    foundation::setWallClockForTesting(nullptr);
    foundation::MainQueue::main().resetForTesting();
    toolkit::ModalResponder::shared().reset();
    toolkit::Workspace::shared().reset();
    foundation::UserDefaults::setRootForTesting("");
  }

  // Points the notice at the server and starts it.
  void start(const HttpsTestServer& server, std::int64_t hostYear = 2025,
             const std::string& version = kQuodlVersion) {
    const std::string path = folder_ / "update-test.json";
    std::ofstream(path) << "{\"port\": " << server.port() << ", \"ca_file\": \""
                        << HttpsTestServer::trustedCertificate() << "\", \"request_timeout\": " << kTestIdle
                        << ", \"resource_timeout\": " << kTestTotal << "}";
    setenv("QUODL_UPDATE_TEST_CONFIGURATION", path.c_str(), 1);
    qdl_updates_start(version, hostYear);
    ASSERT_NE(qdl_update_notice(), nullptr);
  }

  // Runs the main queue until the running request's reply has been handled (at most 20 s).
  void waitForReply() {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (qdl_update_notice() != nullptr && qdl_update_notice()->taskRunning() &&
           std::chrono::steady_clock::now() < until) {
      foundation::MainQueue::main().drain();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_FALSE(qdl_update_notice()->taskRunning()) << "no reply in time";
  }

  // The informative texts of the alerts shown so far, one line each.
  static std::string messages() {
    std::string out;
    for (const auto& alert : toolkit::ModalResponder::shared().alerts()) out += alert.informativeText + "|";
    return out;
  }

  static bool windowShown() {
    QDLUpdateNotice* notice = qdl_update_notice();
    return notice != nullptr && notice->panel() != nullptr && notice->panel()->isVisible();
  }

  TempFolder folder_{"quodl-updates"};
  std::shared_ptr<foundation::ManualClock> clock_;
  double wallNow_ = 0;
};

}  // namespace services_test
