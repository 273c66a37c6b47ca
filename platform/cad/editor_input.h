#pragma once
// Input at the host's prompts: points, corners, entity picks and selection sets, answered from a script
// instead of a mouse. Answers come, in this order, from the arguments of a nested command call, from text
// typed at the current document's command line, from the answers a test queued, and last from the host
// program's provider (cadhost reads its next script line). With none left a prompt is cancelled.
//
// Answer texts: a point "x,y" or "x,y,z" (current UCS); an entity "handle" (hexadecimal, as in the drawing)
// or "#id" (an object id in decimal); a selection set "handle handle …"; an empty answer is Enter; "*CANCEL*"
// or ESC cancels. Every prompt is recorded in order.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cad/error_status.h"
#include "cad/geometry.h"
#include "cad/object_id.h"
#include "cad/result_buffer.h"

namespace cad {

// One answer: a text, or a point given directly (the arguments of a nested command call).
struct InputItem {
  std::wstring text;
  std::optional<Point3d> point;
};

struct PromptRecord {
  enum Kind { kPoint, kCorner, kEntity, kSelection, kKeyword };
  Kind kind = kPoint;
  std::wstring prompt;
  std::optional<Point3d> base;  // the rubber band's anchor of a corner (or of a point with a base)
};

class EditorInput {
 public:
  struct Answer {
    enum Kind { kValue, kEnter, kCancel };
    Kind kind = kCancel;
    InputItem item;
  };

  // Test side
  void push(std::wstring answer) { answers_.push_back({std::move(answer), std::nullopt}); }
  void pushPoint(Point3d point) { answers_.push_back({{}, point}); }
  std::size_t pendingAnswers() const { return answers_.size(); }
  std::vector<PromptRecord> prompts;
  // Asked when nothing else answers; nullopt means the input has ended.
  std::function<std::optional<std::wstring>()> provider;
  struct Faults {
    bool ssLength = false;
    std::vector<std::int32_t> ssName;  // member indices whose name cannot be read
  } faults;
  void reset();

  // Host side
  // Records and prints the prompt, then reads one answer (echoed on the command line).
  Answer read(PromptRecord::Kind kind, const std::wstring& prompt, std::optional<Point3d> base = std::nullopt);
  void pushNested(std::vector<InputItem> arguments);
  void popNested();
  // Whether a prompt of the running command was cancelled since the flag was last taken.
  bool takeCancelled();
  void markCancelled() { cancelled_ = true; }

  // Selection sets handed out and not yet freed.
  std::int64_t addSelectionSet(std::vector<ObjectId> members);
  const std::vector<ObjectId>* selectionSet(std::int64_t id) const;
  bool freeSelectionSet(std::int64_t id);
  std::size_t liveSelectionSets() const { return sets_.size(); }

 private:
  std::deque<InputItem> answers_;
  std::vector<std::deque<InputItem>> nested_;
  bool cancelled_ = false;
  std::map<std::int64_t, std::vector<ObjectId>> sets_;
  std::int64_t nextSet_ = 1;
};

EditorInput& editorInput();

// Parses "x,y" or "x,y,z" (blanks allowed around the numbers); nullopt for anything else.
std::optional<Point3d> parsePointText(const std::wstring& text);

// The editor's input functions. Points come back in the current UCS.
int acedGetPoint(const ads_point base, const wchar_t* prompt, ads_point result);
int acedGetCorner(const ads_point base, const wchar_t* prompt, ads_point result);
// Picks one entity of the current space: RTNORM, RTERROR when nothing was picked, RTCAN when cancelled.
int acedEntSel(const wchar_t* prompt, ads_name entity, ads_point pickPoint);
// Selects entities of the current space (the mode, points and filter are not supported and must be null).
int acedSSGet(const wchar_t* mode, const void* point1, const void* point2, const resbuf* filter,
              ads_name selectionSet);
int acedSSLength(const ads_name selectionSet, std::int32_t* length);
int acedSSName(const ads_name selectionSet, std::int32_t index, ads_name entity);
int acedSSFree(const ads_name selectionSet);

// Entity names and object ids.
ErrorStatus acdbGetObjectId(ObjectId& id, const ads_name entity);
ErrorStatus acdbGetAdsName(ads_name entity, ObjectId id);

}  // namespace cad
