// Replays the release-manifest fuzz corpus (seeds for each kind of hostile manifest, and any input that once
// broke the rules) in every test run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "exercise_manifest.h"

TEST(ManifestFuzzCorpus, EveryInputIsReadOrRefusedCleanly) {
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(QUODL_FUZZ_CORPUS_DIR)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    SCOPED_TRACE(entry.path().filename().string());
    EXPECT_TRUE(exerciseManifest(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    ++files;
  }
  EXPECT_GT(files, 0u);
}
