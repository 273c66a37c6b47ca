#include "cad/editor_input.h"

#include <cmath>
#include <cwchar>

#include "cad/command_line.h"
#include "cad/command_stack.h"
#include "cad/database.h"
#include "cad/doc_manager.h"
#include "cad/sysvars.h"
#include "foundation/format.h"

namespace cad {

namespace {

// Second half of a selection set's name, so a set is never mistaken for an entity.
constexpr std::int64_t kSelectionSetTag = 0x5353;

bool isCancelText(const std::wstring& text) {
  return (!text.empty() && text[0] == L'\x1b') || upperAscii(text) == L"*CANCEL*";
}

EditorInput::Answer classify(InputItem item) {
  EditorInput::Answer answer;
  if (item.point) {
    answer.kind = EditorInput::Answer::kValue;
  } else if (item.text.empty()) {
    answer.kind = EditorInput::Answer::kEnter;
  } else if (isCancelText(item.text)) {
    answer.kind = EditorInput::Answer::kCancel;
  } else {
    answer.kind = EditorInput::Answer::kValue;
  }
  answer.item = std::move(item);
  return answer;
}

std::wstring pointText(const Point3d& p) { return foundation::formatWide(L"%g,%g,%g", p.x, p.y, p.z); }

std::wstring trimmed(const std::wstring& text) {
  const auto first = text.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return {};
  return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

bool parseNumber(const std::wstring& text, double& out) {
  const std::wstring t = trimmed(text);
  if (t.empty()) return false;
  wchar_t* end = nullptr;
  out = std::wcstod(t.c_str(), &end);
  return end == t.c_str() + t.size() && std::isfinite(out);
}

Point3d toPoint(const double p[3]) { return {p[0], p[1], p[2]}; }

void fromPoint(const Point3d& p, double out[3]) {
  out[0] = p.x;
  out[1] = p.y;
  out[2] = p.z;
}

// Entities the user can reach: those of the current space of the working drawing, in stored order.
std::vector<ObjectId> currentSpaceEntities() {
  Database* db = acdbHostApplicationServices()->workingDatabase();
  if (db == nullptr) return {};
  const auto* record = BlockTableRecord::cast(db->objectAt(systemVariables().currentSpace(db)));
  if (record == nullptr) return {};
  std::vector<ObjectId> ids;
  for (ObjectId id : record->entityIds) {
    const Object* object = db->objectAt(id);
    if (object != nullptr && !object->isErased() && Entity::cast(object) != nullptr) {
      ids.push_back(id);
    }
  }
  return ids;
}

// "#id" or a handle, among the entities of the current space.
ObjectId entityByToken(const std::wstring& token) {
  const std::vector<ObjectId> reachable = currentSpaceEntities();
  if (token.size() > 1 && token[0] == L'#') {
    wchar_t* end = nullptr;
    const unsigned long long value = std::wcstoull(token.c_str() + 1, &end, 10);
    if (end != token.c_str() + token.size()) return {};
    for (ObjectId id : reachable) {
      if (id.value == value) return id;
    }
    return {};
  }
  Database* db = acdbHostApplicationServices()->workingDatabase();
  const ObjectId byHandle = db == nullptr ? ObjectId{} : db->objectIdFromHandle(token);
  for (ObjectId id : reachable) {
    if (id == byHandle) return id;
  }
  return {};
}

// The topmost (last stored) entity whose extents hold the point.
ObjectId entityAt(const Point3d& p) {
  Database* db = acdbHostApplicationServices()->workingDatabase();
  const std::vector<ObjectId> reachable = currentSpaceEntities();
  for (auto it = reachable.rbegin(); it != reachable.rend(); ++it) {
    const auto* entity = Entity::cast(db->objectAt(*it));
    Extents3d e;
    if (entity->getGeomExtents(e) == eOk && p.x >= e.minPoint.x && p.x <= e.maxPoint.x &&
        p.y >= e.minPoint.y && p.y <= e.maxPoint.y) {
      return *it;
    }
  }
  return {};
}

std::optional<Point3d> answerPoint(const InputItem& item, const std::optional<Point3d>& base) {
  if (item.point) return item.point;
  const std::wstring text = trimmed(item.text);
  if (!text.empty() && text[0] == L'@' && base) {
    std::optional<Point3d> offset = parsePointText(text.substr(1));
    if (!offset) return std::nullopt;
    return Point3d{base->x + offset->x, base->y + offset->y, base->z + offset->z};
  }
  return parsePointText(text);
}

int readPoint(PromptRecord::Kind kind, const double* base, const wchar_t* prompt, double* result,
              const wchar_t* fallbackPrompt) {
  if (result == nullptr) return RTERROR;
  std::optional<Point3d> anchor;
  if (base != nullptr) anchor = toPoint(base);
  const std::wstring text = prompt != nullptr ? prompt : fallbackPrompt;
  for (;;) {
    EditorInput::Answer answer = editorInput().read(kind, text, anchor);
    if (answer.kind == EditorInput::Answer::kCancel) return RTCAN;
    if (answer.kind == EditorInput::Answer::kEnter) return RTNONE;
    if (std::optional<Point3d> p = answerPoint(answer.item, anchor)) {
      fromPoint(*p, result);
      return RTNORM;
    }
    commandLine().print(L"\nInvalid point.");
  }
}

}  // namespace

std::optional<Point3d> parsePointText(const std::wstring& text) {
  std::vector<std::wstring> parts;
  std::size_t start = 0;
  for (;;) {
    const auto comma = text.find(L',', start);
    parts.push_back(text.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start));
    if (comma == std::wstring::npos) break;
    start = comma + 1;
  }
  if (parts.size() < 2 || parts.size() > 3) return std::nullopt;
  double v[3] = {0, 0, 0};
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (!parseNumber(parts[i], v[i])) return std::nullopt;
  }
  return Point3d{v[0], v[1], v[2]};
}

