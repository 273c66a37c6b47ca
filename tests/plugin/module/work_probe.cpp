// A helper plug-in for the integration tests, never shipped. Loaded beside Quodline in cadhost, it finds the
// loaded Quodline module by its file name and reaches the few names that module leaves visible: it raises and
// clears the work-active flags, watches the calls into neighbouring services, lists the registered commands,
// hands the entry point messages the host program never sends, and leaves the requests that the full panel
// leaves for the locate and mark commands and the print job it stages. It also shows what the host holds: the
// current layout and viewport, the last zoom, the marks shown and the reactors registered; and it can make the
// host's plot hang in the middle of a page, for a test to kill the host there, pause there until a test has
// looked, ask the host to unload Quodline there, or run out of memory there; or pause at a traced call. And it
// shows which windows are on screen, what the workspace was asked to open and how often the system beeped.
#include <dlfcn.h>
#include <link.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "cad/app_loader.h"
#include "cad/command_line.h"
#include "cad/command_stack.h"
#include "cad/doc_manager.h"
#include "cad/editor.h"
#include "cad/editor_input.h"
#include "cad/entities.h"
#include "cad/interruption.h"
#include "cad/plot/page_renderer.h"
#include "cad/result_buffer.h"
#include "cad/sysvars.h"
#include "cad/temporary_vectors.h"
#include "cad/transient.h"
#include "cad/window_commands.h"
#include "core/focus_target.h"
#include "foundation/format.h"
#include "foundation/text.h"
#include "plot/print_jobs.h"
#include "toolkit/application.h"
#include "toolkit/beep.h"
#include "toolkit/window.h"
#include "toolkit/workspace.h"

namespace {

const wchar_t kGroup[] = L"QDLPROBE";
const wchar_t* const kQuodlineGroups[] = {L"QUODLINE_MAC", L"QUODLINE_MAC_OPEN"};

int onLoadedObject(dl_phdr_info* info, size_t, void* data) {
  const std::string name = info->dlpi_name != nullptr ? info->dlpi_name : "";
  const std::string suffix = "/Quodline.so";
  if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
    *static_cast<std::string*>(data) = name;
    return 1;
  }
  return 0;
}

// The address of a name Quodline exports, or null while Quodline is not loaded.
void* quodlineSymbol(const char* symbol) {
  std::string path;
  dl_iterate_phdr(onLoadedObject, &path);
  if (path.empty()) return nullptr;
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle == nullptr) return nullptr;
  void* address = dlsym(handle, symbol);
  dlclose(handle);  // the host still holds the module
  return address;
}

using TraceHook = void (*)(const char*);

std::size_t quodlineCommandCount() {
  std::size_t count = 0;
  for (const wchar_t* group : kQuodlineGroups) count += cad::commandStack().commandsOf(group).size();
  return count;
}

void traceCall(const char* name) { cad::acutPrintf(L"\nPROBE call %s commands=%zu", name, quodlineCommandCount()); }

void setFlags(bool queue, bool lite) {
  auto* queueRunning = static_cast<bool*>(quodlineSymbol("gBatchFileQueueRunning"));
  auto* litePrinting = static_cast<bool*>(quodlineSymbol("gBatchLitePrinting"));
  if (queueRunning == nullptr || litePrinting == nullptr) {
    cad::acutPrintf(L"\nPROBE no Quodline");
    return;
  }
  *queueRunning = queue;
  *litePrinting = lite;
  cad::acutPrintf(L"\nPROBE queue=%d lite=%d", queue ? 1 : 0, lite ? 1 : 0);
}

void installTrace() {
  auto* hook = static_cast<TraceHook*>(quodlineSymbol("gQuodlCallTrace"));
  if (hook == nullptr) {
    cad::acutPrintf(L"\nPROBE no Quodline");
    return;
  }
  *hook = traceCall;
  cad::acutPrintf(L"\nPROBE tracing");
}

void listCommands() {
  for (const cad::Command* command : cad::commandStack().commands()) {
    if (command->groupName() == kGroup) continue;
    cad::acutPrintf(L"\nPROBE command %ls %ls %ls %#x", command->groupName().c_str(), command->globalName().c_str(),
                    command->localName().c_str(), command->commandFlags());
  }
  cad::acutPrintf(L"\nPROBE end of commands");
}

