#include "graphics/pango_text.h"

#include <cairo-pdf.h>

#include <map>
#include <mutex>
#include <string>
#include <unordered_map>

#include "foundation/text.h"
#include "graphics/text_measurer.h"

namespace graphics::pango_text {

namespace {

struct DescriptionDeleter {
  void operator()(PangoFontDescription* d) const { pango_font_description_free(d); }
};

const PangoFontDescription* description(const Font& font) {
  static std::mutex mutex;
  static std::map<std::pair<double, bool>, std::unique_ptr<PangoFontDescription, DescriptionDeleter>> cache;
  std::lock_guard lock(mutex);
  auto& slot = cache[{font.size(), font.usesBoldFace()}];
  if (!slot) {
    slot.reset(pango_font_description_new());
    pango_font_description_set_family(slot.get(), Font::familyName().c_str());
    pango_font_description_set_weight(slot.get(), font.usesBoldFace() ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_absolute_size(slot.get(), font.size() * PANGO_SCALE);
  }
  return slot.get();
}

}  // namespace

void configure(PangoContext* context) {
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  pango_cairo_context_set_font_options(context, options);
  cairo_font_options_destroy(options);
  pango_context_set_round_glyph_positions(context, FALSE);
}

void setText(PangoLayout* layout, std::string_view text, const Font& font) {
  pango_layout_set_font_description(layout, description(font));
  if (font.monospacedDigits()) {
    PangoAttrList* attributes = pango_attr_list_new();
    pango_attr_list_insert(attributes, pango_attr_font_features_new("tnum 1"));
    pango_layout_set_attributes(layout, attributes);
    pango_attr_list_unref(attributes);
  } else {
    pango_layout_set_attributes(layout, nullptr);
  }
  if (foundation::isValidUtf8(text)) {
    pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
  } else {
    const std::string clean = foundation::sanitizedUtf8(text);
    pango_layout_set_text(layout, clean.data(), static_cast<int>(clean.size()));
  }
}

namespace {

// Widths are asked again and again for the same labels while windows lay out and draw, so they are remembered.
class FontMeasurer final : public TextMeasurer {
 public:
  explicit FontMeasurer(PangoFontMap* fonts) {
    // Set up as a PDF page sets up its text (the font options a PDF surface gives), so that a plot draws with
    // the fonts already found and loaded for measuring rather than finding and loading them a second time.
    // Widths are the same with any options, as metrics are not hinted.
    context_ = pango_font_map_create_context(fonts);
    cairo_surface_t* pdf = cairo_pdf_surface_create_for_stream(nullptr, nullptr, 1, 1);
    cairo_t* cr = cairo_create(pdf);
    pango_cairo_update_context(cr, context_);
    cairo_destroy(cr);
    cairo_surface_destroy(pdf);
    configure(context_);
    layout_ = pango_layout_new(context_);
  }
  double width(std::string_view text, const Font& font) const override {
    std::lock_guard lock(mutex_);
    std::string key;
    key.reserve(text.size() + 16);
    const double size = font.size();
    key.append(reinterpret_cast<const char*>(&size), sizeof size).push_back(font.usesBoldFace() ? 'b' : 'r');
    key.push_back(font.monospacedDigits() ? 'm' : 'p');
    key.append(text);
    if (auto it = widths_.find(key); it != widths_.end()) return it->second;
    setText(layout_, text, font);
    PangoRectangle logical;
    pango_layout_get_extents(layout_, nullptr, &logical);
    const double w = static_cast<double>(logical.width) / PANGO_SCALE;
    if (widths_.size() >= 16384) widths_.clear();
    widths_.emplace(std::move(key), w);
    return w;
  }

 private:
  PangoContext* context_ = nullptr;
  PangoLayout* layout_ = nullptr;
  mutable std::mutex mutex_;
  mutable std::unordered_map<std::string, double> widths_;
};

}  // namespace

TextMeasurer* newFontMeasurer(PangoFontMap* fonts) { return new FontMeasurer(fonts); }

}  // namespace graphics::pango_text
