#pragma once
// Running a host command synchronously from inside a running command, as "_.ZOOM" "_W" p1 p2. Every call is
// recorded.

#include <string>
#include <vector>

#include "cad/editor_input.h"
#include "cad/result_buffer.h"

namespace cad {

// Arguments as pairs of a type code and a value, ended by RTNONE (or 0): RTSTR with a const wchar_t*,
// RT3DPOINT or RTPOINT with a const double* of three (two) coordinates, RTREAL with a double, RTSHORT and
// RTLONG with an int. The first argument names the command. RTNORM when the command ran to its end, RTCAN
// when a prompt was left unanswered, RTERROR for an unknown command or a bad argument, RTREJ outside a
// command running in a document.
int acedCommandS(int type, ...);
// The same with the arguments in a result-buffer chain.
int acedCmdS(const resbuf* arguments);

struct CommandCall {
  std::vector<InputItem> arguments;  // the command name first
  int result = 0;
};

class CommandCalls {
 public:
  std::vector<CommandCall> calls;
  void reset() { calls.clear(); }
};

CommandCalls& commandCalls();

}  // namespace cad
