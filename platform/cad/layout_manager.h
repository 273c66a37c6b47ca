#pragma once
// The host's layout manager: the name of the active layout of a drawing, and switching layouts by name (the
// same switch as setting CTAB, with the same notifications).

#include <string>

#include "cad/error_status.h"

namespace cad {

class Database;

class LayoutManager {
 public:
  // The active layout's name; with allowModel false the Model tab answers eNotApplicable. The working
  // database when db is null; eInvalidInput when there is none.
  ErrorStatus getActiveLayoutName(std::wstring& name, bool allowModel, const Database* db = nullptr) const;
  // eKeyNotFound for an unknown name (compared ignoring case).
  ErrorStatus setCurrentLayout(const wchar_t* name);

  // Test side
  struct Faults {
    bool activeName = false;
    bool setCurrent = false;
  } faults;
};

// The host's layout manager; nullptr while a test makes it absent.
LayoutManager* layoutManager();
void setLayoutManagerAbsent(bool absent);

}  // namespace cad
