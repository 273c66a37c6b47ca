#include "cad/lisp_symbols.h"

#include "cad/command_stack.h"

namespace cad {

void LispSymbols::define(const std::wstring& name, const std::wstring& value) { symbols_[upperAscii(name)] = value; }

void LispSymbols::undefine(const std::wstring& name) { symbols_.erase(upperAscii(name)); }

void LispSymbols::reset() {
  symbols_.clear();
  fail = false;
}

LispSymbols& lispSymbols() {
  static LispSymbols* instance = new LispSymbols;
  return *instance;
}

int acedGetSym(const wchar_t* name, resbuf** value) {
  if (value == nullptr) return RTERROR;
  *value = nullptr;
  LispSymbols& table = lispSymbols();
  if (name == nullptr || *name == 0 || table.fail) return RTERROR;
  auto it = table.symbols_.find(upperAscii(name));
  if (it == table.symbols_.end()) {
    *value = acutNewRb(RTNIL);
    return RTNORM;
  }
  resbuf* rb = acutNewRb(RTSTR);
  rb->resval.rstring = acutNewString(it->second.c_str());
  *value = rb;
  return RTNORM;
}

}  // namespace cad
