// The host's current drawing as the rest of the plug-in asks for it: its path, its identity and whether
// there is one. None of these prints anything.
#include "core/host_bridge.h"

#include "cad/database.h"
#include "cad/doc_manager.h"
#include "foundation/format.h"

namespace {

cad::Document* activeDocument() {
  cad::DocManager* manager = cad::acDocManagerPtr();
  return manager != nullptr ? manager->mdiActiveDocument() : nullptr;
}

cad::Database* workingDatabase() {
  cad::HostApplicationServices* services = cad::acdbHostApplicationServices();
  return services != nullptr ? services->workingDatabase() : nullptr;
}

}  // namespace

std::wstring vexBatchCurrentDrawingPath() {
  cad::Document* document = activeDocument();
  if (document == nullptr || document->fileName() == nullptr) return {};
  return document->fileName();
}

bool vexBatchHasActiveDocument() { return activeDocument() != nullptr; }

std::string vexBatchCurrentDrawingKey() {
  cad::Database* db = workingDatabase();
  if (db == nullptr) return "no-drawing";
  const wchar_t* name = nullptr;
  if (db->getFilename(name) == cad::eOk && name != nullptr && *name != L'\0') {
    // A name the system cannot hold would make every such drawing look alike; the address keeps them apart.
    std::string key = vexBatchNSString(name);
    if (!key.empty()) return key;
  }
  return foundation::format("unsaved-%p", static_cast<const void*>(db));
}
