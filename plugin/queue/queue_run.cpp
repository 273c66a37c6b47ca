#include "queue/queue_run.h"

#include <set>

#include "foundation/format.h"
#include "foundation/paths.h"
#include "foundation/transforms.h"
#include "ui/localisation.h"

QDLQueueRun gFileRun;

namespace {

std::string nameKey(const std::string& name) { return foundation::lowercased(foundation::normalizedNFC(name)); }

}  // namespace

std::vector<std::string> QDLQueueFolderNames(const std::vector<std::string>& paths) {
  // The folder for unverified PDFs shares the run folder with the drawings' outputs.
  std::set<std::string> used{nameKey(kQDLQueueUnverifiedFolder)};
  std::vector<std::string> names;
  names.reserve(paths.size());
  for (const std::string& path : paths) {
    std::string base = foundation::deletingPathExtension(foundation::lastPathComponent(path));
    // "." and ".." would name the run folder or the folder above it.
    if (base.empty() || base == "." || base == "..") base = "Drawing";
    std::string candidate = base;
    for (unsigned long n = 2; used.count(nameKey(candidate)) != 0; ++n) {
      candidate = foundation::format("%@ (%lu)", base, n);
    }
    used.insert(nameKey(candidate));
    names.push_back(candidate);
  }
  return names;
}

bool vexBatchQueueShouldStop() { return gFileRun.stopRequested; }

std::string QDLQueueCombinedPath() {
  return foundation::appendingPathComponent(gFileRun.runFolder, QDLT("全部合并") + ".pdf");
}
