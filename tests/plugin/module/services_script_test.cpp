// The update check and the custom start command in cadhost, driven by scripts as a user would: the update check
// against a real HTTPS server on 127.0.0.1, the new-version window and its choices, unloading in the middle of a
// request; a custom command refused for each kind of clash, registered, forwarding to the panel, restored after a
// restart, and alias files that cannot be read; the settings window shown again after a refusal, answered from a
// script file, left by a script that ends, and closed by an interrupting signal.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "cadhost_run.h"
#include "https_test_server.h"
#include "interactive_program.h"

namespace {

namespace fs = std::filesystem;

const std::string kPanelOpened = "Ferrolin 批打工具面板已打开。";
const std::string kSaved = "Ferrolin 批打工具：启动命令设置已保存，QUODL 始终可用。";
const std::string kNotRestored = "Ferrolin 批打工具：自定义命令未启用，请使用 QUODL 打开启动命令设置。";

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
  return n;
}

class ServicesScriptTest : public ::testing::Test {
 protected:
  ScratchHome home_;

  std::string userSupport() const { return home_.path() + "/.local/share/quodline-host/Support"; }

  CadhostRun run(const std::string& script, std::vector<std::pair<std::string, std::string>> environment = {}) {
    // Typed at standard input, so each "@" line answers the window showing when it is read.
    RunOptions options;
    options.workingDirectory = home_.path();
    options.environment = {{"HOME", home_.path()},
                           {"XDG_CONFIG_HOME", home_.path() + "/.config"},
                           {"XDG_DATA_HOME", home_.path() + "/.local/share"}};
    for (auto& value : environment) options.environment.push_back(std::move(value));
    CadhostRun result = runProgram(
        QUODL_CADHOST, {"--no-autoload", "--load", QUODL_MODULE, QUODL_SAMPLES "/layouts-frames.dxf"}, script, options);
    EXPECT_EQ(result.exitStatus, 0) << result.output;
    return result;
  }

  // The same from a script file, where the "@" lines after a command also act at its pumps.
  CadhostRun runScript(const std::string& script) {
    std::ofstream(home_ / "script.txt") << script;
    RunOptions options;
    options.workingDirectory = home_.path();
    options.environment = {{"HOME", home_.path()},
                           {"XDG_CONFIG_HOME", home_.path() + "/.config"},
                           {"XDG_DATA_HOME", home_.path() + "/.local/share"}};
    // A window that kept asking would hold the host for ever.
    options.timeLimit = std::chrono::seconds(120);
    CadhostRun result =
        runProgram(QUODL_CADHOST,
                   {"--no-autoload", "--load", QUODL_MODULE, "--script", home_ / "script.txt",
                    QUODL_SAMPLES "/layouts-frames.dxf"},
                   "", options);
    EXPECT_FALSE(result.timedOut) << result.output.substr(0, 4000);
    EXPECT_EQ(result.exitStatus, 0) << result.output.substr(0, 4000);
    return result;
  }

  // The settings window answered: the name typed, then Save.
  static std::string tryName(const std::string& name) {
    return "DUZOZAREDCOMMAND\n@type alert customCommand " + name + "\n@alert #1\n";
  }
};

