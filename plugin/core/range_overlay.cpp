#include "core/range_overlay.h"

#include <algorithm>
#include <cwctype>
#include <string>
#include <utility>

#include "cad/entities.h"
#include "cad/registry.h"
#include "cad/result_buffer.h"
#include "cad/sysvars.h"
#include "cad/transient.h"

QDLRangeOverlay gBatchRangeOverlay;

namespace {

constexpr int kSubDrawingMode = 128;
constexpr int kRed = 1;
constexpr int kYellow = 2;
constexpr unsigned kNumberGround = (24u << 16) | (28u << 8) | 32u;

std::unique_ptr<cad::Polyline> polyline(std::initializer_list<cad::Point2d> points, bool closed, double width,
                                        int colour) {
  auto line = std::make_unique<cad::Polyline>();
  for (const cad::Point2d& p : points) line->vertices.push_back({p, 0, 0, 0});
  line->closed = closed;
  line->constantWidth = width;
  line->setColorIndex(colour);
  return line;
}

std::unique_ptr<cad::MText> number(const VexBatchFocusTarget& t, double w, double m) {
  const std::wstring digits = std::to_wstring(t.number);
  auto text = std::make_unique<cad::MText>();
  text->contents = L"{\\fArial|b1|i0;" + digits + L"}";
  text->textHeight = std::min(0.36 * m, 0.65 * w / (0.7 * static_cast<double>(digits.size())));
  text->attachment = 5;  // middle centre
  text->location = {(t.minX + t.maxX) / 2, (t.minY + t.maxY) / 2, 0};
  text->setColorIndex(kYellow);
  text->backgroundFill = true;
  text->useBackgroundColor = false;
  text->backgroundRgb = kNumberGround;
  text->backgroundScaleFactor = 1.25;
  return text;
}

std::wstring upperCase(const wchar_t* text) {
  std::wstring upper = text != nullptr ? text : L"";
  for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
  return upper;
}

// "'zoom", "_.ZOOM" and "ZOOM" alike.
std::wstring viewCommandName(const wchar_t* command) {
  std::wstring name = upperCase(command);
  const auto trimmed = [](wchar_t c) { return c == L'\'' || c == L'_' || c == L'.'; };
  while (!name.empty() && trimmed(name.front())) name.erase(0, 1);
  while (!name.empty() && trimmed(name.back())) name.pop_back();
  return name;
}

bool isViewCommand(const std::wstring& name) {
  static const wchar_t* const kViewCommands[] = {L"ZOOM",     L"PAN",    L"-PAN",     L"REGEN",
                                                 L"REGENALL", L"REDRAW", L"REDRAWALL"};
  return std::any_of(std::begin(kViewCommands), std::end(kViewCommands),
                     [&](const wchar_t* view) { return name == view; });
}

}  // namespace

QDLRangeOverlay::~QDLRangeOverlay() { shutdown(); }

void QDLRangeOverlay::addReactors() {
  cad::SystemRegistry* registry = cad::acrxSysRegistry();
  editor_ = registry != nullptr ? dynamic_cast<cad::Editor*>(registry->at(L"AcEditor")) : nullptr;
  documents_ = cad::acDocManagerPtr();
  if (editor_ != nullptr) editor_->addReactor(this);
  if (documents_ != nullptr) documents_->addReactor(this);
  reactorsAdded = true;
}

bool QDLRangeOverlay::show(const std::vector<VexBatchFocusTarget>& targets) {
  clear();
  if (!reactorsAdded) addReactors();
  cad::resbuf viewport;
  if (cad::acedGetVar(L"CVPORT", &viewport) != cad::RTNORM || viewport.restype != cad::RTSHORT) return false;
  viewportNumbers.push_back(viewport.resval.rint);

  for (const VexBatchFocusTarget& t : targets) {
    const double w = t.maxX - t.minX;
    const double h = t.maxY - t.minY;
    const double m = std::min(w, h);
    const bool shown = add(polyline({{t.minX, t.minY}, {t.maxX, t.minY}, {t.maxX, t.maxY}, {t.minX, t.maxY}}, true,
                                    0.004 * m, kRed)) &&
                       add(polyline({{t.minX, t.minY}, {t.maxX, t.maxY}}, false, 0.002 * m, kYellow)) &&
                       add(polyline({{t.minX, t.maxY}, {t.maxX, t.minY}}, false, 0.002 * m, kYellow)) &&
                       add(number(t, w, m));
    if (!shown) {
      clear();
      return false;
    }
  }
  return !entities.empty();
}

bool QDLRangeOverlay::add(std::unique_ptr<cad::Entity> entity) {
  cad::TransientManager* manager = cad::acgiGetTransientManager();
  if (manager == nullptr || entity == nullptr) return false;
  if (!manager->addTransient(entity.get(), cad::kAcGiDirectTopmost, kSubDrawingMode, viewportNumbers)) return false;
  entities.push_back(std::move(entity));
  return true;
}

void QDLRangeOverlay::clear() {
  if (cad::TransientManager* manager = cad::acgiGetTransientManager()) {
    for (const auto& entity : entities) manager->eraseTransient(entity.get(), viewportNumbers);
  }
  entities.clear();
  viewportNumbers.clear();
}

void QDLRangeOverlay::shutdown() {
  clear();
  if (!reactorsAdded) return;
  if (editor_ != nullptr) editor_->removeReactor(this);
  if (documents_ != nullptr) documents_->removeReactor(this);
  editor_ = nullptr;
  documents_ = nullptr;
  reactorsAdded = false;
}

void QDLRangeOverlay::commandWillStart(const wchar_t* command) {
  if (!isViewCommand(viewCommandName(command))) clear();
}

void QDLRangeOverlay::sysVarChanged(const wchar_t* name, bool success) {
  if (!success) return;
  const std::wstring variable = upperCase(name);
  if (variable == L"CTAB" || variable == L"CVPORT") clear();
}

void QDLRangeOverlay::documentToBeDeactivated(cad::Document*) { clear(); }

void QDLRangeOverlay::documentToBeDestroyed(cad::Document*) { clear(); }
