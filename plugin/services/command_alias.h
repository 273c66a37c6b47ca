#pragma once
// The user's own start command: its name rule, the alias-file scan, and the model that registers, saves and
// changes it with rollback. The model reaches the host only through AliasHost, so it runs against any host.

#include <cstdint>
#include <string>

namespace qdl {

// Without leading and trailing blanks, tabs, CRs and LFs.
std::string trimCommand(const std::string& text);
// ASCII letters a-z to A-Z; every other byte as it is.
std::string upperCommand(std::string text);
// `out` takes the trimmed, upper-cased input whatever the outcome. Whether it is acceptable: empty (no custom
// command), or 1 to 16 of A-Z, 0-9 and _, starting with a letter, not starting with QUODL or DUZOZARED.
bool normalizeCommand(const std::string& input, std::string& out);
// Whether the command-alias text ("ALIAS,*COMMAND" lines, ";" comments) defines `name` (already normalised).
bool pgpContainsCommand(const std::string& text, const std::string& name);

class AliasHost {
 public:
  virtual ~AliasHost() = default;
  // The saved name as stored; empty when none.
  virtual std::string load() = 0;
  // Whether the host already knows the name (a command, an alias, a LISP command), or cannot tell.
  virtual bool occupied(const std::string& name) = 0;
  virtual bool add(const std::string& name) = 0;
  virtual bool remove(const std::string& name) = 0;
  virtual bool save(const std::string& name) = 0;
};

enum class AliasResult : std::int32_t {
  Ok = 0,
  InvalidName = 1,
  Occupied = 2,
  RegisterFailed = 3,
  SaveFailed = 4,
  RolledBack = 5,
  RollbackFailed = 6,
};

class CommandAlias {
 public:
  explicit CommandAlias(AliasHost& host) : host_(host) {}

  // At load: registers the saved name when it is free. A failure leaves the saved value as it is.
  AliasResult restore();
  // Registers and saves the requested name in place of the active one, undoing what it did when a step fails.
  // The empty name clears the custom command.
  AliasResult change(const std::string& requested);
  const std::string& active() const { return active_; }

 private:
  AliasHost& host_;
  std::string active_;
};

}  // namespace qdl
