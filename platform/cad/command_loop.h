#pragma once
// The host's command loop: reads what was typed at the active document's command line, runs the commands it
// names (registered, aliased or built in) in the right context, and holds back queued input and deferred
// application-context work while a command runs. All of it happens on the main thread.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "cad/doc_manager.h"

namespace cad {

struct InputItem;

enum class CommandContext { kDocument, kApplication };

struct CommandRun {
  std::wstring name;  // the global name
  CommandContext context = CommandContext::kDocument;
  Document* document = nullptr;  // the document a modal command ran in (null when none was open)
  bool builtIn = false;
  bool nested = false;  // run synchronously from inside another command
};

// Reads the text the document manager queues, from the moment the host library is loaded.
class CommandLoop final : public CommandLineReader {
 public:
  CommandLoop();

  // Types the text at the active document's command line (or at the bare command line when no drawing is
  // open) and reads it at once, unless a command is running.
  void type(const std::wstring& text, bool echo = true);
  // Runs the command a typed word names: a leading "_" asks for the global name, "." for the built-in
  // command even when redefined, "'" for a transparent call. False (with a message) for an unknown name.
  bool runTyped(const std::wstring& word, bool echo);
  // Runs a command synchronously from inside a running command; the arguments answer its prompts, and a
  // prompt left without one is cancelled. RTNORM, RTCAN when cancelled, RTERROR for an unknown name, RTREJ
  // outside a document's command.
  int runNested(const std::wstring& word, std::vector<InputItem> arguments);

  bool isCommandActive() const { return depth_ > 0; }

  // Reads pending typed input of the active document; scheduled on the main queue whenever input arrives.
  void pump();
  void schedulePump() override;
  void runWhenIdle(std::function<void()> function) override;

  // Built-in commands: the host program adds its own (QUIT, UNLOAD, …).
  void setBuiltIn(const std::wstring& name, std::function<void()> handler);
  bool hasBuiltIn(const std::wstring& name) const;

  // Test side
  std::vector<CommandRun> history;
  int cancels = 0;  // ESC read at the command prompt
  void reset();

 private:
  void runCommand(const std::wstring& globalName, std::function<void()> handler, bool session, bool builtIn);
  void commandFinished();

  int depth_ = 0;
  bool nested_ = false;  // the next runCommand is a nested call
  bool pumpScheduled_ = false;
  std::vector<std::function<void()>> idleWork_;
  std::map<std::wstring, std::function<void()>> builtIns_;  // by upper-case name
};

CommandLoop& commandLoop();

}  // namespace cad