TEST_F(ServicesScriptTest, ACustomCommandIsRefusedOnEveryClashThenRegisteredRunsThePanelAndComesBack) {
  fs::create_directories(userSupport());
  std::ofstream(userSupport() + "/acadUser.pgp") << "; mine\nMYAL,*LINE\n";
  // Each refusal shows the window again; the last try is good.
  const CadhostRun first = run("(defun c:lsp () (princ))\n"
                               "DUZOZAREDCOMMAND\n"
                               "@type alert customCommand line\n@alert #1\n"     // a host command
                               "@type alert customCommand co\n@alert #1\n"       // an alias of acad.pgp
                               "@type alert customCommand myal\n@alert #1\n"     // an alias of acadUser.pgp
                               "@type alert customCommand lsp\n@alert #1\n"      // a LISP command
                               "@type alert customCommand quodl2\n@alert #1\n"   // reserved
                               "@render alert " + (home_ / "refused.png") + "\n"
                               "@type alert customCommand pp\n@alert #1\n"
                               "PP\n");
  EXPECT_NE(first.output.find("C:LSP"), std::string::npos);
  EXPECT_EQ(count(first.output, "Alert: "), 6u) << first.output;
  EXPECT_EQ(count(first.output, kSaved), 1u);
  EXPECT_NE(first.output.find(kPanelOpened, first.output.find(kSaved)), std::string::npos) << first.output;
  EXPECT_TRUE(fs::is_regular_file(home_ / "refused.png"));

  // A new host process restores it.
  const CadhostRun second = run("PP\n");
  EXPECT_EQ(second.output.find(kNotRestored), std::string::npos);
  EXPECT_NE(second.output.find(kPanelOpened), std::string::npos) << second.output;

  // Once the user's aliases take the name, the next start says so, and the name stays saved for the settings.
  std::ofstream(userSupport() + "/acadUser.pgp", std::ios::app) << "pp,*PLINE\n";
  const CadhostRun third = run("PP\nDUZOZAREDCOMMAND\n@alert #2\n");
  EXPECT_NE(third.output.find(kNotRestored), std::string::npos) << third.output;
  EXPECT_EQ(third.output.find(kPanelOpened), std::string::npos);
}

TEST_F(ServicesScriptTest, UnreadableAndDamagedAliasFilesAreHandledAsTheyShouldBe) {
  fs::create_directories(userSupport());
  // Damaged: bytes that are no alias lines define nothing, and cadhost says which lines it skipped.
  std::ofstream(userSupport() + "/acadUser.pgp", std::ios::binary) << std::string("\x01\xff\xfe garbage\n\0\0", 13);
  const CadhostRun damaged = run(tryName("good") + "GOOD\n");
  EXPECT_NE(damaged.output.find("acadUser.pgp line"), std::string::npos) << damaged.output;
  EXPECT_EQ(count(damaged.output, kSaved), 1u) << damaged.output;
  EXPECT_NE(damaged.output.find(kPanelOpened), std::string::npos);

  // Unreadable (far larger than any alias file): every name counts as taken, so the next start cannot restore
  // the saved one, and a new name is refused too.
  fs::resize_file(userSupport() + "/acadUser.pgp", 5u << 20);
  const CadhostRun unreadable = run(tryName("other") + "@alert #2\n");
  EXPECT_NE(unreadable.output.find(kNotRestored), std::string::npos) << unreadable.output;
  EXPECT_EQ(count(unreadable.output, "Alert: "), 2u) << unreadable.output;
  EXPECT_EQ(unreadable.output.find(kSaved), std::string::npos);
}

// A refused name shows the settings window again. From a script file, the click on Save lands before the next
// line acts, so Cancel answers the window shown again; and a script that ends while the window refuses its
// default answer does not keep the host asking for ever.
TEST_F(ServicesScriptTest, AScriptAnswersTheSettingsWindowShownAgainAfterARefusedName) {
  const CadhostRun cancelled =
      runScript("DUZOZAREDCOMMAND\n@type alert customCommand line\n@alert #1\n@alert #2\nQUIT\n");
  EXPECT_EQ(count(cancelled.output, "Alert: "), 2u) << cancelled.output.substr(0, 4000);
  EXPECT_EQ(cancelled.output.find(kSaved), std::string::npos);

  const CadhostRun ended = runScript("DUZOZAREDCOMMAND\n@type alert customCommand line\n@alert #1\n");
  EXPECT_EQ(count(ended.output, "Alert: "), 3u) << ended.output.substr(0, 4000);
  EXPECT_NE(ended.output.find("is shown again: it is closed unanswered."), std::string::npos)
      << ended.output.substr(0, 4000);
  EXPECT_EQ(ended.output.find(kSaved), std::string::npos);
}

