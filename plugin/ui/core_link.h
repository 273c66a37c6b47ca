#pragma once
// Serves core's commands, which stand below the interface kit: the texts of the windows they show.

// Installs QDLT and QDLL as core's interface text; the module calls it at start-up.
void linkInterfaceTextIntoCore();
