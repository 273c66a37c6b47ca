#include "session.h"

#include <cctype>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <exception>
#include <mutex>
#include <set>

#include "bundles.h"
#include "cad/app_loader.h"
#include "cad/command_line.h"
#include "cad/command_loop.h"
#include "cad/command_names.h"
#include "cad/doc_manager.h"
#include "cad/editor_input.h"
#include "cad/find_file.h"
#include "cad/host_paths.h"
#include "cad/interruption.h"
#include "cad/lisp_symbols.h"
#include "cad/result_buffer.h"
#include "cad/render/drawing_renderer.h"
#include "cad/window_commands.h"
#include "foundation/main_queue.h"
#include "foundation/paths.h"
#include "foundation/text.h"
#include "foundation/user_defaults.h"
#include "toolkit/application.h"
#include "toolkit/beep.h"
#include "window_lines.h"

namespace cadhost {

namespace {

void say(const std::string& text) { cad::commandLine().print(L"\n" + foundation::wideFromUtf8Lossy(text)); }

// "@click …" acts on a window; "@10,0" is a point relative to the last one.
bool isWindowLine(const std::string& line) {
  return line.size() >= 2 && line[0] == '@' && std::isalpha(static_cast<unsigned char>(line[1]));
}

std::string supportFolder() {
  if (const char* folder = std::getenv("CADHOST_SUPPORT_DIR"); folder != nullptr && *folder != 0) return folder;
  return CADHOST_SUPPORT_DIR;
}

// "@wait …" holds the script at the pumps of a command until what it waits for shows.
bool isWaitLine(const std::string& line) {
  return line.rfind("@wait", 0) == 0 && (line.size() == 5 || std::isspace(static_cast<unsigned char>(line[5])));
}

// Marks a command as running while it lives.
class CommandRunning {
 public:
  explicit CommandRunning(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
  ~CommandRunning() { flag_ = was_; }
  CommandRunning(const CommandRunning&) = delete;
  CommandRunning& operator=(const CommandRunning&) = delete;

 private:
  bool& flag_;
  bool was_;
};

// The answer to a host prompt of ours, as typed; nullopt when cancelled or left empty.
std::optional<std::wstring> ask(const std::wstring& prompt) {
  cad::EditorInput::Answer answer = cad::editorInput().read(cad::PromptRecord::kKeyword, prompt);
  if (answer.kind != cad::EditorInput::Answer::kValue || answer.item.text.empty()) return std::nullopt;
  return answer.item.text;
}

}  // namespace

Session::Session(const Options& options, LineSource& input) : options_(options), input_(input) {}

void Session::start() {
  foundation::MainQueue::main().setMainThread();
  // Narrow %s arguments of acutPrintf are UTF-8.
  if (std::setlocale(LC_CTYPE, "C.UTF-8") == nullptr) std::setlocale(LC_CTYPE, "");
  // Standard output has the whole command line; the transcript only needs its end.
  cad::commandLine().setTranscriptLimit(1u << 16);
  cad::commandLine().setEcho([](const std::wstring& text) {
    const std::string utf8 = foundation::utf8FromWideLossy(text);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fflush(stdout);
  });

  // A settings file that could not be used is said once a suite; the session goes on either way.
  foundation::UserDefaults::setErrorHandler([](const std::string& suite, const std::string& message) {
    static std::mutex mutex;
    static std::set<std::string> said;
    std::lock_guard lock(mutex);
    if (said.insert(suite).second) say(message);
  });

  // The host's own support folder first (its bundled plot styles follow the user's own folder of them), then
  // the user's, which holds the user's own aliases in acadUser.pgp.
  cad::setSupportFolders({supportFolder(), foundation::appendingPathComponent(cad::hostDataFolder(), "Support")});
  // Plots, the host's own and the plug-in's, draw the drawing's content.
  cad::render::installDrawingRenderer();
  loadAliasFiles();

  cad::editorInput().provider = [this] { return nextAnswer(); };
  installCommands();
  installWindowLines([this] { return input_.next(); }, say);
  // A refusal that only beeps would pass unseen on a headless host.
  toolkit::setBeepObserver([] { say("(beep)"); });
  // A person at standard input types nothing ahead for a busy command; a script has its lines there already.
  if (input_.isFile()) toolkit::Application::shared().setPumpObserver([this] { actAtPump(); });

  if (options_.autoload) {
    for (const std::string& bundle : installedBundles(applicationAddinsFolder())) {
      const BundleModules found = bundleModules(bundle);
      for (const std::string& error : found.errors) say(error);
      for (const std::string& module : found.modules) loadModule(module);
    }
  }
  for (const std::string& module : options_.modules) loadModule(module);
  for (const std::string& drawing : options_.drawings) {
    const cad::DocManager::OpenResult opened = cad::docManager().open(drawing, options_.readOnly);
    if (opened.document == nullptr) say(opened.error);
  }
  runMainQueue();
}

void Session::installCommands() {
  cad::CommandLoop& loop = cad::commandLoop();
  loop.setBuiltIn(L"QUIT", [this] { quit_ = true; });
  loop.setBuiltIn(L"EXIT", [this] { quit_ = true; });
  loop.setBuiltIn(L"UNLOAD", [this] { unloadAll(); });
  loop.setBuiltIn(L"APPLOAD", [this] {
    if (auto module = ask(L"Enter the module to load: ")) loadModule(foundation::utf8FromWideLossy(*module));
  });
  loop.setBuiltIn(L"OPEN", [this] {
    auto name = ask(L"Enter name of drawing to open: ");
    if (!name) return;
    const auto opened = cad::docManager().open(foundation::utf8FromWideLossy(*name), options_.readOnly);
    if (opened.document == nullptr) say(opened.error);
  });
  loop.setBuiltIn(L"CLOSE", [] {
    // The document cannot go while its own command runs: close it once the command has returned.
    cad::Document* doc = cad::docManager().curDocument();
    if (doc == nullptr) {
      say("No drawing is open.");
      return;
    }
    cad::commandLoop().runWhenIdle([doc] {
      if (cad::docManager().isOpen(doc)) cad::docManager().closeDocument(doc);
    });
  });
  loop.setBuiltIn(L"DELAY", [this] {
    auto text = ask(L"Enter delay time (in milliseconds): ");
    if (!text) return;
    wchar_t* end = nullptr;
    const double ms = std::wcstod(text->c_str(), &end);
    if (end == text->c_str() || *end != 0 || !std::isfinite(ms) || ms < 0 || ms > 3.6e6) {
      say("Requires a number of milliseconds from 0 to 3600000.");
      return;
    }
    delaySeconds_ += ms / 1000.0;
  });
}

void Session::loadModule(const std::string& path) {
  // As the host does, a module is loaded once by its name: an installed copy and a --load of the build's are
  // the same plug-in, and a second copy would register its commands and greet a second time.
  const std::string name = foundation::lastPathComponent(path);
  for (const cad::LoadedApp* app : cad::appLoader().loaded()) {
    if (app->name == name && foundation::canonicalPath(app->path) != foundation::canonicalPath(path)) {
      say(name + " is loaded already, from " + app->path + "; " + path + " is not loaded.");
      return;
    }
  }
  const cad::AppLoader::LoadResult loaded = cad::appLoader().load(path);
  if (loaded.app == nullptr) say(loaded.error);
}

void Session::unloadAll() {
  for (const cad::AppLoader::UnloadResult& result : cad::appLoader().unloadAll()) {
    if (!result.message.empty()) say(result.message);
  }
}

std::optional<std::wstring> Session::nextAnswer() {
  for (;;) {
    std::optional<std::string> line = input_.next();
    if (!line) return std::nullopt;
    if (isWindowLine(*line)) {
      const std::string reply = cad::windowCommands().run(*line);
      if (!reply.empty()) say(reply);
      continue;
    }
    return foundation::wideFromUtf8Lossy(*line);
  }
}

// The script's next "@" lines act at a running command's pump, as a person's clicks and keys reach a busy
// program: the window the command shows can be looked at, rendered or clicked while it works.
void Session::actAtPump() {
  // While a modal window waits, its own answering reads the lines one at a time: a click made there lands
  // before the next line acts, so the lines after it are not taken here.
  if (!commandRunning_ || toolkit::Application::shared().modalWindow() != nullptr) return;
  for (std::optional<std::string> line; (line = input_.peek()) && isWindowLine(*line);) {
    if (isWaitLine(*line)) {
      // Not there yet: the line waits for the next pump, or for the command's end.
      if (!cad::windowCommands().run(*line).empty()) return;
      (void)input_.next();
      continue;
    }
    (void)input_.next();
    const std::string reply = cad::windowCommands().run(*line);
    if (!reply.empty()) say(reply);
  }
}

void Session::runMainQueue() {
  try {
    foundation::MainQueue::main().drain();
    if (delaySeconds_ > 0) {
      const double seconds = delaySeconds_;
      delaySeconds_ = 0;
      foundation::MainQueue::main().runFor(seconds);
    }
  } catch (const std::exception& e) {
    say(std::string("Queued work failed: ") + e.what());
  } catch (...) {
    say("Queued work failed.");
  }
}

// The host's aliases, then the user's, each found along the support folders; a later alias wins.
void Session::loadAliasFiles() {
  for (const wchar_t* name : {L"acad.pgp", L"acadUser.pgp"}) {
    std::wstring path;
    if (cad::acedFindFile(name, path) != cad::RTNORM) continue;
    const std::string file = foundation::utf8FromWideLossy(name);
    const auto aliases = cad::commandNames().loadAliasFile(foundation::utf8FromWideLossy(path));
    if (!aliases.ok) say("Cannot read " + file + ": " + aliases.error);
    for (const std::string& problem : aliases.problems) say(file + " " + problem);
  }
}

void Session::runLine(const std::string& line) {
  if (!line.empty() && line[0] == '(') {
    cad::commandLine().print(L"\n" + cad::evaluateLispLine(foundation::wideFromUtf8Lossy(line)));
  } else if (isWindowLine(line)) {
    const std::string reply = cad::windowCommands().run(line);
    if (!reply.empty()) say(reply);
  } else {
    const CommandRunning running(commandRunning_);
    cad::commandLoop().type(foundation::wideFromUtf8Lossy(line) + L"\n", true);
  }
  const CommandRunning running(commandRunning_);
  runMainQueue();
}

int Session::run() {
  start();
  // An interrupting signal ends the session as QUIT would, once the line at hand is done.
  while (!quit_ && cad::interruptionSignal() == 0) {
    std::optional<std::string> line = input_.next();
    if (!line || cad::interruptionSignal() != 0) break;  // the end of the script is QUIT
    runLine(*line);
  }
  unloadAll();
  // Documents close as they do when the host quits: reactors of plug-ins still loaded hear of it.
  for (cad::Document* doc : cad::docManager().documents()) cad::docManager().closeDocument(doc);
  runMainQueue();
  const std::wstring& transcript = cad::commandLine().transcript();
  if (!transcript.empty() && transcript.back() != L'\n') cad::commandLine().print(L"\n");
  cad::editorInput().provider = nullptr;
  toolkit::Application::shared().setPumpObserver(nullptr);
  toolkit::setBeepObserver(nullptr);
  return 0;
}

}  // namespace cadhost
