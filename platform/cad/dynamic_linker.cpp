#include "cad/dynamic_linker.h"

namespace cad {

bool DynamicLinker::unlockApplication(void* appId) {
  unlocked.push_back(appId);
  return !faults.unlock && appId != nullptr;
}

bool DynamicLinker::registerAppMDIAware(void* appId) {
  mdiAware.push_back(appId);
  return !faults.mdiAware && appId != nullptr;
}

void DynamicLinker::clear() {
  unlocked.clear();
  mdiAware.clear();
  faults = {};
}

DynamicLinker& dynamicLinker() {
  static DynamicLinker* instance = new DynamicLinker;
  return *instance;
}

namespace {
[[maybe_unused]] const bool gRegistered = (acrxSysRegistry()->add(L"DynamicLinker", &dynamicLinker()), true);
}  // namespace

}  // namespace cad
