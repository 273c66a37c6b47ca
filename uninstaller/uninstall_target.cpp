#include "uninstall_target.h"

#include <sys/stat.h>

#include <cstdlib>
#include <optional>

#include "foundation/paths.h"
#include "foundation/xml.h"

namespace {

constexpr char kInstallFolder[] = "Library/Application Support/Autodesk/ApplicationAddins/Quodline.bundle";
constexpr char kOlderCopy[] = "/Library/Application Support/Autodesk/ApplicationPlugins/Quodline.bundle";
constexpr char kManifest[] = "PackageContents.xml";
constexpr char kProductName[] = "Quodline";
constexpr char kProductCode[] = "{7D3A91C2-5E48-4B06-9F1D-2C8E64A0B357}";
// A real manifest is a few hundred bytes.
constexpr std::size_t kManifestLimit = 1u << 20;

bool isDirectoryItself(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::string QDLUninstallTarget(const std::string& home) {
  return foundation::appendingPathComponent(home, kInstallFolder);
}

bool QDLValidateUninstallTarget(const std::string& address, const std::string& home) {
  const std::string path = foundation::standardizingPath(address);
  if (path.empty() || path != foundation::standardizingPath(QDLUninstallTarget(home))) return false;
  if (!isDirectoryItself(path)) return false;
  if (foundation::canonicalPath(path) != path) return false;
  const foundation::XmlResult manifest =
      foundation::readXmlFile(foundation::appendingPathComponent(path, kManifest), kManifestLimit);
  if (!manifest) return false;
  const foundation::XmlElement& root = manifest.rootElement;
  return root.name() == "ApplicationPackage" && root.attribute("Name") == kProductName &&
         root.attribute("ProductCode") == kProductCode;
}

std::string olderSystemWideCopy() {
  const char* root = std::getenv("QUODL_SYSTEM_ROOT");
  if (root == nullptr || root[0] != '/') return kOlderCopy;
  return foundation::standardizingPath(std::string(root) + kOlderCopy);
}
