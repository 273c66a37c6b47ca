#pragma once
// The constant catalogue of interface texts: each Simplified-Chinese text as the code writes it (the key) with
// its English. Placeholders and line breaks are part of both texts, in the same order, so a translated text
// goes to the same formatting call. The Traditional forms are not stored: they come from the transform.

#include <span>
#include <string_view>

struct QDLCatalogEntry {
  std::string_view key;
  std::string_view english;
};

// Every entry, keys unique and in ascending code-point order (byte order of the UTF-8 texts).
std::span<const QDLCatalogEntry> QDLEnglishCatalog();
