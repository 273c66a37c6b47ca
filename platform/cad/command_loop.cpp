#include "cad/command_loop.h"

#include <exception>
#include <optional>

#include "cad/builtin_commands.h"
#include "cad/command_line.h"
#include "cad/command_names.h"
#include "cad/command_stack.h"
#include "cad/editor.h"
#include "cad/editor_input.h"
#include "cad/result_buffer.h"
#include "foundation/main_queue.h"
#include "foundation/text.h"

namespace cad {

namespace {

// Pending input is read in slices, so a command that keeps queueing itself cannot starve timers.
constexpr int kTokensPerPump = 1000;

struct Resolved {
  std::wstring name;
  std::function<void()> handler;
  bool session = false;
  bool builtIn = false;
};

std::optional<Resolved> resolve(const std::wstring& word,
                                const std::map<std::wstring, std::function<void()>>& builtIns);

}  // namespace

CommandLoop::CommandLoop() : builtIns_(builtInCommands()) {}

void CommandLoop::setBuiltIn(const std::wstring& name, std::function<void()> handler) {
  builtIns_[upperAscii(name)] = std::move(handler);
}

bool CommandLoop::hasBuiltIn(const std::wstring& name) const { return builtIns_.count(upperAscii(name)) != 0; }

namespace {

std::optional<Resolved> resolve(const std::wstring& word,
                                const std::map<std::wstring, std::function<void()>>& builtIns) {
  std::wstring bare = word;
  bool global = false, builtInOnly = false;
  while (!bare.empty() && (bare[0] == L'_' || bare[0] == L'.' || bare[0] == L'\'')) {
    global = global || bare[0] == L'_';
    builtInOnly = builtInOnly || bare[0] == L'.';
    bare.erase(0, 1);
  }
  if (bare.empty()) return std::nullopt;
  CommandStack& stack = commandStack();
  auto registered = [](const Command* c) {
    return Resolved{c->globalName(), c->functionAddr(), c->isSession(), false};
  };
  if (!builtInOnly) {
    if (const Command* c = global ? stack.lookupGlobalCmd(bare.c_str()) : stack.lookupTyped(bare)) {
      return registered(c);
    }
  }
  std::wstring name = upperAscii(bare);
  if (!global && !builtInOnly) {
    if (auto target = commandNames().aliasTarget(name)) {
      if (const Command* c = stack.lookupTyped(*target)) return registered(c);
      name = *target;
    }
  }
  if (auto it = builtIns.find(name); it != builtIns.end()) return Resolved{name, it->second, false, true};
  if (commandNames().isBuiltIn(name)) {
    return Resolved{name, [name] { commandLine().print(L"\n" + name + L" is not available in this host."); },
                    false, true};
  }
  if (auto variable = systemVariableCommand(name)) return Resolved{name, std::move(variable), false, true};
  return std::nullopt;
}

}  // namespace

bool CommandLoop::runTyped(const std::wstring& word, bool echo) {
  if (echo) commandLine().print(L"\nCommand: " + word);
  const std::optional<Resolved> command = resolve(word, builtIns_);
  if (!command) {
    commandLine().print(L"\nUnknown command \"" + word + L"\".");
    return false;
  }
  runCommand(command->name, command->handler, command->session, command->builtIn);
  return true;
}

int CommandLoop::runNested(const std::wstring& word, std::vector<InputItem> arguments) {
  if (depth_ == 0 || docManager().isApplicationContext()) return RTREJ;
  const std::optional<Resolved> command = resolve(word, builtIns_);
  if (!command) return RTERROR;
  EditorInput& input = editorInput();
  const bool outerCancelled = input.takeCancelled();
  input.pushNested(std::move(arguments));
  nested_ = true;
  runCommand(command->name, command->handler, command->session, command->builtIn);
  input.popNested();
  const bool cancelled = input.takeCancelled();
  if (outerCancelled) input.markCancelled();
  return cancelled ? RTCAN : RTNORM;
}

void CommandLoop::runCommand(const std::wstring& name, std::function<void()> handler, bool session, bool builtIn) {
  const bool nested = nested_;
  nested_ = false;
  EditorInput& input = editorInput();
  if (!nested) input.takeCancelled();  // a stale cancel from before the command does not count
  DocManager& docs = docManager();
  Document* doc = session ? nullptr : docs.curDocument();

  editor().fireCommandWillStart(name.c_str());
  ++depth_;
  if (!session) docs.enterDocumentContext(doc);
  history.push_back({name, session ? CommandContext::kApplication : CommandContext::kDocument, doc, builtIn, nested});
  try {
    handler();
  } catch (const std::exception& e) {
    commandLine().print(L"\n" + name + L" failed: " + foundation::wideFromUtf8Lossy(e.what()));
  } catch (...) {
    commandLine().print(L"\n" + name + L" failed.");
  }
  if (!session) docs.leaveDocumentContext();
  --depth_;
  const bool cancelled = nested ? false : input.takeCancelled();
  if (cancelled) {
    editor().fireCommandCancelled(name.c_str());
  } else {
    editor().fireCommandEnded(name.c_str());
  }
  if (depth_ == 0) commandFinished();
}

void CommandLoop::commandFinished() {
  std::vector<std::function<void()>> waiting;
  waiting.swap(idleWork_);
  for (auto& work : waiting) runWhenIdle(std::move(work));
  schedulePump();
}

void CommandLoop::runWhenIdle(std::function<void()> function) {
  foundation::dispatchAsync(
      [this, function = std::move(function)]() mutable {
        if (depth_ > 0) {
          idleWork_.push_back(std::move(function));
          return;
        }
        try {
          function();
        } catch (const std::exception& e) {
          commandLine().print(L"\nApplication-context work failed: " + foundation::wideFromUtf8Lossy(e.what()));
        } catch (...) {
          commandLine().print(L"\nApplication-context work failed.");
        }
      },
      this);
}

void CommandLoop::schedulePump() {
  if (pumpScheduled_) return;
  pumpScheduled_ = true;
  foundation::dispatchAsync([this] { pump(); }, this);
}

void CommandLoop::pump() {
  pumpScheduled_ = false;
  if (depth_ > 0) return;  // read again when the command returns
  for (int step = 0; step < kTokensPerPump; ++step) {
    std::optional<TypedToken> token = docManager().currentInput().next();
    if (!token) return;
    switch (token->kind) {
      case TypedToken::kCancel:
        ++cancels;
        break;
      case TypedToken::kEnter:
        break;
      case TypedToken::kWord:
        runTyped(token->text, token->echo);
        break;
    }
  }
  schedulePump();
}

void CommandLoop::type(const std::wstring& text, bool echo) {
  docManager().currentInput().append(text, echo);
  if (depth_ == 0) pump();
}

void CommandLoop::reset() {
  foundation::MainQueue::main().cancelAll(this);
  pumpScheduled_ = false;
  depth_ = 0;
  nested_ = false;
  idleWork_.clear();
  history.clear();
  cancels = 0;
  builtIns_ = builtInCommands();
}

CommandLoop& commandLoop() {
  static CommandLoop* instance = new CommandLoop;
  return *instance;
}

namespace {
[[maybe_unused]] const bool gReading = (docManager().setCommandLineReader(&commandLoop()), true);
}  // namespace

}  // namespace cad