// An interrupting signal while the window waits for its answer closes it unanswered, so that the host ends as
// a signal ends it, cleanly: the window refusing its answer does not keep it waiting for a line that never comes.
TEST_F(ServicesScriptTest, AnInterruptingSignalWhileTheSettingsWindowWaitsEndsTheHost) {
  RunOptions options;
  options.workingDirectory = home_.path();
  options.environment = {{"HOME", home_.path()},
                         {"XDG_CONFIG_HOME", home_.path() + "/.config"},
                         {"XDG_DATA_HOME", home_.path() + "/.local/share"},
                         {"XDG_RUNTIME_DIR", home_.path() + "/run"}};
  InteractiveProgram host(QUODL_CADHOST, {"--no-autoload", "--load", QUODL_MODULE, QUODL_SAMPLES "/layouts-frames.dxf"},
                          options);
  host.writeLine("DUZOZAREDCOMMAND");
  host.writeLine("@type alert customCommand line");
  ASSERT_TRUE(host.waitForOutput("Alert: ")) << host.output();
  ASSERT_FALSE(fs::is_empty(home_ / "run/running-applications"));
  host.sendSignal(SIGTERM);
  EXPECT_EQ(host.wait(60), -1) << host.output();
  EXPECT_EQ(host.endSignal(), SIGTERM) << host.output();
  // The session closed before the signal was raised again: the host no longer lists itself as running.
  EXPECT_TRUE(fs::is_empty(home_ / "run/running-applications"));
  EXPECT_EQ(host.output().find(kSaved), std::string::npos) << host.output();
}

// The test configuration that points the plug-in at the server.
#ifdef QUODL_UPDATE_TEST_CONFIGURATION
std::pair<std::string, std::string> pointAt(const HttpsTestServer& server, const std::string& file, double idle,
                                            double total) {
  std::ofstream(file) << "{\"port\": " << server.port() << ", \"ca_file\": \"" << HttpsTestServer::trustedCertificate()
                      << "\", \"request_timeout\": " << idle << ", \"resource_timeout\": " << total << "}";
  return {"QUODL_UPDATE_TEST_CONFIGURATION", file};
}

TEST_F(ServicesScriptTest, TheUpdateCheckOffersANewReleaseWhoseWindowCanSkipIt) {
  HttpsTestServer server;
  server.answer({200, "{}",
                 R"({"schema_version": 1, "releases": [{"product": "quodline", "platform": "macos",
                     "channel": "stable", "published": true, "min_host_year": 0, "max_host_year": 2030,
                     "sha256": "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef",
                     "version": "1.3.0", "notes": "Faster plots.",
                     "download_url": "https://downloads.nuvolk.com/releases/quodline/macos/Quodline-1.3.0.pkg"}]})"});
  const auto config = pointAt(server, home_ / "update.json", 2, 3);
  const CadhostRun offered = run("DUZOZAREDUPDATE\nDELAY 2000\n@render newVersion " + (home_ / "offer.png") +
                                     "\n@click newVersion ignore\n",
                                 {config});
  EXPECT_TRUE(fs::is_regular_file(home_ / "offer.png")) << offered.output;
  std::ifstream file(home_ / ".config/quodline/defaults/com.nuvolk.quodline.updates.json");
  const std::string suite((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_NE(suite.find("\"ignored_version\": \"1.3.0\""), std::string::npos) << suite;
  EXPECT_NE(suite.find("\"last_check\""), std::string::npos);

  // Asked again by hand, the ignored release is still shown.
  const CadhostRun again = run("DUZOZAREDUPDATE\nDELAY 2000\n@click newVersion download\n", {config});
  EXPECT_EQ(again.output.find("Alert:"), std::string::npos) << again.output;
  EXPECT_EQ(count(server.requests(), "\n"), 2u);
}

TEST_F(ServicesScriptTest, QuittingInTheMiddleOfARequestEndsItAtOnce) {
  HttpsTestServer server;
  server.answer({200, "{}", "{}", 25});  // silent for far longer than the host waits
  const auto config = pointAt(server, home_ / "update.json", 30, 30);
  const auto started = std::chrono::steady_clock::now();
  const CadhostRun quit = run("DUZOZAREDUPDATE\nDELAY 300\nQUIT\n", {config});
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(15));
  EXPECT_EQ(quit.signal, 0);
  EXPECT_EQ(quit.output.find("Alert:"), std::string::npos) << quit.output;
  EXPECT_EQ(count(server.requests(), "\n"), 1u);
}

#endif  // a build that reads no test configuration cannot point the update check at a test server

}  // namespace
