#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "autocad_recognition.h"

namespace {

TEST(QDLIsAutoCAD, ReleasesFrom2025To2027ByIdentifierOrElseByName) {
  const struct {
    std::optional<std::string> identifier;
    std::optional<std::string> name;
    bool host;
  } cases[] = {
      {"com.autodesk.AutoCAD2025", std::nullopt, true},
      {"COM.AUTODESK.AUTOCAD2027", "", true},
      {"  com.autodesk.autocad2026\n", "Something", true},
      {"com.example.viewer", "AutoCAD 2026", true},  // an unrelated identifier, the name decides
      {std::nullopt, " AutoCAD 2026 ", true},
      {std::nullopt, "\u00A0autocad 2025\u2028", true},  // Unicode blanks and line breaks are trimmed too
      {"com.autodesk.AutoCAD2024", "AutoCAD 2024", false},
      {std::nullopt, "AutoCAD 2028", false},
      {std::nullopt, "AutoCAD  2026", false},
      {std::nullopt, "AutoCAD LT 2026", false},
      {"com.autodesk.AutoCAD2026.helper", "AutoCAD 2026 Helper", false},
      {"comXautodesk.AutoCAD2025", std::nullopt, false},  // the dots are dots
      {"com.autodesk.AutoCAD 2025", std::nullopt, false},
      {std::nullopt, std::nullopt, false},
      {"", "", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(QDLIsAutoCAD(c.identifier, c.name), c.host)
        << c.identifier.value_or("(none)") << " / " << c.name.value_or("(none)");
  }
}

}  // namespace
