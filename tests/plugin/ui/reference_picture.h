#pragma once
// Windows compared with their reference pictures, drawn with the real fonts. A picture that differs is written to
// the output folder for a look. With QUODL_UPDATE_UI_RENDERINGS set, the references are made again instead
// (scripts/update-ui-renderings).

#include <filesystem>
#include <string>

namespace toolkit {
class Window;
}

namespace ui_test {

// How many pixels of two pictures of one size differ beyond antialiasing; -1 when their sizes differ or one
// cannot be read.
long differingPixels(const std::string& expectedPath, const std::string& actualPath);

// Empty when the window looks as `reference` (or the reference was made again); otherwise what is wrong.
std::string compareWithReference(toolkit::Window& window, const std::filesystem::path& reference,
                                 const std::filesystem::path& outputFolder);

}  // namespace ui_test
