#include "services/host_year.h"

#include "cad/result_buffer.h"
#include "cad/sysvars.h"

std::int64_t hostYearFromVersion(std::wstring_view acadver) {
  if (acadver.starts_with(L"26.")) return 2027;
  if (acadver.starts_with(L"25.1")) return 2026;
  if (acadver.starts_with(L"25.0")) return 2025;
  if (acadver.starts_with(L"24.3")) return 2024;
  return 0;
}

std::int64_t currentHostYear() {
  cad::resbuf value{};
  const int status = cad::acedGetVar(L"ACADVER", &value);
  if (value.restype != cad::RTSTR || value.resval.rstring == nullptr) return 0;
  const std::int64_t year = status == cad::RTNORM ? hostYearFromVersion(value.resval.rstring) : 0;
  cad::acdbFree(value.resval.rstring);
  return year;
}
