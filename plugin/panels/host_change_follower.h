#pragma once
// Follows the host while a panel shows: another drawing brought to the front or closed, another layout or space
// made current by the user. However many changes arrive, the panel is refilled once, when the host is idle
// again. The layouts the plug-in makes current itself (a plot's pages, the restore after a plot, a preview or a
// compact export) are no change of the user's: they refill nothing, then or later, and the panel keeps showing
// the outcome of its work. Main thread only.

#include <functional>

#include "cad/doc_manager.h"
#include "cad/editor.h"

class HostChangeFollower final : public cad::DocManagerReactor, public cad::EditorReactor {
 public:
  // `refill` runs on the main queue after changes; `closed`, when given, runs at once as a drawing closes.
  explicit HostChangeFollower(std::function<void()> refill, std::function<void()> closed = {});
  ~HostChangeFollower() override;
  HostChangeFollower(const HostChangeFollower&) = delete;
  HostChangeFollower& operator=(const HostChangeFollower&) = delete;

  void documentBecameCurrent(cad::Document*) override;
  void documentDestroyed(const wchar_t*) override;
  void sysVarChanged(const wchar_t* name, bool success) override;

 private:
  void follow();

  std::function<void()> refill_;
  std::function<void()> closed_;
  cad::Editor* editor_ = nullptr;
  cad::DocManager* documents_ = nullptr;
  bool pending_ = false;
};
