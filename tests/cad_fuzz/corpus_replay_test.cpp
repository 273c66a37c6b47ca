// Replays the fuzz corpus (seeds, one file for each kind of damage, and inputs that once crashed the reader or
// the scans) in every test run, through the reader and through the scans.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "damaged_drawings.h"
#include "exercise_dxf.h"
#include "exercise_scans.h"

namespace {

std::string readBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::filesystem::path> corpus() {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(QUODL_FUZZ_CORPUS_DIR)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  return files;
}

}  // namespace

TEST(DxfFuzzCorpus, EveryInputIsReadOrRefusedCleanly) {
  const std::vector<std::filesystem::path> files = corpus();
  EXPECT_GT(files.size(), 0u);
  for (const auto& file : files) {
    const std::string bytes = readBytes(file);
    SCOPED_TRACE(file.filename().string());
    EXPECT_TRUE(exerciseDxf(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
  }
}

TEST(DxfFuzzCorpus, EveryInputTheReaderAcceptsIsScannedCleanly) {
  for (const auto& file : corpus()) {
    const std::string bytes = readBytes(file);
    SCOPED_TRACE(file.filename().string());
    EXPECT_TRUE(exerciseScans(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
  }
}

// The seeds give the fuzzer each kind of damage to start from; each file still is what its kind says.
TEST(DxfFuzzCorpus, HoldsOneSeedForEachKindOfDamage) {
  for (const DamagedDrawing& kind : damagedDrawings(QUODL_SAMPLES_DIR)) {
    SCOPED_TRACE(kind.name);
    const std::filesystem::path file = std::filesystem::path(QUODL_FUZZ_CORPUS_DIR) / ("damage-" + kind.name + ".dxf");
    ASSERT_TRUE(std::filesystem::is_regular_file(file));
    const cad::DxfReadResult result = cad::readDxfText(readBytes(file));
    if (kind.opens) {
      EXPECT_TRUE(result.database) << result.error;
      EXPECT_EQ(std::count(result.warnings.begin(), result.warnings.end(), kind.message), 1);
    } else {
      EXPECT_EQ(result.error, kind.message);
    }
  }
}
