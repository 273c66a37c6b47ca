// A plug-in for cadhost that shows the toolkit's demo window: TOOLKITDEMO shows it, and everything done in it
// is printed on the command line. TOOLKITDEMOBUSY works in five steps, as a plot does, writing each step into
// the window's name field and pumping events between steps.

#include "cad/command_line.h"
#include "cad/command_stack.h"
#include "cad/dynamic_linker.h"
#include "cad/registry.h"
#include "demo_window.h"
#include "foundation/text.h"
#include "toolkit/application.h"
#include "toolkit/text_field.h"
#include "toolkit/user_actions.h"

namespace {

constexpr const wchar_t* kGroup = L"QUODL_TOOLKIT_DEMO";
std::shared_ptr<toolkit::Window> gDemoWindow;

cad::CommandStack* commandStack() {
  return dynamic_cast<cad::CommandStack*>(cad::acrxSysRegistry()->at(L"ACAD_REGISTERED_COMMANDS"));
}

void show() {
  if (!gDemoWindow) {
    gDemoWindow = toolkit_demo::makeDemoWindow([](const std::string& text) {
      cad::acutPrintf(L"\n%ls", foundation::wideFromUtf8Lossy(text).c_str());
    });
  }
  gDemoWindow->makeKeyAndOrderFront(nullptr);
}

void busy() {
  if (!gDemoWindow) return;
  auto* name = dynamic_cast<toolkit::TextField*>(toolkit::findView(*gDemoWindow, "name"));
  for (int step = 1; step <= 5; ++step) {
    const std::string text = "第 " + std::to_string(step) + " 步 step " + std::to_string(step);
    if (name != nullptr) name->setStringValue(text);
    cad::acutPrintf(L"\nBusy %ls", foundation::wideFromUtf8Lossy(text).c_str());
    toolkit::Application::shared().pumpEvents(24);
  }
  cad::acutPrintf(L"\nBusy done");
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int acrxEntryPoint(int message, void* appId) {
  switch (message) {
    case 1:
      cad::dynamicLinker().unlockApplication(appId);
      cad::dynamicLinker().registerAppMDIAware(appId);
      if (cad::CommandStack* stack = commandStack()) {
        stack->addCommand(kGroup, L"TOOLKITDEMO", L"TOOLKITDEMO", cad::ACRX_CMD_MODAL, show);
        stack->addCommand(kGroup, L"TOOLKITDEMOBUSY", L"TOOLKITDEMOBUSY", cad::ACRX_CMD_MODAL, busy);
      }
      return 0;
    case 2:
      // The window's actions are this module's code: the window goes before the module does.
      if (gDemoWindow) gDemoWindow->close();
      gDemoWindow.reset();
      if (cad::CommandStack* stack = commandStack()) stack->removeGroup(kGroup);
      return 0;
    default:
      return 0;
  }
}