void sendOtherMessages() {
  auto entryPoint = reinterpret_cast<int (*)(int, void*)>(quodlineSymbol("acrxEntryPoint"));
  if (entryPoint == nullptr) {
    cad::acutPrintf(L"\nPROBE no Quodline");
    return;
  }
  for (const int message : {0, 3, 4, 5, 6, 100, -1}) {
    cad::acutPrintf(L"\nPROBE message %d answer %d", message, entryPoint(message, nullptr));
  }
}

// "source|layout|minX,minY,maxX,maxY|number", as the full panel fills a request; nothing when cancelled or
// malformed.
bool askArea(VexBatchFocusTarget& area) {
  cad::EditorInput::Answer answer = cad::editorInput().read(cad::PromptRecord::kKeyword, L"Area: ");
  if (answer.kind != cad::EditorInput::Answer::kValue) return false;
  std::vector<std::wstring> parts;
  std::wstring rest = answer.item.text;
  for (std::size_t bar; (bar = rest.find(L'|')) != std::wstring::npos; rest.erase(0, bar + 1)) {
    parts.push_back(rest.substr(0, bar));
  }
  parts.push_back(rest);
  double box[4];
  unsigned long long number = 0;
  if (parts.size() != 4 ||
      std::swscanf(parts[2].c_str(), L"%lf,%lf,%lf,%lf", &box[0], &box[1], &box[2], &box[3]) != 4 ||
      std::swscanf(parts[3].c_str(), L"%llu", &number) != 1) {
    cad::acutPrintf(L"\nPROBE bad area");
    return false;
  }
  area = {parts[0] == L"1" ? VexBatchPrintSourceModel : VexBatchPrintSourceLayout,
          parts[1],
          box[0],
          box[1],
          box[2],
          box[3],
          true,
          number};
  return true;
}

void requestFocus() {
  auto* target = static_cast<VexBatchFocusTarget*>(quodlineSymbol("gBatchFocusTarget"));
  VexBatchFocusTarget area;
  if (target == nullptr || !askArea(area)) return;
  *target = area;
}

void requestMark() {
  auto* targets = static_cast<std::vector<VexBatchFocusTarget>*>(quodlineSymbol("gBatchPrintRangeTargets"));
  VexBatchFocusTarget area;
  if (targets == nullptr || !askArea(area)) return;
  targets->push_back(area);
}

std::vector<std::wstring> fields(std::wstring text) {
  std::vector<std::wstring> parts;
  for (std::size_t bar; (bar = text.find(L'|')) != std::wstring::npos; text.erase(0, bar + 1)) {
    parts.push_back(text.substr(0, bar));
  }
  parts.push_back(text);
  return parts;
}

// An answer ends at a blank, so blanks come as "%20" (and "%" as "%25").
std::wstring answerTo(const wchar_t* prompt) {
  cad::EditorInput::Answer answer = cad::editorInput().read(cad::PromptRecord::kKeyword, prompt);
  if (answer.kind != cad::EditorInput::Answer::kValue) return {};
  std::wstring text;
  const std::wstring& typed = answer.item.text;
  for (std::size_t i = 0; i < typed.size(); ++i) {
    if (typed.compare(i, 3, L"%20") == 0 || typed.compare(i, 3, L"%25") == 0) {
      text += typed[i + 2] == L'0' ? L' ' : L'%';
      i += 2;
    } else {
      text += typed[i];
    }
  }
  return text;
}

// "source|layout|name|minX,minY,maxX,maxY|window,exact,overridden|scale|index|paper|short,long", as the full
// panel builds a page from a row.
bool readPage(const std::wstring& line, VexBatchPrintPageSpec& page) {
  const std::vector<std::wstring> parts = fields(line);
  int flags[3] = {};
  if (parts.size() != 9 ||
      std::swscanf(parts[3].c_str(), L"%lf,%lf,%lf,%lf", &page.minX, &page.minY, &page.maxX, &page.maxY) != 4 ||
      std::swscanf(parts[4].c_str(), L"%d,%d,%d", &flags[0], &flags[1], &flags[2]) != 3 ||
      std::swscanf(parts[5].c_str(), L"%lf", &page.contentScalePercent) != 1 ||
      std::swscanf(parts[6].c_str(), L"%lu", &page.outputIndex) != 1 ||
      std::swscanf(parts[8].c_str(), L"%lf,%lf", &page.paper.shortSide, &page.paper.longSide) != 2) {
    return false;
  }
  page.source = parts[0] == L"1" ? VexBatchPrintSourceModel : VexBatchPrintSourceLayout;
  page.layoutName = parts[1];
  page.name = parts[2];
  page.layoutWindow = flags[0] != 0;
  page.exactPaperFrame = flags[1] != 0;
  page.paperOverridden = flags[2] != 0;
  page.paper.name = parts[7];
  return true;
}

