#pragma once
// The compact export's monochrome 0.05 mm plot style: a colour-dependent table shipped in the plug-in bundle's
// resources, copied into the host's plot-style folder before an export that uses it. A file of the same name
// that differs is never overwritten: the next folder is tried instead. Main thread, inside the export.

#include <optional>
#include <string>

// The shipped table's file name, as the host lists it.
inline constexpr char QDLLitePlotStyleName[] = "NUVOLK-Lite-Mono-005-v1.ctb";

enum class VexBatchLiteStyleProblem { none, namedPlotStyles, cannotInstall };
// Installs the style and checks that the host lists it: named plot styles are refused before any file is
// touched; otherwise each folder is tried in turn.
VexBatchLiteStyleProblem vexBatchLiteInstallPlotStyle();
// The problem's text in the interface language, or in English (for the command line).
std::string vexBatchLiteStyleProblemText(VexBatchLiteStyleProblem problem, bool english = false);
// Nothing when the style is installed and the host lists it; otherwise the text to show.
std::optional<std::string> vexBatchLitePreparePlotStyle();

struct QDLLitePlotStyleError {
  std::string domain;  // "NUVOLK.LitePlotStyle" for the name taken by a different file, else "POSIX"
  int code = 0;
  std::string description;
};

// Installs the file at sourcePath into folder (created with its parents) under the shipped name: true when the
// same bytes are there already or were put there; false, with the reason when `error` is given, for an empty or
// unreadable source, an empty folder path, a folder that cannot be made, a different file under the name, or a
// failed write or move (no work file stays behind).
bool QDLInstallLitePlotStyle(const std::string& sourcePath, const std::string& folder,
                             QDLLitePlotStyleError* error = nullptr);

// The shipped table in the resources of the bundle that holds this code (Contents/Resources beside the module's
// Contents/<platform> folder); empty when it is missing.
std::string QDLLitePlotStyleResourcePath();
// Where tests keep the table, the code not living in a bundle there; nullopt restores the bundle's.
void QDLSetLitePlotStyleResourceForTesting(std::optional<std::string> path);
