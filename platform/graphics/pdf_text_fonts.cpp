#include "pdf_text_fonts.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <hb-subset.h>
#include <hb.h>
#include <pango/pangofc-font.h>

#include <algorithm>
#include <limits>
#include <mutex>
#include <utility>

namespace graphics {

namespace {

constexpr std::size_t kWhole = std::numeric_limits<std::size_t>::max();

// One FreeType library for the subsets of every document: cairo may keep a font face after its document is
// done, so the library is never closed. FreeType wants faces made and dropped one at a time.
std::mutex& freetypeMutex() {
  static auto* mutex = new std::mutex;
  return *mutex;
}

FT_Library freetype() {
  static FT_Library library = [] {
    FT_Library made = nullptr;
    return FT_Init_FreeType(&made) == 0 ? made : nullptr;
  }();
  return library;
}

// What a cairo face made from a subset keeps alive: the FreeType face and the bytes it reads.
struct SubsetFace {
  hb_blob_t* bytes = nullptr;
  FT_Face face = nullptr;
};

void dropSubsetFace(void* data) {
  auto* kept = static_cast<SubsetFace*>(data);
  {
    std::lock_guard lock(freetypeMutex());
    if (kept->face != nullptr) FT_Done_Face(kept->face);
  }
  hb_blob_destroy(kept->bytes);
  delete kept;
}

const cairo_user_data_key_t kSubsetFaceKey{};

// Only the tables that draw and measure glyphs and name the font go into a subset: the subsetter then has no
// substitutions or character maps to follow, and cairo needs none of them (the characters come with the text).
hb_blob_t* drawingTable(hb_face_t*, hb_tag_t tag, void* source) {
  switch (tag) {
    case HB_TAG('C', 'F', 'F', ' '):
    case HB_TAG('g', 'l', 'y', 'f'):
    case HB_TAG('l', 'o', 'c', 'a'):
    case HB_TAG('h', 'e', 'a', 'd'):
    case HB_TAG('h', 'h', 'e', 'a'):
    case HB_TAG('h', 'm', 't', 'x'):
    case HB_TAG('m', 'a', 'x', 'p'):
    case HB_TAG('n', 'a', 'm', 'e'):
    case HB_TAG('O', 'S', '/', '2'):
    case HB_TAG('p', 'o', 's', 't'): return hb_face_reference_table(static_cast<hb_face_t*>(source), tag);
    default: return nullptr;
  }
}

void releaseFace(void* face) { hb_face_destroy(static_cast<hb_face_t*>(face)); }

// A cairo face reading the subset's bytes, or null.
cairo_font_face_t* cairoFace(hb_face_t* subset) {
  auto* kept = new SubsetFace{hb_face_reference_blob(subset), nullptr};
  unsigned length = 0;
  const char* data = hb_blob_get_data(kept->bytes, &length);
  {
    std::lock_guard lock(freetypeMutex());
    if (freetype() == nullptr || length == 0 ||
        FT_New_Memory_Face(freetype(), reinterpret_cast<const FT_Byte*>(data), static_cast<FT_Long>(length), 0,
                           &kept->face) != 0) {
      kept->face = nullptr;
    }
  }
  if (kept->face == nullptr) {
    dropSubsetFace(kept);
    return nullptr;
  }
  cairo_font_face_t* face = cairo_ft_font_face_create_for_ft_face(kept->face, 0);
  if (cairo_font_face_set_user_data(face, &kSubsetFaceKey, kept, dropSubsetFace) != CAIRO_STATUS_SUCCESS) {
    cairo_font_face_destroy(face);
    dropSubsetFace(kept);
    return nullptr;
  }
  return face;
}

// Whether the font draws its file's outlines as they are: no synthetic bold or slant, no variation.
bool drawsOutlinesAsTheyAre(PangoFont* font, cairo_scaled_font_t* scaled) {
  if (scaled == nullptr || cairo_scaled_font_status(scaled) != CAIRO_STATUS_SUCCESS ||
      cairo_scaled_font_get_type(scaled) != CAIRO_FONT_TYPE_FT || !PANGO_IS_FC_FONT(font)) {
    return false;
  }
  FcPattern* pattern = pango_fc_font_get_pattern(PANGO_FC_FONT(font));
  FcBool embolden = FcFalse;
  if (pattern == nullptr || (FcPatternGetBool(pattern, FC_EMBOLDEN, 0, &embolden) == FcResultMatch && embolden)) {
    return false;
  }
  FcMatrix* matrix = nullptr;
  if (FcPatternGetMatrix(pattern, FC_MATRIX, 0, &matrix) == FcResultMatch && matrix != nullptr &&
      (matrix->xx != 1 || matrix->xy != 0 || matrix->yx != 0 || matrix->yy != 1)) {
    return false;
  }
  unsigned coordinates = 0;
  hb_font_get_var_coords_normalized(pango_font_get_hb_font(font), &coordinates);
  return coordinates == 0;
}

}  // namespace

struct PdfTextFonts::Font {
  hb_face_t* face = nullptr;  // Pango's, referenced
  hb_set_t* used = hb_set_create();
  hb_subset_plan_t* plan = nullptr;
  cairo_font_face_t* subset = nullptr;

