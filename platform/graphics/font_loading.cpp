#include "graphics/font_loading.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>

#include <mutex>
#include <thread>

#include "graphics/pango_text.h"
#include "graphics/text_measurer.h"

namespace graphics {

namespace {

// The system's configuration, as fontconfig's own start-up loads it, less the descriptions it also reads of
// every configuration file that is available but not in use (a listing tool's business, and more than a third
// of the time). Left to fontconfig when anything is amiss.
void loadFontConfiguration() {
  FcConfig* config = FcConfigCreate();
  if (config == nullptr) return;
  bool cached = false;
  if (FcConfigParseAndLoad(config, nullptr, FcTrue)) {
    if (FcStrList* dirs = FcConfigGetCacheDirs(config)) {
      cached = FcStrListNext(dirs) != nullptr;
      FcStrListDone(dirs);
    }
  }
  if (cached && FcConfigBuildFonts(config)) FcConfigSetCurrent(config);
  FcConfigDestroy(config);
}

struct Loading {
  std::mutex mutex;
  std::thread thread;
  PangoFontMap* fonts = nullptr;
  TextMeasurer* measurer = nullptr;
};

Loading& loading() {
  static auto* state = new Loading;
  return *state;
}

}  // namespace

FontLoading::FontLoading(std::vector<Font> fonts) {
  Loading& state = loading();
  std::lock_guard lock(state.mutex);
  if (state.thread.joinable() || state.measurer != nullptr) return;
  state.thread = std::thread([&state, fonts = std::move(fonts)] {
    loadFontConfiguration();
    state.fonts = pango_cairo_font_map_new();
    state.measurer = pango_text::newFontMeasurer(state.fonts);
    // A width asks for the font's glyphs, so the font is matched and its file opened.
    for (const Font& font : fonts) (void)state.measurer->width("0", font);
  });
}

FontLoading::~FontLoading() { (void)fontMeasurer(); }

const TextMeasurer& fontMeasurer() {
  static const TextMeasurer* measurer = [] {
    Loading& state = loading();
    std::lock_guard lock(state.mutex);
    if (state.thread.joinable()) state.thread.join();
    if (state.measurer == nullptr) return pango_text::newFontMeasurer(pango_cairo_font_map_get_default());
    // The fonts found on the loading thread become this thread's, which draws with them.
    pango_cairo_font_map_set_default(PANGO_CAIRO_FONT_MAP(state.fonts));
    return state.measurer;
  }();
  return *measurer;
}

}  // namespace graphics
