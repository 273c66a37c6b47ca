#pragma once
// The host's own command names and the aliases of its alias file, so the command line and acedGetCName know
// every name a user can type.
//
// Alias file: one alias a line, "ALIAS,*COMMAND" (blanks around either part are ignored, the "*" is
// optional); empty lines and lines starting with ";" are skipped; a UTF-8 byte-order mark is skipped.

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace cad {

class CommandNames {
 public:
  CommandNames();

  bool isBuiltIn(const std::wstring& name) const;  // ignoring case
  const std::vector<std::wstring>& builtIns() const { return builtIns_; }
  // The command an alias stands for (upper case); nullopt when the name is no alias.
  std::optional<std::wstring> aliasTarget(const std::wstring& alias) const;

  struct [[nodiscard]] LoadResult {
    bool ok = false;
    std::size_t aliases = 0;              // aliases read
    std::vector<std::string> problems;    // "line 7: no comma", … (the line is skipped)
    std::string error;                    // why the file could not be read
  };
  // Adds the file's aliases to those already known (a later line wins).
  LoadResult loadAliasFile(const std::string& path);
  LoadResult loadAliasText(const std::string& text);
  void addAlias(const std::wstring& alias, const std::wstring& command);
  void clearAliases() { aliases_.clear(); }

 private:
  std::vector<std::wstring> builtIns_;
  std::map<std::wstring, std::wstring> aliases_;  // upper-case alias → upper-case command
};

CommandNames& commandNames();

// The other name of a command a user can type: for a local name (or an alias, or a built-in name) its global
// name with the "_" prefix; for a "_"-prefixed global name the local name. RTNORM, or RTERROR with `out`
// empty when no command goes by that name.
int acedGetCName(const wchar_t* name, std::wstring& out);

}  // namespace cad