  ~Font() {
    if (subset != nullptr) cairo_font_face_destroy(subset);
    if (plan != nullptr) hb_subset_plan_destroy(plan);
    hb_set_destroy(used);
    hb_face_destroy(face);
  }
};

GlyphRun::GlyphRun(GlyphRun&& other) noexcept { *this = std::move(other); }

GlyphRun& GlyphRun::operator=(GlyphRun&& other) noexcept {
  if (this == &other) return *this;
  if (scaled_ != nullptr) cairo_scaled_font_destroy(scaled_);
  if (pangoRun_ != nullptr) pango_glyph_item_free(pangoRun_);
  font_ = other.font_;
  scaled_ = std::exchange(other.scaled_, nullptr);
  glyphs_ = std::move(other.glyphs_);
  text_ = std::move(other.text_);
  clusters_ = std::move(other.clusters_);
  clusterFlags_ = other.clusterFlags_;
  pangoRun_ = std::exchange(other.pangoRun_, nullptr);
  pangoText_ = std::move(other.pangoText_);
  origin_ = other.origin_;
  base_ = other.base_;
  return *this;
}

GlyphRun::~GlyphRun() {
  if (scaled_ != nullptr) cairo_scaled_font_destroy(scaled_);
  if (pangoRun_ != nullptr) pango_glyph_item_free(pangoRun_);
}

PdfTextFonts::PdfTextFonts() = default;
PdfTextFonts::~PdfTextFonts() = default;

std::size_t PdfTextFonts::fontOf(PangoFont* font, cairo_scaled_font_t* scaled) {
  if (!drawsOutlinesAsTheyAre(font, scaled)) return kWhole;
  hb_face_t* face = hb_font_get_face(pango_font_get_hb_font(font));
  for (std::size_t i = 0; i < fonts_.size(); ++i) {
    if (fonts_[i]->face == face) return i;
  }
  auto added = std::make_unique<Font>();
  added->face = hb_face_reference(face);
  fonts_.push_back(std::move(added));
  return fonts_.size() - 1;
}

void PdfTextFonts::addLayout(PangoLayout* layout, Point origin, std::vector<GlyphRun>& runs) {
  const char* text = pango_layout_get_text(layout);
  PangoLayoutIter* lines = pango_layout_get_iter(layout);
  do {
    PangoLayoutLine* line = pango_layout_iter_get_line_readonly(lines);
    PangoRectangle extent;
    pango_layout_iter_get_line_extents(lines, nullptr, &extent);
    const int baseline = pango_layout_iter_get_baseline(lines);
    // Runs follow each other as Pango's renderer places them.
    int x = extent.x;
    for (GSList* link = line->runs; link != nullptr; link = link->next) {
      auto* item = static_cast<PangoGlyphItem*>(link->data);
      PangoGlyphString* glyphs = item->glyphs;
      x += item->start_x_offset;
      const double baseX = static_cast<double>(x) / PANGO_SCALE;
      const double baseY = static_cast<double>(baseline - item->y_offset) / PANGO_SCALE;
      x += pango_glyph_string_get_width(glyphs) + item->end_x_offset;

      GlyphRun run;
      run.origin_ = origin;
      run.base_ = {baseX, baseY};
      PangoFont* font = item->item->analysis.font;
      bool boxes = false;
      for (int i = 0; i < glyphs->num_glyphs; ++i) {
        const PangoGlyph glyph = glyphs->glyphs[i].glyph;
        if ((glyph & PANGO_GLYPH_UNKNOWN_FLAG) != 0 && glyph != (0x20 | PANGO_GLYPH_UNKNOWN_FLAG)) boxes = true;
      }
      if (font == nullptr || boxes) {
        run.font_ = kWhole;
        run.pangoRun_ = pango_glyph_item_copy(item);
        run.pangoText_ = text;
        runs.push_back(std::move(run));
        continue;
      }
      cairo_scaled_font_t* scaled = pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(font));
      run.scaled_ = cairo_scaled_font_reference(scaled);
      run.font_ = fontOf(font, scaled);
      hb_set_t* used = run.font_ == kWhole ? nullptr : fonts_[run.font_]->used;

      int advance = 0;
      for (int i = 0; i < glyphs->num_glyphs; ++i) {
        const PangoGlyphInfo& info = glyphs->glyphs[i];
        if (info.glyph != PANGO_GLYPH_EMPTY && (info.glyph & PANGO_GLYPH_UNKNOWN_FLAG) == 0) {
          run.glyphs_.push_back({info.glyph, static_cast<double>(advance + info.geometry.x_offset) / PANGO_SCALE,
                                 static_cast<double>(info.geometry.y_offset) / PANGO_SCALE});
          if (used != nullptr) hb_set_add(used, info.glyph);
        }
        advance += info.geometry.width;
      }

      // The characters each cluster of glyphs stands for, so that the text can be selected and searched.
      const bool backward = (item->item->analysis.level & 1) != 0;
      PangoGlyphItemIter cluster;
      if (pango_glyph_item_iter_init_start(&cluster, item, text)) {
        do {
          int count = backward ? cluster.start_glyph - cluster.end_glyph : cluster.end_glyph - cluster.start_glyph;
          for (int i = std::min(cluster.start_glyph, cluster.end_glyph + 1);
               i < std::max(cluster.start_glyph + 1, cluster.end_glyph); ++i) {
            const PangoGlyph glyph = glyphs->glyphs[i].glyph;
            if (glyph == PANGO_GLYPH_EMPTY || (glyph & PANGO_GLYPH_UNKNOWN_FLAG) != 0) --count;
          }
          run.clusters_.push_back({cluster.end_index - cluster.start_index, count});
        } while (pango_glyph_item_iter_next_cluster(&cluster));
      }
      run.text_.assign(text + item->item->offset, static_cast<std::size_t>(item->item->length));
      run.clusterFlags_ = backward ? CAIRO_TEXT_CLUSTER_FLAG_BACKWARD : cairo_text_cluster_flags_t(0);
      runs.push_back(std::move(run));
    }
  } while (pango_layout_iter_next_line(lines));
  pango_layout_iter_free(lines);
}

