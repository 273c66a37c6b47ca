#include "panels/panel_settings.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <variant>

#include "foundation/user_defaults.h"

namespace {

std::optional<std::int64_t> wholeNumber(const foundation::DefaultsValue& value) {
  if (const auto* i = std::get_if<std::int64_t>(&value)) return *i;
  if (const auto* d = std::get_if<double>(&value)) {
    if (!std::isfinite(*d) || std::fabs(*d) > 9.0e18) return std::nullopt;
    return static_cast<std::int64_t>(*d);
  }
  if (const auto* s = std::get_if<std::string>(&value)) {
    if (s->empty()) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const long long n = std::strtoll(s->c_str(), &end, 10);
    if (errno != 0 || end == s->c_str() || *end != 0) return std::nullopt;
    return static_cast<std::int64_t>(n);
  }
  return std::nullopt;
}

}  // namespace

std::int64_t panelIntegerSetting(std::string_view key, std::int64_t fallback, std::int64_t low, std::int64_t high) {
  const auto stored = foundation::UserDefaults::standard().objectForKey(key);
  const std::optional<std::int64_t> n = stored ? wholeNumber(*stored) : std::nullopt;
  return std::clamp(n.value_or(fallback), low, high);
}

bool panelBoolSetting(std::string_view key, bool fallback) {
  const auto stored = foundation::UserDefaults::standard().objectForKey(key);
  if (!stored) return fallback;
  if (const auto* b = std::get_if<bool>(&*stored)) return *b;
  if (const auto* i = std::get_if<std::int64_t>(&*stored)) return *i != 0;
  if (const auto* s = std::get_if<std::string>(&*stored)) {
    if (*s == "YES" || *s == "true" || *s == "1") return true;
    if (*s == "NO" || *s == "false" || *s == "0") return false;
  }
  return fallback;
}

std::string panelStringSetting(std::string_view key, const std::string& fallback) {
  const auto stored = foundation::UserDefaults::standard().objectForKey(key);
  if (stored) {
    if (const auto* s = std::get_if<std::string>(&*stored)) return *s;
  }
  return fallback;
}

bool panelHasSetting(std::string_view key) { return foundation::UserDefaults::standard().hasKey(key); }
