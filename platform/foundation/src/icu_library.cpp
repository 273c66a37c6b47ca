#include "foundation/icu_library.h"

#include <dlfcn.h>

#include <mutex>

namespace foundation {

namespace {

// ICU's functions carry its version in their names (u_foldCase is u_foldCase_72): the headers' own renaming
// gives the names to look up.
#define QUODL_ICU_TEXT(x) #x
#define QUODL_ICU_NAME(x) QUODL_ICU_TEXT(x)

template <typename Function>
bool find(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(dlsym(library, name));
  return function != nullptr;
}

}  // namespace

const IcuLibrary* icuLibrary() {
  static std::once_flag once;
  static IcuLibrary icu{};
  static const IcuLibrary* opened = nullptr;
  std::call_once(once, [] {
    // Never closed: converters, collators and transliterators made from it live as long as the process.
    void* common = dlopen("libicuuc.so." QUODL_ICU_NAME(U_ICU_VERSION_MAJOR_NUM), RTLD_NOW | RTLD_LOCAL);
    void* i18n = dlopen("libicui18n.so." QUODL_ICU_NAME(U_ICU_VERSION_MAJOR_NUM), RTLD_NOW | RTLD_LOCAL);
    if (common == nullptr || i18n == nullptr) return;
    const bool found = find(common, QUODL_ICU_NAME(u_foldCase), icu.foldCase) &&
                       find(common, QUODL_ICU_NAME(u_isUWhiteSpace), icu.isUWhiteSpace) &&
                       find(common, QUODL_ICU_NAME(u_strFromUTF8WithSub), icu.fromUtf8) &&
                       find(common, QUODL_ICU_NAME(u_strToUTF8WithSub), icu.toUtf8) &&
                       find(common, QUODL_ICU_NAME(u_strToLower), icu.toLower) &&
                       find(common, QUODL_ICU_NAME(u_strFoldCase), icu.strFoldCase) &&
                       find(common, QUODL_ICU_NAME(u_strFindFirst), icu.findFirst) &&
                       find(common, QUODL_ICU_NAME(unorm2_getNFCInstance), icu.nfcInstance) &&
                       find(common, QUODL_ICU_NAME(unorm2_normalize), icu.normalize) &&
                       find(common, QUODL_ICU_NAME(ucnv_open), icu.converterOpen) &&
                       find(common, QUODL_ICU_NAME(ucnv_close), icu.converterClose) &&
                       find(common, QUODL_ICU_NAME(ucnv_reset), icu.converterReset) &&
                       find(common, QUODL_ICU_NAME(ucnv_toUChars), icu.converterToUChars) &&
                       find(i18n, QUODL_ICU_NAME(ucol_open), icu.collatorOpen) &&
                       find(i18n, QUODL_ICU_NAME(ucol_setAttribute), icu.collatorSetAttribute) &&
                       find(i18n, QUODL_ICU_NAME(ucol_strcollUTF8), icu.collateUtf8) &&
                       find(i18n, QUODL_ICU_NAME(utrans_openU), icu.transliteratorOpen) &&
                       find(i18n, QUODL_ICU_NAME(utrans_transUChars), icu.transliterate);
    if (found) opened = &icu;
  });
  return opened;
}

}  // namespace foundation
