#include "cad/editor.h"

#include <algorithm>

namespace cad {

void Editor::addReactor(EditorReactor* reactor) {
  if (reactor != nullptr && !hasReactor(reactor)) reactors_.push_back(reactor);
}

void Editor::removeReactor(EditorReactor* reactor) { std::erase(reactors_, reactor); }

bool Editor::hasReactor(const EditorReactor* reactor) const {
  return std::find(reactors_.begin(), reactors_.end(), reactor) != reactors_.end();
}

template <class Call>
void Editor::notify(Call call) {
  // A reactor may add or remove reactors while it is notified: walk a copy, skip those gone meanwhile.
  const std::vector<EditorReactor*> snapshot = reactors_;
  for (EditorReactor* reactor : snapshot) {
    if (hasReactor(reactor)) call(reactor);
  }
}

void Editor::fireCommandWillStart(const wchar_t* command) {
  notify([&](EditorReactor* r) { r->commandWillStart(command); });
}
void Editor::fireCommandEnded(const wchar_t* command) {
  notify([&](EditorReactor* r) { r->commandEnded(command); });
}
void Editor::fireCommandCancelled(const wchar_t* command) {
  notify([&](EditorReactor* r) { r->commandCancelled(command); });
}
void Editor::fireSysVarWillChange(const wchar_t* name) {
  notify([&](EditorReactor* r) { r->sysVarWillChange(name); });
}
void Editor::fireSysVarChanged(const wchar_t* name, bool success) {
  notify([&](EditorReactor* r) { r->sysVarChanged(name, success); });
}

Editor& editor() {
  static Editor* instance = new Editor;
  return *instance;
}

}  // namespace cad
