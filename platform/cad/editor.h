#pragma once
// The host's editor as a notifier: reactors hear of commands starting and ending and of system variables
// changing.

#include <cstddef>
#include <vector>

#include "cad/reactor_list.h"
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
  void addReactor(EditorReactor* reactor) { reactors_.add(reactor); }
  void removeReactor(EditorReactor* reactor) { reactors_.remove(reactor); }
  bool hasReactor(const EditorReactor* reactor) const { return reactors_.has(reactor); }
  std::size_t reactorCount() const { return reactors_.size(); }
  const std::vector<EditorReactor*>& reactors() const { return reactors_.all(); }

  // Host side
  void fireCommandWillStart(const wchar_t* command);
  void fireCommandEnded(const wchar_t* command);
  void fireCommandCancelled(const wchar_t* command);
  void fireSysVarWillChange(const wchar_t* name);
  void fireSysVarChanged(const wchar_t* name, bool success);

  void clear() { reactors_.clear(); }

 private:
  ReactorList<EditorReactor> reactors_;
};

Editor& editor();

}  // namespace cad
