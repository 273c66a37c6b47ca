#include "core/interface_text.h"

#include <utility>

namespace {

InterfaceText& installedText() {
  static InterfaceText instance;
  return instance;
}

}  // namespace

void setInterfaceText(InterfaceText text) { installedText() = std::move(text); }

std::string translatedText(std::string_view text) {
  return installedText().translate ? installedText().translate(text) : std::string(text);
}

std::string chosenText(std::string_view zh, std::string_view en, std::optional<std::string_view> hant) {
  return installedText().choose ? installedText().choose(zh, en, hant) : std::string(zh);
}
