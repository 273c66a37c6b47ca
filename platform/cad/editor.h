#pragma once
// The host's editor as a notifier: reactors hear of commands starting and ending and of system variables
// changing. Reactors are not owned; one removed during a notification is not called after its removal.

#include <vector>

#include "cad/registry.h"

namespace cad {

class EditorReactor {
 public:
  virtual ~EditorReactor() = default;
  virtual void commandWillStart(const wchar_t* /*command*/) {}
  virtual void commandEnded(const wchar_t* /*command*/) {}
  virtual void commandCancelled(const wchar_t* /*command*/) {}
  virtual void sysVarWillChange(const wchar_t* /*name*/) {}
  virtual void sysVarChanged(const wchar_t* /*name*/, bool /*success*/) {}
};

class Editor : public RxObject {
 public:
  void addReactor(EditorReactor* reactor);
  void removeReactor(EditorReactor* reactor);
  bool hasReactor(const EditorReactor* reactor) const;
  std::size_t reactorCount() const { return reactors_.size(); }

  // Host side
  void fireCommandWillStart(const wchar_t* command);
  void fireCommandEnded(const wchar_t* command);
  void fireCommandCancelled(const wchar_t* command);
  void fireSysVarWillChange(const wchar_t* name);
  void fireSysVarChanged(const wchar_t* name, bool success);

  void clear() { reactors_.clear(); }

 private:
  template <class Call>
  void notify(Call call);
  std::vector<EditorReactor*> reactors_;
};

Editor& editor();

}  // namespace cad
