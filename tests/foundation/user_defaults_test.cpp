#include "foundation/user_defaults.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "foundation/file_faults.h"
#include "foundation/iso8601.h"
#include "foundation/json.h"
#include "test_support.h"

namespace foundation {
namespace {

namespace fs = std::filesystem;
using foundation_test::readText;
using foundation_test::ScopedEnv;
using foundation_test::writeText;

class Defaults : public ::testing::Test {
 protected:
  Defaults() {
    UserDefaults::setRootForTesting(dir.path());
    UserDefaults::setErrorHandler([this](const std::string& suite, const std::string& message) {
      reports.push_back(suite + ": " + message);
    });
  }
  ~Defaults() override {
    UserDefaults::setErrorHandler(nullptr);
    UserDefaults::setRootForTesting("");
    setWallClockForTesting(nullptr);
    clearFileFaults();
  }

  Json fileOf(const std::string& suite) { return readJsonFile(dir / (suite + ".json")).value; }

  TempFolder dir;
  std::vector<std::string> reports;
};

TEST_F(Defaults, TypedValuesPersistPerSuite) {
  UserDefaults& standard = UserDefaults::standard();
  EXPECT_FALSE(standard.hasKey("Quodline.OutputPath"));
  EXPECT_EQ(standard.stringForKey("Quodline.OutputPath"), std::nullopt);
  EXPECT_TRUE(standard.setString("", "Quodline.OutputPath"));
  EXPECT_TRUE(standard.hasKey("Quodline.OutputPath"));  // present though empty
  EXPECT_TRUE(standard.setBool(true, "Quodline.LiteMode"));
  EXPECT_TRUE(standard.setInteger(-3, "Quodline.SortMode"));
  EXPECT_TRUE(standard.setDouble(2.5, "Quodline.Scale"));
  EXPECT_TRUE(standard.setStringArray({"图纸", "b"}, "Quodline.Recent"));
  EXPECT_TRUE(standard.setObject("text, not a bool", "Quodline.Language"));

  UserDefaults& updates = UserDefaults::suite("com.example.quodline.updates");
  EXPECT_TRUE(updates.setDouble(1796903072.5, "last_check"));
  EXPECT_FALSE(standard.hasKey("last_check"));
  EXPECT_EQ(&UserDefaults::suite(""), &standard);
  EXPECT_EQ(&UserDefaults::suite("standard"), &standard);

  EXPECT_EQ(fileOf("standard"), parseJson(R"({"Quodline.OutputPath": "", "Quodline.LiteMode": true,
      "Quodline.SortMode": -3, "Quodline.Scale": 2.5, "Quodline.Recent": ["图纸", "b"],
      "Quodline.Language": "text, not a bool"})").value);

  // Read again from disk: kinds survive, a double stays a double.
  UserDefaults::resetForTesting();
  EXPECT_EQ(standard.objectForKey("Quodline.LiteMode"), DefaultsValue(true));
  EXPECT_EQ(standard.objectForKey("Quodline.SortMode"), DefaultsValue(std::int64_t{-3}));
  EXPECT_EQ(standard.objectForKey("Quodline.Scale"), DefaultsValue(2.5));
  EXPECT_EQ(standard.stringArrayForKey("Quodline.Recent"), (std::vector<std::string>{"图纸", "b"}));
  EXPECT_EQ(updates.doubleForKey("last_check"), 1796903072.5);
  ASSERT_TRUE(updates.setDouble(3.0, "whole"));
  UserDefaults::resetForTesting();
  EXPECT_EQ(updates.objectForKey("whole"), DefaultsValue(3.0));

  EXPECT_TRUE(standard.removeObjectForKey("Quodline.LiteMode"));
  EXPECT_TRUE(standard.removeObjectForKey("never there"));
  EXPECT_FALSE(standard.hasKey("Quodline.LiteMode"));
  EXPECT_FALSE(fileOf("standard").contains("Quodline.LiteMode"));
  EXPECT_TRUE(reports.empty());
}

TEST_F(Defaults, CoercionsLikeThePlatform) {
  UserDefaults& d = UserDefaults::standard();
  const Json stored = parseJson(R"({"s1": "1", "s12x": " 12abc", "sYES": "YES", "strue": "True", "sno": "NO",
      "s2": "2", "sjunk": "Tomato", "f": 3.99, "fneg": -2.5, "fbig": 1e300, "b": true, "i0": 0, "i7": 7,
      "u": 18446744073709551615, "list": ["a"], "mixed": ["a", 2], "obj": {"k": 1}, "null": null,
      "sdouble": "2.5e1"})").value;
  writeText(dir / "standard.json", stored.dump());
  UserDefaults::resetForTesting();