EditorInput::Answer EditorInput::read(PromptRecord::Kind kind, const std::wstring& prompt,
                                      std::optional<Point3d> base) {
  prompts.push_back({kind, prompt, base});
  commandLine().print(L"\n" + prompt);
  Answer answer;
  if (!nested_.empty()) {
    // A nested call answers only from its own arguments.
    std::deque<InputItem>& frame = nested_.back();
    if (frame.empty()) {
      answer.kind = Answer::kCancel;
    } else {
      answer = classify(std::move(frame.front()));
      frame.pop_front();
    }
  } else if (std::optional<TypedToken> token = docManager().currentInput().next()) {
    answer.kind = token->kind == TypedToken::kCancel  ? Answer::kCancel
                  : token->kind == TypedToken::kEnter ? Answer::kEnter
                                                      : Answer::kValue;
    answer.item.text = token->text;
  } else if (!answers_.empty()) {
    answer = classify(std::move(answers_.front()));
    answers_.pop_front();
  } else if (std::optional<std::wstring> line = provider ? provider() : std::nullopt) {
    answer = classify({*line, std::nullopt});
  } else {
    answer.kind = Answer::kCancel;  // the input has ended
  }
  switch (answer.kind) {
    case Answer::kValue:
      commandLine().print(answer.item.point ? pointText(*answer.item.point) : answer.item.text);
      break;
    case Answer::kCancel:
      cancelled_ = true;
      commandLine().print(L"*Cancel*");
      break;
    case Answer::kEnter:
      break;
  }
  return answer;
}

void EditorInput::pushNested(std::vector<InputItem> arguments) {
  nested_.emplace_back(std::make_move_iterator(arguments.begin()), std::make_move_iterator(arguments.end()));
}

void EditorInput::popNested() {
  if (!nested_.empty()) nested_.pop_back();
}

bool EditorInput::takeCancelled() {
  const bool was = cancelled_;
  cancelled_ = false;
  return was;
}

std::int64_t EditorInput::addSelectionSet(std::vector<ObjectId> members) {
  const std::int64_t id = nextSet_++;
  sets_[id] = std::move(members);
  return id;
}

const std::vector<ObjectId>* EditorInput::selectionSet(std::int64_t id) const {
  auto it = sets_.find(id);
  return it == sets_.end() ? nullptr : &it->second;
}

bool EditorInput::freeSelectionSet(std::int64_t id) { return sets_.erase(id) == 1; }

void EditorInput::reset() {
  answers_.clear();
  nested_.clear();
  cancelled_ = false;
  sets_.clear();
  prompts.clear();
  provider = nullptr;
  faults = {};
}

EditorInput& editorInput() {
  static EditorInput* instance = new EditorInput;
  return *instance;
}

int acedGetPoint(const ads_point base, const wchar_t* prompt, ads_point result) {
  return readPoint(PromptRecord::kPoint, base, prompt, result, L"Specify point: ");
}

int acedGetCorner(const ads_point base, const wchar_t* prompt, ads_point result) {
  if (base == nullptr) return RTERROR;
  return readPoint(PromptRecord::kCorner, base, prompt, result, L"Specify opposite corner: ");
}

