#include "bundles.h"

#include <dirent.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include <pugixml.hpp>

#include "foundation/files.h"
#include "foundation/paths.h"

namespace cadhost {

namespace {

bool mentionsLinux(const char* os) {
  std::string text(os);
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text.find("linux") != std::string::npos;
}

bool isInside(const std::string& path, const std::string& folder) {
  return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
}

}  // namespace

std::string applicationAddinsFolder() {
  return foundation::appendingPathComponent(foundation::homeDirectory(),
                                            "Library/Application Support/Autodesk/ApplicationAddins");
}

std::vector<std::string> installedBundles(const std::string& addinsFolder) {
  std::vector<std::string> bundles;
  DIR* dir = opendir(addinsFolder.c_str());
  if (dir == nullptr) return bundles;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.size() <= 7 || name.compare(name.size() - 7, 7, ".bundle") != 0 || name[0] == '.') continue;
    const std::string path = foundation::appendingPathComponent(addinsFolder, name);
    if (foundation::isDirectory(path)) bundles.push_back(path);
  }
  closedir(dir);
  std::sort(bundles.begin(), bundles.end());
  return bundles;
}

BundleModules bundleModules(const std::string& bundleFolder) {
  BundleModules result;
  const std::string bundleName = foundation::lastPathComponent(bundleFolder);
  const std::string manifest = foundation::appendingPathComponent(bundleFolder, "PackageContents.xml");
  const foundation::ReadResult read = foundation::readFile(manifest, 1u << 20);
  if (!read.ok) {
    result.errors.push_back(bundleName + ": " + read.error);
    return result;
  }
  // Default flags: no DTD, no entities from outside the document.
  pugi::xml_document document;
  const pugi::xml_parse_result parsed = document.load_buffer(read.data.data(), read.data.size());
  if (!parsed) {
    result.errors.push_back(bundleName + ": PackageContents.xml is damaged (" + parsed.description() + " at byte " +
                            std::to_string(parsed.offset) + ")");
    return result;
  }
  const pugi::xml_node package = document.child("ApplicationPackage");
  if (!package) {
    result.errors.push_back(bundleName + ": PackageContents.xml has no ApplicationPackage element");
    return result;
  }
  const std::string root = foundation::canonicalPath(bundleFolder);
  for (const pugi::xml_node components : package.children("Components")) {
    const pugi::xml_node requirements = components.child("RuntimeRequirements");
    const pugi::xml_attribute os = requirements.attribute("OS");
    if (requirements && os && !mentionsLinux(os.value())) continue;
    for (const pugi::xml_node entry : components.children("ComponentEntry")) {
      const std::string module = entry.attribute("ModuleName").value();
      if (module.empty()) continue;
      if (foundation::isAbsolutePath(module)) {
        result.errors.push_back(bundleName + ": module \"" + module + "\" is not inside the bundle");
        continue;
      }
      const std::string path = foundation::canonicalPath(foundation::appendingPathComponent(root, module));
      if (!isInside(path, root)) {
        result.errors.push_back(bundleName + ": module \"" + module + "\" is not inside the bundle");
        continue;
      }
      if (!foundation::isRegularFile(path)) {
        result.errors.push_back(bundleName + ": module \"" + module + "\" does not exist");
        continue;
      }
      result.modules.push_back(path);
    }
  }
  if (result.modules.empty() && result.errors.empty()) {
    result.errors.push_back(bundleName + ": PackageContents.xml names no module for Linux");
  }
  return result;
}

}  // namespace cadhost
