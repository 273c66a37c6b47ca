#pragma once
// What the preflight asks of the host before a job is staged: whether it can plot to PDF at all, and which
// text styles name font files it cannot find. Read at the moment of the call, on the main thread.

#include <string>
#include <vector>

namespace cad {
class Database;
}

// True when one of the host's plot devices has "pdf" in its name (any case) or is the host's standard PDF
// configuration.
[[nodiscard]] bool vexBatchHasPdfPlotDevice();
// One entry per font file of the working drawing's text styles that cannot be found: the style's name, "｜"
// and the file name as the style stores it. Fonts given by family name only are never reported.
[[nodiscard]] std::vector<std::wstring> vexBatchMissingTextStyleFonts();
// An empty name, an absolute path to an existing file, or a name the host's font search finds.
[[nodiscard]] bool vexBatchFontFileAvailable(const std::wstring& fontFile, cad::Database* database);
