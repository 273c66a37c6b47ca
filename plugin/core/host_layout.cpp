// The working drawing's current layout and space, read and switched through the host's system variables.
#include "core/host_bridge.h"

#include "cad/database.h"
#include "cad/layout_manager.h"
#include "cad/result_buffer.h"
#include "cad/sysvars.h"
#include "core/own_layout_switch.h"

namespace {

int gOwnSwitches = 0;  // main thread only

// Marks the switch for as long as the host takes to make it and to tell its reactors, whatever it throws.
class OwnSwitch {
 public:
  OwnSwitch() { ++gOwnSwitches; }
  ~OwnSwitch() { --gOwnSwitches; }
  OwnSwitch(const OwnSwitch&) = delete;
  OwnSwitch& operator=(const OwnSwitch&) = delete;
};

// A string the host handed back belongs to the caller, whatever the read answered.
void releaseString(cad::resbuf& value) {
  if (value.restype == cad::RTSTR && value.resval.rstring != nullptr) cad::acutDelString(value.resval.rstring);
}

}  // namespace

bool vexBatchActivateLayout(const std::wstring& name) {
  if (name.empty()) return false;

  cad::resbuf request;
  request.restype = cad::RTSTR;
  request.resval.rstring = const_cast<wchar_t*>(name.c_str());
  {
    const OwnSwitch own;
    if (cad::acedSetVar(L"CTAB", &request) != cad::RTNORM) return false;
  }

  // The host matches layout names ignoring case; only an exact read-back confirms the layout asked for.
  cad::resbuf current;
  const int status = cad::acedGetVar(L"CTAB", &current);
  const bool confirmed = status == cad::RTNORM && current.restype == cad::RTSTR &&
                         current.resval.rstring != nullptr && name == current.resval.rstring;
  releaseString(current);
  return confirmed;
}

bool vexBatchSwitchingLayoutItself() { return gOwnSwitches > 0; }

std::int64_t vexBatchPrintSourceForCurrentSpace() {
  cad::resbuf value;
  const int status = cad::acedGetVar(L"TILEMODE", &value);
  std::int64_t source = -1;
  if (status == cad::RTNORM) {
    if (value.restype == cad::RTSHORT) source = value.resval.rint != 0 ? 1 : 0;
    if (value.restype == cad::RTLONG) source = value.resval.rlong != 0 ? 1 : 0;
  }
  releaseString(value);
  return source;
}

std::wstring vexBatchCurrentLayoutName() {
  cad::LayoutManager* manager = cad::layoutManager();
  if (manager == nullptr) return {};
  cad::HostApplicationServices* services = cad::acdbHostApplicationServices();
  const cad::Database* db = services != nullptr ? services->workingDatabase() : nullptr;
  std::wstring name;
  if (manager->getActiveLayoutName(name, true, db) != cad::eOk) return {};
  return name;
}
