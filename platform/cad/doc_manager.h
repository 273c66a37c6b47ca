#pragma once
// The document manager: the open drawings, which one is active (MDI-active) and which one commands work in
// (current), opening and closing, work deferred to the application context, and text sent to a document's
// command line. Reactors hear of documents being created, switched and destroyed.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cad/document.h"
#include "cad/error_status.h"
#include "cad/reactor_list.h"
#include "cad/typed_input.h"

namespace cad {

class DocManagerReactor {
 public:
  virtual ~DocManagerReactor() = default;
  virtual void documentCreated(Document* /*doc*/) {}
  virtual void documentToBeDestroyed(Document* /*doc*/) {}
  virtual void documentDestroyed(const wchar_t* /*fileName*/) {}
  virtual void documentToBeActivated(Document* /*doc*/) {}
  virtual void documentActivated(Document* /*doc*/) {}
  virtual void documentToBeDeactivated(Document* /*doc*/) {}
  virtual void documentBecameCurrent(Document* /*doc*/) {}
};

class DocumentIterator {
 public:
  bool done() const { return index_ >= documents_.size(); }
  void step() { ++index_; }
  Document* document() const { return done() ? nullptr : documents_[index_]; }

 private:
  friend class DocManager;
  explicit DocumentIterator(std::vector<Document*> documents) : documents_(std::move(documents)) {}
  std::vector<Document*> documents_;
  std::size_t index_ = 0;
};

// Open flags of an application-context open request.
inline constexpr std::uint32_t kOpenFlagNoRecentFiles = 0x2;
inline constexpr std::uint32_t kOpenFlagReadOnly = 0x4;

// An open request; callers zero-fill it and set what they need.
struct OpenParams {
  const wchar_t* fileName = nullptr;
  std::uint8_t initialView = 0;
  std::uint32_t flags = 0;
  const wchar_t* password = nullptr;
  void* reserved = nullptr;
};

using ApplicationContextFunction = void (*)(void* data);

// What the document manager asks of the command loop (command_loop.h), which reads the text queued at
// documents' command lines and sits above the documents; the loop installs itself as the library loads.
class CommandLineReader {
 public:
  // Reads the current command line's pending text from the main queue once no command is running.
  virtual void schedulePump() = 0;
  // Runs the function from the main queue once no command is running.
  virtual void runWhenIdle(std::function<void()> function) = 0;

 protected:
  ~CommandLineReader() = default;
};

class DocManager {
 public:
  Document* curDocument() const;
  Document* mdiActiveDocument() const { return active_; }
  int documentCount() const { return static_cast<int>(documents_.size()); }
  std::unique_ptr<DocumentIterator> newAcApDocumentIterator() const;

  ErrorStatus activateDocument(Document* doc, bool passScript = false);
  // Both work only in the application context (eNotApplicable otherwise). An open that is accepted makes the
  // document active; find it by iterating. A drawing that cannot be read is refused with its reason on the
  // command line.
  ErrorStatus appContextOpenDocument(const OpenParams& params);
  // Why the last appContextOpenDocument could not read its drawing: the reason the host gave on the command line,
  // without the file's name the caller knows; empty when it opened or was refused before any reading.
  const std::string& lastOpenError() const { return lastOpenError_; }
  ErrorStatus appContextCloseDocument(Document* doc);
  // Runs the function later from the main queue, in the application context, once no command is running.
  ErrorStatus beginExecuteInApplicationContext(ApplicationContextFunction function, void* data);
  // Queues the text as typed at the document's command line; it is read once the running command (if any)
  // has returned. Activates the document first when asked.
  ErrorStatus sendStringToExecute(Document* doc, const wchar_t* text, bool activate = true,
                                  bool wrapUpInactiveDoc = false, bool echo = true);
  // True unless a command is running in a document's context.
  bool isApplicationContext() const { return contexts_.empty(); }
  // The input commands and prompts read from: the current document's command line, or the bare one while
  // no drawing is open.
  TypedInput& currentInput();

  void addReactor(DocManagerReactor* reactor) { reactors_.add(reactor); }
  void removeReactor(DocManagerReactor* reactor) { reactors_.remove(reactor); }
  bool hasReactor(const DocManagerReactor* reactor) const { return reactors_.has(reactor); }
  const std::vector<DocManagerReactor*>& reactors() const { return reactors_.all(); }

  // Host side: what the user does.
  struct [[nodiscard]] OpenResult {
    Document* document = nullptr;
    std::string error;                  // why it failed, naming the file once; empty on success
    std::string reason;                 // the same without the file's name
    std::vector<std::string> warnings;  // what the reader read past; printed on the command line as well
  };
  // Reads the drawing by its content (DXF) and makes it active. Only regular files are read, and nothing
  // in the file's place (a named pipe, a device) can make the open wait.
  OpenResult open(const std::string& path, bool readOnly);
  // A drawing already in memory (an unsaved one, or one a test built); named "DrawingN.dwg" when no name.
  Document* addDocument(std::unique_ptr<Database> database, std::wstring fileName = {}, bool readOnly = false);
  // eNotApplicable while a command runs in the document.
  ErrorStatus closeDocument(Document* doc);
  bool isOpen(const Document* doc) const;
  std::vector<Document*> documents() const;
  // Whether the file at `path` (however it is spelled, through links) is an open drawing's file.
  bool holdsFile(const std::string& path) const;

  // Command contexts, entered and left by the command loop around a command run in a document.
  void enterDocumentContext(Document* doc);
  void leaveDocumentContext();
  void setCommandLineReader(CommandLineReader* reader) { reader_ = reader; }

  // Test side
  struct OpenRequest {
    std::wstring fileName;
    std::uint8_t initialView = 0;
    std::uint32_t flags = 0;
    ErrorStatus result = eOk;
  };
  struct SendStringCall {
    Document* document = nullptr;
    std::wstring text;
    bool activate = false, wrapUpInactiveDoc = false, echo = false;
    ErrorStatus result = eOk;
  };
  std::vector<OpenRequest> openRequests;
  std::vector<SendStringCall> sendStringCalls;
  std::vector<Document*> closeRequests;
  int beginExecuteCalls = 0;
  struct Faults {
    std::optional<ErrorStatus> open;   // appContextOpenDocument refuses with this status
    bool openAcceptedNoDocument = false;  // accepted, but no document appears
    bool openRefusedButOpened = false;    // refused with eNotApplicable, yet the document opens
    std::set<std::wstring> opensWritable;  // these files open writable whatever was asked
    bool close = false;
    bool sendString = false;
    bool beginExecute = false;
    bool activate = false;
  } faults;
  void clearRecords();
  // Closes every document (reactors hear of each) and forgets the bare command line's text, records and
  // faults.
  void reset();

 private:
  Document* create(std::wstring fileName, std::unique_ptr<Database> database, bool readOnly);
  void destroy(Document* doc);
  void makeActive(Document* doc);
  void updateWorkingDatabase();

  std::string lastOpenError_;
  std::vector<Document*> documents_;  // open, in order of opening
  Document* active_ = nullptr;
  std::vector<Document*> contexts_;  // documents whose commands are running, innermost last
  TypedInput bareInput_;
  CommandLineReader* reader_ = nullptr;
  ReactorList<DocManagerReactor> reactors_;
  int unnamedCount_ = 0;
};

// The host's document manager; nullptr while a test makes it absent.
DocManager* acDocManagerPtr();
DocManager& docManager();
void setDocManagerAbsent(bool absent);

}  // namespace cad
