#pragma once
// The host's system variables. Some follow the working drawing: CTAB (the current layout; set it by name,
// ignoring case, and read back its canonical name), TILEMODE (1 on the Model tab), CVPORT (1 in a layout's
// paper space, 2 and up in the Model tab or a layout's viewport), PSTYLEMODE (from the drawing header, default
// 1), DWGNAME, DWGPREFIX, DWGTITLED. Others are plain values: ACADVER (read-only), BACKGROUNDPLOT, FILEDIA,
// CMDECHO, EXPERT. Reads and writes answer the host's result codes; string values are allocated with
// acutNewString and belong to the caller. Every successful set notifies the editor's reactors with
// sysVarChanged: the variable set first, then TILEMODE and CVPORT when they changed with it.

#include <map>
#include <set>
#include <string>
#include <variant>

#include "cad/object_id.h"
#include "cad/result_buffer.h"

namespace cad {

class Database;

int acedGetVar(const wchar_t* name, resbuf* result);
int acedSetVar(const wchar_t* name, const resbuf* value);
inline int acedGetVar(const wchar_t* name, resbuf& result) { return acedGetVar(name, &result); }
inline int acedSetVar(const wchar_t* name, const resbuf& value) { return acedSetVar(name, &value); }

// Paper space of the current layout (CVPORT 1), or model space through its first viewport that is on.
// RTERROR on the Model tab, without a drawing, or (model space) when the layout has no viewport that is on.
int acedPspace();
int acedMspace();

class SystemVariables {
 public:
  using Value = std::variant<short, double, std::wstring>;

  SystemVariables() { installDefaults(); }

  // Host side
  // The viewport active on the current layout of the database (see CVPORT); 0 without a database.
  int currentViewport(const Database* db) const;
  // The block table record of the space that picks and selections work in.
  ObjectId currentSpace(const Database* db) const;

  // Test side: plain values set directly (read-only ones too, e.g. ACADVER), and failures per name.
  void setValue(const std::wstring& name, Value value, bool readOnly = false);
  struct Faults {
    std::set<std::wstring> get;  // upper-case names whose read fails with RTERROR
    std::set<std::wstring> set;  // upper-case names whose write fails with RTERROR
  } faults;
  void reset();

 private:
  friend int acedGetVar(const wchar_t*, resbuf*);
  friend int acedSetVar(const wchar_t*, const resbuf*);
  friend int acedPspace();
  friend int acedMspace();
  struct Plain {
    Value value;
    bool readOnly = false;
  };
  int get(const std::wstring& name, resbuf* result) const;
  int set(const std::wstring& name, const resbuf& value);
  int setLayout(Database* db, ObjectId layout, const wchar_t* changed);
  int setViewport(Database* db, int number, const wchar_t* changed);
  void installDefaults();

  std::map<std::wstring, Plain> plain_;      // by upper-case name
  std::map<ObjectId, int> activeViewports_;  // by layout: the viewport last made active there
};

SystemVariables& systemVariables();

}  // namespace cad
