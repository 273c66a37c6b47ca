#pragma once
// Serves the full panel, which stands below the services: its "Check for updates" runs the update notice's
// manual check.

// Installs the services' side of the panels' link; the module calls it at start-up.
void linkServicesIntoPanels();
