#pragma once
// The numbered print-area marks: one red outline, two yellow diagonals and a bold number on a dark ground per
// area, shown as transient graphics of the host in the viewport that was current, never as entities of the
// drawing. The overlay owns the marks while the host shows them, and listens to the host so that anything but
// viewing the drawing erases them: any command but a view command, a change of layout or viewport, and a
// switch away from or the closing of the document. Main thread only.

#include <memory>
#include <vector>

#include "cad/doc_manager.h"
#include "cad/editor.h"
#include "core/focus_target.h"

namespace cad {
class Entity;
}  // namespace cad

class QDLRangeOverlay : public cad::EditorReactor, public cad::DocManagerReactor {
 public:
  QDLRangeOverlay() = default;
  // Whatever the host still holds of the overlay goes with it, also when shutdown never ran.
  ~QDLRangeOverlay() override;
  QDLRangeOverlay(const QDLRangeOverlay&) = delete;
  QDLRangeOverlay& operator=(const QDLRangeOverlay&) = delete;

  // Replaces the marks by one mark per target. False, with no mark left, when CVPORT cannot be read, the host
  // has no transient manager or refuses a mark, or there is no target. Registers the reactors on first use.
  bool show(const std::vector<VexBatchFocusTarget>& targets);
  // Erases every mark.
  void clear();
  // Erases every mark and unregisters the reactors.
  void shutdown();
  // Shows one entity as a mark and keeps it; false (the entity then goes) when the host cannot show it.
  bool add(std::unique_ptr<cad::Entity> entity);

  // Keeps the marks for a view command, also typed transparently or with the "_" and "." prefixes; otherwise
  // erases them.
  void commandWillStart(const wchar_t* command) override;
  // Erases the marks after a successful change of CTAB or CVPORT.
  void sysVarChanged(const wchar_t* name, bool success) override;
  void documentToBeDeactivated(cad::Document* document) override;
  void documentToBeDestroyed(cad::Document* document) override;

  const std::vector<std::unique_ptr<cad::Entity>>& marks() const { return entities; }
  bool listening() const { return reactorsAdded; }

 private:
  void addReactors();

  std::vector<std::unique_ptr<cad::Entity>> entities;
  std::vector<int> viewportNumbers;  // the CVPORT the marks were shown in
  bool reactorsAdded = false;
  // Where the reactors were registered, so they are removed from there whatever the host answers later.
  cad::Editor* editor_ = nullptr;
  cad::DocManager* documents_ = nullptr;
};

extern QDLRangeOverlay gBatchRangeOverlay;
