#include "foundation/transforms.h"

#include <unicode/coll.h>
#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <mutex>

namespace foundation {
namespace {

// ICU counts in 32 bits; longer texts (never met in practice) are cut rather than overflowing the length.
icu::StringPiece piece(std::string_view text) {
  const std::size_t limit = static_cast<std::size_t>(INT32_MAX);
  return icu::StringPiece(text.data(), static_cast<int32_t>(std::min(text.size(), limit)));
}

icu::UnicodeString fromUtf8(std::string_view text) {
  // ICU replaces ill-formed bytes with U+FFFD.
  return icu::UnicodeString::fromUTF8(piece(text));
}

std::string toUtf8(const icu::UnicodeString& text) {
  std::string out;
  text.toUTF8String(out);
  return out;
}

// A transliterator is costly to create and not safe to share between threads, so there is one, guarded.
struct Traditional {
  std::mutex mutex;
  std::unique_ptr<icu::Transliterator> transliterator;
  Traditional() {
    UErrorCode status = U_ZERO_ERROR;
    transliterator.reset(icu::Transliterator::createInstance("Simplified-Traditional", UTRANS_FORWARD, status));
    if (U_FAILURE(status)) transliterator.reset();
  }
};

struct Natural {
  std::mutex mutex;
  std::unique_ptr<icu::Collator> collator;
  Natural() {
    UErrorCode status = U_ZERO_ERROR;
    collator.reset(icu::Collator::createInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status)) {
      collator.reset();
      return;
    }
    collator->setAttribute(UCOL_NUMERIC_COLLATION, UCOL_ON, status);
    collator->setAttribute(UCOL_STRENGTH, UCOL_SECONDARY, status);
    if (U_FAILURE(status)) collator.reset();
  }
};

}  // namespace

std::string simplifiedToTraditional(std::string_view text) {
  // Never destroyed, so that texts can still be converted from other objects' destructors at exit.
  static Traditional& traditional = *new Traditional;
  if (!traditional.transliterator) return std::string(text);
  icu::UnicodeString value = fromUtf8(text);
  {
    std::lock_guard lock(traditional.mutex);
    traditional.transliterator->transliterate(value);
  }
  return toUtf8(value);
}

std::string normalizedNFC(std::string_view text) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
  if (U_FAILURE(status)) return std::string(text);
  const icu::UnicodeString result = nfc->normalize(fromUtf8(text), status);
  if (U_FAILURE(status)) return std::string(text);
  return toUtf8(result);
}

std::string lowercased(std::string_view text) {
  icu::UnicodeString value = fromUtf8(text);
  value.toLower(icu::Locale::getRoot());
  return toUtf8(value);
}

std::string caseFolded(std::string_view text) {
  icu::UnicodeString value = fromUtf8(text);
  value.foldCase(U_FOLD_CASE_DEFAULT);
  return toUtf8(value);
}

bool containsIgnoringCase(std::string_view text, std::string_view part) {
  if (part.empty()) return true;
  icu::UnicodeString haystack = fromUtf8(text);
  icu::UnicodeString needle = fromUtf8(part);
  haystack.foldCase(U_FOLD_CASE_DEFAULT);
  needle.foldCase(U_FOLD_CASE_DEFAULT);
  return haystack.indexOf(needle) >= 0;
}

std::string trimmedWhitespace(std::string_view text) {
  const icu::UnicodeString value = fromUtf8(text);
  int32_t begin = 0, end = value.length();
  while (begin < end && u_isUWhiteSpace(value.char32At(begin))) begin = value.moveIndex32(begin, 1);
  while (end > begin) {
    const int32_t previous = value.moveIndex32(end, -1);
    if (!u_isUWhiteSpace(value.char32At(previous))) break;
    end = previous;
  }
  return toUtf8(icu::UnicodeString(value, begin, end - begin));
}

int naturalCompare(std::string_view a, std::string_view b) {
  static Natural& natural = *new Natural;
  if (!natural.collator) {
    const int c = a.compare(b);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
  }
  UErrorCode status = U_ZERO_ERROR;
  UCollationResult result;
  {
    std::lock_guard lock(natural.mutex);
    result = natural.collator->compareUTF8(piece(a), piece(b), status);
  }
  if (U_FAILURE(status)) {
    const int c = a.compare(b);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
  }
  return result == UCOL_LESS ? -1 : result == UCOL_GREATER ? 1 : 0;
}

}  // namespace foundation
