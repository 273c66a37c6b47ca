#include "ui/localisation.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstddef>
#include <map>
#include <vector>

#include "foundation/notification_center.h"
#include "foundation/transforms.h"
#include "foundation/user_defaults.h"
#include "toolkit/application.h"
#include "ui/english_catalog.h"

namespace {

constexpr std::string_view kLanguageKey = "Quodline.Language";
constexpr std::array<std::string_view, 4> kCodes = {"auto", "zh", "zh-Hant", "en"};

bool isLanguageCode(std::string_view code) {
  return std::find(kCodes.begin(), kCodes.end(), code) != kCodes.end();
}

std::string asciiLowercased(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Index of a key in the catalogue, which is sorted by key.
std::optional<std::size_t> catalogIndex(std::string_view key) {
  const std::span<const QDLCatalogEntry> catalog = QDLEnglishCatalog();
  const auto it = std::lower_bound(catalog.begin(), catalog.end(), key,
                                   [](const QDLCatalogEntry& e, std::string_view k) { return e.key < k; });
  if (it == catalog.end() || it->key != key) return std::nullopt;
  return static_cast<std::size_t>(it - catalog.begin());
}

struct Maps {
  std::map<std::string, std::size_t, std::less<>> reverse;  // English or Traditional text → entry
  std::vector<std::string> traditional;                     // by entry
};

const Maps& maps() {
  // Built once, thread-safely, on first need; later entries win, so the English "OK" reads back as "确定".
  static const Maps built = [] {
    Maps m;
    const std::span<const QDLCatalogEntry> catalog = QDLEnglishCatalog();
    m.traditional.reserve(catalog.size());
    for (std::size_t i = 0; i < catalog.size(); ++i) {
      m.reverse.insert_or_assign(std::string(catalog[i].english), i);
      m.traditional.push_back(QDLTraditional(catalog[i].key));
      m.reverse.insert_or_assign(m.traditional.back(), i);
    }
    return m;
  }();
  return built;
}

}  // namespace

std::string QDLLanguagePreference() {
  const std::optional<std::string> stored = foundation::UserDefaults::standard().stringForKey(kLanguageKey);
  return stored && isLanguageCode(*stored) ? *stored : std::string("auto");
}

bool QDLSetLanguagePreference(const std::optional<std::string>& code) {
  if (!code || !isLanguageCode(*code)) return false;
  // A value the file cannot take stays in memory, which is all the language needs for this run.
  foundation::UserDefaults::standard().setString(*code, kLanguageKey);
  foundation::NotificationCenter::defaultCenter().post(QDLLanguageChanged);
  return true;
}

std::string QDLResolvedLanguage() {
  std::string code = QDLLanguagePreference();
  if (code == "auto") {
    const std::vector<std::string>& preferred = toolkit::Application::shared().preferredLanguages();
    code = preferred.empty() ? std::string("en") : preferred.front();
  }
  code = asciiLowercased(code);
  if (!code.starts_with("zh")) return "en";
  // An explicit script subtag decides before any region: zh-Hans-HK is Simplified.
  constexpr std::string_view separators = "-_";
  for (std::size_t start = code.find_first_of(separators); start != std::string::npos;) {
    const std::size_t end = code.find_first_of(separators, start + 1);
    const std::string_view subtag = std::string_view(code).substr(start + 1, end - (start + 1));
    if (subtag == "hant") return "zh-Hant";
    if (subtag == "hans") return "zh";
    start = end;
  }
  for (const char* mark : {"hant", "tw", "hk"}) {
    if (code.find(mark) != std::string::npos) return "zh-Hant";
  }
  return "zh";
}

std::string QDLTraditional(std::string_view text) { return foundation::simplifiedToTraditional(text); }

std::string QDLT(std::string_view text) {
  if (text.empty()) return {};
  const Maps& m = maps();
  std::optional<std::size_t> entry = catalogIndex(text);
  if (!entry) {
    if (const auto it = m.reverse.find(text); it != m.reverse.end()) entry = it->second;
  }
  const std::string language = QDLResolvedLanguage();
  if (!entry) return std::string(text);
  if (language == "en") return std::string(QDLEnglishCatalog()[*entry].english);
  if (language == "zh-Hant") return m.traditional[*entry];
  return std::string(QDLEnglishCatalog()[*entry].key);
}

std::string QDLL(std::string_view zh, std::string_view en, std::optional<std::string_view> hant) {
  const std::string language = QDLResolvedLanguage();
  if (language == "en") return std::string(en);
  if (language == "zh-Hant") return hant ? std::string(*hant) : QDLTraditional(zh);
  return std::string(zh);
}
