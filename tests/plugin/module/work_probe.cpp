// A helper plug-in for the integration tests, never shipped. Loaded beside Quodline in cadhost, it finds the
// loaded Quodline module by its file name and reaches the few names that module leaves visible: it raises and
// clears the work-active flags, watches the calls into neighbouring services, lists the registered commands and
// hands the entry point messages the host program never sends.
#include <dlfcn.h>
#include <link.h>

#include <string>

#include "cad/command_line.h"
#include "cad/command_stack.h"

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
    return 0;
  }
  if (message == 2) {
    // Quodline calls the trace hook here, so the probe outlives it.
    if (quodlineSymbol("acrxEntryPoint") != nullptr) return 3;
    cad::commandStack().removeGroup(kGroup);
    return 0;
  }
  return 0;
}
