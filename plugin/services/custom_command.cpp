#include "services/custom_command.h"

#include "cad/command_line.h"
#include "cad/command_names.h"
#include "cad/command_stack.h"
#include "cad/doc_manager.h"
#include "cad/environment.h"
#include "cad/find_file.h"
#include "cad/lisp_symbols.h"
#include "cad/registry.h"
#include "cad/result_buffer.h"
#include "core/call_trace.h"
#include "foundation/files.h"
#include "foundation/text.h"
#include "ui/localisation.h"

std::unique_ptr<qdl::CommandAlias> alias;

namespace {

// A command-alias file larger than this is no alias file: it counts as unreadable.
constexpr std::size_t kMaxAliasFileBytes = 4u << 20;

// Each byte one wide character: names are plain ASCII once normalised.
std::wstring wide(const std::string& name) {
  std::wstring out;
  for (unsigned char c : name) out.push_back(static_cast<wchar_t>(c));
  return out;
}

std::string utf8(const std::wstring& text) { return foundation::utf8FromWide(text).value_or(""); }

cad::CommandStack* commandStack() {
  cad::SystemRegistry* registry = cad::acrxSysRegistry();
  if (registry == nullptr) return nullptr;
  return dynamic_cast<cad::CommandStack*>(registry->at(L"ACAD_REGISTERED_COMMANDS"));
}

bool isLispCommand(const std::wstring& name) {
  cad::resbuf* value = nullptr;
  const int status = cad::acedGetSym((L"C:" + name).c_str(), &value);
  const bool defined = status == cad::RTNORM && value != nullptr && value->restype != cad::RTNIL;
  if (value != nullptr) cad::acutRelRb(value);
  return defined;
}

// Whether the alias file takes the name: a file that is found but cannot be read takes every name.
bool aliasFileTakes(const wchar_t* file, const std::string& name) {
  std::wstring found;
  if (cad::acedFindFile(file, found) != cad::RTNORM) return false;
  const foundation::ReadResult read = foundation::readFile(utf8(found), kMaxAliasFileBytes);
  if (!read) return true;
  return !read.data.empty() && qdl::pgpContainsCommand(read.data, name);
}

}  // namespace

std::string AutoCADAliasHost::load() {
  std::wstring value;
  if (cad::acedGetEnv(kCustomCommandGroup, value) != cad::RTNORM) return "";
  return utf8(value);
}

bool AutoCADAliasHost::occupied(const std::string& name) {
  const std::wstring command = wide(name);
  if (cad::CommandStack* stack = commandStack()) {
    if (stack->lookupGlobalCmd(command.c_str()) != nullptr) return true;
    if (stack->lookupLocalCmd(command.c_str()) != nullptr) return true;
  }
  std::wstring other;
  if (cad::acedGetCName(command.c_str(), other) == cad::RTNORM && !other.empty()) return true;
  if (isLispCommand(command)) return true;
  return aliasFileTakes(L"acad.pgp", name) || aliasFileTakes(L"acadUser.pgp", name);
}

bool AutoCADAliasHost::add(const std::string& name) {
  cad::CommandStack* stack = commandStack();
  const std::wstring command = wide(name);
  return stack != nullptr &&
         stack->addCommand(kCustomCommandGroup, command.c_str(), command.c_str(), cad::ACRX_CMD_MODAL, openFromAlias,
                           nullptr, -1, cad::ResourceInstance::empty(), nullptr) == cad::eOk;
}

bool AutoCADAliasHost::remove(const std::string& name) {
  cad::CommandStack* stack = commandStack();
  return stack != nullptr && stack->removeCmd(kCustomCommandGroup, wide(name).c_str()) == cad::eOk;
}

bool AutoCADAliasHost::save(const std::string& name) {
  return cad::acedSetEnv(kCustomCommandGroup, wide(name).c_str()) == cad::RTNORM;
}

AutoCADAliasHost& customCommandHost() {
  static AutoCADAliasHost host;
  return host;
}

std::string errorMessage(qdl::AliasResult result) {
  switch (result) {
    case qdl::AliasResult::InvalidName:
      return QDLT("请输入 1–16 位英文字母、数字或下划线，并以字母开头。QUODL 和 DUZOZARED 前缀为保留命令。");
    case qdl::AliasResult::Occupied:
      return QDLT("该命令已被 AutoCAD、LISP 或快捷命令占用，或快捷命令文件无法读取。请换一个名称。");
    case qdl::AliasResult::RegisterFailed:
      return QDLT("AutoCAD 未能注册此命令，原设置未更改。");
    case qdl::AliasResult::SaveFailed:
      return QDLT("命令设置未能保存，原设置未更改。");
    case qdl::AliasResult::RolledBack:
      return QDLT("旧命令未能移除，已恢复原设置。");
    case qdl::AliasResult::RollbackFailed:
      return QDLT("AutoCAD 未能恢复命令状态，请重启后使用 QUODL 检查设置。");
    default:
      return "";
  }
}

void qdl_command_settings_initialize() {
  quodlTraceCall("qdl_command_settings_initialize");
  alias = std::make_unique<qdl::CommandAlias>(customCommandHost());
  if (alias->restore() != qdl::AliasResult::Ok) {
    cad::acutPrintf(L"\nFerrolin 批打工具：自定义命令未启用，请使用 QUODL 打开启动命令设置。");
  }
}

void qdl_command_settings_shutdown() {
  quodlTraceCall("qdl_command_settings_shutdown");
  if (cad::CommandStack* stack = commandStack()) stack->removeGroup(kCustomCommandGroup);
  alias.reset();
}

void openFromAlias() {
  cad::DocManager* manager = cad::acDocManagerPtr();
  if (manager == nullptr) return;
  if (cad::Document* doc = manager->curDocument()) manager->sendStringToExecute(doc, L"QUODL ", true, false, false);
}
