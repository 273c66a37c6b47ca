#include "graphics/font_loading.h"

#include <cairo-ft.h>
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

// Opens the file of the font's best match, as cairo opens it for Pango, and returns cairo's face of it: while
// that face lives, Pango's face of the same file shares the opened file. Null when nothing matches.
cairo_font_face_t* openFontFile(const Font& font) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(Font::familyName().c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, font.usesBoldFace() ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return nullptr;
  cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(match);
  FcPatternDestroy(match);
  // Making a scaled font opens the file (FreeType reads the font's tables and indexes).
  cairo_matrix_t size, identity;
  cairo_matrix_init_scale(&size, font.size(), font.size());
  cairo_matrix_init_identity(&identity);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_scaled_font_destroy(cairo_scaled_font_create(face, &size, &identity, options));
  cairo_font_options_destroy(options);
  return face;
}

struct Loading {
  std::mutex mutex;
  std::thread thread;
  PangoFontMap* fonts = nullptr;
  TextMeasurer* measurer = nullptr;
  bool measuring = false;  // the fonts are in use: too late to load them
};

Loading& loading() {
  static auto* state = new Loading;
  return *state;
}

}  // namespace

FontLoading::FontLoading(std::vector<Font> fonts) {
  Loading& state = loading();
  std::lock_guard lock(state.mutex);
  if (state.measuring || state.thread.joinable()) return;
  state.thread = std::thread([&state, fonts = std::move(fonts)] {
    loadFontConfiguration();
    // The font files are opened on a thread of their own while Pango matches and sorts the fonts.
    std::vector<cairo_font_face_t*> opened(fonts.size(), nullptr);
    std::thread opening([&] {
      for (std::size_t i = 0; i < fonts.size(); ++i) opened[i] = openFontFile(fonts[i]);
    });
    state.fonts = pango_cairo_font_map_new();
    state.measurer = pango_text::newFontMeasurer(state.fonts);
    // A width asks for the font's glyphs, so the font is matched and its file opened.
    for (const Font& font : fonts) (void)state.measurer->width("0", font);
    opening.join();
    for (cairo_font_face_t* face : opened) {
      if (face != nullptr) cairo_font_face_destroy(face);
    }
  });
}

FontLoading::~FontLoading() { (void)fontMeasurer(); }

const TextMeasurer& fontMeasurer() {
  static const TextMeasurer* measurer = [] {
    Loading& state = loading();
    std::lock_guard lock(state.mutex);
    state.measuring = true;
    if (state.thread.joinable()) state.thread.join();
    if (state.measurer == nullptr) return pango_text::newFontMeasurer(pango_cairo_font_map_get_default());
    // The fonts found on the loading thread become this thread's, which draws with them.
    pango_cairo_font_map_set_default(PANGO_CAIRO_FONT_MAP(state.fonts));
    return state.measurer;
  }();
  return *measurer;
}

}  // namespace graphics
