#include "cad/host_reset.h"

#include "cad/command_call.h"
#include "cad/command_line.h"
#include "cad/command_loop.h"
#include "cad/command_names.h"
#include "cad/command_stack.h"
#include "cad/doc_manager.h"
#include "cad/dynamic_linker.h"
#include "cad/editor.h"
#include "cad/editor_input.h"
#include "cad/environment.h"
#include "cad/find_file.h"
#include "cad/host_paths.h"
#include "cad/layout_manager.h"
#include "cad/lisp_symbols.h"
#include "cad/plot/plot_reset.h"
#include "cad/plot_state.h"
#include "cad/registry.h"
#include "cad/sysvars.h"
#include "cad/temporary_vectors.h"
#include "cad/transient.h"
#include "cad/ucs.h"
#include "cad/window_commands.h"

namespace cad {

void resetHostForTesting() {
  // Reactors and the echo first, so closing the documents calls no test object that is gone.
  editor().clear();
  commandLine().reset();
  setDocManagerAbsent(false);
  docManager().reset();
  commandLoop().reset();
  commandStack().clear();
  commandCalls().reset();
  commandNames().clearAliases();
  dynamicLinker().clear();
  acrxSysRegistry()->clearAbsences();
  editorInput().reset();
  systemVariables().reset();
  environment().reload();
  findFileFaults().failing.clear();
  resetSupportFolders();
  setLayoutManagerAbsent(false);
  if (LayoutManager* layouts = layoutManager()) layouts->faults = {};
  lispSymbols().reset();
  setProcessPlotState(false);
  resetPlotServicesForTesting();
  temporaryVectors().reset();
  setTransientManagerAbsent(false);
  transientManager().reset();
  ucsState().reset();
  windowCommands().reset();
}

}  // namespace cad
