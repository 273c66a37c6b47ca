#pragma once
// The host's LISP symbol table, as far as the plug-in asks it: whether a symbol such as "C:NAME" (a LISP
// command) is defined.

#include <map>
#include <string>

#include "cad/result_buffer.h"

namespace cad {

// RTNORM with a new result buffer: RTNIL for an undefined symbol, else RTSTR with the symbol's value text.
// The caller releases it with acutRelRb. RTERROR (and no buffer) when the call fails.
int acedGetSym(const wchar_t* name, resbuf** value);

class LispSymbols {
 public:
  // Test side
  void define(const std::wstring& name, const std::wstring& value = L"#<USUBR>");
  void undefine(const std::wstring& name);
  bool fail = false;  // acedGetSym answers RTERROR
  void reset();

 private:
  friend int acedGetSym(const wchar_t*, resbuf**);
  std::map<std::wstring, std::wstring> symbols_;  // by upper-case name: LISP symbols ignore case
};

LispSymbols& lispSymbols();

// A LISP expression typed on the command line. Only a function definition is understood: "(defun NAME …)"
// defines NAME (a command when it starts with "C:") and answers its name, as the host echoes it; any other
// expression answers "; error: …" and changes nothing.
std::wstring evaluateLispLine(const std::wstring& line);

}  // namespace cad
