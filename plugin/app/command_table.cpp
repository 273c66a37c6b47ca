#include "app/command_table.h"

#include <array>

#include "app/command_handlers.h"
#include "cad/command_stack.h"
#include "core/panel_lifecycle.h"
#include "queue/file_queue_commands.h"
#include "services/custom_command.h"

namespace {

struct QuodlCommand {
  const wchar_t* name;  // global and local name alike
  int flags;            // modal, or session for the one command that runs in the application context
  void (*handler)();
};

constexpr int kModal = cad::ACRX_CMD_MODAL;
constexpr int kSession = cad::ACRX_CMD_SESSION;

constexpr std::array<QuodlCommand, 22> kCommands{{
    {L"DUZOZAREDRETURN", kModal, vexBatchPrintReturn},
    {L"DUZOZAREDLITE", kModal, showLite},
    {L"DUZOZAREDPRO", kModal, vexBatchPrintProShow},
    {L"DUZOZAREDLITEEXEC", kModal, executeLite},
    {L"DUZOZAREDFILES", kModal, vexBatchPrintFilesShow},
    {L"DUZOZAREDFILESTART", kSession, vexBatchPrintFilesStart},
    {L"DUZOZAREDFILEEXEC", kModal, vexBatchPrintFileExecute},
    {L"DUZOZAREDCOMMAND", kModal, qdl_command_settings_show},
    {L"DUZOZAREDUPDATE", kModal, showUpdates},
    {L"QUODL_NATIVE", kModal, showPanel},
    {L"DUZOZARED", kModal, showPanel},
    {L"DUZOZAREDREFRESH", kModal, refreshPanel},
    {L"DUZOZAREDEXEC", kModal, executePending},
    {L"DUZOZAREDPREVIEW", kModal, executePreview},
    {L"DUZOZAREDSTATUS", kModal, printStatus},
    {L"DUZOZAREDFOCUS", kModal, focusPending},
    {L"DUZOZAREDSHOWRANGES", kModal, showRanges},
    {L"DUZOZAREDADDFRAME", kModal, addManualFrame},
    {L"DUZOZAREDPICKLAYER", kModal, pickLayer},
    {L"DUZOZAREDPICKFRAMES", kModal, pickFrames},
    {L"DUZOZAREDPICKBLOCK", kModal, pickBlock},
    {L"DUZOZAREDSELECTRANGE", kModal, selectRange},
}};

// The registry may lack the command stack (a host shutting down); then there is nothing to add to or remove
// from, and the plug-in carries on.
cad::CommandStack* commandStackService() {
  cad::SystemRegistry* registry = cad::acrxSysRegistry();
  if (registry == nullptr) return nullptr;
  return dynamic_cast<cad::CommandStack*>(registry->at(L"ACAD_REGISTERED_COMMANDS"));
}

void addCommand(const wchar_t* group, const QuodlCommand& command) {
  cad::CommandStack* stack = commandStackService();
  if (stack == nullptr) return;
  stack->addCommand(group, command.name, command.name, command.flags, command.handler, nullptr, -1,
                    cad::ResourceInstance::empty(), nullptr);
}

}  // namespace

void registerCommands() {
  for (const QuodlCommand& command : kCommands) addCommand(kQuodlCommandGroup, command);
}

void registerOpenCommand() { addCommand(kQuodlOpenCommandGroup, {kQuodlOpenCommand, kModal, showPanel}); }

void removeCommandGroups() {
  for (const wchar_t* group : {kQuodlCommandGroup, kQuodlOpenCommandGroup}) {
    if (cad::CommandStack* stack = commandStackService()) stack->removeGroup(group);
  }
}
