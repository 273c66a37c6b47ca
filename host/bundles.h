#pragma once
// Plug-in bundles installed for the user: NAME.bundle folders whose PackageContents.xml names the modules to
// load (see cadhost --help for the format).

#include <string>
#include <vector>

namespace cadhost {

struct BundleModules {
  std::vector<std::string> modules;  // full paths, in document order
  std::vector<std::string> errors;   // what was wrong with the bundle or one of its entries
};

// The folder bundles are installed in: $HOME/Library/Application Support/Autodesk/ApplicationAddins.
std::string applicationAddinsFolder();
// The .bundle folders in it, sorted by name; none when it does not exist.
std::vector<std::string> installedBundles(const std::string& addinsFolder);
// Reads one bundle's PackageContents.xml.
BundleModules bundleModules(const std::string& bundleFolder);

}  // namespace cadhost
