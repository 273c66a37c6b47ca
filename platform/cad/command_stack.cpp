#include "cad/command_stack.h"

#include <algorithm>

namespace cad {

std::wstring upperAscii(std::wstring text) {
  for (wchar_t& c : text) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  return text;
}

bool equalsIgnoringCase(const std::wstring& a, const std::wstring& b) {
  return a.size() == b.size() && upperAscii(a) == upperAscii(b);
}

ErrorStatus CommandStack::addCommand(const wchar_t* group, const wchar_t* globalName, const wchar_t* localName,
                                     int flags, CommandFunction function, UIContext* uiContext, int functionCode,
                                     ResourceInstance, Command** returnedCommand) {
  if (returnedCommand != nullptr) *returnedCommand = nullptr;
  if (group == nullptr || globalName == nullptr || *group == 0 || *globalName == 0 || !function) {
    return eInvalidInput;
  }
  const std::wstring local = (localName == nullptr || *localName == 0) ? std::wstring(globalName) : localName;
  if (faults.addAll || faults.addCommand.count(upperAscii(globalName)) != 0) return eInvalidInput;
  if (lookupGlobalCmd(globalName) != nullptr || lookupLocalCmd(local.c_str()) != nullptr) return eDuplicateKey;

  auto command = std::make_unique<Command>();
  command->group_ = group;
  command->global_ = globalName;
  command->local_ = local;
  command->flags_ = flags;
  command->function_ = std::move(function);
  command->uiContext_ = uiContext;
  command->functionCode_ = functionCode;
  if (returnedCommand != nullptr) *returnedCommand = command.get();
  commands_.push_back(std::move(command));
  return eOk;
}

ErrorStatus CommandStack::removeCmd(const wchar_t* group, const wchar_t* globalName) {
  if (group == nullptr || globalName == nullptr) return eInvalidInput;
  if (faults.removeCmd) return eNotApplicable;
  auto it = std::find_if(commands_.begin(), commands_.end(), [&](const auto& c) {
    return equalsIgnoringCase(c->group_, group) && equalsIgnoringCase(c->global_, globalName);
  });
  if (it == commands_.end()) return eKeyNotFound;
  commands_.erase(it);
  return eOk;
}

ErrorStatus CommandStack::removeGroup(const wchar_t* group) {
  if (group == nullptr) return eInvalidInput;
  if (faults.removeGroup) return eNotApplicable;
  const auto removed = std::erase_if(commands_, [&](const auto& c) { return equalsIgnoringCase(c->group_, group); });
  return removed == 0 ? eKeyNotFound : eOk;
}

Command* CommandStack::lookupGlobalCmd(const wchar_t* name) const {
  if (name == nullptr) return nullptr;
  for (const auto& c : commands_) {
    if (equalsIgnoringCase(c->global_, name)) return c.get();
  }
  return nullptr;
}

Command* CommandStack::lookupLocalCmd(const wchar_t* name) const {
  if (name == nullptr) return nullptr;
  for (const auto& c : commands_) {
    if (equalsIgnoringCase(c->local_, name)) return c.get();
  }
  return nullptr;
}

Command* CommandStack::lookupTyped(const std::wstring& typed) const {
  if (typed.empty()) return nullptr;
  if (typed[0] == L'_') return lookupGlobalCmd(typed.c_str() + 1);
  if (Command* local = lookupLocalCmd(typed.c_str())) return local;
  return lookupGlobalCmd(typed.c_str());
}

std::vector<std::wstring> CommandStack::groups() const {
  std::vector<std::wstring> out;
  for (const auto& c : commands_) {
    if (std::find(out.begin(), out.end(), c->group_) == out.end()) out.push_back(c->group_);
  }
  return out;
}

std::vector<const Command*> CommandStack::commands() const {
  std::vector<const Command*> out;
  for (const auto& c : commands_) out.push_back(c.get());
  return out;
}

std::vector<const Command*> CommandStack::commandsOf(const std::wstring& group) const {
  std::vector<const Command*> out;
  for (const auto& c : commands_) {
    if (equalsIgnoringCase(c->group_, group)) out.push_back(c.get());
  }
  return out;
}

void CommandStack::clear() {
  commands_.clear();
  faults = {};
}

CommandStack& commandStack() {
  static CommandStack* instance = new CommandStack;
  return *instance;
}

namespace {
[[maybe_unused]] const bool gRegistered = (acrxSysRegistry()->add(L"ACAD_REGISTERED_COMMANDS", &commandStack()), true);
}  // namespace

}  // namespace cad
