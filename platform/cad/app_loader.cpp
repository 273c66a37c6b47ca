#include "cad/app_loader.h"

#include <dlfcn.h>

#include <algorithm>
#include <exception>
#include <typeinfo>

#include "cad/command_stack.h"
#include "cad/doc_manager.h"
#include "cad/editor.h"
#include "cad/transient.h"
#include "foundation/paths.h"

namespace cad {

namespace {

// The base address of the module a code address lies in; null when unknown.
const void* moduleBase(const void* address) {
  Dl_info info{};
  if (address == nullptr || dladdr(address, &info) == 0) return nullptr;
  return info.dli_fbase;
}

const void* functionAddress(const Command& command) {
  const CommandFunction function = command.functionAddr();
  const auto* pointer = function.target<void (*)()>();
  return pointer == nullptr ? nullptr : reinterpret_cast<const void*>(*pointer);
}

// Removes the commands whose handlers live in the module; how many there were.
int removeCommandsOf(const LoadedApp& app) {
  const void* base = moduleBase(reinterpret_cast<const void*>(app.entryPoint));
  if (base == nullptr) return 0;
  int removed = 0;
  CommandStack& stack = commandStack();
  for (const Command* command : stack.commands()) {
    if (moduleBase(functionAddress(*command)) == base) {
      const std::wstring group = command->groupName(), name = command->globalName();
      if (stack.removeCmd(group.c_str(), name.c_str()) == eOk) ++removed;
    }
  }
  return removed;
}

// A reactor belongs to the module that defines its class: its type information lives there.
template <class Reactor>
bool definedIn(const Reactor* reactor, const void* base) {
  return moduleBase(&typeid(*reactor)) == base;
}

// Removes the reactors and transient graphics the module left with the host, which would otherwise call into
// or draw from unmapped code; how many there were.
int removeHostRegistrationsOf(const LoadedApp& app) {
  const void* base = moduleBase(reinterpret_cast<const void*>(app.entryPoint));
  if (base == nullptr) return 0;
  int removed = 0;
  Editor& ed = editor();
  for (EditorReactor* reactor : std::vector<EditorReactor*>(ed.reactors())) {
    if (definedIn(reactor, base)) {
      ed.removeReactor(reactor);
      ++removed;
    }
  }
  DocManager& docs = docManager();
  for (DocManagerReactor* reactor : std::vector<DocManagerReactor*>(docs.reactors())) {
    if (definedIn(reactor, base)) {
      docs.removeReactor(reactor);
      ++removed;
    }
  }
  removed += static_cast<int>(
      transientManager().eraseIf([base](const TransientEntry& entry) { return moduleBase(entry.caller) == base; }));
  return removed;
}

int callEntryPoint(const LoadedApp& app, int message, std::string& error) {
  try {
    return app.entryPoint(message, const_cast<LoadedApp&>(app).appId());
  } catch (const std::exception& e) {
    error = e.what();
  } catch (...) {
    error = "unknown exception";
  }
  return kRetError;
}

}  // namespace

LoadedApp* AppLoader::find(const std::string& pathOrName) const {
  const std::string canonical = foundation::canonicalPath(pathOrName);
  for (const auto& app : apps_) {
    if (app->name == pathOrName || foundation::canonicalPath(app->path) == canonical) return app.get();
  }
  return nullptr;
}

std::vector<LoadedApp*> AppLoader::loaded() const {
  std::vector<LoadedApp*> out;
  for (const auto& app : apps_) out.push_back(app.get());
  return out;
}

AppLoader::LoadResult AppLoader::load(const std::string& path) {
  LoadResult result;
  if (path.empty()) {
    result.error = "No module was named.";
    return result;
  }
  if (find(path) != nullptr) {
    result.error = path + " is loaded already.";
    return result;
  }
  // A bare name would send dlopen along the library path instead of to the file meant.
  const std::string openPath = path.find('/') == std::string::npos ? "./" + path : path;
  dlerror();
  void* handle = dlopen(openPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = dlerror();
    result.error = "Cannot load " + path + ": " + (why != nullptr ? why : "unknown error");
    return result;
  }
  void* symbol = dlsym(handle, "acrxEntryPoint");
  if (symbol == nullptr) {
    dlclose(handle);
    result.error = path + " is not a plug-in: it has no acrxEntryPoint.";
    return result;
  }
  auto app = std::make_unique<LoadedApp>();
  app->path = path;
  app->name = foundation::lastPathComponent(path);
  app->handle = handle;
  app->entryPoint = reinterpret_cast<EntryPoint>(symbol);
  LoadedApp* raw = app.get();
  apps_.push_back(std::move(app));

  std::string thrown;
  const int answer = callEntryPoint(*raw, kInitAppMsg, thrown);
  if (answer != kRetOK) {
    removeCommandsOf(*raw);
    apps_.pop_back();
    dlclose(handle);
    result.error = path + " failed to initialise (answer " + std::to_string(answer) + ")" +
                   (thrown.empty() ? "" : ": " + thrown) + ".";
    return result;
  }
  result.app = raw;
  return result;
}

AppLoader::UnloadResult AppLoader::unload(LoadedApp* app) {
  UnloadResult result;
  auto it = std::find_if(apps_.begin(), apps_.end(), [&](const auto& a) { return a.get() == app; });
  if (it == apps_.end()) {
    result.answer = kRetError;
    result.message = "That module is not loaded.";
    return result;
  }
  std::string thrown;
  result.answer = callEntryPoint(*app, kUnloadAppMsg, thrown);
  if (result.answer != kRetOK) {
    result.message = app->name + " refused to unload" + (thrown.empty() ? "." : ": " + thrown);
    return result;
  }
  const int leftovers = removeCommandsOf(*app);
  if (leftovers > 0) {
    result.message = app->name + " left " + std::to_string(leftovers) + " command(s) registered; they were removed.";
  }
  if (const int registrations = removeHostRegistrationsOf(*app); registrations > 0) {
    if (!result.message.empty()) result.message += "\n";
    result.message += app->name + " left " + std::to_string(registrations) +
                      " reactor(s) or transient graphic(s) with the host; they were removed.";
  }
  void* handle = app->handle;
  apps_.erase(it);
  dlclose(handle);
  result.unloaded = true;
  return result;
}

std::vector<AppLoader::UnloadResult> AppLoader::unloadAll() {
  std::vector<UnloadResult> results;
  const std::vector<LoadedApp*> apps = loaded();
  for (auto it = apps.rbegin(); it != apps.rend(); ++it) results.push_back(unload(*it));
  return results;
}

AppLoader& appLoader() {
  static AppLoader* instance = new AppLoader;
  return *instance;
}

}  // namespace cad