  const struct {
    const char* key;
    std::int64_t integer;
    bool boolean;
    double number;
  } cases[] = {
      {"s1", 1, true, 1.0},       {"s12x", 12, true, 12.0},  {"sYES", 0, true, 0.0},   {"strue", 0, true, 0.0},
      {"sno", 0, false, 0.0},     {"s2", 2, true, 2.0},      {"sjunk", 0, false, 0.0}, {"f", 3, true, 3.99},
      {"fneg", -2, true, -2.5},   {"fbig", INT64_MAX, true, 1e300}, {"b", 1, true, 1.0}, {"i0", 0, false, 0.0},
      {"i7", 7, true, 7.0},       {"u", INT64_MAX, true, 18446744073709551615.0},
      {"list", 0, false, 0.0},    {"obj", 0, false, 0.0},    {"null", 0, false, 0.0},  {"absent", 0, false, 0.0},
      {"sdouble", 2, true, 25.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(d.integerForKey(c.key), c.integer);
    EXPECT_EQ(d.boolForKey(c.key), c.boolean);
    EXPECT_DOUBLE_EQ(d.doubleForKey(c.key), c.number);
  }
  EXPECT_EQ(d.stringForKey("i7"), "7");
  EXPECT_EQ(d.stringForKey("f"), "3.99");
  EXPECT_EQ(d.stringForKey("b"), "1");
  EXPECT_EQ(d.stringForKey("u"), "18446744073709551615");
  EXPECT_EQ(d.stringForKey("list"), std::nullopt);
  EXPECT_EQ(d.stringArrayForKey("list"), std::vector<std::string>{"a"});
  EXPECT_EQ(d.stringArrayForKey("mixed"), std::nullopt);
  EXPECT_EQ(d.stringArrayForKey("s1"), std::nullopt);
  EXPECT_TRUE(d.hasKey("obj"));
  EXPECT_EQ(d.objectForKey("obj"), std::nullopt);

  // Values the typed setters cannot express survive a change to another key.
  ASSERT_TRUE(d.setInteger(1, "other"));
  EXPECT_EQ(fileOf("standard")["obj"], (Json{{"k", 1}}));
  EXPECT_TRUE(fileOf("standard")["null"].is_null());
}

TEST_F(Defaults, RefusedValuesChangeNothing) {
  UserDefaults& d = UserDefaults::standard();
  ASSERT_TRUE(d.setDouble(1.5, "scale"));
  EXPECT_FALSE(d.setDouble(std::numeric_limits<double>::quiet_NaN(), "scale"));
  EXPECT_FALSE(d.setDouble(INFINITY, "scale"));
  EXPECT_FALSE(d.setString("\xC0\xAF", "name"));
  EXPECT_FALSE(d.setStringArray({"ok", "\xFF"}, "names"));
  EXPECT_FALSE(d.setInteger(1, "\xFF"));
  EXPECT_EQ(d.doubleForKey("scale"), 1.5);
  EXPECT_FALSE(d.hasKey("name"));
  EXPECT_FALSE(d.hasKey("names"));
  EXPECT_FALSE(d.lastError().empty());
  EXPECT_EQ(reports.size(), 5u);
  EXPECT_EQ(fileOf("standard"), (Json{{"scale", 1.5}}));
}

TEST_F(Defaults, DamagedFileIsSetAsideAndTheSuiteStartsEmpty) {
  setWallClockForTesting([] { return *parseIso8601("2026-12-10T11:44:32Z"); });
  for (const char* damaged : {"{\"Quodline.LiteMode\": tru", "[1, 2]", "\xFF\xFE garbage"}) {
    SCOPED_TRACE(damaged);
    fs::remove_all(dir.path());
    fs::create_directories(dir.path());
    reports.clear();
    writeText(dir / "standard.json", damaged);
    UserDefaults::resetForTesting();
    UserDefaults& d = UserDefaults::standard();
    EXPECT_FALSE(d.hasKey("Quodline.LiteMode"));
    EXPECT_EQ(readText(dir / "standard.damaged-20261210T114432Z.json"), damaged);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("set aside"), std::string::npos);
    EXPECT_NE(d.lastError().find("standard.damaged-20261210T114432Z.json"), std::string::npos);
    EXPECT_TRUE(d.setBool(false, "Quodline.LiteMode"));
    EXPECT_EQ(fileOf("standard"), (Json{{"Quodline.LiteMode", false}}));
  }
  // A second damaged file in the same second does not replace the first one set aside.
  writeText(dir / "standard.json", "{");
  UserDefaults::resetForTesting();
  EXPECT_FALSE(UserDefaults::standard().hasKey("x"));
  EXPECT_EQ(readText(dir / "standard.damaged-20261210T114432Z.json"), "\xFF\xFE garbage");
  EXPECT_EQ(readText(dir / "standard.damaged-20261210T114432Z-2.json"), "{");
}

TEST_F(Defaults, AFileThatCannotBeSetAsideIsNeverOverwritten) {
  writeText(dir / "standard.json", "{damaged");
  failNextFileOperation(FileOperation::rename, EROFS, 100);
  UserDefaults::resetForTesting();
  UserDefaults& d = UserDefaults::standard();
  EXPECT_FALSE(d.setBool(true, "Quodline.LiteMode"));
  EXPECT_TRUE(d.boolForKey("Quodline.LiteMode"));  // kept in memory for this session
  clearFileFaults();
  EXPECT_FALSE(d.setBool(true, "again"));
  EXPECT_EQ(readText(dir / "standard.json"), "{damaged");
  EXPECT_GE(reports.size(), 2u);
}

TEST_F(Defaults, AnUnreadableFileIsNeverOverwritten) {
  // A folder or a named pipe in the file's place, or a file without read permission: none is damaged
  // content, so each stays where it is and the session goes on in memory.
  const struct {
    const char* kind;
    std::function<void(const std::string&)> make;
    bool needsPermissions;
  } cases[] = {
      {"folder", [](const std::string& p) { fs::create_directory(p); }, false},
      {"named pipe", [](const std::string& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); }, false},
      {"no permission",
       [](const std::string& p) {
         writeText(p, "{\"k\": 5}");
         fs::permissions(p, fs::perms::none);
       },
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    if (c.needsPermissions && !foundation_test::permissionsAreEnforced()) continue;
    fs::remove_all(dir.path());
    fs::create_directories(dir.path());
    reports.clear();
    const std::string file = dir / "standard.json";
    c.make(file);
    const auto before = fs::symlink_status(file).type();
    UserDefaults::resetForTesting();
    UserDefaults& d = UserDefaults::standard();
    EXPECT_FALSE(d.setInteger(1, "k"));
    EXPECT_EQ(d.integerForKey("k"), 1);
    EXPECT_EQ(fs::symlink_status(file).type(), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);  // nothing set aside
    ASSERT_FALSE(reports.empty());
    EXPECT_NE(reports[0].find("kept in memory only"), std::string::npos) << reports[0];
  }
}

TEST_F(Defaults, SaveFailuresAreReportedAndTheValueKept) {
  UserDefaults& d = UserDefaults::standard();
  ASSERT_TRUE(d.setInteger(1, "a"));
  failNextFileOperation(FileOperation::write, ENOSPC);
  EXPECT_FALSE(d.setInteger(2, "a"));
  EXPECT_EQ(d.integerForKey("a"), 2);
  EXPECT_NE(d.lastError().find("No space left"), std::string::npos);
  EXPECT_EQ(fileOf("standard"), (Json{{"a", 1}}));
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].rfind("standard: ", 0), 0u);
  EXPECT_TRUE(d.setInteger(3, "b"));  // the next save writes everything
  EXPECT_EQ(fileOf("standard"), (Json{{"a", 2}, {"b", 3}}));
}

