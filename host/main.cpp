// cadhost: the stand-in CAD host program. See `cadhost --help`.

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cad/render/text_drawing.h"
#include "graphics/font_loading.h"
#include "line_source.h"
#include "cad/interruption.h"
#include "cad/plot/publish_engine.h"
#include "options.h"
#include "session.h"
#include "toolkit/application.h"
#include "toolkit/preferred_languages.h"
#include "toolkit/running_applications.h"

namespace {
// cadhost stands in for the host's 2025 release (ACADVER 25.0s), and other programs see it running as that.
constexpr char kHostBundleIdentifier[] = "com.autodesk.AutoCAD2025";
constexpr char kHostName[] = "AutoCAD 2025";
}  // namespace

int main(int argc, char** argv) {
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
  // The system's fonts are found, and the drawings' text font opened, while the drawings are read, instead of
  // when the first text is drawn or measured.
  const graphics::FontLoading fonts({cad::render::nominalTextFont()});
  auto input = parsed.options.script ? std::make_unique<cadhost::LineSource>(*parsed.options.script)
                                     : std::make_unique<cadhost::LineSource>();
  if (!input->ok()) {
    std::fprintf(stderr, "cadhost: cannot read the script %s: %s\n", parsed.options.script->c_str(),
                 std::strerror(errno));
    return 2;
  }
  // "Follow CAD" follows the languages the user's locale settings ask for.
  toolkit::Application::shared().setPreferredLanguages(toolkit::preferredLanguagesFromEnvironment());
  cad::installInterruptionHandlers();
  (void)cad::removeAbandonedPlotFiles();
  int status = 0;
  {
    const toolkit::RunningApplicationRegistration registration(kHostBundleIdentifier, kHostName);
    if (!registration.ok()) {
      std::fprintf(stderr, "cadhost: other programs cannot see that it runs: %s\n", registration.error().c_str());
    }
    cadhost::Session session(parsed.options, *input);
    status = session.run();
  }
  // Ended by a signal, after the session closed as QUIT closes it: whoever sent it sees it end the host.
  if (const int signal = cad::interruptionSignal(); signal != 0) {
    std::signal(signal, SIG_DFL);
    std::raise(signal);
  }
  return status;
}
