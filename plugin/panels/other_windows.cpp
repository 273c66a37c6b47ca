// The full panel's ways to the other windows. The compact panel, the queue and the start-command settings open
// in the host's command context through their commands; the update check is the services' own; the uninstaller
// is a separate application that the workspace opens.

#include <optional>
#include <string>
#include <string_view>

#include "core/host_bridge.h"
#include "foundation/bundle.h"
#include "foundation/main_queue.h"
#include "foundation/paths.h"
#include "panels/batch_print_panel_controller.h"
#include "panels/services_link.h"
#include "toolkit/alert.h"
#include "toolkit/workspace.h"
#include "ui/application_panel.h"
#include "ui/localisation.h"

namespace {

// The identifier that the uninstaller application's Info.plist declares, given by the build from the one value
// both use.
constexpr std::string_view kUninstallerBundleIdentifier = QUODL_UNINSTALLER_BUNDLE_IDENTIFIER;
// Below the home folder: the one place the uninstaller is looked for.
constexpr char kUninstallerLocation[] = "Applications/Quodline Uninstaller.app";

void tell(const std::string& message, const std::string& information) {
  toolkit::Alert alert;
  alert.setMessageText(message);
  alert.setInformativeText(information);
  static_cast<void>(alert.runModal());
}

}  // namespace

// The compact panel's show stores the choice, so that the next QUODL opens the compact panel again.
void VexBatchPrintPanelController::switchToLite() { static_cast<void>(queueCommand("DUZOZAREDLITE")); }

void VexBatchPrintPanelController::showFileQueue() { static_cast<void>(queueCommand("DUZOZAREDFILES")); }

void VexBatchPrintPanelController::checkUpdates() { panelServicesCheckUpdates(); }

// The panel steps aside for the settings window whether or not the command could be queued.
void VexBatchPrintPanelController::showCommandSettings() {
  panel_->orderOut();
  static_cast<void>(queueCommand("DUZOZAREDCOMMAND"));
}

// The uninstaller checks itself that no host runs and no drawing is open; here it is only found and opened.
void VexBatchPrintPanelController::uninstallPlugin() {
  const std::string location = foundation::appendingPathComponent(foundation::homeDirectory(), kUninstallerLocation);
  if (foundation::bundleIdentifier(location) != kUninstallerBundleIdentifier) {
    tell(QDLT("未找到卸载器"),
         QDLL("请用 Ferrolin 批打工具 1.0.0-beta.1 或更新版安装包覆盖安装，或打开 ZIP 内的“Quodline Uninstaller.app”。",
              "Reinstall with Ferrolin Duzoz Ared 1.0.0-beta.1 or newer, or open the uninstaller in the ZIP."));
    return;
  }
  toolkit::Workspace::shared().openApplication(location, [](std::optional<std::string> error) {
    if (!error) return;
    // The report can come on any thread; the alert is shown from the main queue.
    foundation::dispatchAsync([description = std::move(*error)] { tell(QDLT("卸载器无法打开"), description); });
  });
}
