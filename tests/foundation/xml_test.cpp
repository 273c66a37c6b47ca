#include "foundation/xml.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>

#include "foundation/bundle.h"
#include "foundation/files.h"
#include "test_support.h"

namespace foundation {
namespace {

using foundation_test::writeText;

TEST(Xml, ElementsAndAttributesAsWritten) {
  XmlElement root;
  {
    const XmlResult parsed = parseXml(
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- note -->\n"
        "<Package Name=\"图纸 &amp; PDF\" Empty=\"\"><Part n=\"1\"/>text<Other/>"
        "<Part n=\"2\"><Part n=\"inner\"/></Part>"
        "</Package>");
    ASSERT_TRUE(parsed) << parsed.error;
    root = parsed.rootElement;
  }
  // The element keeps its document alive after the result is gone.
  EXPECT_EQ(root.name(), "Package");
  EXPECT_EQ(root.attribute("Name"), "图纸 & PDF");
  EXPECT_EQ(root.attribute("Empty"), "");
  EXPECT_EQ(root.attribute("name"), std::nullopt);  // names are exact
  const std::vector<XmlElement> parts = root.children("Part");
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ(parts[0].attribute("n"), "1");
  EXPECT_EQ(parts[1].attribute("n"), "2");
  EXPECT_EQ(root.child("Part").attribute("n"), "1");
  EXPECT_FALSE(root.child("Missing"));
  EXPECT_FALSE(root.child("Missing").child("Part"));
  EXPECT_EQ(root.child("Missing").attribute("n"), std::nullopt);
}

TEST(Xml, DamagedOrAmbiguousDocumentsAreErrors) {
  const char* const texts[] = {
      "<Package><Part></Package>",
      "",
      "<!-- only a comment -->",
      "<One/><Two/>",
      "<Package Name=\"Quodline\" Name=\"Other\"/>",
      "<Package><Part n=\"1\" n=\"2\"/></Package>",
  };
  for (const char* text : texts) {
    const XmlResult parsed = parseXml(text, "PackageContents.xml");
    EXPECT_FALSE(parsed) << text;
    EXPECT_EQ(parsed.error.rfind("PackageContents.xml is damaged (", 0), 0u) << parsed.error;
    EXPECT_FALSE(parsed.rootElement);
  }
}

TEST(Xml, EntitiesFromOutsideTheDocumentAreNeverLoaded) {
  TempFolder dir;
  // A reader that opened the pipe would wait for a writer forever.
  const std::string pipe = dir / "entity.fifo";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  writeText(dir / "code.txt", "secret");
  const std::string code = "file://" + (dir / "code.txt");
  const std::string text = "<!DOCTYPE Package [\n  <!ENTITY code SYSTEM \"" + code + "\">\n" +
                           "  <!ENTITY pipe SYSTEM \"" + pipe + "\">\n  <!ENTITY inner \"expanded\">\n]>\n" +
                           "<Package Code=\"&code;\" Inner=\"&inner;\">&pipe;</Package>";
  writeText(dir / "PackageContents.xml", text);
  const XmlResult read = readXmlFile(dir / "PackageContents.xml");
  ASSERT_TRUE(read) << read.error;
  EXPECT_EQ(read.rootElement.attribute("Code"), "&code;");
  EXPECT_EQ(read.rootElement.attribute("Inner"), "&inner;");  // no DTD is read at all
}

TEST(Xml, FilesThatCannotBeReadAreErrorsNamingThem) {
  TempFolder dir;
  const XmlResult missing = readXmlFile(dir / "PackageContents.xml");
  EXPECT_FALSE(missing);
  EXPECT_EQ(missing.code, ENOENT);
  EXPECT_NE(missing.error.find(dir / "PackageContents.xml"), std::string::npos) << missing.error;

  const std::string pipe = dir / "pipe.xml";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_EQ(readXmlFile(pipe).code, EINVAL);  // refused without waiting for a writer

  writeText(dir / "big.xml", "<a>" + std::string(2000, 'x') + "</a>");
  EXPECT_EQ(readXmlFile(dir / "big.xml", 1000).code, EFBIG);

  writeText(dir / "broken.xml", "<a><b></a>");
  const XmlResult broken = readXmlFile(dir / "broken.xml");
  EXPECT_EQ(broken.code, 0);
  EXPECT_EQ(broken.error.rfind("broken.xml is damaged (", 0), 0u) << broken.error;
}

// A bundle's identifier is what its Info.plist declares, read only from a well-formed dictionary entry.
TEST(Bundle, TheIdentifierIsReadFromTheInfoPropertyList) {
  TempFolder dir;
  const auto info = [](const std::string& entries) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" + entries + "</dict></plist>";
  };
  const struct {
    const char* name;
    std::optional<std::string> plist;  // nullopt: the bundle folder has no Contents/Info.plist
    std::optional<std::string> identifier;
  } cases[] = {
      {"Good.app",
       info("<key>CFBundleName</key><string>Good</string><key>CFBundleIdentifier</key>"
            "<string>com.example.good</string><key>LSUIElement</key><true/>"),
       "com.example.good"},
      {"Comment.app", info("<!-- first --><key>CFBundleIdentifier</key><string>com.example.x</string>"),
       "com.example.x"},
      {"Missing.app", std::nullopt, std::nullopt},
      {"NoIdentifier.app", info("<key>CFBundleName</key><string>x</string>"), std::nullopt},
      {"Number.app", info("<key>CFBundleIdentifier</key><integer>7</integer>"), std::nullopt},
      {"KeyLast.app", info("<key>CFBundleIdentifier</key>"), std::nullopt},
      {"OutOfStep.app", info("<string>x</string><key>CFBundleIdentifier</key><string>com.example.x</string>"),
       std::nullopt},
      {"Damaged.app", std::string("<plist><dict><key>CFBundleIdentifier</key>"), std::nullopt},
      {"NotAPlist.app", std::string("<dict><key>CFBundleIdentifier</key><string>com.example.x</string></dict>"),
       std::nullopt},
      {"Array.app", std::string("<plist><array><string>CFBundleIdentifier</string></array></plist>"), std::nullopt},
  };
  for (const auto& c : cases) {
    const std::string bundle = dir / c.name;
    ASSERT_TRUE(createDirectory(bundle + "/Contents", true));
    if (c.plist) writeText(bundle + "/Contents/Info.plist", *c.plist);
    EXPECT_EQ(bundleIdentifier(bundle), c.identifier) << c.name;
  }
  // A file, however it reads, is no bundle; nor is a path that does not exist.
  writeText(dir / "File.app", info("<key>CFBundleIdentifier</key><string>com.example.x</string>"));
  EXPECT_EQ(bundleIdentifier(dir / "File.app"), std::nullopt);
  EXPECT_EQ(bundleIdentifier(dir / "Nothing.app"), std::nullopt);
}

}  // namespace
}  // namespace foundation
