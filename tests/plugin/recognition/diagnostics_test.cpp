#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <set>

#include "fixture.h"
#include "recognition/blank_frames.h"
#include "recognition/diagnostics_dictionary.h"
#include "recognition/model_scan.h"
#include "recognition/recognition_state.h"

namespace {

std::set<std::string> keysOf(const nlohmann::json& object) {
  std::set<std::string> keys;
  for (const auto& [key, value] : object.items()) keys.insert(key);
  return keys;
}

class DiagnosticsDictionary : public testing::Test {
 protected:
  void SetUp() override { vexBatchResetRecognitionStateForTesting(); }
  void TearDown() override { vexBatchResetRecognitionStateForTesting(); }
};

TEST_F(DiagnosticsDictionary, EmptyScansGiveZeroCountersAndTheOptions) {
  recognition_test::DrawingFixture drawing;
  gBatchModelDiagnostics.finalCount = 4;  // a stale value the scan must replace
  vexCollectModelFrames();
  nlohmann::json d = vexBatchRecognitionDiagnosticsDictionary();
  EXPECT_EQ(keysOf(d), (std::set<std::string>{"layout", "model", "options"}));
  EXPECT_EQ(keysOf(d["layout"]), (std::set<std::string>{"rawCandidates",
                                                        "viewports",
                                                        "matched",
                                                        "enclosingCandidates",
                                                        "promotedEnclosures",
                                                        "singleViewportCandidates",
                                                        "promotedSingleViewportFrames",
                                                        "contentOnlyCandidates",
                                                        "promotedContentOnlyFrames",
                                                        "acceptedWithoutViewport",
                                                        "acceptedSingleViewport",
                                                        "acceptedMultipleViewports",
                                                        "nestedChildExcluded",
                                                        "lowerPriorityOuterExcluded",
                                                        "geometryClosedRectangles",
                                                        "legacyCurveRectangles",
                                                        "outerFrameGroups",
                                                        "groupedViewports",
                                                        "suppressedFallbackViewports",
                                                        "duplicates",
                                                        "filteredOut",
                                                        "finalCount"}));
  EXPECT_EQ(
      keysOf(d["model"]),
      (std::set<std::string>{"rawCandidates", "rotatedCandidates", "dynamicBlockReferences", "externalReferenceBlocks",
                             "nonUniformScaleReferences", "filteredOut", "duplicates", "nestedExcluded",
                             "nestedChildExcluded", "lowerPriorityOuterExcluded", "finalCount"}));
  for (const char* part : {"layout", "model"}) {
    for (const auto& [key, value] : d[part].items()) {
      EXPECT_TRUE(value.is_number_unsigned()) << part << "." << key;
      EXPECT_EQ(value.get<std::uint64_t>(), 0u) << part << "." << key;
    }
  }
  EXPECT_EQ(d["options"], (nlohmann::json{{"includeNonPlottableLayers", true}, {"excludeBlankRectangles", true}}));
}

TEST_F(DiagnosticsDictionary, EachCounterLandsUnderItsOwnKey) {
  // Distinct values show that no key reads another counter.
  std::uint64_t next = 1;
  for (auto* d : {&gBatchLayoutDiagnostics, &gBatchModelDiagnostics}) {
    for (auto counter : {&VexBatchScanDiagnostics::rawCandidates,
                         &VexBatchScanDiagnostics::viewports,
                         &VexBatchScanDiagnostics::matched,
                         &VexBatchScanDiagnostics::enclosingCandidates,
                         &VexBatchScanDiagnostics::promotedEnclosures,
                         &VexBatchScanDiagnostics::singleViewportCandidates,
                         &VexBatchScanDiagnostics::promotedSingleViewportFrames,
                         &VexBatchScanDiagnostics::contentOnlyCandidates,
                         &VexBatchScanDiagnostics::promotedContentOnlyFrames,
                         &VexBatchScanDiagnostics::acceptedWithoutViewport,
                         &VexBatchScanDiagnostics::acceptedSingleViewport,
                         &VexBatchScanDiagnostics::acceptedMultipleViewports,
                         &VexBatchScanDiagnostics::nestedChildExcluded,
                         &VexBatchScanDiagnostics::lowerPriorityOuterExcluded,
                         &VexBatchScanDiagnostics::geometryClosedRectangles,
                         &VexBatchScanDiagnostics::legacyCurveRectangles,
                         &VexBatchScanDiagnostics::outerFrameGroups,
                         &VexBatchScanDiagnostics::groupedViewports,
                         &VexBatchScanDiagnostics::suppressedFallbackViewports,
                         &VexBatchScanDiagnostics::duplicates,
                         &VexBatchScanDiagnostics::filteredOut,
                         &VexBatchScanDiagnostics::nestedExcluded,
                         &VexBatchScanDiagnostics::rotatedCandidates,
                         &VexBatchScanDiagnostics::dynamicBlockReferences,
                         &VexBatchScanDiagnostics::externalReferenceBlocks,
                         &VexBatchScanDiagnostics::nonUniformScaleReferences,
                         &VexBatchScanDiagnostics::finalCount}) {
      (*d).*counter = next++;
    }
  }
  gBatchIncludeNonPlottableLayers = false;
  nlohmann::json d = vexBatchRecognitionDiagnosticsDictionary();
  EXPECT_EQ(d["layout"]["rawCandidates"], 1u);
  EXPECT_EQ(d["layout"]["suppressedFallbackViewports"], 19u);
  EXPECT_EQ(d["layout"]["duplicates"], 20u);
  EXPECT_EQ(d["layout"]["filteredOut"], 21u);
  EXPECT_EQ(d["layout"]["finalCount"], 27u);
  EXPECT_EQ(d["model"]["rawCandidates"], 28u);
  EXPECT_EQ(d["model"]["nestedChildExcluded"], 40u);
  EXPECT_EQ(d["model"]["lowerPriorityOuterExcluded"], 41u);
  EXPECT_EQ(d["model"]["duplicates"], 47u);
  EXPECT_EQ(d["model"]["filteredOut"], 48u);
  EXPECT_EQ(d["model"]["nestedExcluded"], 49u);
  EXPECT_EQ(d["model"]["rotatedCandidates"], 50u);
  EXPECT_EQ(d["model"]["dynamicBlockReferences"], 51u);
  EXPECT_EQ(d["model"]["externalReferenceBlocks"], 52u);
  EXPECT_EQ(d["model"]["nonUniformScaleReferences"], 53u);
  EXPECT_EQ(d["model"]["finalCount"], 54u);
  EXPECT_FALSE(d["options"]["includeNonPlottableLayers"].get<bool>());
  EXPECT_TRUE(d["options"]["excludeBlankRectangles"].get<bool>());
  // Sorted-key output, as the diagnostics file writes it.
  EXPECT_EQ(d.dump().substr(0, 11), "{\"layout\":{");
}

TEST(CountExcludedBlankFrames, DistinctFramesPerLayout) {
  std::vector<QDLExcludedBlankFrame> frames{
      {L"Layout1", 0, 0, 420, 297},    {L"Layout1", 0.005, 0, 420, 297.009},  // the same rectangle seen twice
      {L"Layout1", 0.02, 0, 420, 297},                                        // 0.02 apart: another one
      {L"Layout2", 0, 0, 420, 297},    {L"", 1000, 0, 1420, 297},             // model space
  };
  EXPECT_EQ(QDLCountExcludedBlankFrames(frames, L"Layout1", nullptr), 2u);
  EXPECT_EQ(QDLCountExcludedBlankFrames(frames, L"layout1", nullptr), 0u);  // names compare exactly
  EXPECT_EQ(QDLCountExcludedBlankFrames(frames, L"Layout2", nullptr), 1u);
  EXPECT_EQ(QDLCountExcludedBlankFrames(frames, L"", nullptr), 4u);
  EXPECT_EQ(QDLCountExcludedBlankFrames({}, L"", nullptr), 0u);
}

TEST(CountExcludedBlankFrames, InsideAWindowGrownByHalfAUnit) {
  QDLExcludedBlankFrame window{L"Layout1", 0, 0, 420, 297};
  struct Case {
    QDLExcludedBlankFrame frame;
    std::uint64_t counted;
  };
  const Case cases[] = {
      {{L"Layout1", 10, 10, 100, 100}, 1},   {{L"Layout1", -0.4, 10, 100, 100}, 1},
      {{L"Layout1", -0.6, 10, 100, 100}, 0}, {{L"Layout1", 10, 10, 420.4, 297.4}, 1},
      {{L"Layout1", 10, 10, 100, 297.6}, 0}, {{L"Layout2", 10, 10, 100, 100}, 0},  // another layout's frame
      {{L"", 10, 10, 100, 100}, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(QDLCountExcludedBlankFrames({c.frame}, L"", &window), c.counted)
        << c.frame.minX << " " << c.frame.maxX << " " << c.frame.maxY;
  }
  EXPECT_EQ(QDLCountExcludedBlankFrames({{L"Layout1", 10, 10, 100, 100}}, L"Layout2", &window), 0u);
}

}  // namespace
