#include "cad/plot/publish_engine.h"

#include <cstdio>
#include <optional>

#include "cad/database.h"
#include "cad/plot/page_assembly.h"
#include "cad/plot/page_renderer.h"
#include "cad/plot/plot_config_manager.h"
#include "cad/plot/plot_info.h"
#include "cad/plot/plot_settings.h"
#include "cad/plot_state.h"
#include "cad/tables.h"
#include "foundation/files.h"
#include "foundation/folders.h"
#include "foundation/paths.h"
#include "foundation/text.h"
#include "foundation/uuid.h"

namespace cad {

namespace {

const wchar_t* stepName(PublishStep step) {
  switch (step) {
    case PublishStep::kBeginPlot: return L"beginPlot";
    case PublishStep::kBeginDocument: return L"beginDocument";
    case PublishStep::kBeginPage: return L"beginPage";
    case PublishStep::kBeginGenerateGraphics: return L"beginGenerateGraphics";
    case PublishStep::kEndGenerateGraphics: return L"endGenerateGraphics";
    case PublishStep::kEndPage: return L"endPage";
    case PublishStep::kEndDocument: return L"endDocument";
    case PublishStep::kEndPlot: return L"endPlot";
  }
  return L"";
}

// The status an injected fault gives this call of the step, if any.
std::optional<ErrorStatus> injected(PublishStep step) {
  const int occurrence = publishLog().count(step) + 1;
  for (const PublishEngineFaults::StepFault& f : publishEngineFaults().steps) {
    if (f.step == step && f.occurrence == occurrence) return f.status;
  }
  return std::nullopt;
}

void removeIfPresent(const std::string& path) {
  if (!path.empty() && foundation::itemExists(path)) (void)foundation::removeItem(path);
}

}  // namespace

struct PlotEngine::State {
  // kDrawn: graphics ended, the page drawn and waiting for endPage.
  enum class Phase { kIdle, kPlot, kDocument, kPage, kGraphics, kDrawn } phase = Phase::kIdle;
  bool holdsPlotState = false;
  std::string target;
  std::string workFile;
  std::string pagesFolder;
  std::wstring device;
  int pagesBegun = 0;
  bool lastPageBegun = false;
  struct Page {
    ObjectId layout;
    std::shared_ptr<PlotSettings> settings;
    std::string file;
    int rotate = 0;
    bool last = false;
  };
  std::optional<Page> current;
  std::vector<Page> finished;

  ErrorStatus done(PublishStep step, ErrorStatus status, int page = 0) {
    publishLog().calls.push_back({stepName(step), page, status});
    return status;
  }

  // Forgets the open document: its work file, its drawn pages.
  void dropDocument() {
    removeIfPresent(workFile);
    removeIfPresent(pagesFolder);
    workFile.clear();
    pagesFolder.clear();
    target.clear();
    current.reset();
    finished.clear();
    pagesBegun = 0;
    lastPageBegun = false;
  }

