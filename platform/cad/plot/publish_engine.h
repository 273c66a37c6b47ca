#pragma once
// The host's publish engine: plots pages into a PDF file in the host's strict call order
//   beginPlot, beginDocument, { beginPage, beginGenerateGraphics, endGenerateGraphics, endPage }…,
//   endDocument, endPlot, destroy
// refusing any call out of turn. Pages are drawn from the plot info's validated settings only, by the
// installed page renderer, at endGenerateGraphics. endDocument writes the pages finished so far beside the
// output file and puts the new file in its place only once complete; a page or document left open is dropped
// when the document or plot ends early (a cancelled plot). Every call is logged, and each can be made to fail.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cad/error_status.h"
#include "cad/object_id.h"

namespace cad {

class PlotInfo;
class PlotProgressDialog;
class PlotSettings;

// What the engine tells about a page; nothing the stand-in needs.
class PlotPageInfo {};

class PlotEngine {
 public:
  PlotEngine(const PlotEngine&) = delete;
  PlotEngine& operator=(const PlotEngine&) = delete;

  // Fails while the host is already plotting.
  ErrorStatus beginPlot(PlotProgressDialog* progress, void* params = nullptr);
  // Only to a file, whose folder must exist and take a new file, and which is no folder, pipe or link nor an
  // open drawing's file. The plot info must be validated.
  ErrorStatus beginDocument(PlotInfo& info, const wchar_t* documentName, void* params = nullptr, long copies = 1,
                            bool plotToFile = false, const wchar_t* fileName = nullptr);
  // The plot info must be validated, for the document's device; no page after the one marked last.
  ErrorStatus beginPage(PlotPageInfo& pageInfo, PlotInfo& info, bool lastPage, void* params = nullptr);
  ErrorStatus beginGenerateGraphics(void* params = nullptr);
  // Draws the page.
  ErrorStatus endGenerateGraphics(void* params = nullptr);
  ErrorStatus endPage(void* params = nullptr);
  // Writes the finished pages (none: no file).
  ErrorStatus endDocument(void* params = nullptr);
  ErrorStatus endPlot(void* params = nullptr);
  // Why the last call failed, when the engine knows (the system's reason a file could not be written, the
  // table a page could not be drawn with); empty after a call that succeeded.
  const std::string& failureReason() const;
  // Drops whatever is still open; the pointer is gone afterwards.
  void destroy();

 private:
  friend class PlotFactory;
  PlotEngine();
  ~PlotEngine();
  struct State;
  std::unique_ptr<State> state_;
};

// Why a plot may not write to `path` (the system's reason its folder cannot be used, or what stands there that
// no plot replaces); nullopt when it may.
std::optional<std::string> plotTargetRefusal(const std::string& path);

// What plots of a host that was killed left behind (the work file beside an output, the folder of drawn pages),
// removed once their process has ended; what a running host works on is left alone. The paths removed.
std::vector<std::string> removeAbandonedPlotFiles();

class PlotFactory {
 public:
  static ErrorStatus createPublishEngine(PlotEngine*& engine);
};

// ---- test side ----

enum class PublishStep {
  kBeginPlot,
  kBeginDocument,
  kBeginPage,
  kBeginGenerateGraphics,
  kEndGenerateGraphics,
  kEndPage,
  kEndDocument,
  kEndPlot
};

struct PublishCall {
  std::wstring call;  // "beginPage", …, "destroy"
  int page = 0;       // 1-based within its document; 0 outside pages
  ErrorStatus status = eOk;
};

// A page as the engine drew it.
struct PlottedPage {
  ObjectId layout;
  std::shared_ptr<const PlotSettings> settings;  // the validated settings it was drawn from
  bool lastPage = false;
};

struct PublishLog {
  std::vector<PublishCall> calls;
  std::vector<PlottedPage> pages;      // every page drawn, in order
  std::vector<std::string> documents;  // every file written, in order
  int count(PublishStep step) const;
};
PublishLog& publishLog();

struct PublishEngineFaults {
  bool createFails = false;
  bool createNull = false;  // creation succeeds without an engine
  struct StepFault {
    PublishStep step;
    int occurrence = 1;  // the n-th call of the step since the reset (for page steps: the n-th page)
    ErrorStatus status = eNotApplicable;
  };
  std::vector<StepFault> steps;
  bool noFile = false;        // endDocument succeeds and writes nothing
  bool emptyFile = false;     // endDocument writes a 0-byte file
  bool extraPage = false;     // the last page written twice
  bool hiddenOutput = false;  // the file written hidden
  int oversizedPage = 0;      // this page (1-based in the document) drawn on a larger sheet
  double oversizeMm = 2;
};
PublishEngineFaults& publishEngineFaults();

void resetPublishEngine();

}  // namespace cad
