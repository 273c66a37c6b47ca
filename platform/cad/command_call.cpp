#include "cad/command_call.h"

#include <cstdarg>

#include "cad/command_loop.h"
#include "foundation/format.h"

namespace cad {

namespace {

std::wstring numberText(double value) { return foundation::formatWide(L"%.17g", value); }

int run(std::vector<InputItem> arguments) {
  CommandCall call{arguments, RTERROR};
  if (!arguments.empty() && !arguments.front().point && !arguments.front().text.empty()) {
    const std::wstring name = arguments.front().text;
    arguments.erase(arguments.begin());
    call.result = commandLoop().runNested(name, std::move(arguments));
  }
  commandCalls().calls.push_back(call);
  return call.result;
}

}  // namespace

CommandCalls& commandCalls() {
  static CommandCalls* instance = new CommandCalls;
  return *instance;
}

int acedCommandS(int type, ...) {
  std::vector<InputItem> arguments;
  bool bad = false;
  va_list args;
  va_start(args, type);
  // Bounded, so a missing terminator cannot walk the stack for ever.
  for (int count = 0; type != RTNONE && type != 0 && count < 256; ++count) {
    InputItem item;
    switch (type) {
      case RTSTR: {
        const wchar_t* text = va_arg(args, const wchar_t*);
        if (text == nullptr) bad = true;
        item.text = text == nullptr ? L"" : text;
        break;
      }
      case RT3DPOINT:
      case RTPOINT: {
        const double* p = va_arg(args, const double*);
        if (p == nullptr) {
          bad = true;
        } else {
          item.point = Point3d{p[0], p[1], type == RT3DPOINT ? p[2] : 0.0};
        }
        break;
      }
      case RTREAL:
        item.text = numberText(va_arg(args, double));
        break;
      case RTSHORT:
      case RTLONG:
        item.text = std::to_wstring(va_arg(args, int));
        break;
      default:
        bad = true;
        break;
    }
    if (bad) break;
    arguments.push_back(std::move(item));
    type = va_arg(args, int);
  }
  va_end(args);
  if (bad) {
    commandCalls().calls.push_back({arguments, RTERROR});
    return RTERROR;
  }
  return run(std::move(arguments));
}

int acedCmdS(const resbuf* chain) {
  std::vector<InputItem> arguments;
  for (const resbuf* rb = chain; rb != nullptr; rb = rb->rbnext) {
    InputItem item;
    switch (rb->restype) {
      case RTSTR:
        if (rb->resval.rstring == nullptr) return RTERROR;
        item.text = rb->resval.rstring;
        break;
      case RT3DPOINT:
        item.point = Point3d{rb->resval.rpoint[0], rb->resval.rpoint[1], rb->resval.rpoint[2]};
        break;
      case RTPOINT:
        item.point = Point3d{rb->resval.rpoint[0], rb->resval.rpoint[1], 0.0};
        break;
      case RTREAL:
        item.text = numberText(rb->resval.rreal);
        break;
      case RTSHORT:
        item.text = std::to_wstring(rb->resval.rint);
        break;
      case RTLONG:
        item.text = std::to_wstring(rb->resval.rlong);
        break;
      default:
        return RTERROR;
    }
    arguments.push_back(std::move(item));
  }
  return run(std::move(arguments));
}

}  // namespace cad