void PdfTextFonts::makeSubsets() {
  for (const std::unique_ptr<Font>& font : fonts_) {
    if (font->plan != nullptr || hb_set_is_empty(font->used)) continue;
    hb_face_t* tables = hb_face_create_for_tables(drawingTable, hb_face_reference(font->face), releaseFace);
    hb_subset_input_t* input = hb_subset_input_create_or_fail();
    if (input != nullptr) {
      hb_set_union(hb_subset_input_glyph_set(input), font->used);
      // Subroutines written out into the glyphs that call them: renumbering the font's own would have the
      // subsetter read all of them, and for the few glyphs of a page the flat programs are no larger.
      hb_subset_input_set_flags(input, HB_SUBSET_FLAGS_DESUBROUTINIZE);
      font->plan = hb_subset_plan_create_or_fail(tables, input);
      hb_subset_input_destroy(input);
    }
    if (font->plan != nullptr) {
      hb_face_t* subset = hb_subset_plan_execute_or_fail(font->plan);
      if (subset != nullptr) font->subset = cairoFace(subset);
      hb_face_destroy(subset);
    }
    hb_face_destroy(tables);
  }
}

void PdfTextFonts::draw(cairo_t* cr, const GlyphRun& run) const {
  // The line starts where cairo puts its current point, which it keeps to 1/256 of a device unit, as when Pango
  // draws the line from there itself.
  double x0 = 0, y0 = 0;
  cairo_move_to(cr, run.origin_.x, run.origin_.y);
  cairo_get_current_point(cr, &x0, &y0);
  const double baseX = x0 + run.base_.x, baseY = y0 + run.base_.y;
  if (run.pangoRun_ != nullptr) {
    cairo_move_to(cr, baseX, baseY);
    pango_cairo_show_glyph_item(cr, run.pangoText_.c_str(), run.pangoRun_);
    cairo_new_path(cr);
    return;
  }
  cairo_new_path(cr);
  if (run.glyphs_.empty()) return;
  const Font* font = run.font_ == kWhole ? nullptr : fonts_[run.font_].get();
  std::vector<cairo_glyph_t> glyphs = run.glyphs_;
  for (cairo_glyph_t& glyph : glyphs) {
    glyph.x += baseX;
    glyph.y = glyph.y == 0 ? baseY : baseY + glyph.y;
  }
  bool subset = font != nullptr && font->subset != nullptr;
  if (subset) {
    const hb_map_t* newIndex = hb_subset_plan_old_to_new_glyph_mapping(font->plan);
    for (cairo_glyph_t& glyph : glyphs) {
      const hb_codepoint_t index = hb_map_get(newIndex, static_cast<hb_codepoint_t>(glyph.index));
      if (index == HB_MAP_VALUE_INVALID) {
        subset = false;
        break;
      }
      glyph.index = index;
    }
  }
  if (subset) {
    cairo_matrix_t size;
    cairo_scaled_font_get_font_matrix(run.scaled_, &size);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_scaled_font_get_font_options(run.scaled_, options);
    cairo_set_font_face(cr, font->subset);
    cairo_set_font_matrix(cr, &size);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
  } else {
    for (std::size_t i = 0; i < glyphs.size(); ++i) glyphs[i].index = run.glyphs_[i].index;
    cairo_set_scaled_font(cr, run.scaled_);
  }
  cairo_show_text_glyphs(cr, run.text_.data(), static_cast<int>(run.text_.size()), glyphs.data(),
                         static_cast<int>(glyphs.size()), run.clusters_.data(), static_cast<int>(run.clusters_.size()),
                         run.clusterFlags_);
}

}  // namespace graphics
