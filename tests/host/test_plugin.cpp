// A tiny plug-in for the host's tests: registers a command group, prints through the command line, reads a
// system variable, queues commands, asks for a point, writes an environment value and a user default,
// refuses to unload while held, and can leave commands, reactors and transient graphics behind.

#include "cad/command_line.h"
#include "cad/command_stack.h"
#include "cad/doc_manager.h"
#include "cad/dynamic_linker.h"
#include "cad/editor.h"
#include "cad/editor_input.h"
#include "cad/entities.h"
#include "cad/environment.h"
#include "cad/registry.h"
#include "cad/result_buffer.h"
#include "cad/sysvars.h"
#include "cad/transient.h"
#include "foundation/user_defaults.h"

namespace {

constexpr const wchar_t* kGroup = L"QUODL_TEST";
bool gHeld = false;
bool gLeaveCommands = false;

cad::CommandStack* commandStack() {
  return dynamic_cast<cad::CommandStack*>(cad::acrxSysRegistry()->at(L"ACAD_REGISTERED_COMMANDS"));
}

void hello() {
  cad::resbuf rb;
  if (cad::acedGetVar(L"CTAB", rb) == cad::RTNORM && rb.restype == cad::RTSTR) {
    cad::acutPrintf(L"\nHello from the test plug-in; CTAB=%ls", rb.resval.rstring);
    cad::acutDelString(rb.resval.rstring);
  } else {
    cad::acutPrintf(L"\nHello from the test plug-in; no layout");
  }
}

void queueHello() {
  cad::DocManager* docs = cad::acDocManagerPtr();
  cad::Document* doc = docs == nullptr ? nullptr : docs->mdiActiveDocument();
  if (doc == nullptr || docs->sendStringToExecute(doc, L"\x1b\x1b_HELLOTEST ", true, false, false) != cad::eOk) {
    cad::acutPrintf(L"\nCould not queue HELLOTEST");
    return;
  }
  cad::acutPrintf(L"\nQueued HELLOTEST");
}

void point() {
  cad::ads_point p;
  const int code = cad::acedGetPoint(nullptr, L"Pick a point: ", p);
  if (code == cad::RTNORM) {
    cad::acutPrintf(L"\nPOINT %.1f,%.1f", p[0], p[1]);
  } else {
    cad::acutPrintf(L"\nPOINT code %d", code);
  }
}

void settings() {
  const bool environment = cad::acedSetEnv(L"QuodlTest", L"1") == cad::RTNORM;
  const bool defaults = foundation::UserDefaults::standard().setBool(true, "QuodlTest");
  cad::acutPrintf(L"\nSETTINGS environment=%ls defaults=%ls", environment ? L"saved" : L"memory",
                  defaults ? L"saved" : L"memory");
}

struct EditorListener : cad::EditorReactor {};
struct DocumentListener : cad::DocManagerReactor {};
EditorListener gEditorListener;
DocumentListener gDocumentListener;
cad::Line gMark;

// Registers with the host and never unregisters.
void leaveRegistrations() {
  cad::editor().addReactor(&gEditorListener);
  cad::docManager().addReactor(&gDocumentListener);
  if (cad::TransientManager* manager = cad::acgiGetTransientManager()) {
    manager->addTransient(&gMark, cad::kAcGiDirectTopmost, 128, {1});
  }
}

void hold() { gHeld = true; }
void release() { gHeld = false; }
void leave() { gLeaveCommands = true; }

void add(const wchar_t* name, void (*handler)()) {
  if (cad::CommandStack* stack = commandStack()) stack->addCommand(kGroup, name, name, cad::ACRX_CMD_MODAL, handler);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int acrxEntryPoint(int message, void* appId) {
  switch (message) {
    case 1:
      cad::dynamicLinker().unlockApplication(appId);
      cad::dynamicLinker().registerAppMDIAware(appId);
      add(L"HELLOTEST", hello);
      add(L"QUEUETEST", queueHello);
      add(L"POINTTEST", point);
      add(L"SETTINGSTEST", settings);
      add(L"HOLDTEST", hold);
      add(L"RELEASETEST", release);
      add(L"LEAVETEST", leave);
      add(L"LEAVEHOSTTEST", leaveRegistrations);
      cad::acutPrintf(L"\nTest plug-in loaded.");
      return 0;
    case 2:
      if (gHeld) {
        cad::acutPrintf(L"\nTest plug-in busy; unload refused.");
        return 3;
      }
      if (!gLeaveCommands) {
        if (cad::CommandStack* stack = commandStack()) stack->removeGroup(kGroup);
      }
      cad::acutPrintf(L"\nTest plug-in unloaded.");
      return 0;
    default:
      return 0;
  }
}
