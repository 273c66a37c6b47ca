#pragma once
// The host's environment values: named texts kept per user in
// $XDG_CONFIG_HOME/quodline-host/environment.json (default ~/.config). Names ignore case. Two have defaults
// until set: "PrinterStyleSheetDir" (the user's "Plotters/Plot Styles" in the host's data folder, then the
// "Plot Styles" folder of the first support folder) and
// "ROAMABLEROOTPREFIX" (the host's data folder, with a trailing slash).
//
// The file follows the settings-file policy of foundation/settings_file.h: damaged content is set aside and
// the values start empty; a file that cannot be read stays in place and values set this session live in memory
// only. Either is said once on the command line and kept in lastError().

#include <map>
#include <optional>
#include <set>
#include <string>

namespace cad {

// RTNORM with the value; RTERROR when the name has no value, or (buffer form) when the buffer is too small.
int acedGetEnv(const wchar_t* name, std::wstring& value);
int acedGetEnv(const wchar_t* name, wchar_t* buffer, std::size_t size);
// RTNORM when the value was stored and written; RTERROR otherwise: the old value stays, except where the file
// could not be read, when the new value is kept for this session only.
int acedSetEnv(const wchar_t* name, const wchar_t* value);

class Environment {
 public:
  std::optional<std::wstring> get(const std::wstring& name);
  bool set(const std::wstring& name, const std::wstring& value);

  static std::string filePath();
  const std::string& lastError() const { return lastError_; }

  // Test side: forget what was read, as a new host process would.
  void reload();
  struct Faults {
    std::set<std::wstring> get;  // upper-case names whose read fails
    bool set = false;            // every write fails
  } faults;

 private:
  void load();
  bool loaded_ = false;
  bool keepInMemory_ = false;
  std::map<std::wstring, std::pair<std::wstring, std::wstring>> values_;  // upper-case → (name, value)
  std::string lastError_;
};

Environment& environment();

}  // namespace cad
