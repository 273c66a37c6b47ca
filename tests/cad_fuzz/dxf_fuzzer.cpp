// libFuzzer entry: any bytes through the DXF reader and the drawing's uses.
#include <cstdlib>

#include "exercise_dxf.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!exerciseDxf(data, size)) std::abort();
  return 0;
}
