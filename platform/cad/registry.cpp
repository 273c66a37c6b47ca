#include "cad/registry.h"

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
  static SystemRegistry* registry = new SystemRegistry;
  return registry;
}

}  // namespace cad
