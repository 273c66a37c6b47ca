#pragma once
// Serves the picking commands of core, which stand below recognition: its entity tests and settings.

// Installs recognition's side of core's link; the module calls it at start-up.
void linkRecognitionIntoCore();
