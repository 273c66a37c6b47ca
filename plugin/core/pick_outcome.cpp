#include "core/pick_outcome.h"

#include "cad/command_line.h"
#include "core/panel_lifecycle.h"
#include "foundation/user_defaults.h"

void reportPickFailure(const wchar_t* message) {
  cad::acutPrintf(L"\n%ls", message);
  vexBatchPrintPanelShow();
}

void storeRecognitionMode(std::int64_t mode) {
  foundation::UserDefaults::standard().setInteger(mode, "Quodline.RecognitionMode");
}
