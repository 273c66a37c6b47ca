#pragma once
// System fonts by size and weight. Every weight draws with Noto Sans CJK SC, which ships a Regular and a Bold
// face only: regular and medium take Regular, semibold and bold take Bold, the same on every machine.

#include <string>

namespace graphics {

enum class FontWeight { regular, medium, semibold, bold };

class Font {
 public:
  // The system font at 13 points.
  Font() = default;
  static Font system(double size, FontWeight weight = FontWeight::regular);
  static Font boldSystem(double size) { return system(size, FontWeight::bold); }
  // Digits of one width ("tnum"), for figures that change in place.
  static Font monospacedDigitSystem(double size, FontWeight weight = FontWeight::regular);
  static constexpr double systemFontSize() { return 13.0; }

  double size() const { return size_; }
  FontWeight weight() const { return weight_; }
  bool monospacedDigits() const { return monospacedDigits_; }
  // Whether the Bold face draws it.
  bool usesBoldFace() const { return weight_ == FontWeight::semibold || weight_ == FontWeight::bold; }
  static const std::string& familyName();

  // The face's own line metrics (1.16 em above the baseline, 0.288 em below).
  double ascent() const { return size_ * 1.16; }
  double descent() const { return size_ * 0.288; }
  double lineHeight() const { return ascent() + descent(); }

  friend bool operator==(const Font&, const Font&) = default;

 private:
  double size_ = systemFontSize();
  FontWeight weight_ = FontWeight::regular;
  bool monospacedDigits_ = false;
};

}  // namespace graphics
