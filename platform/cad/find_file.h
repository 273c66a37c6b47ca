#pragma once
// Finding a file the way the host does: a path with a folder is taken as it is; a bare name is looked for in
// the folder of the current drawing, then along the support folders.

#include <set>
#include <string>

namespace cad {

// RTNORM with the full path of a regular file found, else RTERROR with `result` empty.
int acedFindFile(const wchar_t* name, std::wstring& result);

// Test side: names whose search fails whatever exists.
struct FindFileFaults {
  std::set<std::wstring> failing;
};
FindFileFaults& findFileFaults();

}  // namespace cad
