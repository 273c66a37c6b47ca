#include "foundation/bundle.h"

#include <vector>

#include "foundation/files.h"
#include "foundation/paths.h"
#include "foundation/xml.h"

namespace foundation {

namespace {

// Property lists are small; a larger file is no bundle's description.
constexpr std::size_t kMaxInfoBytes = 1u << 20;

}  // namespace

std::optional<std::string> bundleIdentifier(const std::string& path) {
  if (!isDirectory(path)) return std::nullopt;
  const XmlResult read = readXmlFile(appendingPathComponent(path, "Contents/Info.plist"), kMaxInfoBytes);
  if (!read || read.rootElement.name() != "plist") return std::nullopt;
  const std::vector<XmlElement> top = read.rootElement.elements();
  if (top.size() != 1 || top.front().name() != "dict") return std::nullopt;
  // A dictionary lists its entries as a key element followed by the value's element.
  const std::vector<XmlElement> entries = top.front().elements();
  for (std::size_t i = 0; i + 1 < entries.size(); i += 2) {
    if (entries[i].name() != "key") return std::nullopt;
    if (entries[i].text() != "CFBundleIdentifier") continue;
    if (entries[i + 1].name() != "string") return std::nullopt;
    return entries[i + 1].text();
  }
  return std::nullopt;
}

}  // namespace foundation
