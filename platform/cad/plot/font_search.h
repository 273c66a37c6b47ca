#pragma once
// Where the host looks for the font files text styles name, after the drawing's folder and the support
// folders: its font folders, searched with their sub-folders, names compared ignoring letter case (drawings
// made elsewhere spell font files as they please). By default the host's own "Fonts" folder in its data
// folder and the system's font folders.

#include <string>
#include <vector>

namespace cad {

std::vector<std::string> fontFolders();
void setFontFolders(std::vector<std::string> folders);
void resetFontFolders();

}  // namespace cad