// Stages a print job as the full panel does: "merged|output path|drawing path", then one page a line until an
// empty line.
void stageJob() {
  auto* staged = static_cast<VexBatchPrintPendingJob*>(quodlineSymbol("gBatchPrintPendingJob"));
  const std::vector<std::wstring> head = fields(answerTo(L"Job: "));
  if (staged == nullptr || head.size() != 3) {
    cad::acutPrintf(L"\nPROBE bad job");
    return;
  }
  VexBatchPrintPendingJob job;
  job.merged = head[0] == L"1";
  job.outputPath = head[1];
  job.drawingPath = head[2];
  for (std::wstring line; !(line = answerTo(L"Page: ")).empty();) {
    VexBatchPrintPageSpec page;
    if (!readPage(line, page)) {
      cad::acutPrintf(L"\nPROBE bad page");
      return;
    }
    job.pages.push_back(page);
  }
  job.totalPageCount = job.pages.size();
  job.active = true;
  *staged = job;
  cad::acutPrintf(L"\nPROBE staged %zu pages", job.pages.size());
}

// Draws blank sheets, and stops for good in the middle of its k-th page, as a host that hangs.
class HangingRenderer : public cad::PageRenderer {
 public:
  explicit HangingRenderer(int page) : hangAt_(page) {}
  bool renderPage(const cad::Database& db, cad::ObjectId layout, const cad::PlotSettings& validated,
                  const cad::PageTarget& target, std::string& error) override {
    if (++drawn_ == hangAt_) {
      cad::acutPrintf(L"\nPROBE hanging on page %d", drawn_);
      // Until the host is told to end: a kill ends it here, an interrupting signal lets the plot see it.
      while (cad::interruptionSignal() == 0) usleep(10000);
    }
    return blank_.renderPage(db, layout, validated, target, error);
  }

 private:
  int hangAt_;
  int drawn_ = 0;
  cad::BlankPageWriter blank_;
};

// Draws blank sheets; on its k-th page waits until a file appears (for a test to act on what the run has
// written so far), or asks the host to unload Quodline, as a person could at any moment.
class PageActionRenderer : public cad::PageRenderer {
 public:
  PageActionRenderer(int page, std::string waitFor) : page_(page), waitFor_(std::move(waitFor)) {}
  bool renderPage(const cad::Database& db, cad::ObjectId layout, const cad::PlotSettings& validated,
                  const cad::PageTarget& target, std::string& error) override {
    if (++drawn_ == page_) {
      if (waitFor_.empty()) {
        unloadQuodline();
      } else {
        cad::acutPrintf(L"\nPROBE paused on page %d", drawn_);
        while (access(waitFor_.c_str(), F_OK) != 0 && cad::interruptionSignal() == 0) usleep(10000);
      }
    }
    return blank_.renderPage(db, layout, validated, target, error);
  }

 private:
  static void unloadQuodline() {
    for (cad::LoadedApp* app : cad::appLoader().loaded()) {
      if (app->name != "Quodline.so") continue;
      const cad::AppLoader::UnloadResult result = cad::appLoader().unload(app);
      cad::acutPrintf(L"\nPROBE unload answered %d, unloaded %d: %s", result.answer, result.unloaded ? 1 : 0,
                      result.message.c_str());
    }
  }

  int page_;
  std::string waitFor_;
  int drawn_ = 0;
  cad::BlankPageWriter blank_;
};

// Runs out of memory on its k-th page, as a host's drawing code does when an allocation fails: a sanitizer build
// aborts instead of throwing, so the failure is thrown here as the allocator would throw it.
class OutOfMemoryRenderer : public cad::PageRenderer {
 public:
  explicit OutOfMemoryRenderer(int page) : page_(page) {}
  bool renderPage(const cad::Database& db, cad::ObjectId layout, const cad::PlotSettings& validated,
                  const cad::PageTarget& target, std::string& error) override {
    if (++drawn_ == page_) throw std::bad_alloc();
    return blank_.renderPage(db, layout, validated, target, error);
  }

