#pragma once
// What the preflight asks of the host before a job is staged: whether it can plot to PDF at all, and which
// text styles name font files it cannot find. Read at the moment of the call, on the main thread.

#include <optional>
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
// Why the plot-style table listed under `styleSheet` could not be plotted with: read as the plot would read it,
// so a damaged table is found before the job starts. Nullopt when it reads, or when no table of that name is
// listed (the caller says so in its own words).
[[nodiscard]] std::optional<std::string> vexBatchPlotStyleTableProblem(const std::wstring& styleSheet);
// An empty name, an absolute path to an existing file, or a name the host's font search finds.
[[nodiscard]] bool vexBatchFontFileAvailable(const std::wstring& fontFile, cad::Database* database);
