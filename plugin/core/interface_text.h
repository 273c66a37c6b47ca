#pragma once
// Texts of the plug-in's own windows are put into the user's language by the interface kit, which stands above
// core and links itself in when the plug-in starts. Until then a text stays as written (Simplified Chinese).

#include <functional>
#include <optional>
#include <string>
#include <string_view>

struct InterfaceText {
  // A catalogue text in the interface language.
  std::function<std::string(std::string_view text)> translate;
  // One of the caller's own wordings, by the interface language.
  std::function<std::string(std::string_view zh, std::string_view en, std::optional<std::string_view> hant)> choose;
};

void setInterfaceText(InterfaceText text);

std::string translatedText(std::string_view text);
std::string chosenText(std::string_view zh, std::string_view en, std::optional<std::string_view> hant);
