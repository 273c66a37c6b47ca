#pragma once
// ICU's C functions for the few places that need them. The library is opened the first time they are asked
// for, not when the process starts: with its data it is among the largest a process loads, and most runs (a
// plot of a UTF-8 drawing with ASCII names, say) never call it.

#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/ucol.h>
#include <unicode/unorm2.h>
#include <unicode/ustring.h>
#include <unicode/utrans.h>

namespace foundation {

struct IcuLibrary {
  decltype(&u_foldCase) foldCase;
  decltype(&u_isUWhiteSpace) isUWhiteSpace;
  decltype(&u_strFromUTF8WithSub) fromUtf8;
  decltype(&u_strToUTF8WithSub) toUtf8;
  decltype(&u_strToLower) toLower;
  decltype(&u_strFoldCase) strFoldCase;
  decltype(&u_strFindFirst) findFirst;
  decltype(&unorm2_getNFCInstance) nfcInstance;
  decltype(&unorm2_normalize) normalize;
  decltype(&ucnv_open) converterOpen;
  decltype(&ucnv_close) converterClose;
  decltype(&ucnv_reset) converterReset;
  decltype(&ucnv_toUChars) converterToUChars;
  decltype(&ucol_open) collatorOpen;
  decltype(&ucol_setAttribute) collatorSetAttribute;
  decltype(&ucol_strcollUTF8) collateUtf8;
  decltype(&utrans_openU) transliteratorOpen;
  decltype(&utrans_transUChars) transliterate;
};

// The library, opened once for the process (thread-safe); null when it cannot be.
const IcuLibrary* icuLibrary();

}  // namespace foundation
