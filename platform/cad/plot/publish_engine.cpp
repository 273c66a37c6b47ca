#include "cad/plot/publish_engine.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <optional>

#include "cad/database.h"
#include "cad/doc_manager.h"
#include "cad/interruption.h"
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
#include "foundation/work_file.h"

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

constexpr char kWorkFilePrefix[] = "Plot-";
constexpr char kPagesFolderPrefix[] = "plot-pages-";

}  // namespace

std::optional<std::string> plotTargetRefusal(const std::string& path) {
  const auto refuse = [&path](const std::string& reason) { return "Cannot plot to \"" + path + "\": " + reason; };
  if (path.empty()) return refuse(foundation::errorText(ENOENT));
  if (path.back() == '/') return refuse("the name ends in \"/\" and names a folder");
  struct stat item {};
  if (::lstat(path.c_str(), &item) == 0) {
    if (S_ISDIR(item.st_mode)) return refuse(foundation::errorText(EISDIR));
    if (!S_ISREG(item.st_mode)) return refuse("it is not a regular file");
    if (docManager().holdsFile(path)) return refuse("it is an open drawing");
    if ((item.st_mode & 0222) == 0) return refuse("the file is read-only");
    return std::nullopt;
  }
  if (errno != ENOENT) return refuse(foundation::errorText(errno));
  std::string folder = foundation::deletingLastPathComponent(path);
  if (folder.empty()) folder = ".";
  struct stat parent {};
  if (::stat(folder.c_str(), &parent) != 0) return refuse(foundation::errorText(errno));
  if (!S_ISDIR(parent.st_mode)) return refuse(foundation::errorText(ENOTDIR));
  return std::nullopt;
}

std::vector<std::string> removeAbandonedPlotFiles() {
  return foundation::removeAbandonedWorkItems([](std::string_view name) {
    return foundation::isWorkItemName(name, kWorkFilePrefix, ".pdf") ||
           foundation::isWorkItemName(name, kPagesFolderPrefix, "");
  });
}

struct PlotEngine::State {
  // kDrawn: graphics ended, the page drawn and waiting for endPage.
  enum class Phase { kIdle, kPlot, kDocument, kPage, kGraphics, kDrawn } phase = Phase::kIdle;
  bool holdsPlotState = false;
  foundation::WorkFile work;  // beside the target, which it replaces once complete
  foundation::WorkItem pagesFolder;
  std::string failure;
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
    if (status == eOk) failure.clear();
    publishLog().calls.push_back({stepName(step), page, status});
    return status;
  }

  // A step refused because the host is being ended by a signal.
  std::optional<ErrorStatus> interrupted() {
    if (interruptionSignal() == 0) return std::nullopt;
    failure = "the plot was interrupted";
    return eUserBreak;
  }

  ErrorStatus failed(PublishStep step, ErrorStatus status, std::string reason, int page = 0) {
    failure = std::move(reason);
    return done(step, status, page);
  }

  // Forgets the open document: its work file, its drawn pages.
  void dropDocument() {
    work.discard();
    pagesFolder.remove();
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
  if (auto broken = s.interrupted()) return s.done(step, *broken);
  const PlotSettings* validated = info.validatedSettings();
  PlotConfigManager* manager = acplPlotConfigManagerPtr();
  const PlotDevice* device =
      validated == nullptr || manager == nullptr ? nullptr : manager->device(validated->plotCfgName);
  if (documentName == nullptr || copies < 1 || !plotToFile || fileName == nullptr || *fileName == 0 ||
      device == nullptr || !device->writesPdf()) {
    return s.done(step, eInvalidInput);
  }
  const std::optional<std::string> target = foundation::utf8FromWide(fileName);
  if (!target) return s.done(step, eInvalidInput);
  if (std::optional<std::string> refusal = plotTargetRefusal(*target)) {
    return s.failed(step, eFileAccessErr, std::move(*refusal));
  }

  // Claim the work file now, so a folder that takes no file fails here rather than after every page.
  foundation::WorkFile work(*target, kWorkFilePrefix, ".pdf");
  if (const foundation::FileResult claimed = work.write(""); !claimed) {
    return s.failed(step, eFileAccessErr, claimed.error);
  }
  foundation::WorkItem pages(foundation::workItemPath(foundation::temporaryDirectory(), kPagesFolderPrefix, ""));
  if (const foundation::FileResult made = foundation::createDirectory(pages.path(), true, 0700); !made) {
    return s.failed(step, eFileAccessErr, made.error);
  }
  s.work = std::move(work);
  s.pagesFolder = std::move(pages);
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
  if (auto broken = s.interrupted()) return s.done(step, *broken, page);
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
  if (auto broken = s.interrupted()) return s.done(step, *broken, s.pagesBegun);
  s.phase = State::Phase::kGraphics;
  return s.done(step, eOk, s.pagesBegun);
}

ErrorStatus PlotEngine::endGenerateGraphics(void*) {
  State& s = *state_;
  constexpr PublishStep step = PublishStep::kEndGenerateGraphics;
  const int page = s.pagesBegun;
  if (s.phase != State::Phase::kGraphics) return s.done(step, eNotApplicable, page);
  if (auto fault = injected(step)) return s.done(step, *fault, page);
  if (auto broken = s.interrupted()) return s.done(step, *broken, page);

  State::Page& p = *s.current;
  const PublishEngineFaults& faults = publishEngineFaults();
  PageTarget target = pageTargetFor(*p.settings, faults.oversizedPage == page ? faults.oversizeMm : 0);
  char name[32];
  std::snprintf(name, sizeof name, "page-%04d.pdf", page);
  target.path = foundation::appendingPathComponent(s.pagesFolder.path(), name);

  Layout* layout = nullptr;
  if (acdbOpenObject(layout, p.layout, kForRead) != eOk) return s.done(step, eInvalidInput, page);
  // Every object store is a drawing's database.
  const auto* db = static_cast<const Database*>(layout->objectStore());
  layout->close();
  std::string error;
  if (db == nullptr || !pageRenderer().renderPage(*db, p.layout, *p.settings, target, error)) {
    // A signal that stopped the page's drawing ends the plot as it does between pages.
    if (auto broken = s.interrupted()) return s.done(step, *broken, page);
    return s.failed(step, eNotApplicable, error, page);
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
  if (auto broken = s.interrupted()) return s.done(step, *broken, s.pagesBegun);
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
  if (auto broken = s.interrupted()) {
    s.dropDocument();
    s.phase = State::Phase::kPlot;
    return s.done(step, *broken);
  }

  const PublishEngineFaults& faults = publishEngineFaults();
  ErrorStatus status = eOk;
  if (!s.finished.empty() && !faults.noFile) {
    std::vector<AssembledPage> pages;
    for (const State::Page& p : s.finished) pages.push_back({p.file, p.rotate});
    if (faults.extraPage) pages.push_back(pages.back());
    std::string bytes, error;
    foundation::FileResult written;
    if (!faults.emptyFile && !assemblePages(pages, bytes, error)) {
      s.failure = error;
      status = eFileAccessErr;
    } else if (!(written = s.work.write(bytes)) || !(written = s.work.commit())) {
      s.failure = written.error;
      status = eFileAccessErr;
    } else {
      if (faults.hiddenOutput) (void)foundation::setHiddenFlag(s.work.target(), true);
      publishLog().documents.push_back(s.work.target());
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

const std::string& PlotEngine::failureReason() const { return state_->failure; }

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
