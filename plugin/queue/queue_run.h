#pragma once
// The record of one drawing-file queue run, shared by its three host commands: the start, the advance step
// between drawings and the per-drawing plot step. One per process (gFileRun); every start replaces it whole, and
// it keeps its values after the run until the next start. Main thread only.

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/work_file.h"

namespace cad {
class Document;
}

struct QDLQueueRun {
  bool stopRequested = false;               // the run is to stop at its next step
  bool executing = false;                   // the per-drawing step (or the merge) is running
  bool advanceScheduled = false;            // an advance step waits in the host's application context
  bool execPending = false;                 // the per-drawing command has been sent and not started
  std::uint64_t index = 0;                  // the row (and path) at hand
  cad::Document* taskDocument = nullptr;    // opened read-only by the run for the path at hand; not owned
  cad::Document* originDocument = nullptr;  // active when the run started; not owned
  std::string taskPath;
  std::string runFolder;
  std::vector<foundation::WorkItem> madeFolders;  // the run's folder and its drawings' folders, removed while empty
  std::string runMessage;                // what stopped the run, or why the merge failed; shown instead of the summary
  std::vector<std::string> paths;        // the rows' paths at the start, in row order
  std::vector<std::string> folderNames;  // one output name per path
  std::vector<std::string> effectiveStyles;  // one plot style per path
  bool modelSpace = false;
  bool mergePerFile = true;  // one PDF per drawing (output modes 1 and 2)
  std::int64_t paperMode = 0;
  std::int64_t scalePercent = 100;
  std::int64_t outputMode = 1;  // 0 a PDF per sheet in a folder per drawing, 1 a PDF per drawing, 2 then all in one
  std::int64_t pageOrder = 0;   // 0 as recognised, 1 reversed, 2 by sheet name
  std::wstring plotStyle;       // the style of the drawing at hand; empty: the drawing's own
  std::wstring frameLayer;
  std::wstring frameBlock;
  std::uint32_t recognitionMode = 0;
};

extern QDLQueueRun gFileRun;

// The folder in a run folder that takes PDFs which were written but did not verify; no drawing's output takes
// its name.
inline constexpr char kQDLQueueUnverifiedFolder[] = "Unverified-PDF";

// One output name per path, in order: the file name without its extension ("Drawing" when that is empty or a
// dot folder name), made unique ignoring case and Unicode composition by " (2)", " (3)", … .
std::vector<std::string> QDLQueueFolderNames(const std::vector<std::string>& paths);

// Whether the run's user or a failure asked it to stop; the plot pipeline polls it during a run.
bool vexBatchQueueShouldStop();

// The run's one combined PDF (output mode 2), named in the interface language of the moment.
std::string QDLQueueCombinedPath();
