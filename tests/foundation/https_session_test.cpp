// HTTPS requests against a real server on 127.0.0.1: why each one ends, and cancelling.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>
#include <vector>
#include <string>

#include "foundation/https_session.h"
#include "https_test_server.h"

namespace {

foundation::HttpsSessionConfiguration testConfiguration() {
  foundation::HttpsSessionConfiguration configuration;
  configuration.requestTimeout = 0.5;
  configuration.resourceTimeout = 1.2;
  configuration.caFile = HttpsTestServer::trustedCertificate();
  return configuration;
}

foundation::HttpsResponse get(foundation::HttpsSession& session, const std::string& url) {
  std::promise<foundation::HttpsResponse> done;
  EXPECT_NE(session.dataTask({url, {}}, [&](foundation::HttpsResponse r) { done.set_value(std::move(r)); }), 0u);
  return done.get_future().get();
}

TEST(HttpsSession, EachRequestEndsForItsOwnReason) {
  HttpsTestServer server;
  HttpsTestServer stranger(false);
  foundation::HttpsSession session(testConfiguration());
  const std::string url = server.address("/a.json");
  struct Case {
    const char* name;
    HttpsTestServer::Answer answer;
    bool untrusted;
    long status;
    std::string error;  // a part of the error; empty: none
    std::size_t bodyBytes;
  };
  const std::string location = "{\"Location\": \"" + server.address("/b.json") + "\"}";
  const std::vector<Case> cases = {
      {"whole", {200, "{}", "{}"}, false, 200, "", 2},
      {"a redirect is the answer itself", {302, location, "moved"}, false, 302, "", 5},
      {"not found", {404, "{}", "no"}, false, 404, "", 2},
      {"65,536 bytes", {200, "{}", std::string(65536, 'x')}, false, 200, "", 65536},
      {"65,537 bytes", {200, "{}", std::string(65537, 'x')}, false, 200, "larger than 65536 bytes", 0},
      {"silent", {200, "{}", "{}", 1.5}, false, 0, "no data", 0},
      {"trickling", {200, "{}", std::string(40, 'x'), 0, 0.1}, false, 200, "Timeout", 0},
      {"a wrong certificate", {200, "{}", "{}"}, true, 0, "SSL", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    (c.untrusted ? stranger : server).answer(c.answer);
    const foundation::HttpsResponse response = get(session, (c.untrusted ? stranger : server).address("/a.json"));
    EXPECT_EQ(response.status, c.status);
    if (c.error.empty()) {
      EXPECT_EQ(response.error, "");
    } else {
      EXPECT_NE(response.error.find(c.error), std::string::npos) << response.error;
    }
    EXPECT_EQ(response.body.size(), c.bodyBytes);
    EXPECT_FALSE(response.cancelled);
    if (!c.untrusted) {
      EXPECT_EQ(response.finalUrl, url);
    }
  }
  EXPECT_EQ(server.requests().find("/b.json"), std::string::npos);
  EXPECT_EQ(get(session, "http://127.0.0.1:1/").error, "only https addresses are requested");
}

TEST(HttpsSession, CancellingEndsARequestAtOnceAndInvalidatingWaitsForIt) {
  HttpsTestServer server;
  server.answer({200, "{}", "{}", 20});
  foundation::HttpsSessionConfiguration configuration = testConfiguration();
  configuration.requestTimeout = configuration.resourceTimeout = 30;
  foundation::HttpsSession session(configuration);
  std::promise<foundation::HttpsResponse> done;
  const foundation::HttpsTaskId task =
      session.dataTask({server.address("/a.json"), {}}, [&](foundation::HttpsResponse r) { done.set_value(r); });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(session.runningTasks(), 1u);
  const auto started = std::chrono::steady_clock::now();
  session.cancel(task);
  const foundation::HttpsResponse response = done.get_future().get();
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
  EXPECT_TRUE(response.cancelled);

  // A second request, ended by invalidating: its completion has run when the call returns, and no other starts.
  bool completed = false;
  session.dataTask({server.address("/a.json"), {}}, [&](foundation::HttpsResponse r) { completed = r.cancelled; });
  session.invalidateAndCancel();
  EXPECT_TRUE(completed);
  EXPECT_EQ(session.runningTasks(), 0u);
  EXPECT_EQ(session.dataTask({server.address("/a.json"), {}}, [](foundation::HttpsResponse) {}), 0u);
}

}  // namespace
