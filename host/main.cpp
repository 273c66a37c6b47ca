// cadhost: the stand-in CAD host program. See `cadhost --help`.

#include <malloc.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "graphics/text_measurer.h"
#include "line_source.h"
#include "options.h"
#include "session.h"
#include "toolkit/running_applications.h"

namespace {
// cadhost stands in for the host's 2025 release (ACADVER 25.0s), and other programs see it running as that.
constexpr char kHostBundleIdentifier[] = "com.autodesk.AutoCAD2025";
constexpr char kHostName[] = "AutoCAD 2025";
}  // namespace

int main(int argc, char** argv) {
  // A PDF page with CJK text has the font's tables read whole, some 15 MB at a time, more than once. Kept in
  // the heap for the next read instead of mapped afresh and faulted in each time, they cost a third less.
  mallopt(M_MMAP_THRESHOLD, 64 << 20);
  mallopt(M_TRIM_THRESHOLD, 128 << 20);
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const cadhost::ParsedOptions parsed = cadhost::parseOptions(arguments);
  if (!parsed.error.empty()) {
    std::fprintf(stderr, "cadhost: %s\nTry cadhost --help.\n", parsed.error.c_str());
    return 2;
  }
  if (parsed.options.help) {
    std::fputs(cadhost::usageText().c_str(), stdout);
    return 0;
  }
  // The system's fonts are found in the background (Pango reads fontconfig's caches on a thread of its own)
  // while the drawings are read, instead of when the first text is drawn or measured.
  (void)graphics::fontMeasurer();
  auto input = parsed.options.script ? std::make_unique<cadhost::LineSource>(*parsed.options.script)
                                     : std::make_unique<cadhost::LineSource>();
  if (!input->ok()) {
    std::fprintf(stderr, "cadhost: cannot read the script %s: %s\n", parsed.options.script->c_str(),
                 std::strerror(errno));
    return 2;
  }
  const toolkit::RunningApplicationRegistration registration(kHostBundleIdentifier, kHostName);
  if (!registration.ok()) {
    std::fprintf(stderr, "cadhost: other programs cannot see that it runs: %s\n", registration.error().c_str());
  }
  cadhost::Session session(parsed.options, *input);
  return session.run();
}
