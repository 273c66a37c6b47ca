#include "cad/sysvars.h"

#include <cwchar>
#include <string>

#include "cad/command_stack.h"
#include "cad/database.h"
#include "cad/doc_manager.h"
#include "cad/editor.h"
#include "cad/layouts.h"

namespace cad {

namespace {

Database* workingDatabase() { return acdbHostApplicationServices()->workingDatabase(); }

int putShort(resbuf* result, int value) {
  result->restype = RTSHORT;
  result->resval.rint = static_cast<short>(value);
  return RTNORM;
}

int putString(resbuf* result, const std::wstring& value) {
  wchar_t* copy = acutNewString(value.c_str());
  if (copy == nullptr) return RTERROR;
  result->restype = RTSTR;
  result->resval.rstring = copy;
  return RTNORM;
}

// The file name the working drawing is known by: its document's, else the database's own.
std::wstring drawingFileName(const Database* db) {
  for (Document* doc : docManager().documents()) {
    if (doc->database() == db) return doc->fileName();
  }
  return db->filename;
}

std::wstring lastComponent(const std::wstring& path) {
  const auto slash = path.find_last_of(L'/');
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring folderWithSlash(const std::wstring& path) {
  const auto slash = path.find_last_of(L'/');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

int headerInteger(const Database* db, const wchar_t* name, int fallback) {
  auto it = db->headerVariables.find(name);
  if (it == db->headerVariables.end()) return fallback;
  wchar_t* end = nullptr;
  const long value = std::wcstol(it->second.c_str(), &end, 10);
  if (end == it->second.c_str() || value < -32768 || value > 32767) return fallback;
  return static_cast<int>(value);
}

}  // namespace

void SystemVariables::installDefaults() {
  plain_[L"ACADVER"] = {std::wstring(L"25.0s"), true};
  plain_[L"BACKGROUNDPLOT"] = {short{2}, false};
  plain_[L"FILEDIA"] = {short{1}, false};
  plain_[L"CMDDIA"] = {short{1}, false};
  plain_[L"CMDECHO"] = {short{1}, false};
  plain_[L"EXPERT"] = {short{0}, false};
  plain_[L"PUBLISHCOLLATE"] = {short{1}, false};
}

void SystemVariables::setValue(const std::wstring& name, Value value, bool readOnly) {
  plain_[upperAscii(name)] = {std::move(value), readOnly};
}

void SystemVariables::reset() {
  plain_.clear();
  installDefaults();
  activeViewports_.clear();
  faults = {};
}

int SystemVariables::currentViewport(const Database* db) const {
  if (db == nullptr) return 0;
  const ObjectId layout = db->currentLayoutId();
  auto it = activeViewports_.find(layout);
  if (it != activeViewports_.end()) return it->second;
  return db->tileMode() ? 2 : 1;
}

ObjectId SystemVariables::currentSpace(const Database* db) const {
  if (db == nullptr) return {};
  if (db->tileMode() || currentViewport(db) >= 2) return db->modelSpaceId();
  const Layout* layout = layoutObject(db, db->currentLayoutId());
  return layout == nullptr ? ObjectId{} : layout->getBlockTableRecordId();
}

int SystemVariables::get(const std::wstring& name, resbuf* result) const {
  if (faults.get.count(name) != 0) return RTERROR;
  if (auto it = plain_.find(name); it != plain_.end()) {
    const Value& v = it->second.value;
    if (const short* s = std::get_if<short>(&v)) return putShort(result, *s);
    if (const double* d = std::get_if<double>(&v)) {
      result->restype = RTREAL;
      result->resval.rreal = *d;
      return RTNORM;
    }
    return putString(result, std::get<std::wstring>(v));
  }
  const Database* db = workingDatabase();
  if (db == nullptr) return RTERROR;
  if (name == L"CTAB") {
    const Layout* layout = layoutObject(db, db->currentLayoutId());
    if (layout == nullptr) return RTERROR;
    return putString(result, layout->layoutName);
  }
  if (name == L"TILEMODE") return putShort(result, db->tileMode() ? 1 : 0);
  if (name == L"CVPORT") return putShort(result, currentViewport(db));
  if (name == L"PSTYLEMODE") return putShort(result, headerInteger(db, L"$PSTYLEMODE", 1) == 0 ? 0 : 1);
  const std::wstring file = drawingFileName(db);
  if (name == L"DWGNAME") return putString(result, lastComponent(file));
  if (name == L"DWGPREFIX") return putString(result, folderWithSlash(file));
  if (name == L"DWGTITLED") return putShort(result, file.find(L'/') != std::wstring::npos ? 1 : 0);
  return RTERROR;
}

int SystemVariables::setLayout(Database* db, ObjectId layout, const wchar_t* changed) {
  const bool tileBefore = db->tileMode();
  const int viewportBefore = currentViewport(db);
  editor().fireSysVarWillChange(changed);
  db->setCurrentLayoutId(layout);
  // The reactors hear the variable that was set, then those that changed with it.
  editor().fireSysVarChanged(changed, true);
  if (std::wcscmp(changed, L"TILEMODE") != 0 && db->tileMode() != tileBefore) {
    editor().fireSysVarChanged(L"TILEMODE", true);
  }
  if (currentViewport(db) != viewportBefore) editor().fireSysVarChanged(L"CVPORT", true);
  return RTNORM;
}

int SystemVariables::setViewport(Database* db, int number, const wchar_t* changed) {
  editor().fireSysVarWillChange(changed);
  activeViewports_[db->currentLayoutId()] = number;
  editor().fireSysVarChanged(changed, true);
  return RTNORM;
}

int SystemVariables::set(const std::wstring& name, const resbuf& value) {
  if (faults.set.count(name) != 0) return RTERROR;
  if (auto it = plain_.find(name); it != plain_.end()) {
    Plain& plain = it->second;
    if (plain.readOnly) return RTERROR;
    if (std::holds_alternative<short>(plain.value)) {
      if (value.restype != RTSHORT) return RTERROR;
      plain.value = value.resval.rint;
    } else if (std::holds_alternative<double>(plain.value)) {
      if (value.restype != RTREAL) return RTERROR;
      plain.value = value.resval.rreal;
    } else {
      if (value.restype != RTSTR || value.resval.rstring == nullptr) return RTERROR;
      plain.value = std::wstring(value.resval.rstring);
    }
    editor().fireSysVarWillChange(name.c_str());
    editor().fireSysVarChanged(name.c_str(), true);
    return RTNORM;
  }
  Database* db = workingDatabase();
  if (db == nullptr) return RTERROR;
  if (name == L"CTAB") {
    if (value.restype != RTSTR || value.resval.rstring == nullptr) return RTERROR;
    const ObjectId layout = db->layoutId(value.resval.rstring);
    if (layout.isNull() || layoutObject(db, layout) == nullptr) return RTERROR;
    return setLayout(db, layout, L"CTAB");
  }
  if (name == L"TILEMODE") {
    if (value.restype != RTSHORT || (value.resval.rint != 0 && value.resval.rint != 1)) return RTERROR;
    const ObjectId layout = value.resval.rint == 1 ? modelLayoutId(db) : firstPaperLayoutId(db);
    if (layout.isNull()) return RTERROR;
    return setLayout(db, layout, L"TILEMODE");
  }
  if (name == L"CVPORT") {
    if (value.restype != RTSHORT) return RTERROR;
    const int number = value.resval.rint;
    if (db->tileMode()) return number == 2 ? setViewport(db, 2, L"CVPORT") : RTERROR;
    if (number == 1) return setViewport(db, 1, L"CVPORT");
    if (!layoutHasViewport(db, db->currentLayoutId(), number)) return RTERROR;
    return setViewport(db, number, L"CVPORT");
  }
  return RTERROR;  // unknown, or read-only (PSTYLEMODE, DWGNAME, …)
}

SystemVariables& systemVariables() {
  static SystemVariables* instance = new SystemVariables;
  return *instance;
}

int acedGetVar(const wchar_t* name, resbuf* result) {
  if (name == nullptr || result == nullptr) return RTERROR;
  return systemVariables().get(upperAscii(name), result);
}

int acedSetVar(const wchar_t* name, const resbuf* value) {
  if (name == nullptr || value == nullptr) return RTERROR;
  return systemVariables().set(upperAscii(name), *value);
}

int acedPspace() {
  Database* db = workingDatabase();
  if (db == nullptr || db->tileMode()) return RTERROR;
  SystemVariables& vars = systemVariables();
  if (vars.currentViewport(db) == 1) return RTNORM;
  return vars.setViewport(db, 1, L"CVPORT");
}

int acedMspace() {
  Database* db = workingDatabase();
  if (db == nullptr || db->tileMode()) return RTERROR;
  SystemVariables& vars = systemVariables();
  if (vars.currentViewport(db) >= 2) return RTNORM;
  const int number = firstViewportNumber(db, db->currentLayoutId());
  if (number < 2) return RTERROR;
  return vars.setViewport(db, number, L"CVPORT");
}

}  // namespace cad
