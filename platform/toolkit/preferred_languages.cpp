#include "toolkit/preferred_languages.h"

#include <cstdlib>
#include <string_view>

namespace toolkit {

namespace {

std::string value(const EnvironmentLookup& lookup, const char* name) {
  const char* text = lookup(name);
  return text != nullptr ? std::string(text) : std::string();
}

// "zh_TW.UTF-8@euro" → "zh-TW"; empty for an entry that names no language.
std::string languageOf(std::string_view locale) {
  locale = locale.substr(0, locale.find_first_of(".@"));
  if (locale.empty() || locale == "C" || locale == "POSIX") return {};
  std::string code(locale);
  for (char& c : code) {
    if (c == '_') c = '-';
  }
  return code;
}

}  // namespace

std::vector<std::string> preferredLanguagesFromEnvironment(const EnvironmentLookup& lookup) {
  std::string messages;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    messages = value(lookup, name);
    if (!messages.empty()) break;
  }
  std::vector<std::string> languages;
  const std::string list = value(lookup, "LANGUAGE");
  if (!list.empty() && !messages.empty() && messages != "C" && messages != "POSIX") {
    std::size_t start = 0;
    for (std::size_t end; start <= list.size(); start = end + 1) {
      end = list.find(':', start);
      if (end == std::string::npos) end = list.size();
      if (std::string code = languageOf(std::string_view(list).substr(start, end - start)); !code.empty()) {
        languages.push_back(std::move(code));
      }
    }
  }
  if (languages.empty()) {
    if (std::string code = languageOf(messages); !code.empty()) languages.push_back(std::move(code));
  }
  if (languages.empty()) languages.push_back("en");
  return languages;
}

std::vector<std::string> preferredLanguagesFromEnvironment() {
  return preferredLanguagesFromEnvironment([](const char* name) { return std::getenv(name); });
}

}  // namespace toolkit
