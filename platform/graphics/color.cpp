#include "graphics/color.h"

#include <algorithm>
#include <cmath>

namespace graphics {

namespace {

double unit(double v) { return std::isnan(v) ? 0.0 : std::clamp(v, 0.0, 1.0); }

struct Pair {
  Color light;
  Color dark;
};

// Close to the platform's values; the stand-in only needs them legible and distinct.
Pair values(SystemColor name) {
  switch (name) {
    case SystemColor::label:
      return {Color::grey(0, 0.85), Color::grey(1, 0.85)};
    case SystemColor::secondaryLabel:
      return {Color::grey(0, 0.5), Color::grey(1, 0.55)};
    case SystemColor::tertiaryLabel:
      return {Color::grey(0, 0.26), Color::grey(1, 0.25)};
    case SystemColor::text:
    case SystemColor::controlText:
      return {Color::black(), Color::white()};
    case SystemColor::disabledControlText:
      return {Color::grey(0, 0.25), Color::grey(1, 0.25)};
    case SystemColor::textBackground:
    case SystemColor::controlBackground:
      return {Color::white(), Color::grey(0.118)};
    case SystemColor::windowBackground:
      return {Color::grey(0.925), Color::grey(0.196)};
    case SystemColor::control:
      return {Color::white(), Color::grey(1, 0.25)};
    case SystemColor::selectedContentBackground:
    case SystemColor::controlAccent:
      return {Color::srgb(0.0, 0.39, 0.88), Color::srgb(0.0, 0.35, 0.82)};
    case SystemColor::alternatingContentBackground:
      return {Color::grey(0.957), Color::grey(1, 0.05)};
    case SystemColor::separator:
      return {Color::grey(0, 0.1), Color::grey(1, 0.1)};
    case SystemColor::grid:
      return {Color::grey(0.902), Color::grey(0.102)};
    case SystemColor::systemRed:
      return {Color::srgb(1.0, 0.231, 0.188), Color::srgb(1.0, 0.271, 0.227)};
    case SystemColor::systemGreen:
      return {Color::srgb(0.157, 0.804, 0.255), Color::srgb(0.196, 0.843, 0.294)};
    case SystemColor::systemBlue:
      return {Color::srgb(0.0, 0.478, 1.0), Color::srgb(0.039, 0.518, 1.0)};
    case SystemColor::systemOrange:
      return {Color::srgb(1.0, 0.584, 0.0), Color::srgb(1.0, 0.624, 0.039)};
  }
  return {Color::black(), Color::white()};
}

}  // namespace

Color Color::srgb(double red, double green, double blue, double alpha) {
  Color c;
  c.r_ = unit(red);
  c.g_ = unit(green);
  c.b_ = unit(blue);
  c.a_ = unit(alpha);
  return c;
}

Color Color::grey(double white, double alpha) { return srgb(white, white, white, alpha); }

Color Color::named(SystemColor name) {
  Color c = values(name).light;
  c.name_ = name;
  return c;
}

Color Color::resolved(Appearance appearance) const {
  if (!name_) return *this;
  const Pair pair = values(*name_);
  Color c = appearance == Appearance::darkAqua ? pair.dark : pair.light;
  if (alphaOverride_) c.a_ = *alphaOverride_;
  return c;
}

Color Color::withAlpha(double alpha) const {
  Color c = *this;
  if (name_) {
    c.alphaOverride_ = unit(alpha);
    c.a_ = unit(alpha);
  } else {
    c.a_ = unit(alpha);
  }
  return c;
}

Color Color::blended(double fraction, const Color& other) const {
  const Color a = resolved(Appearance::aqua);
  const Color b = other.resolved(Appearance::aqua);
  const double f = unit(fraction);
  return srgb(a.r_ + (b.r_ - a.r_) * f, a.g_ + (b.g_ - a.g_) * f, a.b_ + (b.b_ - a.b_) * f,
              a.a_ + (b.a_ - a.a_) * f);
}

}  // namespace graphics
