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

std::wstring evaluateLispLine(const std::wstring& line) {
  auto isSpace = [](wchar_t c) { return c == L' ' || c == L'\t'; };
  std::size_t at = 0;
  while (at < line.size() && isSpace(line[at])) ++at;
  if (at >= line.size() || line[at] != L'(') return L"; error: not a LISP expression";
  ++at;
  auto token = [&] {
    while (at < line.size() && isSpace(line[at])) ++at;
    const std::size_t start = at;
    while (at < line.size() && !isSpace(line[at]) && line[at] != L'(' && line[at] != L')') ++at;
    return line.substr(start, at - start);
  };
  const std::wstring function = upperAscii(token());
  if (function != L"DEFUN") return L"; error: no function definition: " + function;
  const std::wstring name = upperAscii(token());
  if (name.empty()) return L"; error: bad argument type: symbolp nil";
  lispSymbols().define(name, L"#<USUBR " + name + L">");
  return name;
}

}  // namespace cad
