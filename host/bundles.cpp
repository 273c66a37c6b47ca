#include "bundles.h"

#include <dirent.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>

#include "foundation/files.h"
#include "foundation/paths.h"
#include "foundation/xml.h"

namespace cadhost {

namespace {

bool mentionsLinux(std::string text) {
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
  const foundation::XmlResult loaded = foundation::readXmlFile(manifest, 1u << 20);
  if (!loaded) {
    result.errors.push_back(bundleName + ": " + loaded.error);
    return result;
  }
  const foundation::XmlElement package = loaded.rootElement;
  if (package.name() != "ApplicationPackage") {
    result.errors.push_back(bundleName + ": PackageContents.xml has no ApplicationPackage element");
    return result;
  }
  const std::string root = foundation::canonicalPath(bundleFolder);
  for (const foundation::XmlElement& components : package.children("Components")) {
    const std::optional<std::string> os = components.child("RuntimeRequirements").attribute("OS");
    if (os && !mentionsLinux(*os)) continue;
    for (const foundation::XmlElement& entry : components.children("ComponentEntry")) {
      const std::string module = entry.attribute("ModuleName").value_or("");
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
