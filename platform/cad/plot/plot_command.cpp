#include "cad/plot/plot_command.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cwctype>
#include <filesystem>
#include <optional>
#include <system_error>

#include "cad/command_line.h"
#include "cad/database.h"
#include "cad/editor_input.h"
#include "cad/plot/plot_config_manager.h"
#include "cad/plot/plot_device.h"
#include "cad/plot/plot_info.h"
#include "cad/plot/plot_info_validator.h"
#include "cad/plot/plot_settings_validator.h"
#include "cad/plot/publish_engine.h"
#include "cad/result_buffer.h"
#include "cad/tables.h"
#include "cad/ucs.h"
#include "foundation/files.h"
#include "foundation/format.h"
#include "foundation/paths.h"
#include "foundation/text.h"

namespace cad {

namespace {

constexpr int kPdfConfiguration = 11;

void say(const std::wstring& text) { commandLine().print(L"\n" + text); }

std::optional<Extents3d> modelExtents(const Database& db) {
  const auto* record = dynamic_cast<const BlockTableRecord*>(db.objectAt(db.modelSpaceId()));
  if (record == nullptr) return std::nullopt;
  Extents3d all;
  for (ObjectId id : record->entityIds) {
    const auto* entity = dynamic_cast<const Entity*>(db.objectAt(id));
    Extents3d e;
    if (entity != nullptr && !entity->isErased() && entity->getGeomExtents(e) == eOk) all.addExt(e);
  }
  if (all.isEmpty()) return std::nullopt;
  return all;
}

// The bounding box, in display coordinates of the current view, of a world box.
std::optional<Extents3d> displayBox(const Extents3d& world) {
  resbuf from, to;
  from.restype = to.restype = RTSHORT;
  from.resval.rint = 0;
  to.resval.rint = 2;
  Extents3d box;
  for (const auto& [x, y] :
       {std::pair{world.minPoint.x, world.minPoint.y}, std::pair{world.maxPoint.x, world.minPoint.y},
        std::pair{world.maxPoint.x, world.maxPoint.y}, std::pair{world.minPoint.x, world.maxPoint.y}}) {
    const ads_point in = {x, y, 0};
    ads_point out;
    if (acedTrans(in, &from, &to, 0, out) != RTNORM) return std::nullopt;
    box.addPoint({out[0], out[1], 0});
  }
  return box;
}

// The model tab's page: the extents fitted to an A3 sheet of the extents' orientation.
bool setUpModelPage(PlotSettingsValidator& v, PlotSettings& s, const Database& db) {
  const std::optional<Extents3d> world = modelExtents(db);
  const std::optional<Extents3d> box = world ? displayBox(*world) : std::nullopt;
  if (!box || !(box->minPoint.x < box->maxPoint.x) || !(box->minPoint.y < box->maxPoint.y)) {
    say(L"Nothing to plot.");
    return false;
  }
  const bool landscape = box->maxPoint.y - box->minPoint.y <= box->maxPoint.x - box->minPoint.x;
  const std::wstring a3 = landscape ? L"ISO_A3_(420.00_x_297.00_MM)" : L"ISO_A3_(297.00_x_420.00_MM)";
  const double width = landscape ? 420 : 297, height = landscape ? 297 : 420;
  if (v.setCanonicalMediaName(&s, a3.c_str()) != eOk &&
      v.setClosestMediaName(&s, width, height, PlotPaperUnits::kMillimeters, false) != eOk) {
    say(L"The PDF device has no A3 sheet.");
    return false;
  }
  if (v.setPlotPaperUnits(&s, PlotPaperUnits::kMillimeters) != eOk ||
      v.setPlotRotation(&s, PlotRotation::k0degrees) != eOk ||
      v.setPlotWindowArea(&s, box->minPoint.x, box->minPoint.y, box->maxPoint.x, box->maxPoint.y) != eOk ||
      v.setPlotType(&s, PlotType::kWindow) != eOk || v.setPlotCentered(&s, true) != eOk ||
      v.setUseStandardScale(&s, true) != eOk || v.setStdScaleType(&s, StdScaleType::kScaleToFit) != eOk) {
    say(L"The plot area cannot be set.");
    return false;
  }
  return true;
}

// A layout keeps its page setup, plotted on the PDF device's sheet of its paper, or on the smallest sheet that
// holds the paper when the device has none of it: a smaller sheet would cut the layout off. A paper without a
// usable size is damage and is not plotted on some sheet or other.
bool setUpLayoutPage(PlotSettingsValidator& v, PlotSettings& s, const PlotSettings& own) {
  constexpr double kSmallestSheet = 1.0;  // mm a side
  const double w = own.paperWidthMm, h = own.paperHeightMm;
  const std::wstring size = foundation::wideFromUtf8Lossy(foundation::format("%g x %g mm", w, h));
  if (!(std::isfinite(w) && std::isfinite(h) && w >= kSmallestSheet && h >= kSmallestSheet)) {
    say(L"The layout's paper size (" + size + L") is damaged; nothing was plotted.");
    return false;
  }
  const PlotConfigManager* manager = acplPlotConfigManagerPtr();
  const PlotDevice* device = manager == nullptr ? nullptr : manager->device(s.plotCfgName);
  const Medium* ownMedium = device == nullptr ? nullptr : device->medium(own.canonicalMediaName);
  if (ownMedium != nullptr && ownMedium->width + 0.1 >= w && ownMedium->height + 0.1 >= h) return true;
  const Medium* holding = device == nullptr ? nullptr : smallestMediumHolding(*device, w, h, own.plotPaperUnits());
  if (holding != nullptr && v.setCanonicalMediaName(&s, holding->canonicalName.c_str()) == eOk) return true;
  say(L"No sheet of the PDF device holds this layout's paper (" + size + L") at 1:1; nothing was plotted.");
  return false;
}

// "a3" and "out/a3" relative to the working folder, with ".pdf" added when the name has no such suffix. A name
// ending in "/" names a folder and is left as it is, for the refusal to say so.
std::optional<std::string> outputPath(const std::wstring& typed) {
  std::optional<std::string> path = foundation::utf8FromWide(typed);
  if (!path || path->empty()) return std::nullopt;
  if (path->back() == '/') return path;
  *path = foundation::expandingTildeInPath(*path);
  if (!foundation::isAbsolutePath(*path)) {
    std::error_code ec;
    const std::filesystem::path here = std::filesystem::current_path(ec);
    if (ec) return std::nullopt;
    *path = foundation::appendingPathComponent(here.string(), *path);
  }
  std::string suffix = foundation::pathExtension(*path);
  std::transform(suffix.begin(), suffix.end(), suffix.begin(), [](unsigned char c) { return std::tolower(c); });
  if (suffix != "pdf") *path = foundation::appendingPathExtension(*path, "pdf");
  return foundation::standardizingPath(*path);
}

// Whether an existing file may be replaced: asked as the host asks, No unless the answer is Yes.
bool replaceAgreed(const std::string& path) {
  const EditorInput::Answer answer = editorInput().read(
      PromptRecord::kKeyword,
      L"\"" + foundation::wideFromUtf8Lossy(path) + L"\" already exists. Replace it? [Yes/No] <No>: ");
  if (answer.kind != EditorInput::Answer::kValue) return false;
  std::wstring word = answer.item.text;
  if (!word.empty() && word[0] == L'_') word.erase(0, 1);
  std::transform(word.begin(), word.end(), word.begin(), [](wchar_t c) { return std::towupper(c); });
  return word == L"Y" || word == L"YES";
}

std::wstring reasonOr(const std::string& reason, const wchar_t* fallback) {
  return reason.empty() ? std::wstring(fallback) : foundation::wideFromUtf8Lossy(reason);
}

// One page through the publish engine; the reason when it fails.
std::optional<std::wstring> publish(PlotInfo& info, const std::string& path) {
  PlotEngine* engine = nullptr;
  if (PlotFactory::createPublishEngine(engine) != eOk || engine == nullptr) return L"no publish engine";
  const std::wstring file = foundation::wideFromUtf8Lossy(path);
  PlotPageInfo pageInfo;
  std::optional<std::wstring> failed;
  bool documentBegun = false;
  if (engine->beginPlot(nullptr) != eOk) {
    failed = L"the plot could not begin";
  } else if (engine->beginDocument(info, L"Plot", nullptr, 1, true, file.c_str()) != eOk) {
    failed = reasonOr(engine->failureReason(), L"the file could not be started");
  } else {
    documentBegun = true;
    if (engine->beginPage(pageInfo, info, true) != eOk || engine->beginGenerateGraphics() != eOk ||
        engine->endGenerateGraphics() != eOk || engine->endPage() != eOk) {
      failed = reasonOr(engine->failureReason(), L"the page could not be plotted");
    }
  }
  if (documentBegun && engine->endDocument() != eOk && !failed) {
    failed = reasonOr(engine->failureReason(), L"the file could not be written");
  }
  if (engine->endPlot() != eOk && !failed) failed = L"the plot could not end";
  engine->destroy();
  return failed;
}

}  // namespace

void plotCommand() {
  Database* db = acdbHostApplicationServices()->workingDatabase();
  if (db == nullptr) {
    say(L"No drawing is open.");
    return;
  }
  const EditorInput::Answer answer = editorInput().read(PromptRecord::kKeyword, L"Output file: ");
  if (answer.kind != EditorInput::Answer::kValue || answer.item.text.empty()) return;
  const std::optional<std::string> path = outputPath(answer.item.text);
  if (!path) {
    say(L"Invalid file name.");
    return;
  }
  if (const std::optional<std::string> refusal = plotTargetRefusal(*path)) {
    say(foundation::wideFromUtf8Lossy(*refusal) + L".");
    return;
  }
  if (foundation::itemExists(*path) && !replaceAgreed(*path)) {
    say(L"Plot cancelled; \"" + foundation::wideFromUtf8Lossy(*path) + L"\" was left as it was.");
    return;
  }

  PlotSettingsValidator* validator = acdbHostApplicationServices()->plotSettingsValidator();
  PlotConfigManager* manager = acplPlotConfigManagerPtr();
  const std::wstring device = manager == nullptr ? std::wstring() : manager->getStdConfigName(kPdfConfiguration);
  if (validator == nullptr || device.empty()) {
    say(L"No PDF plot device is available.");
    return;
  }
  Layout* layout = nullptr;
  if (acdbOpenObject(layout, db->currentLayoutId(), kForRead) != eOk) {
    say(L"The current layout cannot be read.");
    return;
  }
  PlotSettings own(layout->modelType());
  PlotSettings settings(layout->modelType());
  const bool copied = own.copyFrom(layout) == eOk && settings.copyFrom(layout) == eOk;
  layout->close();
  if (!copied || validator->setPlotCfgName(&settings, device.c_str()) != eOk) {
    say(L"The page setup cannot be used with the PDF device.");
    return;
  }
  if (!(own.modelType() ? setUpModelPage(*validator, settings, *db) : setUpLayoutPage(*validator, settings, own))) {
    return;
  }

  PlotInfo info;
  info.setLayout(db->currentLayoutId());
  info.setOverrideSettings(&settings);
  info.setOrgFilePath(db->filename.c_str());
  PlotInfoValidator infoValidator;
  infoValidator.setMediaMatchingPolicy(PlotInfoValidator::kMatchEnabled);
  if (const ErrorStatus es = infoValidator.validate(info); es != eOk) {
    const std::string& reason = infoValidator.failureReason();
    say(L"The page setup cannot be plotted (status " + std::to_wstring(static_cast<int>(es)) + L")" +
        (reason.empty() ? L"" : L": " + foundation::wideFromUtf8Lossy(reason)) + L".");
    return;
  }
  if (std::optional<std::wstring> failed = publish(info, *path)) {
    say(L"Plot failed: " + *failed + L".");
    return;
  }
  say(L"Plot written to " + foundation::wideFromUtf8Lossy(*path) + L".");
}

}  // namespace cad
