#include "foundation/transforms.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <mutex>
#include <optional>

#include "foundation/icu_library.h"

namespace foundation {
namespace {

using Units = std::u16string;

// ICU counts in 32 bits; longer texts (never met in practice) are cut rather than overflowing the length.
int32_t length32(std::size_t size) { return static_cast<int32_t>(std::min<std::size_t>(size, INT32_MAX)); }

// What one of ICU's preflighting functions writes: it is called again with room enough when the first guess
// was short. Nothing when it fails.
template <typename Call>
std::optional<Units> produced(std::size_t guess, Call call) {
  Units out(std::max<std::size_t>(guess, 1), u'\0');
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = call(out.data(), length32(out.size()), &status);
  if (status == U_BUFFER_OVERFLOW_ERROR && length > 0) {
    out.assign(static_cast<std::size_t>(length), u'\0');
    status = U_ZERO_ERROR;
    length = call(out.data(), length, &status);
  }
  if (U_FAILURE(status) || length < 0) return std::nullopt;
  out.resize(static_cast<std::size_t>(length));
  return out;
}

// Ill-formed bytes become U+FFFD.
Units fromUtf8(const IcuLibrary& icu, std::string_view text) {
  // A UTF-8 text never takes more UTF-16 units than it has bytes.
  std::optional<Units> units = produced(text.size(), [&](UChar* out, int32_t room, UErrorCode* status) {
    int32_t length = 0;
    icu.fromUtf8(out, room, &length, text.data(), length32(text.size()), 0xFFFD, nullptr, status);
    return length;
  });
  return units ? std::move(*units) : Units();
}

std::string toUtf8(const IcuLibrary& icu, const UChar* units, std::size_t count) {
  std::string out(count * 3 + 1, '\0');
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = 0;
  icu.toUtf8(out.data(), length32(out.size()), &length, units, length32(count), 0xFFFD, nullptr, &status);
  if (U_FAILURE(status) || length < 0) return std::string();
  out.resize(static_cast<std::size_t>(length));
  return out;
}

std::string toUtf8(const IcuLibrary& icu, const Units& units) { return toUtf8(icu, units.data(), units.size()); }

Units folded(const IcuLibrary& icu, const Units& text) {
  std::optional<Units> out = produced(text.size(), [&](UChar* dest, int32_t room, UErrorCode* status) {
    return icu.strFoldCase(dest, room, text.data(), length32(text.size()), U_FOLD_CASE_DEFAULT, status);
  });
  return out ? std::move(*out) : text;
}

// A transliterator is costly to create and not safe to share between threads, so there is one, guarded.
struct Traditional {
  std::mutex mutex;
  UTransliterator* transliterator = nullptr;
  explicit Traditional(const IcuLibrary* icu) {
    if (icu == nullptr) return;
    UErrorCode status = U_ZERO_ERROR;
    transliterator =
        icu->transliteratorOpen(u"Simplified-Traditional", -1, UTRANS_FORWARD, nullptr, 0, nullptr, &status);
    if (U_FAILURE(status)) transliterator = nullptr;
  }
};

struct Natural {
  std::mutex mutex;
  UCollator* collator = nullptr;
  explicit Natural(const IcuLibrary* icu) {
    if (icu == nullptr) return;
    UErrorCode status = U_ZERO_ERROR;
    collator = icu->collatorOpen("", &status);  // the root locale
    if (U_FAILURE(status)) {
      collator = nullptr;
      return;
    }
    icu->collatorSetAttribute(collator, UCOL_NUMERIC_COLLATION, UCOL_ON, &status);
    icu->collatorSetAttribute(collator, UCOL_STRENGTH, UCOL_SECONDARY, &status);
    if (U_FAILURE(status)) collator = nullptr;
  }
};

int plainCompare(std::string_view a, std::string_view b) {
  const int c = a.compare(b);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

}  // namespace

std::string simplifiedToTraditional(std::string_view text) {
  const IcuLibrary* icu = icuLibrary();
  // Never destroyed, so that texts can still be converted from other objects' destructors at exit.
  static Traditional& traditional = *new Traditional(icu);
  if (traditional.transliterator == nullptr) return std::string(text);
  const Units original = fromUtf8(*icu, text);
  // Transliterated in place, with room to grow; with more room when that was not enough.
  for (std::size_t room = original.size() * 2 + 16; room <= original.size() * 64 + 64; room *= 4) {
    Units value = original;
    value.resize(room);
    int32_t length = length32(original.size()), limit = length;
    UErrorCode status = U_ZERO_ERROR;
    {
      std::lock_guard lock(traditional.mutex);
      icu->transliterate(traditional.transliterator, value.data(), &length, length32(room), 0, &limit, &status);
    }
    if (status == U_BUFFER_OVERFLOW_ERROR) continue;
    if (U_FAILURE(status) || length < 0) break;
    return toUtf8(*icu, value.data(), static_cast<std::size_t>(length));
  }
  return std::string(text);
}

std::string normalizedNFC(std::string_view text) {
  const IcuLibrary* icu = icuLibrary();
  if (icu == nullptr) return std::string(text);
  UErrorCode status = U_ZERO_ERROR;
  const UNormalizer2* nfc = icu->nfcInstance(&status);
  if (U_FAILURE(status)) return std::string(text);
  const Units value = fromUtf8(*icu, text);
  std::optional<Units> result = produced(value.size() + 16, [&](UChar* out, int32_t room, UErrorCode* error) {
    return icu->normalize(nfc, value.data(), length32(value.size()), out, room, error);
  });
  return result ? toUtf8(*icu, *result) : std::string(text);
}

std::string lowercased(std::string_view text) {
  const IcuLibrary* icu = icuLibrary();
  if (icu == nullptr) return std::string(text);
  const Units value = fromUtf8(*icu, text);
  std::optional<Units> result = produced(value.size() + 16, [&](UChar* out, int32_t room, UErrorCode* status) {
    return icu->toLower(out, room, value.data(), length32(value.size()), "", status);  // the root locale
  });
  return toUtf8(*icu, result ? *result : value);
}

std::string caseFolded(std::string_view text) {
  const IcuLibrary* icu = icuLibrary();
  if (icu == nullptr) return std::string(text);
  return toUtf8(*icu, folded(*icu, fromUtf8(*icu, text)));
}

bool containsIgnoringCase(std::string_view text, std::string_view part) {
  if (part.empty()) return true;
  const IcuLibrary* icu = icuLibrary();
  if (icu == nullptr) return text.find(part) != std::string_view::npos;
  const Units haystack = folded(*icu, fromUtf8(*icu, text)), needle = folded(*icu, fromUtf8(*icu, part));
  return icu->findFirst(haystack.data(), length32(haystack.size()), needle.data(), length32(needle.size())) != nullptr;
}

std::string trimmedWhitespace(std::string_view text) {
  const IcuLibrary* icu = icuLibrary();
  if (icu == nullptr) return std::string(text);
  const Units value = fromUtf8(*icu, text);
  const UChar* units = value.data();
  const int32_t length = length32(value.size());
  int32_t begin = 0, end = length;
  while (begin < end) {
    int32_t next = begin;
    UChar32 c;
    U16_NEXT(units, next, length, c);
    if (!icu->isUWhiteSpace(c)) break;
    begin = next;
  }
  while (end > begin) {
    int32_t previous = end;
    UChar32 c;
    U16_PREV(units, 0, previous, c);
    if (!icu->isUWhiteSpace(c)) break;
    end = previous;
  }
  return toUtf8(*icu, units + begin, static_cast<std::size_t>(end - begin));
}

int naturalCompare(std::string_view a, std::string_view b) {
  const IcuLibrary* icu = icuLibrary();
  static Natural& natural = *new Natural(icu);
  if (natural.collator == nullptr) return plainCompare(a, b);
  UErrorCode status = U_ZERO_ERROR;
  UCollationResult result;
  {
    std::lock_guard lock(natural.mutex);
    result = icu->collateUtf8(natural.collator, a.data(), length32(a.size()), b.data(), length32(b.size()), &status);
  }
  if (U_FAILURE(status)) return plainCompare(a, b);
  return result == UCOL_LESS ? -1 : result == UCOL_GREATER ? 1 : 0;
}

}  // namespace foundation
