#pragma once
// The host's dynamic linker as plug-ins see it: an application may unlock itself (so it can be unloaded on
// request) and declare that it works with several documents. Both calls are recorded.

#include <vector>

#include "cad/registry.h"

namespace cad {

class DynamicLinker : public RxObject {
 public:
  bool unlockApplication(void* appId);
  bool registerAppMDIAware(void* appId);

  // Test side
  std::vector<void*> unlocked;
  std::vector<void*> mdiAware;
  struct Faults {
    bool unlock = false;
    bool mdiAware = false;
  } faults;
  void clear();
};

DynamicLinker& dynamicLinker();

}  // namespace cad
