#include "plot/output_naming.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "core/host_bridge.h"
#include "foundation/files.h"
#include "foundation/paths.h"
#include "foundation/uuid.h"

namespace {

// What a free path may add behind a safe name: "-" and a UUID, then ".pdf".
constexpr std::size_t kFreePathSuffixBytes = 1 + 36;
constexpr std::size_t kSafeNameMaxBytes = kVexBatchFileNameMaxBytes - kFreePathSuffixBytes - 4;

std::size_t utf8Length(wchar_t c) {
  const auto code = static_cast<std::uint32_t>(c);
  return code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
}

// No file name holds NUL; the other control characters and values that are no Unicode character either break
// the conversion to a system path or show as nothing in a file browser.
bool unfitForFileName(wchar_t c) {
  const auto code = static_cast<std::uint32_t>(c);
  return code < 0x20 || code == 0x7F || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF;
}

bool reservedInFileName(wchar_t c) { return std::wstring_view(L"/\\:*?\"<>|").find(c) != std::wstring_view::npos; }

// The longest start of a UTF-8 name that takes at most `maxBytes`, never cutting a character apart.
std::string utf8Prefix(const std::string& name, std::size_t maxBytes) {
  if (name.size() <= maxBytes) return name;
  std::size_t end = maxBytes;
  while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
  return name.substr(0, end);
}

}  // namespace

std::wstring vexBatchFormatIndex(unsigned long index) {
  std::wstring text = std::to_wstring(index);
  if (text.size() < 3) text.insert(0, 3 - text.size(), L'0');
  return text;
}

void vexBatchReplaceAll(std::wstring& text, std::wstring const& token, std::wstring const& value) {
  if (token.empty()) return;
  std::size_t at = 0;
  while ((at = text.find(token, at)) != std::wstring::npos) {
    text.replace(at, token.size(), value);
    at += value.size();
  }
}

std::wstring vexBatchSafeFileName(std::wstring name) {
  std::size_t bytes = 0;
  std::size_t kept = 0;
  for (; kept < name.size(); ++kept) {
    wchar_t& c = name[kept];
    if (reservedInFileName(c) || unfitForFileName(c)) c = L'_';
    bytes += utf8Length(c);
    if (bytes > kSafeNameMaxBytes) break;
  }
  name.resize(kept);
  while (!name.empty() && (name.back() == L' ' || name.back() == L'.')) name.pop_back();
  if (name.empty()) return L"Layout";
  for (wchar_t& c : name) {
    if (c != L'.') break;
    c = L'_';
  }
  return name;
}

std::wstring vexBatchApplyNameTemplate(std::wstring const& nameTemplate, VexBatchPrintPageSpec const& page,
                                       unsigned long runningIndex) {
  std::wstring text = nameTemplate.empty() ? std::wstring(L"{序号}-{页面}") : nameTemplate;
  const std::wstring index = vexBatchFormatIndex(page.outputIndex != 0 ? page.outputIndex : runningIndex);
  const bool model = page.source == VexBatchPrintSourceModel;
  // In this order, so that a later token inside a substituted sheet name is replaced too.
  vexBatchReplaceAll(text, L"{序号}", index);
  vexBatchReplaceAll(text, L"{页面}", page.name);
  vexBatchReplaceAll(text, L"{来源}", model ? L"模型图框" : L"布局");
  vexBatchReplaceAll(text, L"{index}", index);
  vexBatchReplaceAll(text, L"{page}", page.name);
  vexBatchReplaceAll(text, L"{source}", model ? L"Model" : L"Layout");
  return vexBatchSafeFileName(std::move(text));
}

std::wstring vexBatchEnsurePdfExtension(std::wstring path) {
  if (path.size() >= 4) {
    std::wstring end = path.substr(path.size() - 4);
    for (wchar_t& c : end) {
      if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    if (end == L".pdf") return path;
  }
  return path + L".pdf";
}

std::string vexBatchNumberedOutputPath(const std::string& path, const std::string& suffix) {
  const std::string folder = foundation::deletingLastPathComponent(path);
  const std::string name = foundation::lastPathComponent(path);
  const std::string extension = foundation::pathExtension(name);
  const std::string base = foundation::deletingPathExtension(name);
  std::string tail = "-" + suffix;
  if (!extension.empty()) tail += "." + extension;
  const std::size_t room = tail.size() < kVexBatchFileNameMaxBytes ? kVexBatchFileNameMaxBytes - tail.size() : 0;
  return foundation::appendingPathComponent(folder, utf8Prefix(base, room) + tail);
}

std::wstring vexBatchUniqueOutputPath(std::wstring const& path, bool overwrite) {
  if (overwrite) return path;
  const std::string system = vexBatchNSString(path);
  // A link counts as taken even when nothing is at its end: writing there would go through it.
  if (system.empty() || !foundation::itemExists(system)) return path;
  for (int n = 2; n <= kVexBatchLastNumberedPath; ++n) {
    std::string free = vexBatchNumberedOutputPath(system, std::to_string(n));
    if (!foundation::itemExists(free)) return vexBatchWideString(free);
  }
  return vexBatchWideString(vexBatchNumberedOutputPath(system, foundation::makeUuid()));
}
