#pragma once
// The interface language: the stored preference, its resolution to the language texts are shown in, and the
// translation of texts that the code writes in Simplified Chinese. Main thread, like every window.
//
// Language codes, in the order the language pop-ups list them: "auto" (follow the preferred languages of the
// process), "zh", "zh-Hant", "en". A nil system string is the empty text here.

#include <optional>
#include <string>
#include <string_view>

// Posted on the default notification centre, with no object, whenever a language code is stored.
inline constexpr char QDLLanguageChanged[] = "QDLLanguageChanged";

// The code stored under Quodline.Language; "auto" when missing or not exactly one of the four codes.
std::string QDLLanguagePreference();
// Stores one of the four codes and posts QDLLanguageChanged, even when the stored code does not change.
// Anything else (nil included) stores and posts nothing and gives false.
bool QDLSetLanguagePreference(const std::optional<std::string>& code);
// "zh", "zh-Hant" or "en", evaluated afresh at every call.
std::string QDLResolvedLanguage();

// The Traditional-Chinese form of a Simplified text; the text itself when the transform is unavailable.
std::string QDLTraditional(std::string_view text);
// A catalogue text in the resolved language, whichever language's form it is given in; any other text as it is.
std::string QDLT(std::string_view text);
// One of the caller's own three wordings; without a Traditional one, the transform of the Simplified one.
// The catalogue is not consulted, so a view walk cannot recognise these texts again: their owners re-set them.
std::string QDLL(std::string_view zh, std::string_view en, std::optional<std::string_view> hant = std::nullopt);