 private:
  int page_;
  int drawn_ = 0;
  cad::BlankPageWriter blank_;
};

void outOfMemoryOnPage() {
  int page = 0;
  if (std::swscanf(answerTo(L"Page to run out of memory on: ").c_str(), L"%d", &page) != 1 || page < 1) {
    cad::acutPrintf(L"\nPROBE bad page");
    return;
  }
  cad::setPageRenderer(std::make_shared<OutOfMemoryRenderer>(page));
  cad::acutPrintf(L"\nPROBE will run out of memory on page %d", page);
}

void pauseOnPage() {
  int page = 0;
  const std::wstring file = answerTo(L"File to wait for: ");
  if (std::swscanf(answerTo(L"Page to pause on: ").c_str(), L"%d", &page) != 1 || page < 1 || file.empty()) {
    cad::acutPrintf(L"\nPROBE bad page");
    return;
  }
  cad::setPageRenderer(std::make_shared<PageActionRenderer>(page, foundation::utf8FromWideLossy(file)));
  cad::acutPrintf(L"\nPROBE will pause on page %d", page);
}

// Waits, at the k-th traced call of a name, until a file appears (for a test to kill the host right there).
struct TracePause {
  std::string name;
  int left = 0;
  std::string waitFor;
};
TracePause gTracePause;

void pauseAtTracedCall(const char* name) {
  if (gTracePause.name != name || gTracePause.left == 0 || --gTracePause.left != 0) return;
  cad::acutPrintf(L"\nPROBE paused at %s", name);
  while (access(gTracePause.waitFor.c_str(), F_OK) != 0 && cad::interruptionSignal() == 0) usleep(10000);
}

void pauseAtCall() {
  auto* hook = static_cast<TraceHook*>(quodlineSymbol("gQuodlCallTrace"));
  const std::wstring name = answerTo(L"Traced call to pause at: ");
  int times = 0;
  const bool counted = std::swscanf(answerTo(L"Pause at call number: ").c_str(), L"%d", &times) == 1 && times >= 1;
  const std::wstring file = answerTo(L"File to wait for: ");
  if (hook == nullptr || !counted || name.empty() || file.empty()) {
    cad::acutPrintf(L"\nPROBE bad pause");
    return;
  }
  gTracePause = {foundation::utf8FromWideLossy(name), times, foundation::utf8FromWideLossy(file)};
  *hook = pauseAtTracedCall;
  cad::acutPrintf(L"\nPROBE will pause at %ls", name.c_str());
}

void unloadOnPage() {
  int page = 0;
  if (std::swscanf(answerTo(L"Page to unload on: ").c_str(), L"%d", &page) != 1 || page < 1) {
    cad::acutPrintf(L"\nPROBE bad page");
    return;
  }
  cad::setPageRenderer(std::make_shared<PageActionRenderer>(page, std::string()));
  cad::acutPrintf(L"\nPROBE will unload on page %d", page);
}

void hangOnPage() {
  int page = 0;
  if (std::swscanf(answerTo(L"Page to hang on: ").c_str(), L"%d", &page) != 1 || page < 1) {
    cad::acutPrintf(L"\nPROBE bad page");
    return;
  }
  cad::setPageRenderer(std::make_shared<HangingRenderer>(page));
  cad::acutPrintf(L"\nPROBE will hang on page %d", page);
}

std::wstring variableText(const wchar_t* name) {
  cad::resbuf value;
  if (cad::acedGetVar(name, &value) != cad::RTNORM) return L"?";
  if (value.restype == cad::RTSHORT) return std::to_wstring(value.resval.rint);
  if (value.restype != cad::RTSTR) return L"?";
  std::wstring text = value.resval.rstring;
  cad::acutDelString(value.resval.rstring);
  return text;
}

