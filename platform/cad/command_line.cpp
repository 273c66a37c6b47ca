#include "cad/command_line.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

namespace cad {

namespace {

// Renders into a growing wide memory stream, so a text of any length comes out whole (a fixed buffer would
// cut it, and vswprintf cannot tell "too small" from an encoding error).
bool renderWide(const wchar_t* format, va_list args, std::wstring& out) {
  wchar_t* buffer = nullptr;
  std::size_t size = 0;
  FILE* stream = open_wmemstream(&buffer, &size);
  if (stream == nullptr) return false;
  const int written = std::vfwprintf(stream, format, args);
  std::fclose(stream);
  const bool ok = written >= 0;
  if (ok) out.assign(buffer, size);
  std::free(buffer);
  return ok;
}

}  // namespace

int acutPrintf(const wchar_t* format, ...) {
  if (format == nullptr) return -1;
  std::wstring text;
  va_list args;
  va_start(args, format);
  const bool ok = renderWide(format, args, text);
  va_end(args);
  if (!ok) return -1;
  commandLine().print(text);
  return static_cast<int>(text.size());
}

void CommandLine::print(const std::wstring& text) {
  if (text.empty()) return;
  transcript_ += text;
  // Trimmed in large steps, so printing stays cheap.
  if (limit_ != 0 && transcript_.size() > 2 * limit_) transcript_.erase(0, transcript_.size() - limit_);
  if (echo_) echo_(text);
}

CommandLine& commandLine() {
  static CommandLine* instance = new CommandLine;  // lives as long as any plug-in may print
  return *instance;
}

}  // namespace cad
