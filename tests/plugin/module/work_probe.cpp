// A helper plug-in for the integration tests, never shipped. Loaded beside Quodline in cadhost, it finds the
// loaded Quodline module by its file name and reaches the few names that module leaves visible: it raises and
// clears the work-active flags, watches the calls into neighbouring services, lists the registered commands,
// hands the entry point messages the host program never sends, and leaves the requests that the full panel
// leaves for the locate and mark commands. It also shows what the host holds: the current layout and
// viewport, the last zoom, the marks shown and the reactors registered.
#include <dlfcn.h>
#include <link.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cad/command_line.h"
#include "cad/command_stack.h"
#include "cad/doc_manager.h"
#include "cad/editor.h"
#include "cad/editor_input.h"
#include "cad/entities.h"
#include "cad/result_buffer.h"
#include "cad/sysvars.h"
#include "cad/temporary_vectors.h"
#include "cad/transient.h"
#include "cad/window_commands.h"
#include "core/focus_target.h"
#include "foundation/format.h"
#include "foundation/text.h"

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

void traceCall(const char* name) {
  cad::acutPrintf(L"\nPROBE call %s commands=%zu", name, quodlineCommandCount());
}

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
    cad::acutPrintf(L"\nPROBE command %ls %ls %ls %#x", command->groupName().c_str(),
                    command->globalName().c_str(), command->localName().c_str(), command->commandFlags());
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
    cad::windowCommands().add("probehost", [](const std::string&) { return hostState(); });
    return 0;
  }
  if (message == 2) {
    // Quodline calls the trace hook here, so the probe outlives it.
    if (quodlineSymbol("acrxEntryPoint") != nullptr) return 3;
    cad::commandStack().removeGroup(kGroup);
    cad::windowCommands().remove("probehost");
    return 0;
  }
  return 0;
}