// What the host holds now. Read from an "@probehost" line, which starts no command: a command would take the
// marks away before they could be seen.
std::string hostState() {
  const auto& transients = cad::transientManager().live();
  std::wstring text = L"PROBE host ctab=" + variableText(L"CTAB") + L" cvport=" + variableText(L"CVPORT") +
                      L" editor-reactors=" + std::to_wstring(cad::editor().reactorCount()) + L" document-reactors=" +
                      std::to_wstring(cad::docManager().reactors().size()) + L" marks=" +
                      std::to_wstring(transients.size()) + L" vectors=" +
                      std::to_wstring(cad::temporaryVectors().shown().size());
  if (const cad::Document* doc = cad::docManager().mdiActiveDocument();
      doc != nullptr && !doc->view().zooms().empty()) {
    const cad::ViewWindow& view = doc->view().zooms().back();
    text += foundation::formatWide(L"\nPROBE view layout=%ls viewport=%d min=%g,%g max=%g,%g", view.layout,
                                   view.viewport, view.min.x, view.min.y, view.max.x, view.max.y);
  }
  for (const cad::TransientEntry& entry : transients) {
    const auto* number = dynamic_cast<const cad::MText*>(entry.drawable);
    if (number == nullptr) continue;
    std::wstring viewports;
    for (int v : entry.viewports) viewports += (viewports.empty() ? L"" : L",") + std::to_wstring(v);
    text += foundation::formatWide(L"\nPROBE mark %ls at %g,%g in viewport %ls", number->contents, number->location.x,
                                   number->location.y, viewports);
  }
  return foundation::utf8FromWideLossy(text);
}

// The windows on screen, by identifier (or title), in alphabetical order. Read from an "@probewindows" line.
std::string visibleWindows() {
  std::vector<std::string> names;
  for (const toolkit::Window* window : toolkit::Application::shared().windows()) {
    if (window->isVisible()) names.push_back(window->identifier().empty() ? window->title() : window->identifier());
  }
  std::sort(names.begin(), names.end());
  std::string text = "PROBE windows";
  for (const std::string& name : names) text += " [" + name + "]";
  return text;
}

// Every request the workspace had, one line each. Read from an "@probeworkspace" line.
std::string workspaceRequests() {
  using Kind = toolkit::WorkspaceRecord::Kind;
  std::string text = "PROBE workspace";
  for (const toolkit::WorkspaceRecord& record : toolkit::Workspace::shared().records()) {
    const char* kind = record.kind == Kind::openApplication      ? "open-application"
                       : record.kind == Kind::revealInFileViewer ? "reveal"
                                                                 : "open";
    text += std::string("\nPROBE workspace ") + kind;
    for (const std::string& target : record.targets) text += " [" + target + "]";
    text += record.succeeded ? " ok" : " failed: " + record.error;
  }
  return text;
}

void add(const wchar_t* name, void (*handler)()) {
  cad::commandStack().addCommand(kGroup, name, name, cad::ACRX_CMD_MODAL, handler);
}

}  // namespace

extern "C" int acrxEntryPoint(int message, void*) {
  if (message == 1) {
    add(L"QDLPROBEQUEUE", [] { setFlags(true, false); });
    add(L"QDLPROBELITE", [] { setFlags(false, true); });
    add(L"QDLPROBEIDLE", [] { setFlags(false, false); });
    add(L"QDLPROBETRACE", installTrace);
    add(L"QDLPROBELIST", listCommands);
    add(L"QDLPROBEMESSAGES", sendOtherMessages);
    add(L"QDLPROBEFOCUS", requestFocus);
    add(L"QDLPROBEMARK", requestMark);
    add(L"QDLPROBESTAGE", stageJob);
    add(L"QDLPROBEHANG", hangOnPage);
    add(L"QDLPROBEPAUSE", pauseOnPage);
    add(L"QDLPROBEUNLOAD", unloadOnPage);
    add(L"QDLPROBEOOM", outOfMemoryOnPage);
    add(L"QDLPROBEPAUSEAT", pauseAtCall);
    cad::windowCommands().add("probehost", [](const std::string&) { return hostState(); });
    cad::windowCommands().add("probewindows", [](const std::string&) { return visibleWindows(); });
    cad::windowCommands().add("probeworkspace", [](const std::string&) { return workspaceRequests(); });
    cad::windowCommands().add("probebeeps", [](const std::string&) {
      return "PROBE beeps=" + std::to_string(toolkit::beepCount());
    });
    return 0;
  }
  if (message == 2) {
    // Quodline calls the trace hook here, so the probe outlives it.
    if (quodlineSymbol("acrxEntryPoint") != nullptr) return 3;
    cad::commandStack().removeGroup(kGroup);
    cad::windowCommands().remove("probehost");
    cad::windowCommands().remove("probewindows");
    cad::windowCommands().remove("probeworkspace");
    cad::windowCommands().remove("probebeeps");
    return 0;
  }
  return 0;
}
