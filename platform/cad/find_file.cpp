#include "cad/find_file.h"

#include <vector>

#include "cad/doc_manager.h"
#include "cad/host_paths.h"
#include "cad/result_buffer.h"
#include "foundation/files.h"
#include "foundation/paths.h"
#include "foundation/text.h"

namespace cad {

FindFileFaults& findFileFaults() {
  static auto* faults = new FindFileFaults;
  return *faults;
}

int acedFindFile(const wchar_t* name, std::wstring& result) {
  result.clear();
  if (name == nullptr || *name == 0) return RTERROR;
  if (findFileFaults().failing.count(name) != 0) return RTERROR;
  const std::optional<std::string> utf8 = foundation::utf8FromWide(name);
  if (!utf8) return RTERROR;

  std::vector<std::string> candidates;
  if (utf8->find('/') != std::string::npos) {
    candidates.push_back(foundation::standardizingPath(*utf8));
  } else {
    if (const Document* doc = docManager().curDocument()) {
      const std::string drawing = foundation::utf8FromWideLossy(doc->fileName());
      if (foundation::isAbsolutePath(drawing)) {
        candidates.push_back(
            foundation::appendingPathComponent(foundation::deletingLastPathComponent(drawing), *utf8));
      }
    }
    for (const std::string& folder : supportFolders()) {
      candidates.push_back(foundation::appendingPathComponent(folder, *utf8));
    }
  }
  for (const std::string& path : candidates) {
    if (foundation::isRegularFile(path)) {
      result = foundation::wideFromUtf8Lossy(path);
      return RTNORM;
    }
  }
  return RTERROR;
}

}  // namespace cad
