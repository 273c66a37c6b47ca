// Start-up and unload: the only place where the plug-in starts and stops.
#include "app/entry_point.h"

#include "app/command_table.h"
#include "app/work_flags.h"
#include "cad/app_loader.h"
#include "cad/command_line.h"
#include "cad/dynamic_linker.h"
#include "core/panel_lifecycle.h"
#include "core/version.h"
#include "core/work_active.h"
#include "panels/core_link.h"
#include "panels/progress_window.h"
#include "plot/plot_run.h"
#include "plot/print_jobs.h"
#include "plot/progress_controller.h"
#include "queue/file_queue_panel.h"
#include "queue/plot_link.h"
#include "recognition/core_link.h"
#include "services/custom_command.h"
#include "services/panels_link.h"
#include "services/update_notice.h"
#include "ui/core_link.h"

namespace {

// The host may unload the plug-in later, and it works with every open document.
void declareToHost(void* appId) {
  cad::SystemRegistry* registry = cad::acrxSysRegistry();
  auto* linker = registry != nullptr ? dynamic_cast<cad::DynamicLinker*>(registry->at(L"DynamicLinker")) : nullptr;
  if (linker == nullptr) return;
  linker->unlockApplication(appId);
  linker->registerAppMDIAware(appId);
}

// Core's commands, and the plot pipeline's progress, reach the subsystems above them through what these install.
void linkCore() {
  vexBatchInstallWorkActiveTest(vexBatchPrintWorkFlagsSet);
  linkRecognitionIntoCore();
  linkInterfaceTextIntoCore();
  linkPanelsIntoCore();
  linkProgressWindowIntoPlot();
}

// The plot pipeline reaches the subsystems above it through what these install.
void linkPlot() { linkQueueIntoPlot(); }

// The full panel reaches the update check through what the services install.
void linkPanels() { linkServicesIntoPanels(); }

int initialise(void* appId) {
  linkCore();
  linkPlot();
  linkPanels();
  declareToHost(appId);
  registerCommands();
  registerOpenCommand();
  qdl_command_settings_initialize();
  vexBatchRemoveAbandonedWorkFiles();
  vexBatchPrintUpdatesStart();
  cad::acutPrintf(L"\nFerrolin 批打工具 %ls 已加载；输入 QUODL 打开面板。", kQuodlVersionWide);
  return cad::kRetOK;
}

int unload() {
  if (vexBatchPrintWorkActive()) {
    cad::acutPrintf(L"\n请停止打印队列并等待当前任务结束后再卸载。");
    return cad::kRetError;
  }
  qdl_command_settings_shutdown();
  removeCommandGroups();
  vexBatchPrintPanelShutdown();
  // The staged jobs go with the panels that staged them.
  vexBatchPrintDiscardStagedJobs();
  vexBatchQueuePanelShutdown();
  vexBatchCloseProgressWindows();
  qdl_updates_shutdown();
  return cad::kRetOK;
}

}  // namespace

extern "C" int acrxEntryPoint(int message, void* appId) {
  switch (message) {
    case cad::kInitAppMsg:
      return initialise(appId);
    case cad::kUnloadAppMsg:
      return unload();
    default:
      return cad::kRetOK;
  }
}