  void endPlotState() {
    if (holdsPlotState) setProcessPlotState(false);
    holdsPlotState = false;
  }
};

PlotEngine::PlotEngine() : state_(std::make_unique<State>()) {}
PlotEngine::~PlotEngine() = default;

ErrorStatus PlotFactory::createPublishEngine(PlotEngine*& engine) {
  engine = nullptr;
  const PublishEngineFaults& faults = publishEngineFaults();
  if (faults.createFails) return eNotApplicable;
  if (!faults.createNull) engine = new PlotEngine;
  return eOk;
}

ErrorStatus PlotEngine::beginPlot(PlotProgressDialog*, void*) {
  State& s = *state_;
  constexpr PublishStep step = PublishStep::kBeginPlot;
  if (s.phase != State::Phase::kIdle) return s.done(step, eNotApplicable);
  if (auto fault = injected(step)) return s.done(step, *fault);
  if (acplProcessPlotState() != 0) return s.done(step, eNotApplicable);  // another plot is running
  setProcessPlotState(true);
  s.holdsPlotState = true;
  s.phase = State::Phase::kPlot;
  return s.done(step, eOk);
}

ErrorStatus PlotEngine::beginDocument(PlotInfo& info, const wchar_t* documentName, void*, long copies, bool plotToFile,
                                      const wchar_t* fileName) {
  State& s = *state_;
  constexpr PublishStep step = PublishStep::kBeginDocument;
  if (s.phase != State::Phase::kPlot) return s.done(step, eNotApplicable);
  if (auto fault = injected(step)) return s.done(step, *fault);
  const PlotSettings* validated = info.validatedSettings();
  PlotConfigManager* manager = acplPlotConfigManagerPtr();
  const PlotDevice* device =
      validated == nullptr || manager == nullptr ? nullptr : manager->device(validated->plotCfgName);
  if (documentName == nullptr || copies < 1 || !plotToFile || fileName == nullptr || *fileName == 0 ||
      device == nullptr || !device->writesPdf()) {
    return s.done(step, eInvalidInput);
  }
  const std::optional<std::string> target = foundation::utf8FromWide(fileName);
  if (!target || foundation::isDirectory(*target)) return s.done(step, eInvalidInput);
  std::string folder = foundation::deletingLastPathComponent(*target);
  if (folder.empty()) folder = ".";
  if (!foundation::isDirectory(folder)) return s.done(step, eFileAccessErr);

  // Claim the work file now, so a folder that takes no file fails here rather than after every page.
  const std::string work = foundation::appendingPathComponent(folder, "Plot-" + foundation::makeUuid() + ".pdf");
  if (!foundation::writeFileAtomically(work, "")) return s.done(step, eFileAccessErr);
  const std::string pages =
      foundation::appendingPathComponent(foundation::temporaryDirectory(), "plot-pages-" + foundation::makeUuid());
  if (!foundation::createDirectory(pages, true, 0700)) {
    removeIfPresent(work);
    return s.done(step, eFileAccessErr);
  }
  s.target = *target;
  s.workFile = work;
  s.pagesFolder = pages;
  s.device = device->name();
  s.phase = State::Phase::kDocument;
  return s.done(step, eOk);
}

ErrorStatus PlotEngine::beginPage(PlotPageInfo&, PlotInfo& info, bool lastPage, void*) {
  State& s = *state_;
  constexpr PublishStep step = PublishStep::kBeginPage;
  const int page = s.pagesBegun + 1;
  if (s.phase != State::Phase::kDocument || s.lastPageBegun) return s.done(step, eNotApplicable, page);
  if (auto fault = injected(step)) return s.done(step, *fault, page);
  const PlotSettings* validated = info.validatedSettings();
  if (validated == nullptr || !namesEqual(validated->plotCfgName, s.device) || info.layout().isNull()) {
    return s.done(step, eInvalidInput, page);
  }
  auto settings = std::make_shared<PlotSettings>(validated->modelType());
  if (const ErrorStatus es = settings->copyFrom(validated); es != eOk) return s.done(step, es, page);
  s.current = State::Page{info.layout(), std::move(settings), {}, 0, lastPage};
  s.pagesBegun = page;
  s.lastPageBegun = lastPage;
  s.phase = State::Phase::kPage;
  return s.done(step, eOk, page);
}

ErrorStatus PlotEngine::beginGenerateGraphics(void*) {
  State& s = *state_;
  constexpr PublishStep step = PublishStep::kBeginGenerateGraphics;
  if (s.phase != State::Phase::kPage) return s.done(step, eNotApplicable, s.pagesBegun);
  if (auto fault = injected(step)) return s.done(step, *fault, s.pagesBegun);
  s.phase = State::Phase::kGraphics;
  return s.done(step, eOk, s.pagesBegun);
}

ErrorStatus PlotEngine::endGenerateGraphics(void*) {
  State& s = *state_;
  constexpr PublishStep step = PublishStep::kEndGenerateGraphics;
  const int page = s.pagesBegun;
  if (s.phase != State::Phase::kGraphics) return s.done(step, eNotApplicable, page);
  if (auto fault = injected(step)) return s.done(step, *fault, page);

  State::Page& p = *s.current;
  const PublishEngineFaults& faults = publishEngineFaults();
  PageTarget target = pageTargetFor(*p.settings, faults.oversizedPage == page ? faults.oversizeMm : 0);
  char name[32];
  std::snprintf(name, sizeof name, "page-%04d.pdf", page);
  target.path = foundation::appendingPathComponent(s.pagesFolder, name);

  Layout* layout = nullptr;
  if (acdbOpenObject(layout, p.layout, kForRead) != eOk) return s.done(step, eInvalidInput, page);
  // Every object store is a drawing's database.
  const auto* db = static_cast<const Database*>(layout->objectStore());
  layout->close();
  std::string error;
  if (db == nullptr || !pageRenderer().renderPage(*db, p.layout, *p.settings, target, error)) {
    return s.done(step, eNotApplicable, page);
  }
  p.file = target.path;
  p.rotate = 90 * target.quarterTurns;
  publishLog().pages.push_back({p.layout, p.settings, p.last});
  s.phase = State::Phase::kDrawn;
  return s.done(step, eOk, page);
}

ErrorStatus PlotEngine::endPage(void*) {
  State& s = *state_;
  constexpr PublishStep step = PublishStep::kEndPage;
  if (s.phase != State::Phase::kDrawn) return s.done(step, eNotApplicable, s.pagesBegun);
  if (auto fault = injected(step)) return s.done(step, *fault, s.pagesBegun);
  s.finished.push_back(std::move(*s.current));
  s.current.reset();
  s.phase = State::Phase::kDocument;
  return s.done(step, eOk, s.pagesBegun);
}

ErrorStatus PlotEngine::endDocument(void*) {
  State& s = *state_;
  constexpr PublishStep step = PublishStep::kEndDocument;
  if (s.phase == State::Phase::kIdle || s.phase == State::Phase::kPlot) return s.done(step, eNotApplicable);
  if (auto fault = injected(step)) return s.done(step, *fault);
  s.current.reset();  // a page that never ended is not written

  const PublishEngineFaults& faults = publishEngineFaults();
  ErrorStatus status = eOk;
  if (!s.finished.empty() && !faults.noFile) {
    std::vector<AssembledPage> pages;
    for (const State::Page& p : s.finished) pages.push_back({p.file, p.rotate});
    if (faults.extraPage) pages.push_back(pages.back());
    std::string error;
    if (!faults.emptyFile && !assemblePages(pages, s.workFile, error)) {
      status = eFileAccessErr;
    } else if (!foundation::replaceItem(s.target, s.workFile)) {
      status = eFileAccessErr;
    } else {
      s.workFile.clear();  // it is the output now
      if (faults.hiddenOutput) (void)foundation::setHiddenFlag(s.target, true);
      publishLog().documents.push_back(s.target);
    }
  }
  s.dropDocument();
  s.phase = State::Phase::kPlot;
  return s.done(step, status);
}

ErrorStatus PlotEngine::endPlot(void*) {
  State& s = *state_;
  constexpr PublishStep step = PublishStep::kEndPlot;
  if (s.phase == State::Phase::kIdle) return s.done(step, eNotApplicable);
  if (auto fault = injected(step)) return s.done(step, *fault);
  s.dropDocument();  // a document still open is abandoned: no file
  s.endPlotState();
  s.phase = State::Phase::kIdle;
  return s.done(step, eOk);
}

void PlotEngine::destroy() {
  state_->dropDocument();
  state_->endPlotState();
  publishLog().calls.push_back({L"destroy", 0, eOk});
  delete this;
}

int PublishLog::count(PublishStep step) const {
  int n = 0;
  for (const PublishCall& c : calls) n += c.call == stepName(step) ? 1 : 0;
  return n;
}

PublishLog& publishLog() {
  static auto* log = new PublishLog;
  return *log;
}

PublishEngineFaults& publishEngineFaults() {
  static auto* faults = new PublishEngineFaults;
  return *faults;
}

void resetPublishEngine() {
  publishLog() = {};
  publishEngineFaults() = {};
}

}  // namespace cad
