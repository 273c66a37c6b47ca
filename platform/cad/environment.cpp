#include "cad/environment.h"

#include <cwchar>

#include "cad/command_line.h"
#include "cad/command_stack.h"
#include "cad/host_paths.h"
#include "cad/result_buffer.h"
#include "foundation/files.h"
#include "foundation/folders.h"
#include "foundation/json.h"
#include "foundation/paths.h"
#include "foundation/settings_file.h"
#include "foundation/text.h"

namespace cad {

namespace {

std::optional<std::wstring> defaultValue(const std::wstring& upperName) {
  if (upperName == L"PRINTERSTYLESHEETDIR") {
    // The user's own folder first, where tables are added as in the real host's user folder, then the host's
    // bundled tables, which nothing writes into.
    std::string folders = foundation::appendingPathComponent(hostDataFolder(), "Plotters/Plot Styles");
    const std::vector<std::string> support = supportFolders();
    if (!support.empty()) folders += ";" + foundation::appendingPathComponent(support.front(), "Plot Styles");
    return foundation::wideFromUtf8Lossy(folders);
  }
  if (upperName == L"ROAMABLEROOTPREFIX") return foundation::wideFromUtf8Lossy(hostDataFolder() + "/");
  return std::nullopt;
}

}  // namespace

std::string Environment::filePath() {
  return foundation::appendingPathComponent(
      foundation::appendingPathComponent(foundation::configurationDirectory(), "quodline-host"), "environment.json");
}

void Environment::load() {
  if (loaded_) return;
  loaded_ = true;
  values_.clear();
  foundation::SettingsFileLoad load = foundation::loadSettingsFile(filePath());
  for (const auto& [key, value] : load.values.items()) {
    const std::optional<std::string> text = foundation::jsonString(value);
    const std::optional<std::wstring> name = foundation::wideFromUtf8(key);
    if (text && name) values_[upperAscii(*name)] = {*name, foundation::wideFromUtf8Lossy(*text)};
  }
  keepInMemory_ = !load.writable;
  if (load.report.empty()) return;
  lastError_ = std::move(load.report);
  // Said once, when the values are first needed: the session goes on either way.
  commandLine().print(L"\n" + foundation::wideFromUtf8Lossy(lastError_));
}

std::optional<std::wstring> Environment::get(const std::wstring& name) {
  load();
  const std::wstring key = upperAscii(name);
  if (faults.get.count(key) != 0) return std::nullopt;
  auto it = values_.find(key);
  if (it != values_.end()) return it->second.second;
  return defaultValue(key);
}

bool Environment::set(const std::wstring& name, const std::wstring& value) {
  load();
  if (faults.set || name.empty()) return false;
  auto next = values_;
  next[upperAscii(name)] = {name, value};
  if (keepInMemory_) {
    // The file could not be read: what stands there is never written over, and the value lives as long as
    // the session.
    values_ = std::move(next);
    return false;
  }
  foundation::Json json = foundation::Json::object();
  for (const auto& [key, entry] : next) {
    const std::optional<std::string> n = foundation::utf8FromWide(entry.first);
    const std::optional<std::string> v = foundation::utf8FromWide(entry.second);
    if (!n || !v) return false;  // not representable as text
    json[*n] = *v;
  }
  const std::string path = filePath();
  const foundation::FileResult folder =
      foundation::createDirectory(foundation::deletingLastPathComponent(path), true, 0700);
  if (!folder.ok) {
    lastError_ = folder.error;
    return false;
  }
  const foundation::FileResult written = foundation::writeJsonFile(path, json);
  if (!written.ok) {
    lastError_ = written.error;
    return false;
  }
  values_ = std::move(next);
  return true;
}

void Environment::reload() {
  loaded_ = false;
  keepInMemory_ = false;
  values_.clear();
  lastError_.clear();
  faults = {};
}

Environment& environment() {
  static Environment* instance = new Environment;
  return *instance;
}

int acedGetEnv(const wchar_t* name, std::wstring& value) {
  value.clear();
  if (name == nullptr || *name == 0) return RTERROR;
  std::optional<std::wstring> found = environment().get(name);
  if (!found) return RTERROR;
  value = std::move(*found);
  return RTNORM;
}

int acedGetEnv(const wchar_t* name, wchar_t* buffer, std::size_t size) {
  if (buffer == nullptr || size == 0) return RTERROR;
  buffer[0] = 0;
  std::wstring value;
  if (acedGetEnv(name, value) != RTNORM || value.size() + 1 > size) return RTERROR;
  std::wmemcpy(buffer, value.c_str(), value.size() + 1);
  return RTNORM;
}

int acedSetEnv(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr || *name == 0 || value == nullptr) return RTERROR;
  return environment().set(name, value) ? RTNORM : RTERROR;
}

}  // namespace cad
