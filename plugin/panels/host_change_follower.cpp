#include "panels/host_change_follower.h"

#include <cwchar>
#include <utility>

#include "cad/registry.h"
#include "core/own_layout_switch.h"
#include "foundation/main_queue.h"

HostChangeFollower::HostChangeFollower(std::function<void()> refill, std::function<void()> closed)
    : refill_(std::move(refill)), closed_(std::move(closed)) {
  cad::SystemRegistry* registry = cad::acrxSysRegistry();
  editor_ = registry != nullptr ? dynamic_cast<cad::Editor*>(registry->at(L"AcEditor")) : nullptr;
  documents_ = cad::acDocManagerPtr();
  if (editor_ != nullptr) editor_->addReactor(this);
  if (documents_ != nullptr) documents_->addReactor(this);
}

HostChangeFollower::~HostChangeFollower() {
  if (editor_ != nullptr) editor_->removeReactor(this);
  if (documents_ != nullptr) documents_->removeReactor(this);
  foundation::MainQueue::main().cancelAll(this);
}

void HostChangeFollower::documentBecameCurrent(cad::Document*) { follow(); }

void HostChangeFollower::documentDestroyed(const wchar_t*) {
  if (closed_) closed_();
  follow();
}

void HostChangeFollower::sysVarChanged(const wchar_t* name, bool success) {
  if (!success || vexBatchSwitchingLayoutItself()) return;
  if (std::wcscmp(name, L"CTAB") == 0 || std::wcscmp(name, L"TILEMODE") == 0) follow();
}

void HostChangeFollower::follow() {
  if (pending_) return;
  pending_ = true;
  foundation::MainQueue::main().dispatchAsync(
      [this] {
        pending_ = false;
        refill_();
      },
      this);
}
