#include "cad/plot/plot_reset.h"

#include "cad/database.h"
#include "cad/plot/font_search.h"
#include "cad/plot/page_renderer.h"
#include "cad/plot/plot_config_manager.h"
#include "cad/plot/plot_info_validator.h"
#include "cad/plot/plot_progress.h"
#include "cad/plot/plot_settings_validator.h"
#include "cad/plot/publish_engine.h"

namespace cad {

void resetPlotServicesForTesting() {
  setPlotConfigManagerAbsent(false);
  acplPlotConfigManagerPtr()->reset();
  setPlotSettingsValidatorAbsent(false);
  acdbHostApplicationServices()->plotSettingsValidator()->reset();
  plotInfoValidatorFaults() = {};
  resetPlotProgress();
  resetPublishEngine();
  setPageRenderer(nullptr);
  resetFontFolders();
}

}  // namespace cad
