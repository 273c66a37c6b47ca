#include <gtest/gtest.h>

#include <set>

#include "foundation/iso8601.h"
#include "foundation/uuid.h"

namespace foundation {
namespace {

TEST(Uuid, RandomVersionFourUpperCase) {
  std::set<std::string> seen;
  for (int i = 0; i < 200; ++i) {
    const std::string uuid = makeUuid();
    ASSERT_TRUE(isUuid(uuid)) << uuid;
    EXPECT_EQ(uuid[14], '4');
    EXPECT_NE(std::string("89AB").find(uuid[19]), std::string::npos);
    for (char c : uuid) EXPECT_FALSE(c >= 'a' && c <= 'f') << uuid;
    seen.insert(uuid);
  }
  EXPECT_EQ(seen.size(), 200u);
}

TEST(Uuid, GeneratorCanBeReplacedAndValidated) {
  setUuidGeneratorForTesting([] { return std::string("00000000-0000-4000-8000-000000000001"); });
  EXPECT_EQ(makeUuid(), "00000000-0000-4000-8000-000000000001");
  setUuidGeneratorForTesting(nullptr);
  EXPECT_NE(makeUuid(), "00000000-0000-4000-8000-000000000001");
  EXPECT_TRUE(isUuid("e621e1f8-c36c-495a-93fc-0c247a3e6e5f"));
  for (const char* bad : {"", "E621E1F8C36C495A93FC0C247A3E6E5F", "E621E1F8-C36C-495A-93FC-0C247A3E6E5G",
                          "E621E1F8-C36C-495A-93FC-0C247A3E6E5F0", "E621E1F8_C36C-495A-93FC-0C247A3E6E5F"}) {
    EXPECT_FALSE(isUuid(bad)) << bad;
  }
}

TEST(Iso8601, WritesUtcToTheSecond) {
  const WallTime time = wallTimeFromSecondsSince1970(1796903072.75);
  EXPECT_EQ(iso8601(time), "2026-12-10T11:44:32Z");
  EXPECT_EQ(iso8601Basic(time), "20261210T114432Z");
  EXPECT_EQ(iso8601(wallTimeFromSecondsSince1970(0)), "1970-01-01T00:00:00Z");
  EXPECT_EQ(iso8601(wallTimeFromSecondsSince1970(-1)), "1969-12-31T23:59:59Z");
  EXPECT_DOUBLE_EQ(secondsSince1970(time), 1796903072.75);
}

TEST(Iso8601, WallClockCanBeReplaced) {
  setWallClockForTesting([] { return wallTimeFromSecondsSince1970(86400); });
  EXPECT_EQ(iso8601Now(), "1970-01-02T00:00:00Z");
  setWallClockForTesting(nullptr);
  EXPECT_GT(secondsSince1970(wallClockNow()), 1.7e9);
}

TEST(Iso8601, Parsing) {
  const struct {
    const char* text;
    double seconds;
  } good[] = {
      {"2026-12-10T11:44:32Z", 1796903072},
      {"2026-12-10T12:44:32+01:00", 1796903072},
      {"2026-12-10T06:14:32-0530", 1796903072},
      {"2026-12-10T11:44:32.5Z", 1796903072.5},
      {"2024-02-29T00:00:00Z", 1709164800},
  };
  for (const auto& c : good) {
    const auto parsed = parseIso8601(c.text);
    ASSERT_TRUE(parsed) << c.text;
    EXPECT_DOUBLE_EQ(secondsSince1970(*parsed), c.seconds) << c.text;
  }
  for (const char* bad : {"", "2026-12-10", "2026-12-10T11:44:32", "2026-13-01T00:00:00Z", "2025-02-29T00:00:00Z",
                          "2026-12-10T24:00:00Z", "2026-12-10T11:44:32Zjunk", "2026-12-10T11:44:32.Z",
                          "0001-01-01T00:00:00Z", "2026-12-10 11:44:32Z", "２０２６-12-10T11:44:32Z"}) {
    EXPECT_FALSE(parseIso8601(bad)) << bad;
  }
}

TEST(Iso8601, NonFiniteSecondsAreClamped) {
  EXPECT_EQ(iso8601(wallTimeFromSecondsSince1970(std::numeric_limits<double>::quiet_NaN())), "1970-01-01T00:00:00Z");
  EXPECT_FALSE(iso8601(wallTimeFromSecondsSince1970(1e300)).empty());
}

}  // namespace
}  // namespace foundation
