// Queuing a host command: the only way the plug-in's windows start work in the drawing.
#include "core/host_bridge.h"

#include <algorithm>

#include "cad/command_line.h"
#include "cad/doc_manager.h"
#include "toolkit/beep.h"

namespace {

// Command names are plain ASCII words. Anything else would be garbled on its way to the command line, and a
// blank or a line break in it would type further input after the command.
bool isCommandName(std::string_view name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
  });
}

bool refuse() {
  toolkit::beep();
  return false;
}

}  // namespace

bool queueCommand(std::string_view name) {
  if (!isCommandName(name)) return refuse();
  cad::DocManager* manager = cad::acDocManagerPtr();
  if (manager == nullptr) return refuse();
  cad::Document* document = manager->mdiActiveDocument();
  if (document == nullptr) return refuse();

  // Two escapes end whatever runs at the prompt, the underscore asks for the global name, the blank enters it.
  std::wstring text = L"\x1B\x1B_";
  for (const char c : name) text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
  text.push_back(L' ');

  if (manager->sendStringToExecute(document, text.c_str(), true, false, false) != cad::eOk) {
    toolkit::beep();
    cad::acutPrintf(L"\nFerrolin 批打工具无法启动命令：%ls", text.c_str());
    return false;
  }
  return true;
}
