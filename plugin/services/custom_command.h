#pragma once
// The user-chosen start command in the host: its host binding, registered in a command group of its own
// (NUVOLK_QUODL_CUSTOM_COMMAND) and saved in the host environment value of the same name; the entry points
// used by the plug-in's start-up, unload and DUZOZAREDCOMMAND.

#include <memory>
#include <string>

#include "services/command_alias.h"

inline constexpr wchar_t kCustomCommandGroup[] = L"NUVOLK_QUODL_CUSTOM_COMMAND";

// The host binding of the custom command: environment value, command stack, command names, LISP symbols and the
// alias files acad.pgp and acadUser.pgp found along the support path.
class AutoCADAliasHost : public qdl::AliasHost {
 public:
  std::string load() override;
  bool occupied(const std::string& name) override;
  bool add(const std::string& name) override;
  bool remove(const std::string& name) override;
  bool save(const std::string& name) override;
};

// The message shown for a result (empty for Ok), translated.
std::string errorMessage(qdl::AliasResult result);

// The custom command's model while the plug-in is loaded; empty before initialisation and after shutdown.
extern std::unique_ptr<qdl::CommandAlias> alias;
// The one host binding.
AutoCADAliasHost& customCommandHost();

// Called once at load: restores the saved custom command, saying on the command line when it cannot.
void qdl_command_settings_initialize();
// Called at unload before the plug-in's command group goes: removes the custom command's group; the saved name
// stays for the next load.
void qdl_command_settings_shutdown();
// Handler of DUZOZAREDCOMMAND: the start-command settings window (command_settings_window.cpp).
void qdl_command_settings_show();
// The custom command itself: forwards to QUODL in the current drawing.
void openFromAlias();
