#pragma once
// Bundles: a folder that describes itself in Contents/Info.plist, an XML property list, as applications are laid
// out. Only what a bundle declares is read here; nothing in it is run.

#include <optional>
#include <string>

namespace foundation {

// The CFBundleIdentifier that the bundle at `path` declares. nullopt when the path is no folder, or when its
// Info.plist is missing, unreadable, damaged, not a dictionary or gives no identifier as a string.
std::optional<std::string> bundleIdentifier(const std::string& path);

}  // namespace foundation
