#pragma once
// Where the host keeps its own files: a per-user data folder ($XDG_DATA_HOME/quodline-host, or
// ~/.local/share/quodline-host) and the support folders that files are searched along. The host program sets
// the support folders (cadhost: its own support folder); otherwise the data folder's "Support" is the one.

#include <string>
#include <vector>

namespace cad {

std::string hostDataFolder();
std::vector<std::string> supportFolders();
void setSupportFolders(std::vector<std::string> folders);
// Back to the default support folder.
void resetSupportFolders();

}  // namespace cad
