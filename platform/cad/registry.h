#pragma once
// The host's runtime registry: services found by name ("ACAD_REGISTERED_COMMANDS", "DynamicLinker",
// "AcEditor"). Callers cast what they get to the service's class; a test can make any entry absent.

#include <map>
#include <set>
#include <string>

namespace cad {

// Base of every service the registry holds.
class RxObject {
 public:
  virtual ~RxObject() = default;
};

class SystemRegistry {
 public:
  // The service under the key, or nullptr when there is none (or a test made it absent).
  RxObject* at(const wchar_t* key) const;

  // Host side: the registry does not own what it holds.
  void add(const std::wstring& key, RxObject* service) { entries_[key] = service; }

  // Test side
  void setAbsent(const std::wstring& key, bool absent);
  void clearAbsences() { absent_.clear(); }

 private:
  std::map<std::wstring, RxObject*> entries_;
  std::set<std::wstring> absent_;
};

// The process-wide registry. The command stack, the dynamic linker and the editor put themselves in it as the
// host library loads, so it holds them before anything can ask.
SystemRegistry* acrxSysRegistry();

}  // namespace cad
