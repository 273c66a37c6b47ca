#pragma once
// Loading plug-in modules. A module exports `extern "C" int acrxEntryPoint(int message, void* appId)`; the
// host sends message 1 after loading it (initialise) and message 2 before unloading it (unload), which the
// module may refuse by answering 3 — it then stays loaded. Modules are opened with RTLD_NOW | RTLD_LOCAL.

#include <memory>
#include <string>
#include <vector>

namespace cad {

inline constexpr int kInitAppMsg = 1;
inline constexpr int kUnloadAppMsg = 2;
inline constexpr int kRetOK = 0;
inline constexpr int kRetError = 3;

using EntryPoint = int (*)(int message, void* appId);

struct LoadedApp {
  std::string path;  // as given
  std::string name;  // the file name
  void* handle = nullptr;
  EntryPoint entryPoint = nullptr;
  // The identity handed to the entry point: the address of this record, stable while loaded.
  void* appId() { return this; }
};

class AppLoader {
 public:
  struct [[nodiscard]] LoadResult {
    LoadedApp* app = nullptr;  // null on failure
    std::string error;
  };
  // Fails (and leaves nothing loaded) when the module cannot be opened, has no entry point, is loaded
  // already, or answers the initialise message with anything but 0.
  LoadResult load(const std::string& path);

  struct [[nodiscard]] UnloadResult {
    int answer = kRetOK;    // what the entry point answered
    bool unloaded = false;  // the module was closed
    std::string message;    // what to tell the user; empty when it went quietly
  };
  // The answer 3 (or any non-zero one) keeps the module loaded. Commands, editor and document reactors and
  // transient graphics the module left with the host are removed before the module goes, and named in the
  // message, so nothing can call into unmapped code.
  UnloadResult unload(LoadedApp* app);

  // In reverse order of loading.
  std::vector<UnloadResult> unloadAll();
  std::vector<LoadedApp*> loaded() const;
  LoadedApp* find(const std::string& pathOrName) const;

 private:
  std::vector<std::unique_ptr<LoadedApp>> apps_;
};

AppLoader& appLoader();

}  // namespace cad
