#pragma once
// The host's command line: what commands print, kept as a transcript and handed to an echo (cadhost writes it
// to standard output as it comes).

#include <functional>
#include <string>

namespace cad {

// Wide printf semantics (%ls wide text, %s narrow text in the current locale, %d %ld %lu %02d %.1f …); the
// text is never truncated. Returns the number of characters printed, or -1 when the format could not be
// rendered (an undecodable narrow argument), in which case nothing is printed.
int acutPrintf(const wchar_t* format, ...);

class CommandLine {
 public:
  void print(const std::wstring& text);

  const std::wstring& transcript() const { return transcript_; }
  void clearTranscript() { transcript_.clear(); }
  // Keeps only about the last `characters` of the transcript (0: all of it), for a host that runs for long.
  void setTranscriptLimit(std::size_t characters) { limit_ = characters; }
  // Receives every printed text as it is printed; an empty function stops the echo.
  void setEcho(std::function<void(const std::wstring&)> echo) { echo_ = std::move(echo); }
  // Test side: no transcript, no limit and no echo, as a fresh process has it.
  void reset() { *this = CommandLine(); }

 private:
  std::wstring transcript_;
  std::size_t limit_ = 0;
  std::function<void(const std::wstring&)> echo_;
};

CommandLine& commandLine();

}  // namespace cad
