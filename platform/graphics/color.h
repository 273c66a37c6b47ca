#pragma once
// Colours: sRGB components with alpha, or a named system colour that takes its value from the appearance it is
// drawn in (light or dark), as the platform's dynamic colours do.

#include <optional>
#include <string_view>

namespace graphics {

enum class Appearance { aqua, darkAqua };

enum class SystemColor {
  label,
  secondaryLabel,
  tertiaryLabel,
  text,
  textBackground,
  controlBackground,
  windowBackground,
  control,
  controlText,
  disabledControlText,
  selectedContentBackground,
  alternatingContentBackground,
  separator,
  grid,
  controlAccent,
  systemRed,
  systemGreen,
  systemBlue,
  systemOrange,
};

class Color {
 public:
  // Opaque black.
  Color() = default;
  // Components are clamped to 0…1; NaN counts as 0.
  static Color srgb(double red, double green, double blue, double alpha = 1.0);
  // A grey of the given white level.
  static Color grey(double white, double alpha = 1.0);
  static Color white() { return grey(1.0); }
  static Color black() { return grey(0.0); }
  static Color clear() { return grey(0.0, 0.0); }
  static Color named(SystemColor name);

  bool isDynamic() const { return name_.has_value(); }
  std::optional<SystemColor> name() const { return name_; }
  // The concrete colour in that appearance; a concrete colour answers itself.
  Color resolved(Appearance appearance) const;

  // Components of the colour in the light appearance.
  double red() const { return resolved(Appearance::aqua).r_; }
  double green() const { return resolved(Appearance::aqua).g_; }
  double blue() const { return resolved(Appearance::aqua).b_; }
  double alpha() const { return resolved(Appearance::aqua).a_; }

  // A named colour stays named, with its alpha replaced in every appearance.
  Color withAlpha(double alpha) const;
  // Componentwise mix in sRGB: fraction 0 is this colour, 1 the other. Named colours mix as they look in the light
  // appearance.
  Color blended(double fraction, const Color& other) const;

  friend bool operator==(const Color&, const Color&) = default;

 private:
  double r_ = 0, g_ = 0, b_ = 0, a_ = 1;
  std::optional<SystemColor> name_;
  std::optional<double> alphaOverride_;
};

}  // namespace graphics
