#include "recognition/paper.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

struct IsoPaper {
  const wchar_t* name;
  double shortSide;
  double longSide;
};

constexpr std::array<IsoPaper, 5> kIsoPapers{{
    {L"A4", 210, 297},
    {L"A3", 297, 420},
    {L"A2", 420, 594},
    {L"A1", 594, 841},
    {L"A0", 841, 1189},
}};

constexpr std::array<double, 19> kDrawingScales{0.01, 0.02, 0.05, 0.1, 0.2, 0.25, 0.5, 1,   2,   5,
                                                10,   20,   25,   50,  100, 200,  250, 500, 1000};

constexpr std::size_t kA3 = 1;

VexBatchPrintPaperSpec paperOf(const IsoPaper& paper) { return {paper.name, paper.shortSide, paper.longSide}; }

double relativeError(double shortSide, double longSide, double paperShort, double paperLong) {
  return std::fabs(shortSide - paperShort) / paperShort + std::fabs(longSide - paperLong) / paperLong;
}

struct Nearest {
  std::size_t index = kA3;
  double error = std::numeric_limits<double>::infinity();
};

// The nearest ISO paper; on equal errors the earlier (smaller) paper stays. NaN sizes find none.
Nearest nearestIsoPaper(double shortSide, double longSide) {
  Nearest best;
  for (std::size_t i = 0; i < kIsoPapers.size(); ++i) {
    double error = relativeError(shortSide, longSide, kIsoPapers[i].shortSide, kIsoPapers[i].longSide);
    if (error < best.error) best = {i, error};
  }
  return best;
}

// The automatic paper and its error; a size beyond the sheet limit (or not a number) gets A3 with no error
// measured.
VexBatchPrintPaperSpec automaticPaper(double shortSide, double longSide, double& error) {
  error = std::numeric_limits<double>::infinity();
  if (!(shortSide <= kVexBatchSheetSideLimit) || !(longSide <= kVexBatchSheetSideLimit)) {
    return paperOf(kIsoPapers[kA3]);
  }
  Nearest nearest = nearestIsoPaper(shortSide, longSide);
  if (nearest.error <= 0.18) {
    error = nearest.error;
    return paperOf(kIsoPapers[nearest.index]);
  }
  return paperOf(kIsoPapers[kA3]);
}

// How far a lengthened sheet's short side may stray from its ISO paper's: half a percent, at least 1.5 mm.
// This matches a measured paper to a standard one, so its floor is not the one unit of slack a frame gets.
double lengthenedShortSideTolerance(const IsoPaper& iso) { return std::max(0.005 * iso.shortSide, 1.5); }

bool ratioAllowsSheet(double shortSide, double longSide) {
  double ratio = longSide / shortSide;
  return ratio >= 1.15 && ratio <= 4.0;
}

}  // namespace

VexBatchPrintPaperSpec vexBatchPaperForMode(VexBatchPrintPaperMode mode, double width, double height) {
  if (mode == VexBatchPrintPaperModeAutomatic) {
    double error = 0;
    return automaticPaper(std::min(width, height), std::max(width, height), error);
  }
  // Widened first: a damaged setting such as INT_MIN must not overflow.
  std::int64_t index = std::clamp<std::int64_t>(static_cast<std::int64_t>(mode) - 1, 0, kIsoPapers.size() - 1);
  return paperOf(kIsoPapers[static_cast<std::size_t>(index)]);
}

bool vexBatchRecognizeIsoPaperFrame(double width, double height, VexBatchPrintPaperSpec& paper) {
  if (!(width > 0 && width <= kVexBatchSheetSideLimit) || !(height > 0 && height <= kVexBatchSheetSideLimit)) {
    return false;
  }
  double shortSide = std::min(width, height);
  double longSide = std::max(width, height);
  double error = 0;
  paper = automaticPaper(shortSide, longSide, error);
  if (error <= 0.04) return true;
  if (!ratioAllowsSheet(shortSide, longSide)) return false;
  for (const IsoPaper& iso : kIsoPapers) {
    bool shortFits = std::fabs(shortSide - iso.shortSide) <= lengthenedShortSideTolerance(iso);
    bool longFits = longSide > 1.02 * iso.longSide && longSide <= 3.0 * iso.longSide;
    if (shortFits && longFits) {
      paper = {std::wstring(iso.name) + L"加长", shortSide, longSide};
      return true;
    }
  }
  return false;
}

bool vexBatchRecognizeScaledIsoModelFrame(double width, double height, VexBatchPrintPaperSpec& paper) {
  if (vexBatchRecognizeIsoPaperFrame(width, height, paper)) return true;
  if (!(width > 0.000001) || !(height > 0.000001)) return false;
  double shortSide = std::min(width, height);
  double longSide = std::max(width, height);
  if (!ratioAllowsSheet(shortSide, longSide)) return false;

  // Equal errors within rounding are a tie (A4 at 1:200 is A2 at 1:100); the smaller scale wins.
  constexpr double kTie = 1e-12;
  std::size_t bestPaper = 0;
  double bestScale = 0;
  double bestError = std::numeric_limits<double>::infinity();
  for (std::size_t i = 0; i < kIsoPapers.size(); ++i) {
    for (double scale : kDrawingScales) {
      double error =
          relativeError(shortSide, longSide, kIsoPapers[i].shortSide * scale, kIsoPapers[i].longSide * scale);
      bool better = error < bestError - kTie;
      bool tieAtSmallerScale = std::fabs(error - bestError) <= kTie && scale < bestScale;
      if (better || tieAtSmallerScale) {
        bestPaper = i;
        bestScale = scale;
        bestError = error;
      }
    }
  }
  if (bestError <= 0.04) {
    paper = paperOf(kIsoPapers[bestPaper]);
    return true;
  }
  return false;
}

namespace {

VexBatchPrintPaperSpec recognizedOrAutomatic(bool (*recognize)(double, double, VexBatchPrintPaperSpec&), double width,
                                             double height) {
  VexBatchPrintPaperSpec paper;
  if (recognize(width, height, paper)) return paper;
  return vexBatchPaperForMode(VexBatchPrintPaperModeAutomatic, width, height);
}

}  // namespace

VexBatchPrintPaperSpec vexBatchIsoOrAutomaticPaper(double width, double height) {
  return recognizedOrAutomatic(vexBatchRecognizeIsoPaperFrame, width, height);
}

VexBatchPrintPaperSpec vexBatchScaledIsoOrAutomaticPaper(double width, double height) {
  return recognizedOrAutomatic(vexBatchRecognizeScaledIsoModelFrame, width, height);
}
