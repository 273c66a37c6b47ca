#include "cad/editor.h"

namespace cad {

void Editor::fireCommandWillStart(const wchar_t* command) {
  reactors_.notify([&](EditorReactor* r) { r->commandWillStart(command); });
}
void Editor::fireCommandEnded(const wchar_t* command) {
  reactors_.notify([&](EditorReactor* r) { r->commandEnded(command); });
}
void Editor::fireCommandCancelled(const wchar_t* command) {
  reactors_.notify([&](EditorReactor* r) { r->commandCancelled(command); });
}
void Editor::fireSysVarWillChange(const wchar_t* name) {
  reactors_.notify([&](EditorReactor* r) { r->sysVarWillChange(name); });
}
void Editor::fireSysVarChanged(const wchar_t* name, bool success) {
  reactors_.notify([&](EditorReactor* r) { r->sysVarChanged(name, success); });
}

Editor& editor() {
  static Editor* instance = new Editor;
  return *instance;
}

namespace {
[[maybe_unused]] const bool gRegistered = (acrxSysRegistry()->add(L"AcEditor", &editor()), true);
}  // namespace

}  // namespace cad
