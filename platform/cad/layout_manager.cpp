#include "cad/layout_manager.h"

#include "cad/database.h"
#include "cad/layouts.h"
#include "cad/sysvars.h"

namespace cad {

namespace {
bool gAbsent = false;
}

ErrorStatus LayoutManager::getActiveLayoutName(std::wstring& name, bool allowModel, const Database* db) const {
  name.clear();
  if (faults.activeName) return eNotApplicable;
  if (db == nullptr) db = acdbHostApplicationServices()->workingDatabase();
  if (db == nullptr) return eInvalidInput;
  const Layout* layout = layoutObject(db, db->currentLayoutId());
  if (layout == nullptr) return eKeyNotFound;
  if (!allowModel && db->tileMode()) return eNotApplicable;
  name = layout->layoutName;
  return eOk;
}

ErrorStatus LayoutManager::setCurrentLayout(const wchar_t* name) {
  if (faults.setCurrent) return eNotApplicable;
  if (name == nullptr || *name == 0) return eInvalidInput;
  resbuf value;
  value.restype = RTSTR;
  value.resval.rstring = const_cast<wchar_t*>(name);  // read only by acedSetVar
  return acedSetVar(L"CTAB", &value) == RTNORM ? eOk : eKeyNotFound;
}

LayoutManager* layoutManager() {
  static LayoutManager* instance = new LayoutManager;
  return gAbsent ? nullptr : instance;
}

void setLayoutManagerAbsent(bool absent) { gAbsent = absent; }

LayoutManager* HostApplicationServices::layoutManager() const { return cad::layoutManager(); }

}  // namespace cad
