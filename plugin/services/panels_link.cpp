#include "services/panels_link.h"

#include "panels/services_link.h"
#include "services/update_notice.h"

void linkServicesIntoPanels() { setPanelServicesLink({qdl_updates_check}); }
