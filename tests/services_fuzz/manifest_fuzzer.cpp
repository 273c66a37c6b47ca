// libFuzzer entry: any bytes as a release manifest.
#include <cstdlib>

#include "exercise_manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!exerciseManifest(data, size)) std::abort();
  return 0;
}