TEST_F(Defaults, SuiteNamesCannotLeaveTheFolder) {
  for (const char* name : {"../escape", ".hidden", "a/b", "名字"}) {
    UserDefaults& suite = UserDefaults::suite(name);
    ASSERT_TRUE(suite.setBool(true, "k")) << name;
    EXPECT_EQ(fs::path(suite.filePath()).parent_path(), fs::path(dir.path())) << suite.filePath();
    EXPECT_NE(fs::path(suite.filePath()).filename().string()[0], '.');
  }
  EXPECT_FALSE(fs::exists(fs::path(dir.path()).parent_path() / "escape.json"));
}

TEST_F(Defaults, RootComesFromTheEnvironmentUnlessSet) {
  TempFolder config;
  ScopedEnv xdg("XDG_CONFIG_HOME", config.path());
  UserDefaults::setRootForTesting("");
  EXPECT_EQ(UserDefaults::rootDirectory(), config.path() + "/quodline/defaults");
  ASSERT_TRUE(UserDefaults::standard().setBool(true, "k"));
  EXPECT_TRUE(fs::exists(config.path() + "/quodline/defaults/standard.json"));
  UserDefaults::setRootForTesting(dir.path());
  EXPECT_FALSE(UserDefaults::standard().hasKey("k"));  // a fresh folder, read anew
}

}  // namespace
}  // namespace foundation
