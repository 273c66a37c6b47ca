#include "foundation/json.h"

#include <gtest/gtest.h>

#include <cmath>

#include "foundation/file_faults.h"
#include "test_support.h"

namespace foundation {
namespace {

using foundation_test::readText;
using foundation_test::writeText;

TEST(Json, WritesSortedPrettyTextWithATrailingNewline) {
  Json job = {{"schemaVersion", 1}, {"generator", "Quodline"}, {"pages", Json::array({{{"name", "图纸"}}})},
              {"merged", true}, {"scale", 0.5}};
  const JsonText text = serializeJson(job);
  ASSERT_TRUE(text);
  EXPECT_EQ(text.text,
            "{\n"
            "  \"generator\": \"Quodline\",\n"
            "  \"merged\": true,\n"
            "  \"pages\": [\n"
            "    {\n"
            "      \"name\": \"图纸\"\n"
            "    }\n"
            "  ],\n"
            "  \"scale\": 0.5,\n"
            "  \"schemaVersion\": 1\n"
            "}\n");
  EXPECT_EQ(parseJson(text.text).value, job);
}

TEST(Json, RefusesWhatJsonCannotHold) {
  for (const Json& bad : {Json(std::nan("")), Json::array({1, INFINITY}), Json({{"a", Json({{"b", -INFINITY}})}})}) {
    const JsonText text = serializeJson(bad);
    EXPECT_FALSE(text);
    EXPECT_TRUE(text.text.empty());
    EXPECT_FALSE(text.error.empty());
  }
  EXPECT_FALSE(serializeJson(Json("\xC0\xAF")));
  Json deep = 1;
  for (int i = 0; i < 300; ++i) deep = Json::array({std::move(deep)});
  EXPECT_FALSE(serializeJson(deep));
}

TEST(Json, DamagedTextIsAnErrorResult) {
  for (const char* bad : {"", "{", "{\"a\":}", "[1,]", "tru", "{\"a\":1}x", "\"\xFF\"", "{\"a\":\"\\ud800\"}", "NaN"}) {
    const JsonResult parsed = parseJson(bad);
    EXPECT_FALSE(parsed) << bad;
    EXPECT_FALSE(parsed.error.empty());
    EXPECT_TRUE(parsed.value.is_null());
  }
  std::string deep(100000, '[');
  const JsonResult tooDeep = parseJson(deep);
  EXPECT_FALSE(tooDeep);
  EXPECT_NE(tooDeep.error.find("deeper"), std::string::npos);
  // Brackets inside strings do not count as nesting.
  EXPECT_TRUE(parseJson("{\"a\":\"" + std::string(1000, '[') + "\"}"));
}

TEST(Json, AnErrorShowsOnlyTheStartOfALongToken) {
  // An unterminated string and a number too large for a double: the parser stops in a token as long as the text.
  for (const std::string& bad : {"{\"a\": \"" + std::string(5000000, 'x'), "[1" + std::string(100000, '0') + "]"}) {
    const JsonResult parsed = parseJson(bad);
    ASSERT_FALSE(parsed);
    EXPECT_LT(parsed.error.size(), 400u) << parsed.error.substr(0, 400);
    EXPECT_NE(parsed.error.find("…' ("), std::string::npos) << parsed.error.substr(0, 400);
  }
  const JsonResult shortToken = parseJson("[tru]");
  EXPECT_NE(shortToken.error.find("last read: '"), std::string::npos) << shortToken.error;
  EXPECT_EQ(shortToken.error.find("bytes)"), std::string::npos) << shortToken.error;
}

TEST(Json, FilesAreWrittenAtomicallyAndReadBack) {
  TempFolder dir;
  const std::string path = dir / "pending-job.json";
  ASSERT_TRUE(writeJsonFile(path, Json{{"b", 2}, {"a", 1}}));
  EXPECT_EQ(readText(path), "{\n  \"a\": 1,\n  \"b\": 2\n}\n");
  EXPECT_EQ(readJsonFile(path).value, (Json{{"a", 1}, {"b", 2}}));

  // Nothing reaches the disk when the value cannot be written or the disk is full.
  EXPECT_FALSE(writeJsonFile(path, Json{{"a", NAN}}));
  failNextFileOperation(FileOperation::write, ENOSPC);
  const FileResult full = writeJsonFile(path, Json{{"c", 3}});
  clearFileFaults();
  EXPECT_EQ(full.code, ENOSPC);
  EXPECT_EQ(readText(path), "{\n  \"a\": 1,\n  \"b\": 2\n}\n");

  writeText(dir / "bad.json", "{\"a\": 1,");
  const JsonResult damaged = readJsonFile(dir / "bad.json");
  EXPECT_FALSE(damaged);
  EXPECT_NE(damaged.error.find("bad.json"), std::string::npos);
  EXPECT_FALSE(readJsonFile(dir / "missing.json"));
  EXPECT_FALSE(readJsonFile(path, 4));  // over the size limit
}

TEST(Json, TypedReadersKeepKindsApart) {
  const Json object = parseJson(R"({"flag": true, "one": 1, "oneFloat": 1.0, "half": 0.5, "text": "1",
      "big": 18446744073709551615, "huge": 1e300, "negative": -3, "list": ["a", "b"], "mixed": ["a", 1],
      "nothing": null})").value;
  EXPECT_EQ(jsonBool(object, "flag"), true);
  EXPECT_EQ(jsonBool(object, "one"), std::nullopt);
  EXPECT_EQ(jsonBool(object, "text"), std::nullopt);

  EXPECT_EQ(jsonInteger(object, "one"), 1);
  EXPECT_EQ(jsonInteger(object, "oneFloat"), 1);
  EXPECT_EQ(jsonInteger(object, "negative"), -3);
  EXPECT_EQ(jsonInteger(object, "half"), std::nullopt);
  EXPECT_EQ(jsonInteger(object, "flag"), std::nullopt);
  EXPECT_EQ(jsonInteger(object, "text"), std::nullopt);
  EXPECT_EQ(jsonInteger(object, "big"), std::nullopt);
  EXPECT_EQ(jsonInteger(object, "huge"), std::nullopt);

  EXPECT_EQ(jsonNumber(object, "half"), 0.5);
  EXPECT_EQ(jsonNumber(object, "one"), 1.0);
  EXPECT_EQ(jsonNumber(object, "flag"), std::nullopt);

  EXPECT_EQ(jsonString(object, "text"), "1");
  EXPECT_EQ(jsonString(object, "one"), std::nullopt);
  EXPECT_EQ(jsonStringArray(object, "list"), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(jsonStringArray(object, "mixed"), std::nullopt);
  EXPECT_EQ(jsonString(object, "nothing"), std::nullopt);
  EXPECT_EQ(jsonString(object, "absent"), std::nullopt);
  EXPECT_EQ(jsonMember(Json::array({1}), "0"), nullptr);
  EXPECT_EQ(jsonInteger(Json(-9223372036854775807LL - 1)), INT64_MIN);
  EXPECT_EQ(jsonInteger(Json(9223372036854775808.0)), std::nullopt);
}

}  // namespace
}  // namespace foundation
