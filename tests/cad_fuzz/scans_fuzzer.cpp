// libFuzzer entry: any bytes through the DXF reader, then through the scans and job pages on what it accepts.
#include <cstdlib>

#include "exercise_scans.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!exerciseScans(data, size)) std::abort();
  return 0;
}
