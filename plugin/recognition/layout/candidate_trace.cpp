#include "recognition/layout/candidate_trace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <system_error>

#include "core/version.h"
#include "foundation/folders.h"
#include "foundation/paths.h"
#include "foundation/text.h"

namespace {

// Builds one trace line. Numbers come out exactly as a default wide output stream writes a double (the
// shortest of fixed and scientific notation at six significant digits, "C" locale), through to_chars: the
// scan writes thousands of them and a stream per number costs more than the rest of the line.
class TraceLine {
 public:
  // Lines are built one at a time in one scratch buffer and leave it at their exact size: a scan keeps
  // thousands of them.
  TraceLine() : line_(scratch()) { line_.clear(); }
  TraceLine(const TraceLine&) = delete;
  TraceLine& operator=(const TraceLine&) = delete;
  TraceLine& operator<<(std::wstring_view text) {
    line_ += text;
    return *this;
  }
  TraceLine& operator<<(wchar_t c) {
    line_ += c;
    return *this;
  }
  TraceLine& operator<<(double value) {
    char digits[32];
    std::to_chars_result written{};
    // Whole numbers below a million read the same in both notations; most sizes and centres are such.
    if (std::fabs(value) < 1e6 && value == std::trunc(value) && !(value == 0 && std::signbit(value))) {
      written = std::to_chars(digits, digits + sizeof digits, static_cast<long long>(value));
    } else {
      written = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, 6);
    }
    if (written.ec == std::errc()) line_.append(digits, written.ptr);
    return *this;
  }
  TraceLine& operator<<(std::uint64_t count) {
    char digits[24];
    auto [end, error] = std::to_chars(digits, digits + sizeof digits, count);
    if (error == std::errc()) line_.append(digits, end);
    return *this;
  }
  TraceLine& box(const VexBatchBox& b) {
    return *this << L" box=" << vexBatchWidth(b) << L'x' << vexBatchHeight(b) << L" center=" << vexBatchCenterX(b)
                 << L',' << vexBatchCenterY(b);
  }
  std::wstring str() const { return line_; }

 private:
  // One buffer for the module, since scans run on the main thread. Never thread_local: in a module the host
  // loads at run time that is dynamic TLS, whose block the leak checker of the sanitizer runtime (GCC 12)
  // can misread as an old glibc header at exit and crash on.
  static std::wstring& scratch() {
    static std::wstring buffer;
    return buffer;
  }
  std::wstring& line_;
};

bool writeAll(int fd, std::string_view text) {
  while (!text.empty()) {
    ssize_t written = ::write(fd, text.data(), text.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

std::wstring vexBatchEntityTraceLine(std::wstring_view type, const VexBatchBox& box, bool plottable) {
  TraceLine line;
  line << L"entity type=" << type;
  line.box(box) << L" plottable=" << (plottable ? L'1' : L'0');
  return line.str();
}

std::wstring vexBatchCandidateTraceLine(const EnclosingRectangle& rectangle, std::uint64_t viewports,
                                        std::uint64_t evidence) {
  TraceLine line;
  line << L"candidate source=" << rectangle.source;
  line.box(rectangle.box) << L" plottable=" << (rectangle.plottable ? L'1' : L'0') << L" viewports=" << viewports
                          << L" evidence=" << evidence;
  return line.str();
}

std::wstring vexBatchFinalRegionTraceLine(const VexBatchPrintLayoutRecord& record) {
  TraceLine line;
  line << L"final region=" << record.layoutName;
  line.box(vexBatchBoxOf(record)) << L" exact=" << (record.exactPaperFrame ? L'1' : L'0');
  return line.str();
}

std::string vexBatchCandidateTraceFileText(std::uint64_t finalNestedExcluded,
                                           const std::vector<VexBatchPrintLayoutRecord>& records,
                                           const std::vector<std::wstring>& trace) {
  std::string text;
  std::size_t size = 64 + 96 * records.size();
  for (const std::wstring& line : trace) size += line.size() + 1;
  text.reserve(size);
  auto add = [&text](std::wstring_view line) {
    // Mostly ASCII, copied as it is; layout names may hold anything the drawing stored, and what is not a
    // character becomes U+FFFD.
    std::size_t ascii = 0;
    while (ascii < line.size() && line[ascii] >= 0 && line[ascii] < 0x80) ++ascii;
    const std::size_t at = text.size();
    text.resize(at + ascii);
    for (std::size_t i = 0; i < ascii; ++i) text[at + i] = static_cast<char>(line[i]);
    for (std::size_t i = ascii; i < line.size(); ++i) foundation::appendUtf8(text, static_cast<char32_t>(line[i]));
    text += '\n';
  };
  add(L"version=" + std::wstring(kQuodlVersionWide));
  {
    TraceLine counts;
    counts << L"final-nested-excluded=" << finalNestedExcluded << L" final-count="
           << static_cast<std::uint64_t>(records.size());
    add(counts.str());
  }
  for (const std::wstring& line : trace) add(line);
  for (const VexBatchPrintLayoutRecord& record : records) {
    if (record.layoutWindow) add(vexBatchFinalRegionTraceLine(record));
  }
  return text;
}

std::string vexBatchLayoutCandidateTracePath() {
  return foundation::appendingPathComponent(foundation::temporaryDirectory(), "quodl-layout-candidates.txt");
}

bool vexBatchWriteCandidateTraceFile(const std::string& path, std::string_view text) {
  // No O_TRUNC: what the name points at is checked before anything in it is touched. O_NONBLOCK keeps a
  // planted pipe from blocking the open.
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
  if (fd < 0) return false;
  struct stat info {};
  bool ours = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() && info.st_nlink == 1;
  // Written over the old content, then cut to length: the file keeps its blocks from scan to scan.
  bool written = ours && writeAll(fd, text) && ::ftruncate(fd, static_cast<off_t>(text.size())) == 0;
  bool closed = ::close(fd) == 0;
  return written && closed;
}
