#include "cad/builtin_commands.h"

#include <algorithm>
#include <cwchar>
#include <optional>

#include "cad/command_line.h"
#include "cad/command_stack.h"
#include "cad/doc_manager.h"
#include "cad/editor_input.h"
#include "cad/layouts.h"
#include "cad/plot/plot_command.h"
#include "cad/result_buffer.h"
#include "cad/sysvars.h"
#include "cad/temporary_vectors.h"
#include "cad/ucs.h"

namespace cad {

namespace {

void recordView(Database* db, const Point3d& a, const Point3d& b) {
  Document* doc = docManager().curDocument();
  if (doc == nullptr || db == nullptr) return;
  const Layout* layout = layoutObject(db, db->currentLayoutId());
  ViewWindow view;
  view.layout = layout == nullptr ? std::wstring() : layout->layoutName;
  view.viewport = systemVariables().currentViewport(db);
  view.min = {std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)};
  view.max = {std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)};
  doc->view().recordZoom(view);
}

// Corners are typed in the current UCS; the view keeps them in world coordinates.
void zoomWindow(Database* db, const double* first) {
  ads_point corner1 = {0, 0, 0};
  if (first != nullptr) {
    std::copy(first, first + 3, corner1);
  } else if (acedGetPoint(nullptr, L"Specify first corner: ", corner1) != RTNORM) {
    return;
  }
  ads_point corner2;
  if (acedGetCorner(corner1, L"Specify opposite corner: ", corner2) != RTNORM) return;
  recordView(db, ucsToWorld({corner1[0], corner1[1], corner1[2]}), ucsToWorld({corner2[0], corner2[1], corner2[2]}));
}

void zoomExtents(Database* db) {
  const auto* record = BlockTableRecord::cast(db->objectAt(systemVariables().currentSpace(db)));
  Extents3d all;
  if (record != nullptr) {
    for (ObjectId id : record->entityIds) {
      const auto* entity = Entity::cast(db->objectAt(id));
      Extents3d e;
      if (entity != nullptr && !entity->isErased() && entity->getGeomExtents(e) == eOk) all.addExt(e);
    }
  }
  if (!all.isEmpty()) recordView(db, all.minPoint, all.maxPoint);
}

void zoom() {
  Database* db = acdbHostApplicationServices()->workingDatabase();
  if (db == nullptr) {
    commandLine().print(L"\nNo drawing is open.");
    return;
  }
  EditorInput::Answer answer = editorInput().read(
      PromptRecord::kKeyword,
      L"Specify corner of window, enter a scale factor (nX or nXP), or\n"
      L"[All/Center/Dynamic/Extents/Previous/Scale/Window/Object] <real time>: ");
  if (answer.kind != EditorInput::Answer::kValue) return;  // Enter: real time, nothing to do here
  std::optional<Point3d> corner = answer.item.point ? answer.item.point : parsePointText(answer.item.text);
  if (corner) {
    const ads_point first = {corner->x, corner->y, corner->z};
    zoomWindow(db, first);
    return;
  }
  std::wstring option = upperAscii(answer.item.text);
  if (!option.empty() && option[0] == L'_') option.erase(0, 1);
  if (option == L"W" || option == L"WINDOW") {
    zoomWindow(db, nullptr);
  } else if (option == L"E" || option == L"EXTENTS" || option == L"A" || option == L"ALL") {
    zoomExtents(db);
  } else if (option == L"P" || option == L"PREVIOUS") {
    // The previous view is not modelled.
  } else {
    commandLine().print(L"\nInvalid option keyword.");
  }
}

void spaceSwitch(int (*toSpace)()) {
  if (toSpace() == RTNORM) return;
  Database* db = acdbHostApplicationServices()->workingDatabase();
  if (db == nullptr) {
    commandLine().print(L"\nNo drawing is open.");
  } else if (db->tileMode()) {
    commandLine().print(L"\n** Command not allowed in Model Tab **");
  } else {
    commandLine().print(L"\nThis layout has no viewport that is on.");
  }
}

std::optional<std::wstring> currentValueText(const std::wstring& name) {
  resbuf value;
  if (acedGetVar(name.c_str(), value) != RTNORM) return std::nullopt;
  switch (value.restype) {
    case RTSTR: {
      std::wstring text = L"\"" + std::wstring(value.resval.rstring) + L"\"";
      acutDelString(value.resval.rstring);
      return text;
    }
    case RTSHORT:
      return std::to_wstring(value.resval.rint);
    case RTREAL:
      return std::to_wstring(value.resval.rreal);
    default:
      return std::wstring();
  }
}

void setVariable(const std::wstring& name) {
  resbuf current;
  if (acedGetVar(name.c_str(), current) != RTNORM) {
    commandLine().print(L"\nUnknown variable name.");
    return;
  }
  const int type = current.restype;
  if (type == RTSTR) acutDelString(current.resval.rstring);
  EditorInput::Answer answer = editorInput().read(
      PromptRecord::kKeyword, L"Enter new value for " + name + L" <" + currentValueText(name).value_or(L"") + L">: ");
  if (answer.kind != EditorInput::Answer::kValue) return;  // Enter keeps the value
  const std::wstring& text = answer.item.text;
  resbuf value;
  value.restype = static_cast<short>(type);
  wchar_t* end = nullptr;
  if (type == RTSTR) {
    value.resval.rstring = const_cast<wchar_t*>(text.c_str());
  } else if (type == RTSHORT) {
    const long number = std::wcstol(text.c_str(), &end, 10);
    if (*end != 0 || number < -32768 || number > 32767) {
      commandLine().print(L"\nRequires an integer value.");
      return;
    }
    value.resval.rint = static_cast<short>(number);
  } else {
    value.resval.rreal = std::wcstod(text.c_str(), &end);
    if (*end != 0) {
      commandLine().print(L"\nRequires a number.");
      return;
    }
  }
  if (acedSetVar(name.c_str(), value) != RTNORM) commandLine().print(L"\nThe value was not accepted.");
}

}  // namespace

std::function<void()> systemVariableCommand(const std::wstring& name) {
  if (!currentValueText(name)) return {};
  return [upper = upperAscii(name)] { setVariable(upper); };
}

std::map<std::wstring, std::function<void()>> builtInCommands() {
  std::map<std::wstring, std::function<void()>> commands;
  commands[L"ZOOM"] = zoom;
  for (const wchar_t* name : {L"REGEN", L"REGENALL", L"REDRAW", L"REDRAWALL"}) {
    commands[name] = [] { temporaryVectors().clear(); };
  }
  commands[L"PSPACE"] = [] { spaceSwitch(acedPspace); };
  commands[L"MSPACE"] = [] { spaceSwitch(acedMspace); };
  commands[L"PLOT"] = plotCommand;
  commands[L"SETVAR"] = [] {
    EditorInput::Answer answer = editorInput().read(PromptRecord::kKeyword, L"Enter variable name: ");
    if (answer.kind == EditorInput::Answer::kValue) setVariable(upperAscii(answer.item.text));
  };
  return commands;
}

}  // namespace cad
