#pragma once
// The host's command stack: commands in named groups, each with a global (English) and a local name, flags
// and a handler. Lookups ignore case. Registration order is kept, so tests can list what a plug-in added.

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "cad/error_status.h"
#include "cad/registry.h"

namespace cad {

inline constexpr int ACRX_CMD_MODAL = 0;
inline constexpr int ACRX_CMD_TRANSPARENT = 0x1;
inline constexpr int ACRX_CMD_SESSION = 0x200000;

using CommandFunction = std::function<void()>;

class UIContext;

// The resource a command's texts come from; plug-ins pass the empty one.
class ResourceInstance {
 public:
  static ResourceInstance empty() { return {}; }
};

class Command {
 public:
  const std::wstring& groupName() const { return group_; }
  const std::wstring& globalName() const { return global_; }
  const std::wstring& localName() const { return local_; }
  int commandFlags() const { return flags_; }
  bool isSession() const { return (flags_ & ACRX_CMD_SESSION) != 0; }
  // A copy, so a handler that removes its own command keeps running.
  CommandFunction functionAddr() const { return function_; }
  UIContext* uiContext() const { return uiContext_; }
  int functionCode() const { return functionCode_; }

 private:
  friend class CommandStack;
  std::wstring group_, global_, local_;
  int flags_ = 0;
  CommandFunction function_;
  UIContext* uiContext_ = nullptr;
  int functionCode_ = -1;
};

class CommandStack : public RxObject {
 public:
  // eDuplicateKey when the global or local name is taken in any group, eInvalidInput for an empty name or
  // no handler.
  ErrorStatus addCommand(const wchar_t* group, const wchar_t* globalName, const wchar_t* localName, int flags,
                         CommandFunction function, UIContext* uiContext = nullptr, int functionCode = -1,
                         ResourceInstance resource = ResourceInstance::empty(), Command** returnedCommand = nullptr);
  // eKeyNotFound when the group has no such command (by global name).
  ErrorStatus removeCmd(const wchar_t* group, const wchar_t* globalName);
  // eKeyNotFound when the group holds nothing.
  ErrorStatus removeGroup(const wchar_t* group);

  Command* lookupGlobalCmd(const wchar_t* name) const;
  Command* lookupLocalCmd(const wchar_t* name) const;
  // A typed name: a leading "_" asks for the global name; otherwise the local name, then the global one.
  Command* lookupTyped(const std::wstring& typed) const;

  // Test side
  std::vector<std::wstring> groups() const;          // in order of first registration
  std::vector<const Command*> commands() const;      // in registration order
  std::vector<const Command*> commandsOf(const std::wstring& group) const;
  struct Faults {
    std::set<std::wstring> addCommand;   // global names whose registration fails
    bool addAll = false;                 // every registration fails
    bool removeCmd = false;
    bool removeGroup = false;
  } faults;
  void clear();

 private:
  std::vector<std::unique_ptr<Command>> commands_;
};

CommandStack& commandStack();

// Upper-cases ASCII letters only, as command names compare.
std::wstring upperAscii(std::wstring text);
bool equalsIgnoringCase(const std::wstring& a, const std::wstring& b);

}  // namespace cad
