#include "cad/registry.h"

#include "cad/command_stack.h"
#include "cad/dynamic_linker.h"
#include "cad/editor.h"

namespace cad {

RxObject* SystemRegistry::at(const wchar_t* key) const {
  if (key == nullptr) return nullptr;
  const std::wstring name(key);
  if (absent_.count(name) != 0) return nullptr;
  auto it = entries_.find(name);
  return it == entries_.end() ? nullptr : it->second;
}

void SystemRegistry::setAbsent(const std::wstring& key, bool absent) {
  if (absent) {
    absent_.insert(key);
  } else {
    absent_.erase(key);
  }
}

SystemRegistry* acrxSysRegistry() {
  static SystemRegistry* registry = [] {
    auto* r = new SystemRegistry;
    r->add(L"ACAD_REGISTERED_COMMANDS", &commandStack());
    r->add(L"DynamicLinker", &dynamicLinker());
    r->add(L"AcEditor", &editor());
    return r;
  }();
  return registry;
}

}  // namespace cad
