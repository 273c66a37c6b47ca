#pragma once
// Text of a DXF file to host text: UTF-8 from R2007 on, the drawing's code page before, and the \U+XXXX and
// \M+NXXXX escapes in any version. Internal to the DXF reader.

#include <map>
#include <string>
#include <string_view>
#include <unordered_map>

#include "cad/names.h"

struct UConverter;

namespace cad::dxf {

class TextDecoder {
 public:
  TextDecoder() = default;
  ~TextDecoder();
  TextDecoder(const TextDecoder&) = delete;
  TextDecoder& operator=(const TextDecoder&) = delete;

  // From the header's $ACADVER ("AC1032") and $DWGCODEPAGE ("ANSI_936"); either may be empty.
  void configure(std::string_view acadVersion, std::string_view codePage);
  std::wstring decode(std::string_view raw);
  // A name many objects repeat (a text style), decoded once and pooled. Without a pool: the shared one.
  Name name(std::string_view raw);
  void poolNamesIn(NamePool& pool) { pool_ = &pool; }
  // Before the raw texts names were looked up by go away.
  void forgetNames() { names_.clear(); }

 private:
  enum class Mode { kUtf8, kCodePage, kLatin1, kGuess };
  std::wstring bytesToWide(std::string_view raw);
  void decodeEscapes(std::wstring& text);
  UConverter* converterFor(const std::string& icuName);
  UConverter* codePageConverter(std::string_view codePage);
  Mode mode_ = Mode::kGuess;
  UConverter* pageConverter_ = nullptr;  // owned by converters_
  std::string utf8FilePage_;             // a UTF-8 file's declared page, until text needs it
  std::map<std::string, UConverter*> converters_;
  NamePool* pool_ = nullptr;
  std::unordered_map<std::string_view, Name> names_;  // raw text (in the file, which outlives this) → name
};

}  // namespace cad::dxf
