// Version precedence, download addresses and the choice of a release from manifests, hostile ones included:
// nothing a manifest holds may throw, overflow or be offered when it breaks a rule.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/json.h"
#include "services/download_address.h"
#include "services/release_manifest.h"
#include "services/release_version.h"

namespace {

using foundation::Json;

TEST(ReleaseVersion, PrecedenceFollowsTheChainAndIgnoresLeadingZeros) {
  const std::vector<std::string> chain = {"1.0.0-1",      "1.0.0-Beta",    "1.0.0-alpha", "1.0.0-alpha.1",
                                          "1.0.0-beta.9", "1.0.0-beta.10", "1.0.0",       "1.0.1",
                                          "1.10.0"};
  for (std::size_t i = 0; i < chain.size(); ++i) {
    for (std::size_t j = 0; j < chain.size(); ++j) {
      const int expected = i < j ? -1 : (i > j ? 1 : 0);
      EXPECT_EQ(QDLUCompare(chain[i], chain[j]), expected) << chain[i] << " vs " << chain[j];
    }
  }
  EXPECT_EQ(QDLUCompare("1.0.0", "1.00.0"), 0);
  EXPECT_EQ(QDLUCompare("1.0.0-01", "1.0.0-1"), 0);
  // Numbers past 64 bits compare by value, never overflow or throw.
  EXPECT_EQ(QDLUCompare("99999999999999999999.0.0", "9223372036854775807.0.0"), 1);
  EXPECT_EQ(QDLUCompare("1.0.0-99999999999999999999", "1.0.0-99999999999999999998"), 1);
  EXPECT_EQ(QDLUCompare("0001.0.0", "2.0.0"), -1);
}

TEST(ReleaseVersion, TextsThatAreNoVersionParseAsNoneAndCompareEqualToAnything) {
  const std::string eighty = "1.0.0-" + std::string(74, 'a');
  ASSERT_EQ(eighty.size(), 80u);
  const std::string seventyNine = eighty.substr(0, 79);
  EXPECT_TRUE(QDLUVersion(seventyNine));
  EXPECT_FALSE(QDLUVersion(std::string(77, '9') + ".0"));
  EXPECT_TRUE(QDLUVersion(std::string(75, '9') + ".0.0"));  // 79 characters of digits
  for (const std::string& text : {std::string("1.0"), std::string("v1.0.0"), std::string("1.0.0+build"),
                                  std::string("1.0.0\n"), std::string(" 1.0.0"), std::string("1.0.0-"),
                                  std::string("1.0.0-a..b"), std::string("1.0.0-a_b"), std::string("1..0.0"),
                                  std::string("1.0.0-ä"), std::string(""), eighty,
                                  std::string(80, '9')}) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(QDLUVersion(text));
    EXPECT_EQ(QDLUCompare(text, "1.0.0"), 0);
    EXPECT_EQ(QDLUCompare("0.0.1", text), 0);
  }
  const auto parsed = QDLUVersion("01.002.3-beta.010");
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->major, "1");
  EXPECT_EQ(parsed->minor, "2");
  EXPECT_EQ(parsed->patch, "3");
  EXPECT_EQ(parsed->prerelease, (std::vector<std::string>{"beta", "010"}));
}

const std::string kStore = "https://" + std::string(kReleaseStoreHost);
const std::string kShare = "https://" + std::string(kReleaseShareHost) + "/:u:/s/" + std::string(kReleaseShareSite);

