#pragma once
// The folder the uninstaller removes, and how it proves to be this plug-in's package before anything moves.

#include <string>

// The per-user install folder under `home`.
std::string QDLUninstallTarget(const std::string& home);

// True only when `address` is the install folder of `home`, a real folder with no symbolic link anywhere on
// its path, whose PackageContents.xml names this product exactly. Never loads an entity from outside the
// manifest.
bool QDLValidateUninstallTarget(const std::string& address, const std::string& home);

// Where an older release installed the plug-in for every user. QUODL_SYSTEM_ROOT, when it holds an absolute
// folder, stands in for "/" so that tests can place such a copy without touching the machine's folders.
std::string olderSystemWideCopy();