int acedEntSel(const wchar_t* prompt, ads_name entity, ads_point pickPoint) {
  if (entity == nullptr) return RTERROR;
  entity[0] = entity[1] = 0;
  EditorInput::Answer answer =
      editorInput().read(PromptRecord::kEntity, prompt != nullptr ? prompt : L"Select object: ");
  if (answer.kind == EditorInput::Answer::kCancel) return RTCAN;
  if (answer.kind == EditorInput::Answer::kEnter) return RTERROR;
  ObjectId id;
  Point3d at;
  if (std::optional<Point3d> p = answerPoint(answer.item, std::nullopt)) {
    id = entityAt(*p);
    at = *p;
  } else {
    id = entityByToken(trimmed(answer.item.text));
    Database* db = acdbHostApplicationServices()->workingDatabase();
    Extents3d e;
    if (!id.isNull() && Entity::cast(db->objectAt(id))->getGeomExtents(e) == eOk) {
      at = {(e.minPoint.x + e.maxPoint.x) / 2, (e.minPoint.y + e.maxPoint.y) / 2, 0};
    }
  }
  if (id.isNull()) return RTERROR;  // nothing there
  entity[0] = static_cast<std::int64_t>(id.value);
  if (pickPoint != nullptr) fromPoint(at, pickPoint);
  return RTNORM;
}

int acedSSGet(const wchar_t* mode, const void* point1, const void* point2, const resbuf* filter,
              ads_name selectionSet) {
  if (selectionSet == nullptr) return RTERROR;
  selectionSet[0] = selectionSet[1] = 0;
  if (mode != nullptr || point1 != nullptr || point2 != nullptr || filter != nullptr) return RTERROR;
  EditorInput::Answer answer = editorInput().read(PromptRecord::kSelection, L"Select objects: ");
  if (answer.kind == EditorInput::Answer::kCancel) return RTCAN;
  if (answer.kind == EditorInput::Answer::kEnter) return RTERROR;
  std::vector<ObjectId> members;
  if (std::optional<Point3d> p = answerPoint(answer.item, std::nullopt)) {
    if (ObjectId id = entityAt(*p); !id.isNull()) members.push_back(id);
  } else {
    // Members stay in the order given, repeats included, so callers' handling of repeats can be tested.
    const std::wstring& text = answer.item.text;
    std::size_t pos = 0;
    while (pos < text.size()) {
      const auto start = text.find_first_not_of(L" \t", pos);
      if (start == std::wstring::npos) break;
      const auto end = text.find_first_of(L" \t", start);
      const std::wstring token = text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
      pos = end == std::wstring::npos ? text.size() : end;
      const ObjectId id = entityByToken(token);
      if (id.isNull()) {
        commandLine().print(L"\n" + token + L": not found");
      } else {
        members.push_back(id);
      }
    }
  }
  if (members.empty()) return RTERROR;
  selectionSet[0] = editorInput().addSelectionSet(std::move(members));
  selectionSet[1] = kSelectionSetTag;
  return RTNORM;
}

int acedSSLength(const ads_name selectionSet, std::int32_t* length) {
  if (selectionSet == nullptr || length == nullptr || selectionSet[1] != kSelectionSetTag) return RTERROR;
  EditorInput& input = editorInput();
  const std::vector<ObjectId>* set = input.selectionSet(selectionSet[0]);
  if (set == nullptr || input.faults.ssLength) return RTERROR;
  *length = static_cast<std::int32_t>(set->size());
  return RTNORM;
}

int acedSSName(const ads_name selectionSet, std::int32_t index, ads_name entity) {
  if (selectionSet == nullptr || entity == nullptr || selectionSet[1] != kSelectionSetTag) return RTERROR;
  EditorInput& input = editorInput();
  const std::vector<ObjectId>* set = input.selectionSet(selectionSet[0]);
  if (set == nullptr || index < 0 || static_cast<std::size_t>(index) >= set->size()) return RTERROR;
  for (std::int32_t failing : input.faults.ssName) {
    if (failing == index) return RTERROR;
  }
  entity[0] = static_cast<std::int64_t>((*set)[static_cast<std::size_t>(index)].value);
  entity[1] = 0;
  return RTNORM;
}

int acedSSFree(const ads_name selectionSet) {
  if (selectionSet == nullptr || selectionSet[1] != kSelectionSetTag) return RTERROR;
  return editorInput().freeSelectionSet(selectionSet[0]) ? RTNORM : RTERROR;
}

ErrorStatus acdbGetObjectId(ObjectId& id, const ads_name entity) {
  id = {};
  if (entity == nullptr || entity[1] != 0) return eInvalidInput;
  if (entity[0] == 0) return eNullObjectId;
  id.value = static_cast<std::uint64_t>(entity[0]);
  return eOk;
}

ErrorStatus acdbGetAdsName(ads_name entity, ObjectId id) {
  if (entity == nullptr) return eInvalidInput;
  entity[0] = static_cast<std::int64_t>(id.value);
  entity[1] = 0;
  return id.isNull() ? eNullObjectId : eOk;
}

}  // namespace cad