TEST(DownloadAddress, OnlyTheReleaseSiteAndStoreFilesPass) {
  struct Case {
    Json value;
    bool safe;
  };
  const std::vector<Case> cases = {
      {kStore + "/releases/quodline/macos/Quodline-1.2.0.pkg", true},
      {kStore + ":443/releases/quodline/macos/Quodline_1.2.0-beta.pkg", true},
      {kShare + "/EaBcD?e=xyz", true},
      {kShare + "/Folder/file.pkg", true},
      {"HTTPS://" + std::string(kReleaseStoreHost) + "/releases/quodline/macos/Q.pkg", false},
      {"http://" + std::string(kReleaseStoreHost) + "/releases/quodline/macos/Q.pkg", false},
      {kStore + ":8443/releases/quodline/macos/Q.pkg", false},
      {kStore + "/releases/quodline/macos/Q.pkg#", false},
      {kStore + "/releases/quodline/macos/Q.pkg#top", false},
      {"https://user@" + std::string(kReleaseStoreHost) + "/releases/quodline/macos/Q.pkg", false},
      {"https://user:secret@" + std::string(kReleaseShareHost) + "/:u:/s/" + std::string(kReleaseShareSite) + "/x",
       false},
      {kStore + "/releases/quodline/macos/Q.pkg?", false},
      {kStore + "/releases/quodline/macos/Q.pkg?x=1", false},
      {kStore + "/releases/quodline/macos/Q.PKG", false},
      {kStore + "/releases/quodline/macos/.hidden.pkg", false},
      {kStore + "/releases/quodline/macos/sub/Q.pkg", false},
      {kStore + "/releases/quodline/macos/%51.pkg", false},  // the encoded path is matched as written
      {kStore + "/releases/quodline/windows/Q.pkg", false},
      {kShare + "/../../OtherSite/x", false},
      {kShare + "/%2e%2e/OtherSite/x", false},
      {kShare, false},
      {"https://" + std::string(kReleaseShareHost) + "/:u:/s/OtherSite/x", false},
      {"https://NUVOLK.sharepoint.com/:u:/s/" + std::string(kReleaseShareSite) + "/x", false},
      {"https://evil.example/releases/quodline/macos/Q.pkg", false},
      {"https://" + std::string(kReleaseStoreHost) + ".evil.example/releases/quodline/macos/Q.pkg", false},
      {kStore + "/releases/quodline/macos/Q Q.pkg", false},
      {kStore + "/releases/quodline/macos/Q%zz.pkg", false},
      {kShare + "/\xC3\xA4", false},
      {"", false},
      {Json(42), false},
      {Json(true), false},
      {Json::array({kStore + "/releases/quodline/macos/Q.pkg"}), false},
      {Json(nullptr), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(QDLUSafeURL(c.value), c.safe) << c.value.dump();
  }
}

Json release(const std::string& version) {
  return Json{{"product", "quodline"},
              {"platform", "macos"},
              {"channel", "stable"},
              {"published", true},
              {"min_host_year", 2024},
              {"max_host_year", 2027},
              {"sha256", std::string(64, 'a')},
              {"version", version},
              {"download_url", kStore + "/releases/quodline/macos/Quodline-" + version + ".pkg"},
              {"notes", "Fixes."}};
}

std::string manifestOf(const Json& releases) { return Json{{"schema_version", 1}, {"releases", releases}}.dump(); }

// The version offered for the body, or "" for none.
std::string offered(const std::string& body, std::int64_t hostYear = 2025,
                    const std::string& current = "1.0.0-beta.9") {
  const std::optional<Json> chosen = QDLURelease(body, current, hostYear);
  return chosen ? chosen->value("version", std::string("?")) : "";
}

TEST(ReleaseManifest, HostileManifestsOfferNothingTheyShouldNotAndThrowNothing) {
  auto with = [](const char* key, Json value) {
    Json entry = release("1.2.0");
    entry[key] = std::move(value);
    return manifestOf(Json::array({entry}));
  };
  auto without = [](const char* key) {
    Json entry = release("1.2.0");
    entry.erase(key);
    return manifestOf(Json::array({entry}));
  };
  Json manyReleases = Json::array();
  for (int i = 0; i < 10000; ++i) manyReleases.push_back(release("1.1." + std::to_string(i)));
  const std::string tenThousand = manifestOf(manyReleases);  // well past 65,536 bytes
  Json compactMany = Json::array();
  for (int i = 0; i < 10000; ++i) compactMany.push_back(i);
  compactMany.push_back(release("1.2.0"));

  struct Case {
    const char* name;
    std::string body;
    std::string offered;
  };
  const std::vector<Case> cases = {
      {"a good release", with("notes", "ok"), "1.2.0"},
      {"not JSON", "{\"schema_version\":1,", ""},
      {"an array", "[1,2]", ""},
      {"a text", "\"hello\"", ""},
      {"empty", "", ""},
      {"schema as text", "{\"schema_version\":\"1\",\"releases\":[" + release("1.2.0").dump() + "]}", ""},
      {"schema as boolean", "{\"schema_version\":true,\"releases\":[" + release("1.2.0").dump() + "]}", ""},
      {"schema 1.0", "{\"schema_version\":1.0,\"releases\":[" + release("1.2.0").dump() + "]}", "1.2.0"},
      {"schema 2", "{\"schema_version\":2,\"releases\":[" + release("1.2.0").dump() + "]}", ""},
      {"releases as object", "{\"schema_version\":1,\"releases\":{}}", ""},
      {"no releases", "{\"schema_version\":1}", ""},
      {"invalid UTF-8", "{\"schema_version\":1,\"releases\":[],\"x\":\"\xff\"}", ""},
      {"deep nesting", std::string(100000, '['), ""},
      {"published as 1", with("published", 1), ""},
      {"published false", with("published", false), ""},
      {"published as text", with("published", "true"), ""},
      {"year as boolean", with("min_host_year", true), ""},
      {"year as text", with("max_host_year", "2027"), ""},
      {"year 1e300", with("max_host_year", 1e300), ""},
      {"year -1e300", with("min_host_year", -1e300), ""},
      {"year past 64 bits", "{\"schema_version\":1,\"releases\":[" +
                                release("1.2.0").dump().replace(release("1.2.0").dump().find("2027"), 4,
                                                                "18446744073709551615") +
                                "]}",
       ""},
      {"year 2025.9 reads 2025", with("min_host_year", 2025.9), "1.2.0"},
      {"year 1e400", "{\"schema_version\":1,\"releases\":[" +
                         release("1.2.0").dump().replace(release("1.2.0").dump().find("2027"), 4, "1e400") + "]}",
       ""},
      {"channel beta", with("channel", "beta"), ""},
      {"product in capitals", with("product", "Quodline"), ""},
      {"platform windows", with("platform", "windows"), ""},
      {"sha256 upper case", with("sha256", std::string(64, 'A')), ""},
      {"sha256 63 characters", with("sha256", std::string(63, 'a')), ""},
      {"sha256 as number", with("sha256", 7), ""},
      {"version of 80 digits", with("version", std::string(76, '9') + ".0.0"), ""},
      {"version of 79 digits", with("version", std::string(75, '9') + ".0.0"), std::string(75, '9') + ".0.0"},
      {"version as number", with("version", 1.2), ""},
      {"version with build", with("version", "1.2.0+b"), ""},
      {"notes 4,000 units", with("notes", std::string(4000, 'n')), "1.2.0"},
      {"notes 4,001 units", with("notes", std::string(4001, 'n')), ""},
      {"notes 2,000 characters past U+FFFF (4,000 units)", with("notes", [] {
         std::string s;
         for (int i = 0; i < 2000; ++i) s += "\xF0\x9F\x98\x80";
         return s;
       }()),
       "1.2.0"},
      {"notes 2,001 characters past U+FFFF", with("notes", [] {
         std::string s;
         for (int i = 0; i < 2001; ++i) s += "\xF0\x9F\x98\x80";
         return s;
       }()),
       ""},
      {"notes missing", without("notes"), ""},
      {"notes null", with("notes", nullptr), ""},
      {"address over http", with("download_url", "http://" + std::string(kReleaseStoreHost) +
                                                      "/releases/quodline/macos/Q.pkg"),
       ""},
      {"address with a user", with("download_url", "https://u@" + std::string(kReleaseStoreHost) +
                                                        "/releases/quodline/macos/Q.pkg"),
       ""},
      {"address out of the release path", with("download_url", kStore + "/other/Q.pkg"), ""},
      {"address as object", with("download_url", Json::object()), ""},
      {"ten thousand releases", tenThousand, ""},
      {"ten thousand non-objects, then a release", manifestOf(compactMany), "1.2.0"},
      {"65,537 bytes", [] {
         std::string body = manifestOf(Json::array({release("1.2.0")}));
         body.insert(body.size() - 1, std::string(kReleaseManifestMaxBytes + 1 - body.size(), ' '));
         return body;
       }(),
       ""},
      {"65,536 bytes", [] {
         std::string body = manifestOf(Json::array({release("1.2.0")}));
         body.insert(body.size() - 1, std::string(kReleaseManifestMaxBytes - body.size(), ' '));
         return body;
       }(),
       "1.2.0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string result;
    EXPECT_NO_THROW(result = offered(c.body));
    EXPECT_EQ(result, c.offered);
  }
}

TEST(ReleaseManifest, OffersTheNewestApplicableReleaseAndTheEarliestOfEquals) {
  Json first = release("1.3.0");
  first["notes"] = "first";
  Json second = release("1.3.0");
  second["notes"] = "second";
  const std::string body = manifestOf(Json::array({release("1.1.0"), first, release("0.9.0"), second,
                                                   release("1.3.0-rc.1")}));
  const std::optional<Json> chosen = QDLURelease(body, "1.0.0-beta.9", 2025);
  ASSERT_TRUE(chosen);
  EXPECT_EQ(chosen->value("notes", ""), "first");

  // Only strictly newer versions; an unreadable current version offers nothing.
  EXPECT_EQ(offered(body, 2025, "1.3.0"), "");
  EXPECT_EQ(offered(body, 2025, "1.3.0-rc.2"), "1.3.0");
  EXPECT_EQ(offered(body, 2025, "1.0"), "");
}

TEST(ReleaseManifest, HostYearsMustLieInTheReleaseRange) {
  Json only2025 = release("1.2.0");
  only2025["min_host_year"] = 2025;
  only2025["max_host_year"] = 2025;
  Json fromZero = release("1.1.0");
  fromZero["min_host_year"] = 0;
  fromZero["max_host_year"] = 2024;
  const std::string body = manifestOf(Json::array({only2025, fromZero}));
  EXPECT_EQ(offered(body, 2025), "1.2.0");
  EXPECT_EQ(offered(body, 2026), "");
  EXPECT_EQ(offered(body, 2024), "1.1.0");
  EXPECT_EQ(offered(body, 0), "1.1.0");
  EXPECT_EQ(offered(manifestOf(Json::array({only2025})), 0), "");
}

}  // namespace
