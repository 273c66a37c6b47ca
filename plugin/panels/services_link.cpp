#include "panels/services_link.h"

#include <utility>

namespace {

PanelServicesLink& installedLink() {
  static PanelServicesLink link;
  return link;
}

}  // namespace

void setPanelServicesLink(PanelServicesLink link) { installedLink() = std::move(link); }

void panelServicesCheckUpdates() {
  if (installedLink().checkUpdates) installedLink().checkUpdates();
}
