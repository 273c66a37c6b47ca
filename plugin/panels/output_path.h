#pragma once
// Where a staged job writes: the output path that the full panel shows, resolved from the output location
// (0 drawing folder, 1 its PDF sub-folder, 2 Desktop, 3 Documents, 4 Downloads, 5 a folder of the user's own)
// and the output mode. Merged output is a PDF file, output per sheet a folder.

#include <string>

inline constexpr long kOutputLocationCustom = 5;
inline constexpr const char* kDefaultMergedPdfName = "Ferrolin批打工具-批量打印.pdf";

// The path for `location`: for locations 0 to 4 built afresh from the drawing's path (empty for a drawing
// that has no folder, so never a relative path) or the user's folder; for location 5 the path the field
// shows (`shown`), filled in when empty and made a file or a folder as the output mode needs.
std::string resolvedOutputPath(long location, bool merged, const std::string& drawingPath, const std::string& shown);
